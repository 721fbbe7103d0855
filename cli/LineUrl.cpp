#include "LineUrl.h"

#include "ParamRegisters.h"

#ifdef KORVEL_NETWORK_LINES
#include <QHostAddress>
#endif
#include <QRegularExpression>

namespace {

const char *const Forms = "give a serial port (ttyUSB0, COM3, /dev/ttyUSB0), tcp://HOST:PORT[?baud=N] or "
                          "rfc2217://HOST:PORT (an IPv6 address in brackets: tcp://[::1]:4001)";

bool Refuse(const QString &Text, const QString &Why, QString *Error)
{
    *Error = QStringLiteral("--port '%1': %2; %3").arg(Text, Why, QLatin1String(Forms));
    return false;
}

// Letters, digits and hyphens in dot-separated labels; an IPv4 address is
// one of these too.
bool HostName(const QString &Host)
{
    static const QRegularExpression Name(QStringLiteral(
        "^(?=.{1,253}$)[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*\\.?$"));
    return Name.match(Host).hasMatch();
}

bool ReadPort(const QString &Digits, quint16 *Port)
{
    static const QRegularExpression Number(QStringLiteral("^[0-9]{1,5}$"));
    if (!Number.match(Digits).hasMatch())
        return false;
    const int Value = Digits.toInt();
    if (Value < 1 || Value > 65535)
        return false;
    *Port = quint16(Value);
    return true;
}

// tcp://...?baud=N: one of the six speeds.
bool ReadQuery(const QString &Query, int *Baud)
{
    for (const int Rate : ParamRegisters::BaudRates) {
        if (Query == QStringLiteral("baud=%1").arg(Rate)) {
            *Baud = Rate;
            return true;
        }
    }
    return false;
}

} // namespace

namespace {

// HOST:PORT, [IPv6]:PORT. False with *Why.
bool ReadHostPort(const QString &Rest, LineUrl *Url, QString *Why)
{
    QString Host;
    QString PortText;
    bool HasPort = false;
    if (Rest.startsWith(QLatin1Char('['))) {
        const int Close = Rest.indexOf(QLatin1Char(']'));
        if (Close < 0)
            return (*Why = QStringLiteral("no ']' after the IPv6 address"), false);
        Host = Rest.mid(1, Close - 1);
        HasPort = Rest.mid(Close + 1).startsWith(QLatin1Char(':'));
        PortText = Rest.mid(Close + 2);
#ifdef KORVEL_NETWORK_LINES
        if (QHostAddress(Host).protocol() != QAbstractSocket::IPv6Protocol)
            return (*Why = QStringLiteral("'%1' is no IPv6 address").arg(Host), false);
#endif
    } else {
        const int Colon = Rest.lastIndexOf(QLatin1Char(':'));
        HasPort = Colon >= 0;
        Host = HasPort ? Rest.left(Colon) : Rest;
        PortText = HasPort ? Rest.mid(Colon + 1) : QString();
        if (Host.contains(QLatin1Char(':')))
            return (*Why = QStringLiteral("an IPv6 address goes in brackets"), false);
        if (!HostName(Host))
            return (*Why = QStringLiteral("'%1' is no host name or address").arg(Host), false);
    }
    if (!HasPort || PortText.isEmpty())
        return (*Why = QStringLiteral("no port number"), false);
    if (!ReadPort(PortText, &Url->TcpPort))
        return (*Why = QStringLiteral("the port must be a number from 1 to 65535, not '%1'").arg(PortText), false);
    Url->Host = Host;
    return true;
}

} // namespace

bool ParseLineUrl(const QString &Text, LineUrl *Url, QString *Error)
{
    const int Mark = Text.indexOf(QStringLiteral("://"));
    if (Mark < 0) {
        Url->Type = LineUrl::Kind::Serial;
        Url->Port = Text;
        return true;
    }
    const QString Scheme = Text.left(Mark).toLower();
    if (Scheme == QLatin1String("tcp"))
        Url->Type = LineUrl::Kind::Tcp;
    else if (Scheme == QLatin1String("rfc2217"))
        Url->Type = LineUrl::Kind::Rfc2217;
    else
        return Refuse(Text, QStringLiteral("unknown scheme '%1'").arg(Text.left(Mark)), Error);
    QString Rest = Text.mid(Mark + 3);
    Url->Baud = 0;
    const int Ask = Rest.indexOf(QLatin1Char('?'));
    if (Ask >= 0) {
        if (Url->Type != LineUrl::Kind::Tcp)
            return Refuse(Text, QStringLiteral("rfc2217:// takes no '?' (--baud sets the speed)"), Error);
        if (!ReadQuery(Rest.mid(Ask + 1), &Url->Baud))
            return Refuse(Text, QStringLiteral("'?%1' is not baud=N with N 4800, 9600, 19200, 38400, 57600 or "
                                               "115200").arg(Rest.mid(Ask + 1)),
                          Error);
        Rest.truncate(Ask);
    }
    QString Why;
    if (!ReadHostPort(Rest, Url, &Why))
        return Refuse(Text, Why, Error);
    Url->Port.clear();
    return true;
}
