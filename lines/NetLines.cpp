#include "NetLines.h"

#include "ParamRegisters.h"

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

TcpLine::TcpLine(const QString &Host, quint16 Port, int SilenceBaud) : Host(Host), Port(Port)
{
    SetSilenceBaud(SilenceBaud > 0 ? SilenceBaud : ParamRegisters::DefaultBaud);
    QObject::connect(&Socket, &QAbstractSocket::disconnected,
                     [this] { MarkLost(tr("%1 closed the connection").arg(Where())); });
}

TcpLine::~TcpLine()
{
    // The socket outlives Host and Port, which go first: its goodbye must
    // reach nothing of this line.
    QObject::disconnect(&Socket, nullptr, nullptr, nullptr);
    Socket.abort();
}

QString TcpLine::Where() const
{
    return (Host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(Host) : Host) + QLatin1Char(':')
           + QString::number(Port);
}

bool TcpLine::Connect(QString *Error)
{
    Socket.connectToHost(Host, Port);
    if (!Socket.waitForConnected(ConnectLimitMs)) {
        *Error = tr("%1: cannot connect: %2").arg(Where(), Socket.errorString());
        Socket.abort();
        return false;
    }
    // A frame is one small write that must go out at once, not wait for
    // the acknowledgement of the one before.
    Socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    RestartQuiet();
    return true;
}

bool TcpLine::Open(int, QString *Error)
{
    return Connect(Error);
}

bool TcpLine::SetBaud(int)
{
    return false;
}

QByteArray TcpLine::TakeArrived()
{
#ifdef Q_OS_LINUX
    // A server whose Nagle algorithm holds the rest of a reply until the
    // first part is acknowledged would otherwise wait for the delayed
    // acknowledgement (40 ms); Linux forgets this after a while, so it is
    // asked again at each read. Where the system refuses, the reply is
    // only later, never wrong: nothing to report.
    const int On = 1;
    QuickAck = setsockopt(int(Socket.socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &On, sizeof On) == 0;
    if (!QuickAck && !QuickAckRefusalTold) {
        QuickAckRefusalTold = true;
        Trace('<', QByteArray(), QStringLiteral("the system refuses quick acknowledgements (%1): a server that "
                                                "delays small segments may slow each reply")
                                     .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
#endif
    return Socket.readAll();
}

QByteArray TcpLine::Receive()
{
    return TakeArrived();
}

void TcpLine::Flush()
{
    Socket.flush();
}

// RFC 2217's order: the options first; the line settings only once the
// server has agreed to COM port control and to 8-bit data both ways; then
// its buffers purged, so that nothing from before the settings passes for
// a reply.
bool Rfc2217Line::Open(int Baud, QString *Error)
{
    if (!Connect(Error))
        return false;
    Socket.write(Rfc2217::Opening());
    Flush();
    const bool Agreed = WaitUntil([&] {
        Receive();
        return Telnet.Refused() || Telnet.BinaryRefused() || (Telnet.Accepted() && Telnet.BinaryBothWays());
    }, ConnectLimitMs);
    if (Telnet.Refused() || (!Agreed && Telnet.BinaryBothWays()))
        return Fail(tr("the server refuses COM port control (RFC 2217); for a raw server use tcp://"),
                    Error);
    if (Telnet.BinaryRefused())
        return Fail(tr("the server refuses 8-bit data (Telnet BINARY), which would change the frames' "
                       "CR and 0xFF bytes; set it to binary or use tcp://"),
                    Error);
    if (!Agreed)
        return Fail(!Lost().isEmpty() ? Lost()
                                      : tr("the server did not agree to COM port control within %1 s")
                                            .arg(ConnectLimitMs / 1000),
                    Error);
    Opened = Settle(Rfc2217::LineSettings(quint32(Baud)), Baud, Error);
    return Opened;
}

bool Rfc2217Line::SetBaud(int Baud)
{
    QString Error;
    if (!Settle({{Rfc2217::SetBaudRate, Rfc2217::SpeedValue(quint32(Baud))}}, Baud, &Error))
        return false;
    RestartQuiet();
    return true;
}

bool Rfc2217Line::Fail(const QString &Why, QString *Error) const
{
    *Error = Why.startsWith(Where()) ? Why : Where() + QStringLiteral(": ") + Why;
    return false;
}

// Sends the settings and waits for the server's confirmation of each,
// which must hold what was asked; then purges the server's buffers.
bool Rfc2217Line::Settle(const QVector<Rfc2217::Setting> &Settings, int Baud, QString *Error)
{
    QVector<int> Before;
    for (const Rfc2217::Setting &One : Settings)
        Before << Telnet.Replies(One.Command);
    const int PurgesBefore = Telnet.Replies(Rfc2217::PurgeData);
    SetSilenceBaud(Baud);
    Socket.write(Rfc2217::Commands(Settings));
    Flush();
    // Whatever data comes meanwhile answered no request of this command.
    const auto Confirmed = [&] {
        for (int I = 0; I < Settings.size(); ++I) {
            if (Telnet.Replies(Settings[I].Command) <= Before[I])
                return false;
        }
        return true;
    };
    const bool Taken = WaitUntil([&] {
        Receive();
        return Telnet.Refused() || Confirmed();
    }, ConnectLimitMs);
    if (Telnet.Refused())
        return Fail(tr("the server withdrew COM port control (RFC 2217)"), Error);
    if (!Taken)
        return Fail(!Lost().isEmpty() ? Lost()
                                      : tr("the server did not take the line settings (RFC 2217) within %1 s")
                                            .arg(ConnectLimitMs / 1000),
                    Error);
    for (const Rfc2217::Setting &One : Settings) {
        // The server answers with what it set, which may be another.
        const QByteArray Set = Telnet.LastReply(One.Command);
        if (Set != One.Value)
            return Fail(tr("the server set %1, not %2")
                            .arg(Rfc2217::SettingText(One.Command, Set),
                                 Rfc2217::SettingText(One.Command, One.Value)),
                        Error);
    }
    Socket.write(Rfc2217::ComCommandBytes(Rfc2217::PurgeData, QByteArray(1, char(Rfc2217::PurgeBoth))));
    Flush();
    WaitUntil([&] {
        Receive();
        return Telnet.Refused() || Telnet.Replies(Rfc2217::PurgeData) > PurgesBefore;
    }, ConnectLimitMs);
    return true;
}

QByteArray Rfc2217Line::Receive()
{
    const QByteArray Data = Telnet.Feed(TakeArrived());
    const QByteArray Answers = Telnet.TakeAnswers();
    if (!Answers.isEmpty())
        Socket.write(Answers);
    // A server may take COM port control back at any time: from then on
    // the line's settings are no longer its to keep.
    if (Telnet.Refused() && Opened)
        MarkLost(tr("%1: the server withdrew COM port control (RFC 2217)").arg(Where()));
    return Data;
}

QByteArray Rfc2217Line::Encode(const QByteArray &Frame)
{
    return Rfc2217::Escape(Frame);
}
