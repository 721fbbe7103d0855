#include "LineUrl.h"

#include "Mbap.h"
#include "ParamRegisters.h"

#ifdef KORVEL_NETWORK_LINES
#include <QHostAddress>
#endif
#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace {

const char *const Forms = QT_TRANSLATE_NOOP("LineUrl", "give a serial port (ttyUSB0, COM3, /dev/ttyUSB0), tcp://HOST:PORT[?baud=N], "
                          "rfc2217://HOST:PORT or modbus-tcp://HOST[:PORT] (an IPv6 address in brackets: "
                          "tcp://[::1]:4001)");

struct Scheme
{
    const char *Name;
    LineUrl::Kind Type;
    int DefaultPort; // 0: the port must be given
    bool TakesBaud;  // ?baud=N
};

const Scheme Schemes[] = {
    {"tcp", LineUrl::Kind::Tcp, 0, true},
    {"rfc2217", LineUrl::Kind::Rfc2217, 0, false},
    {"modbus-tcp", LineUrl::Kind::ModbusTcp, Mbap::DefaultPort, false},
};

bool Refuse(const QString &Text, const QString &Why, QString *Error)
{
    *Error = QStringLiteral("--port '%1': %2; %3").arg(Text, Why, QCoreApplication::translate("LineUrl", Forms));
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

// The host as the URL gives it: a name or IPv4 address, or an IPv6
// address from inside its brackets. False with *Why.
bool ReadHost(const QString &Text, const QUrl &Url, QString *Host, QString *Why)
{
    *Host = Url.host(QUrl::FullyDecoded);
    if (Host->isEmpty())
        return (*Why = QCoreApplication::translate("LineUrl", "no host"), false);
    const bool Bracketed = Text.contains(QLatin1Char('['));
    if (Bracketed) {
#ifdef KORVEL_NETWORK_LINES
        if (QHostAddress(*Host).protocol() != QAbstractSocket::IPv6Protocol)
            return (*Why = QCoreApplication::translate("LineUrl", "'%1' is no IPv6 address").arg(*Host), false);
#endif
        return true;
    }
    if (!HostName(*Host))
        return (*Why = QCoreApplication::translate("LineUrl", "'%1' is no host name or address").arg(*Host), false);
    return true;
}

// The query: ?baud=N where the scheme takes it, nothing else.
bool ReadQuery(const QUrl &Url, const Scheme &Form, LineUrl *Line, QString *Why)
{
    Line->Baud = 0;
    if (!Url.hasQuery())
        return true;
    const QList<QPair<QString, QString>> Items = QUrlQuery(Url).queryItems(QUrl::FullyDecoded);
    for (const QPair<QString, QString> &Item : Items) {
        if (!Form.TakesBaud || Item.first != QLatin1String("baud") || Line->Baud) {
            const QString Takes = Form.TakesBaud ? QCoreApplication::translate("LineUrl", "tcp:// takes baud=N once")
                                                 : QCoreApplication::translate("LineUrl", "%1:// takes none (--baud sets the speed where "
                                                                              "a line can change it)")
                                                       .arg(QLatin1String(Form.Name));
            return (*Why = QCoreApplication::translate("LineUrl", "'%1' is no query of this line; %2").arg(Item.first, Takes), false);
        }
        for (const int Rate : ParamRegisters::BaudRates) {
            if (Item.second == QString::number(Rate))
                Line->Baud = Rate;
        }
        if (!Line->Baud) {
            QStringList Speeds = ParamRegisters::BaudRateTexts();
            const QString Last = Speeds.takeLast();
            return (*Why = QCoreApplication::translate("LineUrl", "'baud=%1' is not baud=N with N %2 or %3")
                               .arg(Item.second, Speeds.join(QStringLiteral(", ")), Last),
                    false);
        }
    }
    return true;
}

} // namespace

bool ParseLineUrl(const QString &Text, LineUrl *Line, QString *Error)
{
    const int Mark = Text.indexOf(QStringLiteral("://"));
    if (Mark < 0) {
        Line->Type = LineUrl::Kind::Serial;
        Line->Port = Text;
        return true;
    }
    const QString SchemeText = Text.left(Mark).toLower();
    const Scheme *Form = nullptr;
    for (const Scheme &Each : Schemes) {
        if (SchemeText == QLatin1String(Each.Name))
            Form = &Each;
    }
    if (!Form)
        return Refuse(Text, QCoreApplication::translate("LineUrl", "unknown scheme '%1'").arg(Text.left(Mark)), Error);
    const QUrl Url(Text, QUrl::StrictMode);
    if (!Url.isValid()) {
        // QUrl's own words name the part, before the source it quotes; a
        // port out of range is the usual one.
        const QString Part = Url.errorString().section(QLatin1Char(';'), 0, 0);
        const QString Why = Part.startsWith(QStringLiteral("Invalid port"))
                                ? QCoreApplication::translate("LineUrl", "the port must be a number from 1 to 65535")
                                : QCoreApplication::translate("LineUrl", "not a URL (%1)").arg(Part);
        return Refuse(Text, Why, Error);
    }
    if (!Url.userInfo().isEmpty() || !Url.fragment().isEmpty() || (!Url.path().isEmpty() && Url.path() != QLatin1String("/")))
        return Refuse(Text, QCoreApplication::translate("LineUrl", "a line takes no user, path or fragment"), Error);
    QString Why;
    if (!ReadHost(Text, Url, &Line->Host, &Why) || !ReadQuery(Url, *Form, Line, &Why))
        return Refuse(Text, Why, Error);
    const int Port = Url.port(Form->DefaultPort);
    if (Port < 1 || Port > 65535)
        return Refuse(Text, Port == 0 && Url.port() != 0 ? QCoreApplication::translate("LineUrl", "no port number")
                                                         : QCoreApplication::translate("LineUrl", "the port must be a number from 1 "
                                                                                      "to 65535, not %1")
                                                               .arg(Port),
                      Error);
    Line->Type = Form->Type;
    Line->TcpPort = quint16(Port);
    Line->Port.clear();
    return true;
}
