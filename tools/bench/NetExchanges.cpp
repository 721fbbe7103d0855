#include "NetExchanges.h"

#include "CtlExchanges.h"
#include "CtlLine.h"
#include "DeviceExchange.h"
#include "Figures.h"
#include "ModbusTcpLine.h"
#include "NetLines.h"
#include "Options.h"
#include "PacedLine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace Bench {

namespace {

// Whether something listens on 127.0.0.1:Port, from the kernel's table
// (a connection to ask would make ser2net open the line).
bool Listening(quint16 Port)
{
    QFile Table(QStringLiteral("/proc/net/tcp"));
    if (!Table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray Local = "0100007F:" + QByteArray::number(Port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &Line : Table.readAll().split('\n')) {
        const QList<QByteArray> Fields = Line.simplified().split(' ');
        if (Fields.size() > 3 && Fields[1] == Local && Fields[3] == "0A")
            return true;
    }
    return false;
}

// ser2net passing the bytes of Pty as they are, on a free loopback port,
// from a configuration of its own, set up as README asks of a raw server:
// each byte passed on at once (no character delay to pack them, Nagle's
// algorithm off). With ser2net's defaults each reply waits a further
// millisecond or more at the server.
class Ser2net
{
public:
    ~Ser2net()
    {
        Process.kill();
        Process.waitForFinished(3000);
    }

    QString Start(const QString &Pty, bool Telnet)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("ser2net")).isEmpty())
            return QStringLiteral("ser2net is not installed");
        QTcpServer Free;
        Free.listen(QHostAddress::LocalHost, 0);
        Port = Free.serverPort();
        Free.close();
        QFile Config(Dir.filePath(QStringLiteral("ser2net.yaml")));
        if (!Config.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write ser2net's configuration");
        const QByteArray Accepter = Telnet ? "telnet(rfc2217),tcp(nodelay)" : "tcp(nodelay)";
        Config.write("connection: &bench\n  accepter: " + Accepter + ",127.0.0.1," + QByteArray::number(Port)
                     + "\n  connector: serialdev," + Pty.toLocal8Bit() + "," + QByteArray::number(NetBaud)
                     + "n81,local\n  options:\n    chardelay: false\n");
        Config.close();
        Process.start(QStringLiteral("ser2net"), {"-n", "-u", "-c", Config.fileName(), "-P",
                                                  Dir.filePath(QStringLiteral("ser2net.pid"))});
        QElapsedTimer Waited;
        Waited.start();
        while (!Listening(Port) && Waited.elapsed() < 5000 && Process.state() != QProcess::NotRunning)
            QThread::msleep(10);
        return Listening(Port) ? QString() : QStringLiteral("ser2net did not listen");
    }

    quint16 Port = 0;

private:
    QTemporaryDir Dir;
    QProcess Process;
};

// The libmodbus gateway in front of Pty, on the port it prints.
class Gateway
{
public:
    QString Start(const QString &Pty)
    {
        const QString Program = QStringLiteral(KORVEL_BENCH_GATEWAY);
        if (Program.isEmpty())
            return QStringLiteral("libmodbus is not installed");
        Process.start(Program, {Pty, QString::number(NetBaud), QStringLiteral("500")});
        if (!Process.waitForReadyRead(5000))
            return QStringLiteral("the gateway did not start");
        Port = quint16(Process.readLine().trimmed().toInt());
        return Port ? QString() : QStringLiteral("the gateway named no port");
    }
    ~Gateway()
    {
        Process.kill();
        Process.waitForFinished(3000);
    }

    quint16 Port = 0;

private:
    QProcess Process;
};

// The line of one way, opened, or nullptr with Way->Error.
std::unique_ptr<StreamLine> Connect(NetWay *Way, std::unique_ptr<StreamLine> Line)
{
    if (Way->Error.isEmpty() && !Line->Open(NetBaud, &Way->Error))
        return nullptr;
    return Way->Error.isEmpty() ? std::move(Line) : nullptr;
}

} // namespace

NetTimes RunNetRounds(const Options &Opt)
{
    NetTimes Times;
    Times.Raw.Name = QStringLiteral("ser2net (raw)");
    Times.Telnet.Name = QStringLiteral("ser2net (RFC 2217)");
    Times.Gateway.Name = QStringLiteral("the libmodbus gateway (Modbus TCP)");
    Times.Gateway.Goal = 1.15; // the gateway's own turnaround
    PacedLine ForRaw, ForTelnet, ForGateway, ForDirect;
    if (!ForDirect.Start(NetBaud, Opt)) {
        Times.Error = ForDirect.Error();
        return Times;
    }
    Ser2net RawServer, TelnetServer;
    Gateway Bridge;
    NetWay *const Ways[] = {&Times.Raw, &Times.Telnet, &Times.Gateway};
    PacedLine *const Lines[] = {&ForRaw, &ForTelnet, &ForGateway};
    for (int W = 0; W < 3; ++W) {
        if (!Lines[W]->Start(NetBaud, Opt))
            Ways[W]->Error = Lines[W]->Error();
    }
    if (Times.Raw.Error.isEmpty())
        Times.Raw.Error = RawServer.Start(ForRaw.PortPath(), false);
    if (Times.Telnet.Error.isEmpty())
        Times.Telnet.Error = TelnetServer.Start(ForTelnet.PortPath(), true);
    if (Times.Gateway.Error.isEmpty())
        Times.Gateway.Error = Bridge.Start(ForGateway.PortPath());
    Times.Raw.Url = QStringLiteral("tcp://127.0.0.1:%1?baud=%2").arg(RawServer.Port).arg(NetBaud);
    Times.Telnet.Url = QStringLiteral("rfc2217://127.0.0.1:%1").arg(TelnetServer.Port);
    Times.Gateway.Url = QStringLiteral("modbus-tcp://127.0.0.1:%1").arg(Bridge.Port);

    CtlLine Direct;
    if (!Direct.Open(ForDirect.PortPath(), NetBaud, &Times.Error))
        return Times;
    std::unique_ptr<StreamLine> Opened[] = {
        Connect(&Times.Raw, std::unique_ptr<StreamLine>(new TcpLine(QStringLiteral("127.0.0.1"), RawServer.Port, NetBaud))),
        Connect(&Times.Telnet, std::unique_ptr<StreamLine>(new Rfc2217Line(QStringLiteral("127.0.0.1"), TelnetServer.Port))),
        Connect(&Times.Gateway, std::unique_ptr<StreamLine>(new ModbusTcpLine(QStringLiteral("127.0.0.1"), Bridge.Port))),
    };
    DeviceExchange OnPty(Direct);
    std::unique_ptr<DeviceExchange> Through[3];
    for (int W = 0; W < 3; ++W) {
        if (Opened[W])
            Through[W].reset(new DeviceExchange(*Opened[W]));
    }
    // Through the gateway the request names the device's unit.
    if (Through[2])
        Through[2]->SetAddress(quint8(17));
    for (int R = 0; R < Opt.Repeats; ++R) {
        Progress(QStringLiteral("%1 baud, korvelctl on the pty, through ser2net and a gateway, round %2 of %3")
                     .arg(NetBaud)
                     .arg(R + 1)
                     .arg(Opt.Repeats));
        RunCtlRound(OnPty, Times.Direct);
        for (int W = 0; W < 3; ++W) {
            if (Through[W])
                RunCtlRound(*Through[W], Ways[W]->Times);
        }
    }
    return Times;
}

} // namespace Bench
