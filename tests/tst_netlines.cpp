// korvelctl through a serial device server: ser2net on the loopback in
// front of the korvel-devsim program's pty, once passing the bytes as they
// are (tcp://) and once as Telnet with COM port control (rfc2217://); the
// Telnet codec on its own; the --port texts refused before anything is sent.

#include "CtlRun.h"
#include "Korvelctl.h"
#include "ModbusRtu.h"
#include "ParamRegisters.h"
#include "Rfc2217.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

namespace {

quint16 FreePort()
{
    QTcpServer Probe;
    Probe.listen(QHostAddress::LocalHost, 0);
    return Probe.serverPort();
}

// Whether something listens on 127.0.0.1:Port, from the kernel's table:
// asking by connecting would make ser2net open the line.
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

// The korvel-devsim program on a pty of its own.
struct Sim
{
    explicit Sim(const QStringList &Options = {})
    {
        Process.start(QStringLiteral(KORVEL_DEVSIM), QStringList {"--pty"} + Options);
        if (Process.waitForReadyRead(5000))
            Pty = QString::fromLocal8Bit(Process.readLine()).trimmed();
    }
    ~Sim()
    {
        Process.terminate();
        Process.waitForFinished(5000);
    }
    QProcess Process;
    QString Pty;
};

// ser2net serving that pty on two free loopback ports, raw and RFC 2217,
// from a configuration of its own: it opens no other line.
struct Server
{
    explicit Server(const QString &Pty)
    {
        Raw = FreePort();
        do
            Telnet = FreePort();
        while (Telnet == Raw);
        const QString Config = Dir.filePath(QStringLiteral("ser2net.yaml"));
        QFile File(Config);
        if (!File.open(QIODevice::WriteOnly))
            return;
        for (const auto &Accepter : {qMakePair(QByteArray("tcp"), Raw), qMakePair(QByteArray("telnet(rfc2217),tcp"), Telnet)})
            File.write("connection: &c" + QByteArray::number(Accepter.second) + "\n  accepter: " + Accepter.first
                       + ",127.0.0.1," + QByteArray::number(Accepter.second) + "\n  connector: serialdev," + Pty.toLocal8Bit()
                       + ",9600n81,local\n  options:\n    kickolduser: true\n");
        File.close();
        Process.start(QStringLiteral("ser2net"),
                      {"-n", "-u", "-c", Config, "-P", Dir.filePath(QStringLiteral("ser2net.pid"))});
    }
    ~Server()
    {
        Process.kill();
        Process.waitForFinished(5000);
    }
    QString Url(bool Rfc2217) const
    {
        return Rfc2217 ? QStringLiteral("rfc2217://127.0.0.1:%1").arg(Telnet)
                       : QStringLiteral("tcp://127.0.0.1:%1?baud=9600").arg(Raw);
    }

    QTemporaryDir Dir;
    QProcess Process;
    quint16 Raw = 0;
    quint16 Telnet = 0;
};

// ser2net listens on both ports.
bool Up(const Server &S)
{
    return QTest::qWaitFor([&] { return Listening(S.Raw) && Listening(S.Telnet); }, 10000);
}

QByteArray Bytes(std::initializer_list<int> List)
{
    QByteArray Out;
    for (const int B : List)
        Out += char(B);
    return Out;
}

} // namespace

class TestNetLines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void throughServer_data();
    void throughServer();
    void frameHoldingFF();
    void probeSetsSpeed();
    void serverStopsMidCommand();
    void refusals();

private:
    QString File(const char *Name) const { return Dir.filePath(QString::fromLatin1(Name)); }

    QTemporaryDir Dir;
};

void TestNetLines::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("ser2net")).isEmpty())
        QSKIP("ser2net is not installed (scripts/setup.sh installs it)");
    QVERIFY(Dir.isValid());
}

void TestNetLines::throughServer_data()
{
    QTest::addColumn<bool>("Rfc2217");
    QTest::newRow("raw") << false;
    QTest::newRow("rfc2217") << true;
}

// A parameter file out, changed, written back with --verify and read again;
// the EID list read whole.
void TestNetLines::throughServer()
{
    QFETCH(bool, Rfc2217);
    Sim Device;
    Server S(Device.Pty);
    QVERIFY(Up(S));
    const QString Port = S.Url(Rfc2217);
    Result R = Ctl({"read", "params", "--port", Port, "-o", File("before.json")});
    QCOMPARE(R.Code, 0);
    QFile Written(File("change.json"));
    QVERIFY(Written.open(QIODevice::WriteOnly));
    Written.write("{\"RfSf\": 11, \"TxTimeout\": 4321}");
    Written.close();
    R = Ctl({"write", "params", "--port", Port, "-i", File("change.json"), "--verify"});
    QCOMPARE(R.Err, QString());
    QCOMPARE(R.Out, QStringLiteral("2 parameters written and committed, verified\n"));
    R = Ctl({"read", "params", "--port", Port});
    QCOMPARE(R.Code, 0);
    QVERIFY2(R.Out.contains(QStringLiteral("\"TxTimeout\": 4321")), qPrintable(R.Out));
    R = Ctl({"read", "eids", "--port", Port, "--csv"});
    QCOMPARE(R.Code, 0);
    QCOMPARE(R.Out.count(QLatin1Char('\n')), 201); // heading and 200 entries
}

