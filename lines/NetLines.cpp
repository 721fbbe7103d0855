#include "NetLines.h"

#include "ParamRegisters.h"

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

TcpLine::TcpLine(const QString &Host, quint16 Port, int SilenceBaud) : Host(Host), Port(Port)
{
    SetSilenceBaud(SilenceBaud > 0 ? SilenceBaud : ParamRegisters::DefaultBaud);
    QObject::connect(&Socket, &QAbstractSocket::disconnected,
                     [this] { MarkLost(QStringLiteral("%1 closed the connection").arg(Where())); });
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
        *Error = QStringLiteral("%1: cannot connect: %2").arg(Where(), Socket.errorString());
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

bool Rfc2217Line::Open(int Baud, QString *Error)
{
    if (!Connect(Error))
        return false;
    SetSilenceBaud(Baud);
    return SetSpeed(Rfc2217::Opening() + Rfc2217::LineSettings(quint32(Baud)), Baud, Error);
}

bool Rfc2217Line::SetBaud(int Baud)
{
    QString Error;
    SetSilenceBaud(Baud);
    if (!SetSpeed(Rfc2217::SpeedCommand(quint32(Baud)), Baud, &Error))
        return false;
    RestartQuiet();
    return true;
}

bool Rfc2217Line::SetSpeed(const QByteArray &Bytes, int Baud, QString *Error)
{
    const int Before = Telnet.SpeedReplies();
    Socket.write(Bytes);
    Socket.flush();
    // Whatever data comes meanwhile answered no request of this command.
    const bool Taken = WaitUntil([&] {
        Receive();
        return Telnet.Refused() || Telnet.SpeedReplies() > Before;
    }, ConnectLimitMs);
    if (Telnet.Refused()) {
        *Error = QStringLiteral("%1: the server refuses COM port control (RFC 2217); "
                                "for a raw server use tcp://")
                     .arg(Where());
    } else if (!Taken) {
        *Error = !Lost().isEmpty() ? Lost()
                                   : QStringLiteral("%1: the server did not take the line settings "
                                                    "(RFC 2217) within %2 s")
                                         .arg(Where())
                                         .arg(ConnectLimitMs / 1000);
    } else if (Telnet.LastSpeed() != quint32(Baud)) {
        // The server answers with the speed it set, which may be another.
        *Error = QStringLiteral("%1: the server set %2 Bd, not %3").arg(Where()).arg(Telnet.LastSpeed()).arg(Baud);
        return false;
    }
    return Taken && !Telnet.Refused();
}

QByteArray Rfc2217Line::Receive()
{
    const QByteArray Data = Telnet.Feed(TakeArrived());
    const QByteArray Answers = Telnet.TakeAnswers();
    if (!Answers.isEmpty())
        Socket.write(Answers);
    return Data;
}

QByteArray Rfc2217Line::Encode(const QByteArray &Frame)
{
    return Rfc2217::Escape(Frame);
}
