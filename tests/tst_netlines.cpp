// korvelctl through a serial device server: ser2net on the loopback in
// front of the korvel-devsim program's pty, once passing the bytes as they
// are (tcp://) and once as Telnet with COM port control (rfc2217://); the
// Telnet codec on its own; the --port texts refused before anything is sent.

#include "CtlRun.h"
#include "Korvelctl.h"
#include "NetServers.h"
#include "ModbusRtu.h"
#include "ParamRegisters.h"
#include "Rfc2217.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

namespace {

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

// ser2net serving that pty on two free loopback ports, raw and RFC 2217.
struct Server : NetServers::Ser2net
{
    explicit Server(const QString &Pty, int Baud = 9600) { Error = Start(Pty, Baud, Raw | Rfc2217); }
    QString Url(bool Telnet) const
    {
        return Telnet ? QStringLiteral("rfc2217://127.0.0.1:%1").arg(TelnetPort)
                      : QStringLiteral("tcp://127.0.0.1:%1?baud=9600").arg(RawPort);
    }

    QString Error;
};

// The Modbus TCP gateway in front of a pty, with the wait it gives each
// unit on the bus.
struct Gateway : NetServers::ModbusGateway
{
    explicit Gateway(const QString &Pty, int WaitMs = 300)
    {
#ifdef KORVEL_GATEWAY
        Start(QStringLiteral(KORVEL_GATEWAY), Pty, 9600, WaitMs);
#else
        Start(QString(), Pty, 9600, WaitMs);
#endif
    }
    QString Url() const { return QStringLiteral("modbus-tcp://127.0.0.1:%1").arg(Port); }
};

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
    void fixedSpeed_data();
    void fixedSpeed();
    void throughGateway();
    void gatewayBus();
    void gatewayStaleReply();

private:
    QString File(const char *Name) const { return Dir.filePath(QString::fromLatin1(Name)); }

    QTemporaryDir Dir;
};

void TestNetLines::initTestCase()
{
    if (!NetServers::Ser2net::Installed())
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
    QVERIFY2(S.Error.isEmpty(), qPrintable(S.Error));
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
    QVERIFY2(S.Error.isEmpty(), qPrintable(S.Error));
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
    QVERIFY2(S.Error.isEmpty(), qPrintable(S.Error));
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
    QVERIFY2(S.Error.isEmpty(), qPrintable(S.Error));
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
                 && Log.contains(QStringLiteral("127.0.0.1:%1 closed the connection\n").arg(S.RawPort).toLatin1()),
             Log.constData());
    QVERIFY(!QFile::exists(File("cut.json")));
}

