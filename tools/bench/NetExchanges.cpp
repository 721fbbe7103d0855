#include "NetExchanges.h"

#include "CtlExchanges.h"
#include "CtlLine.h"
#include "DeviceExchange.h"
#include "Figures.h"
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

    QString Start(const QString &Pty)
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
        Config.write("connection: &bench\n  accepter: tcp(nodelay),127.0.0.1," + QByteArray::number(Port)
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

} // namespace

NetTimes RunNetRounds(const Options &Opt)
{
    NetTimes Times;
    PacedLine ForServer, ForDirect;
    Ser2net Server;
    if (!ForServer.Start(NetBaud, Opt) || !ForDirect.Start(NetBaud, Opt)) {
        Times.Error = ForServer.Error() + ForDirect.Error();
        return Times;
    }
    Times.Error = Server.Start(ForServer.PortPath());
    if (!Times.Error.isEmpty())
        return Times;
    Times.Url = QStringLiteral("tcp://127.0.0.1:%1?baud=%2").arg(Server.Port).arg(NetBaud);
    CtlLine Direct;
    TcpLine Network(QStringLiteral("127.0.0.1"), Server.Port, NetBaud);
    if (!Direct.Open(ForDirect.PortPath(), NetBaud, &Times.Error) || !Network.Open(NetBaud, &Times.Error))
        return Times;
    DeviceExchange OnPty(Direct);
    DeviceExchange OnServer(Network);
    for (int R = 0; R < Opt.Repeats; ++R) {
        Progress(QStringLiteral("%1 baud, korvelctl on the pty and through ser2net, round %2 of %3")
                     .arg(NetBaud)
                     .arg(R + 1)
                     .arg(Opt.Repeats));
        RunCtlRound(OnPty, Times.Direct);
        RunCtlRound(OnServer, Times.Server);
    }
    return Times;
}

} // namespace Bench
