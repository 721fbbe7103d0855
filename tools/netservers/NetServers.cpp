#include "NetServers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QStandardPaths>
#include <QTcpServer>

namespace NetServers {

namespace {

QByteArray Connection(const QByteArray &Accepter, quint16 Port, const QString &Pty, int Baud)
{
    const QByteArray Number = QByteArray::number(Port);
    return "connection: &c" + Number + "\n  accepter: " + Accepter + ",127.0.0.1," + Number
        + "\n  connector: serialdev," + QFile::encodeName(Pty) + "," + QByteArray::number(Baud)
        + "n81,local\n  options:\n    kickolduser: true\n    chardelay: false\n";
}

void Stop(QProcess &Process)
{
    Process.kill();
    Process.waitForFinished(5000);
}

} // namespace

quint16 FreePort(quint16 Not)
{
    for (;;) {
        QTcpServer Probe;
        if (!Probe.listen(QHostAddress::LocalHost, 0))
            return 0;
        if (Probe.serverPort() != Not)
            return Probe.serverPort();
    }
}

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

Ser2net::~Ser2net()
{
    Stop(Process);
}

bool Ser2net::Installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ser2net")).isEmpty();
}

QString Ser2net::Start(const QString &Pty, int Baud, int Accepters)
{
    if (!Installed())
        return QStringLiteral("ser2net is not installed");
    QByteArray Config;
    if (Accepters & Raw) {
        RawPort = FreePort();
        Config += Connection("tcp(nodelay)", RawPort, Pty, Baud);
    }
    if (Accepters & Rfc2217) {
        TelnetPort = FreePort(RawPort);
        Config += Connection("telnet(rfc2217),tcp(nodelay)", TelnetPort, Pty, Baud);
    }
    QFile File(Dir.filePath(QStringLiteral("ser2net.yaml")));
    if (!File.open(QIODevice::WriteOnly) || File.write(Config) != Config.size() || !File.flush())
        return QStringLiteral("cannot write ser2net's configuration");
    File.close();
    Process.start(QStringLiteral("ser2net"),
                  {"-n", "-u", "-c", File.fileName(), "-P", Dir.filePath(QStringLiteral("ser2net.pid"))});
    const auto Up = [&] { return (!RawPort || Listening(RawPort)) && (!TelnetPort || Listening(TelnetPort)); };
    // Each step waits on the process itself, so one that ends is seen at once.
    const QDeadlineTimer Deadline(10000);
    while (!Up() && !Deadline.hasExpired()) {
        if (Process.state() == QProcess::NotRunning || Process.waitForFinished(10))
            return QStringLiteral("ser2net ended: %1").arg(QString::fromLocal8Bit(Process.readAllStandardError()));
    }
    return Up() ? QString() : QStringLiteral("ser2net did not listen");
}

ModbusGateway::~ModbusGateway()
{
    Stop(Process);
}

QString ModbusGateway::Start(const QString &Program, const QString &Pty, int Baud, int WaitMs)
{
    if (Program.isEmpty())
        return QStringLiteral("libmodbus is not installed");
    Process.start(Program, {Pty, QString::number(Baud), QString::number(WaitMs)});
    if (!Process.waitForReadyRead(5000))
        return QStringLiteral("the gateway did not start");
    Port = quint16(Process.readLine().trimmed().toInt());
    return Port ? QString() : QStringLiteral("the gateway named no port");
}

} // namespace NetServers
