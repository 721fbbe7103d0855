#include "LineUrl.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace {

const char *const Forms = "give a serial port (ttyUSB0, COM3, /dev/ttyUSB0), tcp://HOST:PORT or "
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
    const QString Rest = Text.mid(Mark + 3);
    QString Host;
    QString PortText;
    bool HasPort = false;
    if (Rest.startsWith(QLatin1Char('['))) {
        const int Close = Rest.indexOf(QLatin1Char(']'));
        if (Close < 0)
            return Refuse(Text, QStringLiteral("no ']' after the IPv6 address"), Error);
        Host = Rest.mid(1, Close - 1);
        HasPort = Rest.mid(Close + 1).startsWith(QLatin1Char(':'));
        PortText = Rest.mid(Close + 2);
        if (QHostAddress(Host).protocol() != QAbstractSocket::IPv6Protocol)
            return Refuse(Text, QStringLiteral("'%1' is no IPv6 address").arg(Host), Error);
    } else {
        const int Colon = Rest.lastIndexOf(QLatin1Char(':'));
        HasPort = Colon >= 0;
        Host = HasPort ? Rest.left(Colon) : Rest;
        PortText = HasPort ? Rest.mid(Colon + 1) : QString();
        if (Host.contains(QLatin1Char(':')))
            return Refuse(Text, QStringLiteral("an IPv6 address goes in brackets"), Error);
        if (!HostName(Host))
            return Refuse(Text, QStringLiteral("'%1' is no host name or address").arg(Host), Error);
    }
    if (!HasPort || PortText.isEmpty())
        return Refuse(Text, QStringLiteral("no port number"), Error);
    if (!ReadPort(PortText, &Url->TcpPort))
        return Refuse(Text, QStringLiteral("the port must be a number from 1 to 65535, not '%1'").arg(PortText),
                      Error);
    Url->Host = Host;
    Url->Port.clear();
    return true;
}