// A port nobody listens on, and a server that will not do COM port control:
// exit 3, named.
void TestNetLines::refusals()
{
    const quint16 Closed = NetServers::FreePort();
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

// Over a raw server the line's speed is the server's: a BaudRate the radio
// has already is no change, another is never followed by a port fault.
void TestNetLines::fixedSpeed_data()
{
    QTest::addColumn<QString>("Query");     // ?baud=N or nothing
    QTest::addColumn<QByteArray>("Values"); // the parameter file
    QTest::addColumn<QStringList>("Options");
    QTest::addColumn<int>("Code");
    QTest::addColumn<QString>("Said"); // a part of stdout, or of stderr on a failure
    QTest::addColumn<int>("Power"); // RfTxPower after, read at the old speed; -1: as before; 0: the radio has left it

    const QByteArray Same = "{\"RfTxPower\": 7, \"BaudRate\": 2}";
    const QByteArray Faster = "{\"RfTxPower\": 7, \"BaudRate\": 5}";
    QTest::newRow("its speed, told") << "?baud=19200" << Same << QStringList {"--verify"} << 0
                                     << "2 parameters written and committed, verified" << 7;
    QTest::newRow("its speed, read") << "" << Same << QStringList {"--verify"} << 0
                                     << "2 parameters written and committed, verified" << 7;
    QTest::newRow("another speed, verified") << "?baud=19200" << Faster << QStringList {"--verify"} << 2
        << "BaudRate 115200 Bd would take the radio off the server's speed, 19200 Bd" << -1;
    QTest::newRow("another speed") << "" << Faster << QStringList() << 0
        << "to 115200 Bd before the radio can be reached again" << 0;
}

void TestNetLines::fixedSpeed()
{
    QFETCH(QString, Query);
    QFETCH(QByteArray, Values);
    QFETCH(QStringList, Options);
    QFETCH(int, Code);
    QFETCH(QString, Said);
    QFETCH(int, Power);
    QFile::remove(File("fixed.state")); // each row a radio fresh from the factory
    Sim Device({"--device-baud", "19200", "--devices", "5", "--state", File("fixed.state")});
    Server S(Device.Pty, 19200);
    QVERIFY2(S.Error.isEmpty(), qPrintable(S.Error));
    const QString Port = QStringLiteral("tcp://127.0.0.1:%1").arg(S.RawPort) + Query;
    // The backup every installer keeps goes back as it came.
    Result R = Ctl({"read", "params", "--port", Port, "--address", "5", "-o", File("p.json")});
    QCOMPARE(R.Code, 0);
    R = Ctl({"write", "params", "--port", Port, "--address", "5", "-i", File("p.json"), "--verify"});
    QVERIFY2(R.Code == 0, qPrintable(R.Err));
    QFile Backup(File("p.json"));
    QVERIFY(Backup.open(QIODevice::ReadOnly));
    if (Power < 0)
        Power = QJsonDocument::fromJson(Backup.readAll()).object().value("RfTxPower").toInt();
    QFile Written(File("values.json"));
    QVERIFY(Written.open(QIODevice::WriteOnly));
    Written.write(Values);
    Written.close();
    R = Ctl(QStringList {"write", "params", "--port", Port, "--address", "5", "-i", File("values.json")} + Options);
    QVERIFY2(R.Code == Code && (Code ? R.Err : R.Out).contains(Said), qPrintable(R.Err + R.Out));
    // What the radio holds now, read at the speed it had.
    R = Ctl({"read", "params", "--port", Port, "--address", "5", "--wait", "300"});
    if (!Power)
        QCOMPARE(R.Err, QStringLiteral("korvelctl: reading ModbusID (register 40003): no reply within 0.3 s\n"));
    else
        QVERIFY2(R.Out.contains(QStringLiteral("\"RfTxPower\": %1,").arg(Power)), qPrintable(R.Out + R.Err));
}

// Through a real Modbus TCP server (libmodbus) in front of the simulator:
// parameters read and written back verified, EIDs whose bytes are 0xFF.
void TestNetLines::throughGateway()
{
#ifndef KORVEL_GATEWAY
    QSKIP("libmodbus is not installed (scripts/setup.sh installs it)");
#endif
    Sim Device;
    Gateway G(Device.Pty);
    QVERIFY(G.Port);
    Result R = Ctl({"read", "params", "--port", G.Url(), "--address", "17", "-o", File("gw.json")});
    QCOMPARE(R.Err, QString());
    R = Ctl({"write", "params", "--port", G.Url(), "--address", "17", "-i", File("gw.json"), "--verify"});
    QCOMPARE(R.Err, QString());
    QCOMPARE(R.Code, 0);
    QFile List(File("ff.txt"));
    QVERIFY(List.open(QIODevice::WriteOnly));
    List.write("-1\n4294967294\n16777215\n");
    List.close();
    R = Ctl({"write", "eids", "--port", G.Url(), "--address", "17", "-i", File("ff.txt"), "--out-of-range", "--verify"});
    QCOMPARE(R.Err, QString());
    R = Ctl({"read", "eids", "--port", G.Url(), "--address", "17"});
    QVERIFY2(R.Out.startsWith(QStringLiteral("-1\n4294967294\n16777215\n0\n")), qPrintable(R.Out));
    // A unit that is silent on the bus: the gateway's own exception, named.
    R = Ctl({"read", "params", "--port", G.Url(), "--address", "9"});
    QCOMPARE(R.Code, 1);
    QCOMPARE(R.Err, QStringLiteral("korvelctl: reading ModbusID (register 40003): Modbus exception 0x0B (the "
                                   "gateway's target did not answer)\n"));
}

// Three radios with a gap, scanned through the gateway: the gap and the
// addresses after the last are the gateway's 0x0B, no fault on the bus.
void TestNetLines::gatewayBus()
{
#ifndef KORVEL_GATEWAY
    QSKIP("libmodbus is not installed (scripts/setup.sh installs it)");
#endif
    Sim Device({"--devices", "3,4,6"});
    Gateway G(Device.Pty, 100);
    QVERIFY(G.Port);
    const Result R = Ctl({"scan", "--port", G.Url(), "--from", "2", "--to", "8", "--json"});
    QCOMPARE(R.Code, 0);
    QCOMPARE(R.Err, QString());
    const QJsonObject Json = QJsonDocument::fromJson(R.Out.toUtf8()).object();
    QJsonArray Found;
    for (const int Address : {3, 4, 6})
        Found << QJsonObject {{"address", Address}, {"ModbusID", Address}};
    QCOMPARE(Json.value("devices").toArray(), Found);
    QCOMPARE(Json.value("faults").toArray(), QJsonArray());
}

// A unit slower than korvelctl's wait: its reply comes back through the
// gateway after the request was sent again, with the first request's
// transaction identifier, and is dropped, named in the trace; the second
// reply is taken.
void TestNetLines::gatewayStaleReply()
{
#ifndef KORVEL_GATEWAY
    QSKIP("libmodbus is not installed (scripts/setup.sh installs it)");
#endif
    Sim Device({"--fault", "slow=250@1"});
    Gateway G(Device.Pty, 1000);
    QVERIFY(G.Port);
    QProcess Program;
    Program.start(QStringLiteral(KORVELCTL), {"diff", "params", "--port", G.Url(), "--address", "17", "--wait", "150",
                                              "--retries", "1", "-i", File("gw-one.json"), "-v"});
    QFile One(File("gw-one.json"));
    QVERIFY(One.open(QIODevice::WriteOnly));
    One.write("{\"ModbusID\": 17}");
    One.close();
    QVERIFY(Program.waitForFinished(10000));
    const QString Err = QString::fromLocal8Bit(Program.readAllStandardError());
    QVERIFY2(Program.exitCode() == 0, qPrintable(Err));
    QVERIFY2(Err.contains(QStringLiteral("(a late reply to request 1 dropped: not this request's (2))")),
             qPrintable(Err));
    // Both requests went out with their own identifiers, the header shown.
    QVERIFY2(Err.contains(QStringLiteral(" > 00 01 00 00 00 06 11 03 9C 43 00 01\n"))
                 && Err.contains(QStringLiteral(" > 00 02 00 00 00 06 11 03 9C 43 00 01\n")),
             qPrintable(Err));
}

QTEST_GUILESS_MAIN(TestNetLines)
#include "tst_netlines.moc"