// 0xFF in a request's data and CRC, and in the reply read back: doubled on
// the way to the server and undoubled on the way back, or the device sees
// a frame with a bad CRC and the verify reads another value.
void TestNetLines::frameHoldingFF()
{
    const int Register = ParamRegisters::Find(QStringLiteral("RfLeadCode"))->Register;
    int Value = 0;
    for (int V = 0x1FF; V <= 60000 && !Value; V += 0x100) {
        const QByteArray Frame = ModbusRtu::BuildParamWrite(Register, V, 0);
        const quint16 Crc = ModbusCrc16(Frame.left(6));
        if ((Crc & 0xFF) == 0xFF || (Crc >> 8) == 0xFF)
            Value = V;
    }
    QVERIFY(Value);
    Sim Device;
    Server S(Device.Pty);
    QVERIFY(Up(S));
    QFile Written(File("ff.json"));
    QVERIFY(Written.open(QIODevice::WriteOnly));
    Written.write("{\"RfLeadCode\": " + QByteArray::number(Value) + "}");
    Written.close();
    Result R = Ctl({"write", "params", "--port", S.Url(true), "-i", File("ff.json"), "--verify"});
    QCOMPARE(R.Err, QString());
    QCOMPARE(R.Code, 0);
}

// probe sets each speed on the server; the device listens at 19200 only.
void TestNetLines::probeSetsSpeed()
{
    Sim Device({"--device-baud", "19200"});
    Server S(Device.Pty);
    QVERIFY(Up(S));
    const Result R = Ctl({"probe", "--port", S.Url(true)});
    QCOMPARE(R.Err, QString());
    QCOMPARE(R.Out, QStringLiteral("19200 Bd, RS-485 address 17\n"));
}

// The server goes away after the second request of fourteen: the command
// ends naming the transaction, and the output file is not made.
void TestNetLines::serverStopsMidCommand()
{
    Sim Device({"--turnaround", "200"});
    Server S(Device.Pty);
    QVERIFY(Up(S));
    QProcess Program;
    Program.setReadChannel(QProcess::StandardError);
    Program.start(QStringLiteral(KORVELCTL), {"read", "params", "--port", S.Url(false), "-o", File("cut.json"), "-v"});
    QByteArray Log;
    while (Log.count(" > ") < 2 && Program.waitForReadyRead(10000))
        Log += Program.readAll();
    QCOMPARE(Log.count(" > "), 2);
    S.Process.kill();
    QVERIFY(Program.waitForFinished(10000));
    Log += Program.readAll();
    QCOMPARE(Program.exitCode(), 1);
    QVERIFY2(Log.contains("korvelctl: reading ")
                 && Log.contains(QStringLiteral("127.0.0.1:%1 closed the connection\n").arg(S.Raw).toLatin1()),
             Log.constData());
    QVERIFY(!QFile::exists(File("cut.json")));
}

// A port nobody listens on, and a server that will not do COM port control:
// exit 3, named.
void TestNetLines::refusals()
{
    const quint16 Closed = FreePort();
    Result R = Ctl({"read", "params", "--port", QStringLiteral("tcp://127.0.0.1:%1").arg(Closed)});
    QCOMPARE(R.Code, 3);
    QCOMPARE(R.Err, QStringLiteral("korvelctl: 127.0.0.1:%1: cannot connect: Connection refused\n").arg(Closed));

    QTcpServer Refusing;
    QVERIFY(Refusing.listen(QHostAddress::LocalHost, 0));
    QByteArray Heard;
    connect(&Refusing, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *Client = Refusing.nextPendingConnection();
        connect(Client, &QTcpSocket::readyRead, this, [&Heard, Client] { Heard += Client->readAll(); });
        Client->write(Bytes({Rfc2217::Iac, Rfc2217::Dont, Rfc2217::ComPortOption}));
    });
    R = Ctl({"read", "params", "--port", QStringLiteral("rfc2217://127.0.0.1:%1").arg(Refusing.serverPort())});
    QCOMPARE(R.Code, 3);
    QVERIFY2(R.Err.contains(QStringLiteral("refuses COM port control")), qPrintable(R.Err));
    QVERIFY(!Heard.contains(ModbusRtu::BuildParamRead(40003, 0))); // no request went out
}

QTEST_GUILESS_MAIN(TestNetLines)
#include "tst_netlines.moc"
