// The korvel-devsim program on a pty: its command line, an independent
// Modbus master (mbpoll) against it, the state file over a restart, and the
// tool's own MySerialPort::SendAndWait with the framing builders against the
// program and against the device core served in-process by SimPeer.

#include "Expected.h"
#include "DeviceCore.h"
#include "ModbusRtu.h"
#include "MySerialPort.h"
#include "PtyPair.h"
#include "SimPeer.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

const QString DevsimPath = QStringLiteral(KORVEL_DEVSIM);

QByteArray Framed(const QByteArray &Body)
{
    return Expected::WithCrc(Body);
}

// A frame as the simulator's log shows it.
QString Logged(const char *Body)
{
    return QString::fromLatin1(Framed(QByteArray::fromHex(Body)).toHex().toUpper());
}

// The program, started with --pty and the given options.
class Devsim
{
public:
    ~Devsim()
    {
        if (Process.state() != QProcess::NotRunning) {
            ::kill(pid_t(Process.processId()), SIGKILL);
            Process.waitForFinished(5000);
        }
    }

    bool Start(const QStringList &Options)
    {
        Process.setProgram(DevsimPath);
        Process.setArguments(QStringList {QStringLiteral("--pty")} + Options);
        Process.start();
        if (!Process.waitForStarted(5000))
            return false;
        QElapsedTimer Clock;
        Clock.start();
        while (!Process.canReadLine() && Clock.elapsed() < 5000) {
            if (!Process.waitForReadyRead(100) && Process.state() == QProcess::NotRunning)
                break;
        }
        Path = QString::fromLocal8Bit(Process.readLine()).trimmed();
        return Path.startsWith(QLatin1String("/dev/"));
    }

    // Signals the program and waits for it to end; its exit code.
    int Stop(int Signal = SIGTERM)
    {
        ::kill(pid_t(Process.processId()), Signal);
        if (!Process.waitForFinished(5000))
            return -1;
        return Process.exitStatus() == QProcess::NormalExit ? Process.exitCode() : -1;
    }

    // Everything written to stderr so far.
    QString Log()
    {
        Err += QString::fromLocal8Bit(Process.readAllStandardError());
        return Err;
    }

    QProcess Process;
    QString Path;
    QString Err;
};

struct Outcome
{
    int Code = -1;
    QString Out;
};

Outcome RunDevsim(const QStringList &Arguments)
{
    QProcess Process;
    Process.start(DevsimPath, Arguments);
    Outcome Result;
    if (!Process.waitForFinished(5000)) {
        Process.kill();
        Process.waitForFinished(5000);
        return Result;
    }
    Result.Code = Process.exitStatus() == QProcess::NormalExit ? Process.exitCode() : -1;
    Result.Out = QString::fromLocal8Bit(Process.readAllStandardOutput() + Process.readAllStandardError());
    return Result;
}

// mbpoll as RTU master at the device's own address, register numbers as
// given (-0: no base subtracted), one poll.
Outcome Mbpoll(const QString &Path, const QStringList &Options, const QStringList &Values = {},
               const QString &Address = QStringLiteral("17"))
{
    QStringList Arguments {QStringLiteral("-m"), QStringLiteral("rtu"), QStringLiteral("-a"), Address,
                           QStringLiteral("-b"), QStringLiteral("9600"), QStringLiteral("-P"),
                           QStringLiteral("none"), QStringLiteral("-0"), QStringLiteral("-1"),
                           QStringLiteral("-o"), QStringLiteral("0.5")};
    Arguments += Options;
    Arguments += Path;
    if (!Values.isEmpty())
        Arguments += QStringLiteral("--");
    Arguments += Values;
    QProcess Process;
    Process.setProcessChannelMode(QProcess::MergedChannels);
    Process.start(QStringLiteral("mbpoll"), Arguments);
    Outcome Result;
    if (!Process.waitForFinished(10000)) {
        Process.kill();
        Process.waitForFinished(5000);
        return Result;
    }
    Result.Code = Process.exitCode();
    Result.Out = QString::fromLocal8Bit(Process.readAll());
    return Result;
}

bool OpenOn(MySerialPort &Port, const QString &Path)
{
    return Port.OpenPort(Path, 9600, QSerialPort::Data8, QSerialPort::NoParity, QSerialPort::OneStop,
                         QSerialPort::NoFlowControl);
}

QVector<qint32> SomeEids()
{
    QVector<qint32> Eids;
    for (int I = 0; I < 25; ++I)
        Eids.append(I == 0 ? -1 : I == 1 ? qint32(0x80000000u) : 100000 * I + I);
    return Eids;
}

QByteArray EidBlockWrite(int First, const QVector<qint32> &Eids)
{
    QByteArray Frame;
    ModbusRtu::OpenEidBlockWrite(Frame, First);
    for (qint32 Eid : Eids)
        ModbusRtu::AppendEidValue(Frame, Eid);
    ModbusRtu::CloseEidBlockWrite(Frame, Eids.size());
    return Frame;
}

QByteArray EidBlockRead(int First, int Count)
{
    QByteArray Frame;
    ModbusRtu::OpenEidBlockRead(Frame, First);
    ModbusRtu::CloseEidBlockRead(Frame, Count);
    return Frame;
}

} // namespace

class tst_devsim : public QObject
{
    Q_OBJECT

private slots:
    void helpAndVersion();
    void badArguments_data();
    void badArguments();
    void mbpollReadsAndWrites();
    void mbpollSeesStandardExceptions();
    void stateSurvivesRestart();
    void stateFileRefused_data();
    void stateFileRefused();
    void sendAndWaitAgainstProgram();
    void programPlaysFaults();
    void programResyncsAfterGarbage();
    void sendAndWaitAgainstSimPeer();
    void simPeerFaults();
    void simPeerHangUp();
};

void tst_devsim::helpAndVersion()
{
    const Outcome Help = RunDevsim({QStringLiteral("--help")});
    QCOMPARE(Help.Code, 0);
    for (const char *Text : {"--pty", "--port PATH", "--baud N", "--turnaround MS", "--state FILE",
                             "--fault", "-v, --verbose", "--version", "40001..40320", "47001..47400",
                             "one contiguous block", "KIND[=VALUE[,VALUE2]][@N]", "silence", "bad-crc",
                             "short[=K]", "extra[=K]", "chunks[=SIZE[,GAP]]", "slow[=MS]", "wrong-count",
                             "echo-value[=V]", "commit-code[=V]", "exception[=CODE]", "hangup",
                             "40003 ModbusID         = 17"})
        QVERIFY2(Help.Out.contains(QLatin1String(Text)), Text);

    const Outcome Version = RunDevsim({QStringLiteral("--version")});
    QCOMPARE(Version.Code, 0);
    QCOMPARE(Version.Out, QStringLiteral("korvel-devsim " KORVEL_VERSION "\n"));
}

void tst_devsim::badArguments_data()
{
    QTest::addColumn<QStringList>("Arguments");
    QTest::addColumn<QString>("Says");
    QTest::newRow("nothing") << QStringList() << "give either --pty or --port PATH";
    QTest::newRow("both lines") << QStringList {"--pty", "--port", "/dev/null"} << "give either --pty or --port PATH";
    QTest::newRow("unknown option") << QStringList {"--pty", "--speed", "9600"} << "Unknown option 'speed'";
    QTest::newRow("port without path") << QStringList {"--port"} << "Missing value after '--port'";
    QTest::newRow("stray argument") << QStringList {"--pty", "extra"} << "unexpected argument 'extra'";
    QTest::newRow("baud not a number") << QStringList {"--pty", "--baud", "fast"} << "--baud needs a whole number";
    QTest::newRow("baud 0") << QStringList {"--pty", "--baud", "0"} << "--baud needs a whole number";
    QTest::newRow("odd baud on a port") << QStringList {"--port", "/dev/null", "--baud", "12345"}
                                        << "no speed a serial line can be set to";
    QTest::newRow("baud twice") << QStringList {"--pty", "--baud", "9600", "--baud", "4800"}
                                << "--baud given more than once";
    QTest::newRow("negative turnaround") << QStringList {"--pty", "--turnaround", "-1"}
                                         << "--turnaround needs a whole number";
    QTest::newRow("unknown fault") << QStringList {"--pty", "--fault", "noise"} << "unknown fault 'noise'";
    QTest::newRow("bad fault value") << QStringList {"--pty", "--fault", "slow=soon"} << "'soon'";
    QTest::newRow("bad fault count") << QStringList {"--pty", "--fault", "silence@0"} << "request number";
    QTest::newRow("empty state name") << QStringList {"--pty", "--state", ""} << "--state needs a file name";
}

void tst_devsim::badArguments()
{
    QFETCH(QStringList, Arguments);
    QFETCH(QString, Says);
    const Outcome Result = RunDevsim(Arguments);
    QCOMPARE(Result.Code, 2);
    QVERIFY2(Result.Out.startsWith(QLatin1String("korvel-devsim: ")), qPrintable(Result.Out));
    QVERIFY2(Result.Out.contains(Says), qPrintable(Result.Out));
    QVERIFY2(Result.Out.contains(QLatin1String("korvel-devsim --help")), qPrintable(Result.Out));
}

void tst_devsim::mbpollReadsAndWrites()
{
    if (QStandardPaths::findExecutable(QStringLiteral("mbpoll")).isEmpty())
        QSKIP("mbpoll is not installed (Debian package mbpoll); the independent master check cannot run");
    Devsim Device;
    QVERIFY(Device.Start({QStringLiteral("-v")}));

    // Three parameters from 40003 on; on the wire the register is 0x9C43.
    Outcome Run = Mbpoll(Device.Path, {"-t", "4", "-r", "40003", "-c", "3"});
    QCOMPARE(Run.Code, 0);
    QVERIFY2(Run.Out.contains("[40003]: \t17\n[40004]: \t0\n[40005]: \t1\n"), qPrintable(Run.Out));
    QTRY_VERIFY2(Device.Log().contains(QStringLiteral("<- ") + Logged("11 03 9C43 0003") + "  #1 read 40003 count 3"),
                 qPrintable(Device.Log()));
    QVERIFY(Device.Log().contains(QStringLiteral("-> ") + Logged("11 03 06 0011 0000 0001")));

    // One register written (0x06), then two (0x10), then read back.
    Run = Mbpoll(Device.Path, {"-t", "4", "-r", "40302"}, {"433"});
    QCOMPARE(Run.Code, 0);
    QVERIFY2(Run.Out.contains("Written 1 references"), qPrintable(Run.Out));
    QTRY_VERIFY(Device.Log().contains(QStringLiteral("-> ") + Logged("11 06 9D6E 01B1")));
    Run = Mbpoll(Device.Path, {"-t", "4", "-r", "40307"}, {"3000", "600"});
    QCOMPARE(Run.Code, 0);
    QTRY_VERIFY(Device.Log().contains(QStringLiteral("-> ") + Logged("11 10 9D73 0002")));
    Run = Mbpoll(Device.Path, {"-t", "4", "-r", "40302", "-c", "7"});
    QCOMPARE(Run.Code, 0);
    QVERIFY2(Run.Out.contains("[40302]: \t433\n[40303]: \t1\n[40304]: \t9\n[40305]: \t8\n[40306]: \t0\n"
                              "[40307]: \t3000\n[40308]: \t600\n"),
             qPrintable(Run.Out));

    // EIDs as 32-bit numbers, high half in the lower register (-B).
    Run = Mbpoll(Device.Path, {"-t", "4:int", "-B", "-r", "47001"}, {"-2", "123456", "2147483647"});
    QCOMPARE(Run.Code, 0);
    QTRY_VERIFY2(Device.Log().contains(QStringLiteral("<- ") + Logged("11 10 B799 0006 0C FFFFFFFE 0001E240 7FFFFFFF")),
                 qPrintable(Device.Log()));
    Run = Mbpoll(Device.Path, {"-t", "4:int", "-B", "-r", "47001", "-c", "4"});
    QCOMPARE(Run.Code, 0);
    QVERIFY2(Run.Out.contains("[47001]: \t-2\n[47003]: \t123456\n[47005]: \t2147483647\n[47007]: \t0\n"),
             qPrintable(Run.Out));
    // The last EID of the block.
    Run = Mbpoll(Device.Path, {"-t", "4:int", "-B", "-r", "47399"}, {"77"});
    QCOMPARE(Run.Code, 0);
    Run = Mbpoll(Device.Path, {"-t", "4", "-r", "47399", "-c", "2"});
    QVERIFY2(Run.Out.contains("[47399]: \t0\n[47400]: \t77\n"), qPrintable(Run.Out));

    // The commit is a plain write of its code to 40001.
    Run = Mbpoll(Device.Path, {"-t", "4", "-r", "40001"}, {"6"});
    QCOMPARE(Run.Code, 0);
    QTRY_VERIFY(Device.Log().contains(QStringLiteral("<- ") + Logged("11 06 9C41 0006")));
    QVERIFY(Device.Log().contains(QStringLiteral("-> ") + Logged("11 06 9C41 0006")));

    // Another address gets nothing.
    Run = Mbpoll(Device.Path, {"-t", "4", "-r", "40003"}, {}, QStringLiteral("5"));
    QVERIFY(Run.Code != 0);
    QVERIFY2(Run.Out.contains("timed out"), qPrintable(Run.Out));
    QTRY_VERIFY(Device.Log().contains(QStringLiteral("for address 5, not ours (17): ignored")));
    QCOMPARE(Device.Stop(), 0);
}

void tst_devsim::mbpollSeesStandardExceptions()
{
    if (QStandardPaths::findExecutable(QStringLiteral("mbpoll")).isEmpty())
        QSKIP("mbpoll is not installed (Debian package mbpoll); the independent master check cannot run");
    Devsim Device;
    QVERIFY(Device.Start({QStringLiteral("-v")}));

    struct Case
    {
        QStringList Options;
        QStringList Values;
        const char *Message;
        const char *Reply;
    };
    const QList<Case> Cases = {
        {{"-t", "4", "-r", "40321"}, {}, "Illegal data address", "11 83 02"},
        {{"-t", "4", "-r", "40310", "-c", "20"}, {}, "Illegal data address", "11 83 02"},
        {{"-t", "4", "-r", "47000"}, {"1"}, "Illegal data address", "11 86 02"},
        {{"-t", "4", "-r", "47399"}, {"1", "2", "3"}, "Illegal data address", "11 90 02"},
        {{"-t", "4", "-r", "40001"}, {"5"}, "Illegal data value", "11 86 03"},
        {{"-t", "3", "-r", "40003"}, {}, "Illegal function", "11 84 01"},
        {{"-t", "0", "-r", "1"}, {}, "Illegal function", "11 81 01"},
    };
    for (const Case &C : Cases) {
        const Outcome Run = Mbpoll(Device.Path, C.Options, C.Values);
        QVERIFY2(Run.Code != 0, qPrintable(Run.Out));
        QVERIFY2(Run.Out.contains(QLatin1String(C.Message)), qPrintable(Run.Out));
        QTRY_VERIFY2(Device.Log().contains(QStringLiteral("-> ") + Logged(C.Reply)), C.Reply);
    }
    // Nothing of it was stored.
    const Outcome Run = Mbpoll(Device.Path, {"-t", "4", "-r", "47399", "-c", "2"});
    QVERIFY2(Run.Out.contains("[47399]: \t0\n[47400]: \t0\n"), qPrintable(Run.Out));
    QCOMPARE(Device.Stop(), 0);
}

void tst_devsim::stateSurvivesRestart()
{
    QTemporaryDir Dir;
    QVERIFY(Dir.isValid());
    const QString State = Dir.filePath(QStringLiteral("device.json"));
    const QString Eid0 = QStringLiteral("47001");

    {
        Devsim Device;
        QVERIFY(Device.Start({QStringLiteral("--state"), State}));
        MySerialPort Port;
        QVERIFY(OpenOn(Port, Device.Path));
        QVERIFY(ModbusRtu::ParamWriteReplyOk(Port.SendAndWait(ModbusRtu::BuildParamWrite(40302, 433), 8)));
        QVERIFY(ModbusRtu::CommitReplyOk(Port.SendAndWait(ModbusRtu::BuildCommit(6), 8), 6));
        // Kept after the commit already, before the program ends.
        QVERIFY(QFile::exists(State));
        // Not committed: lost at the restart.
        QVERIFY(ModbusRtu::ParamWriteReplyOk(Port.SendAndWait(ModbusRtu::BuildParamWrite(40303, 2), 8)));
        QVERIFY(ModbusRtu::EidWriteReplyOk(Port.SendAndWait(EidBlockWrite(47001, {-5}), 8), 1));
        Port.ClosePort();
        QCOMPARE(Device.Stop(SIGTERM), 0);
    }
    QFile File(State);
    QVERIFY(File.open(QIODevice::ReadOnly));
    const QJsonObject Saved = QJsonDocument::fromJson(File.readAll()).object();
    File.close();
    QCOMPARE(Saved.value("Parameters").toObject().value("40302").toInt(), 433);
    QCOMPARE(Saved.value("Parameters").toObject().value("40303").toInt(), 1);
    QCOMPARE(Saved.value("Eids").toObject().value(Eid0).toInt(), 0);

    {
        Devsim Device;
        QVERIFY(Device.Start({QStringLiteral("--state"), State}));
        MySerialPort Port;
        QVERIFY(OpenOn(Port, Device.Path));
        QByteArray Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7);
        QVERIFY(ModbusRtu::ParamReadReplyOk(Reply));
        QCOMPARE(int(ModbusRtu::ParamReadValue(Reply)), 433);
        Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(40303), 7);
        QCOMPARE(int(ModbusRtu::ParamReadValue(Reply)), 1);
        // EIDs committed this time; SIGINT ends the program as cleanly.
        QVERIFY(ModbusRtu::EidWriteReplyOk(Port.SendAndWait(EidBlockWrite(47001, {-5}), 8), 1));
        QVERIFY(ModbusRtu::CommitReplyOk(Port.SendAndWait(ModbusRtu::BuildCommit(8), 8), 8));
        Port.ClosePort();
        QCOMPARE(Device.Stop(SIGINT), 0);
    }
    QVERIFY(File.open(QIODevice::ReadOnly));
    const QJsonObject Again = QJsonDocument::fromJson(File.readAll()).object();
    QCOMPARE(Again.value("Parameters").toObject().value("40302").toInt(), 433);
    QCOMPARE(Again.value("Eids").toObject().value(Eid0).toInt(), -5);
}

void tst_devsim::stateFileRefused_data()
{
    QTest::addColumn<QString>("Name");
    QTest::addColumn<QByteArray>("Content"); // null: no file
    QTest::addColumn<QString>("Says");
    QTest::newRow("missing folder") << "missing/device.json" << QByteArray() << "cannot be written";
    QTest::newRow("invalid JSON") << "device.json" << QByteArray("{\"Parameters\": {\"40003\": 1") << "not valid JSON";
    QTest::newRow("value out of range") << "device.json" << QByteArray("{\"Parameters\": {\"40003\": 70000}}")
                                        << "40003";
}

void tst_devsim::stateFileRefused()
{
    // Refused before anything is served (no pty path comes first), naming
    // the file, which is left exactly as it was, with nothing beside it.
    QFETCH(QString, Name);
    QFETCH(QByteArray, Content);
    QFETCH(QString, Says);
    QTemporaryDir Dir;
    QVERIFY(Dir.isValid());
    const QString State = Dir.filePath(Name);
    QFile File(State);
    if (!Content.isNull()) {
        QVERIFY(File.open(QIODevice::WriteOnly));
        QCOMPARE(File.write(Content), qint64(Content.size()));
        File.close();
    }
    const Outcome Refused = RunDevsim({QStringLiteral("--pty"), QStringLiteral("--state"), State});
    QCOMPARE(Refused.Code, 2);
    QVERIFY2(Refused.Out.startsWith(QStringLiteral("korvel-devsim: state file %1: ").arg(State)), qPrintable(Refused.Out));
    QVERIFY2(Refused.Out.contains(Says), qPrintable(Refused.Out));
    QCOMPARE(QDir(Dir.path()).entryList(QDir::Files).size(), Content.isNull() ? 0 : 1);
    if (!Content.isNull()) {
        QVERIFY(File.open(QIODevice::ReadOnly));
        QCOMPARE(File.readAll(), Content);
    }
}

void tst_devsim::sendAndWaitAgainstProgram()
{
    // Paced at 9600 baud after the default turnaround, as a real line.
    Devsim Device;
    QVERIFY(Device.Start({QStringLiteral("--baud"), QStringLiteral("9600"), QStringLiteral("-v")}));
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Device.Path));

    // Parameter read.
    QByteArray Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(40003), ModbusRtu::ParamReadReplyLength);
    QCOMPARE(Reply.toHex(), Framed(QByteArray::fromHex("00 03 02 0011")).toHex());
    QVERIFY(ModbusRtu::ParamReadReplyOk(Reply));
    QCOMPARE(int(ModbusRtu::ParamReadValue(Reply)), 17);

    // Parameter write: the echo.
    Reply = Port.SendAndWait(ModbusRtu::BuildParamWrite(40302, 868), ModbusRtu::ParamWriteReplyLength);
    QCOMPARE(Reply, ModbusRtu::BuildParamWrite(40302, 868));
    QVERIFY(ModbusRtu::ParamWriteReplyOk(Reply));
    QCOMPARE(int(ModbusRtu::ParamWriteEchoValue(Reply)), 868);

    // Commit of the parameters.
    Reply = Port.SendAndWait(ModbusRtu::BuildCommit(6), ModbusRtu::CommitReplyLength);
    QCOMPARE(Reply.toHex(), QByteArray("00069c410006765d"));
    QVERIFY(ModbusRtu::CommitReplyOk(Reply, 6));

    // A 25-EID block written at 47051 and read back.
    const QVector<qint32> Eids = SomeEids();
    const QByteArray Write = EidBlockWrite(47051, Eids);
    QCOMPARE(Write.size(), 109);
    Reply = Port.SendAndWait(Write, ModbusRtu::EidWriteReplyLength);
    QCOMPARE(Reply.toHex(), Framed(QByteArray::fromHex("00 10 B7CB 0032")).toHex());
    QVERIFY(ModbusRtu::EidWriteReplyOk(Reply, 25));

    QElapsedTimer Clock;
    Clock.start();
    Reply = Port.SendAndWait(EidBlockRead(47051, 25), ModbusRtu::EidReadReplyLength(25));
    const qint64 Took = Clock.elapsed();
    QCOMPARE(Reply.size(), 105);
    QVERIFY(ModbusRtu::EidReadReplyOk(Reply, 25));
    for (int I = 0; I < 25; ++I)
        QCOMPARE(ModbusRtu::EidReadValue(Reply, I), Eids[I]);
    // 105 bytes at 9600 baud take 109 ms on the line; unpaced, the first
    // 50 ms pause of the wait would already have seen them all.
    QVERIFY2(Took >= 100, qPrintable(QString::number(Took)));

    // The block before it is untouched; the commit of the EIDs.
    Reply = Port.SendAndWait(EidBlockRead(47001, 25), ModbusRtu::EidReadReplyLength(25));
    QVERIFY(ModbusRtu::EidReadReplyOk(Reply, 25));
    QCOMPARE(ModbusRtu::EidReadValue(Reply, 24), 0);
    Reply = Port.SendAndWait(ModbusRtu::BuildCommit(8), ModbusRtu::CommitReplyLength);
    QCOMPARE(Reply.toHex(), QByteArray("00069c410008f799"));
    QVERIFY(ModbusRtu::CommitReplyOk(Reply, 8));

    Port.ClosePort();
    QCOMPARE(Device.Stop(), 0);
    const QString Log = Device.Log();
    QVERIFY2(Log.contains(QStringLiteral("<- 00039C4300015A5F  #1 read 40003 count 1")), qPrintable(Log));
    QVERIFY(Log.contains(QStringLiteral("<- 00069C410006765D  #3 commit parameters (6)")));
    QVERIFY(Log.contains(QStringLiteral("<- 00069C410008F799  #7 commit EIDs (8)")));
    // Every log line starts with a time stamp.
    const QRegularExpression Stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d (<-|->) [0-9A-F]+"));
    int Frames = 0;
    for (const QString &Line : Log.split(QLatin1Char('\n'))) {
        if (Line.contains(QLatin1String(" <- ")) || Line.contains(QLatin1String(" -> "))) {
            QVERIFY2(Stamp.match(Line).hasMatch(), qPrintable(Line));
            ++Frames;
        }
    }
    QCOMPARE(Frames, 14);
}

void tst_devsim::programPlaysFaults()
{
    Devsim Device;
    QVERIFY(Device.Start({"-v", "--fault", "chunks=2,30@1", "--fault", "bad-crc@2", "--fault", "commit-code@3",
                          "--fault", "hangup@4"}));
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Device.Path));

    // 1: in four pieces 30 ms apart, collected whole by the wait.
    QByteArray Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7);
    QCOMPARE(Reply.toHex(), QByteArray("00030201d6058a"));
    // 2: the CRC fails the residue test.
    Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7);
    QCOMPARE(Reply.size(), 7);
    QVERIFY(!ModbusRtu::ParamReadReplyOk(Reply));
    // 3: the commit is echoed with another code.
    Reply = Port.SendAndWait(ModbusRtu::BuildCommit(6), 8);
    QCOMPARE(Reply.size(), 8);
    QVERIFY(!ModbusRtu::CommitReplyOk(Reply, 6));
    QCOMPARE(int(ModbusRtu::ParamWriteEchoValue(Reply)), 0);
    // 4: the line is hung up: nothing comes, and the program ends.
    Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7);
    QVERIFY(Reply.isEmpty());
    QTRY_COMPARE(Device.Process.state(), QProcess::NotRunning);
    QCOMPARE(Device.Process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(Device.Process.exitCode(), 0);
    const QString Log = Device.Log();
    QVERIFY2(Log.contains(QStringLiteral("-> 0003  chunk 1/4")), qPrintable(Log));
    QVERIFY(Log.contains(QStringLiteral("-> 8A  chunk 4/4")));
    QVERIFY(Log.contains(QStringLiteral("fault: bad-crc@2")));
    QVERIFY(Log.contains(QStringLiteral("-> 00069C410000")));
    QVERIFY(Log.contains(QStringLiteral("-- line hung up")));
}

void tst_devsim::programResyncsAfterGarbage()
{
    Devsim Device;
    QVERIFY(Device.Start({QStringLiteral("-v")}));
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Device.Path));
    const QByteArray Garbage = QByteArray::fromHex("FF00039C43");
    const QByteArray Reply = Port.SendAndWait(Garbage + ModbusRtu::BuildParamRead(40003), 7);
    QCOMPARE(Reply.toHex(), Framed(QByteArray::fromHex("00 03 02 0011")).toHex());
    // A frame with a bad CRC is dropped without a reply; the next is answered.
    QByteArray Broken = ModbusRtu::BuildParamWrite(40302, 433);
    Broken[7] = char(Broken[7] ^ 0x40);
    QVERIFY(Port.SendData(Broken));
    const QByteArray Next = Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7);
    QCOMPARE(Next.toHex(), QByteArray("00030201d6058a"));
    Port.ClosePort();
    QCOMPARE(Device.Stop(), 0);
    const QString Log = Device.Log();
    QVERIFY2(Log.contains(QStringLiteral("dropped: ")), qPrintable(Log));
    QVERIFY2(Log.contains(QStringLiteral("dropped: bad CRC, no reply")), qPrintable(Log));
    QVERIFY(Log.contains(QStringLiteral("#2 read 40302 count 1")));
}

void tst_devsim::sendAndWaitAgainstSimPeer()
{
    PtyPair Pair;
    QVERIFY(Pair.IsOpen());
    SimPeer Device(Pair);
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair.SlavePath()));

    QByteArray Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(40304), 7);
    QVERIFY(ModbusRtu::ParamReadReplyOk(Reply));
    QCOMPARE(int(ModbusRtu::ParamReadValue(Reply)), 9);
    Reply = Port.SendAndWait(ModbusRtu::BuildParamWrite(40304, 12), 8);
    QVERIFY(ModbusRtu::ParamWriteReplyOk(Reply));
    QCOMPARE(int(ModbusRtu::ParamWriteEchoValue(Reply)), 12);
    QCOMPARE(int(Device.Core().Register(40304, DeviceCore::Committed)), 9);
    QVERIFY(ModbusRtu::CommitReplyOk(Port.SendAndWait(ModbusRtu::BuildCommit(6), 8), 6));
    QCOMPARE(int(Device.Core().Register(40304, DeviceCore::Committed)), 12);

    const QVector<qint32> Eids = SomeEids();
    QVERIFY(ModbusRtu::EidWriteReplyOk(Port.SendAndWait(EidBlockWrite(47351, Eids), 8), 25));
    Reply = Port.SendAndWait(EidBlockRead(47351, 25), ModbusRtu::EidReadReplyLength(25));
    QVERIFY(ModbusRtu::EidReadReplyOk(Reply, 25));
    for (int I = 0; I < 25; ++I) {
        QCOMPARE(ModbusRtu::EidReadValue(Reply, I), Eids[I]);
        QCOMPARE(Device.Core().Eid(175 + I), Eids[I]);
        QCOMPARE(Device.Core().Eid(175 + I, DeviceCore::Committed), 0);
    }
    QVERIFY(ModbusRtu::CommitReplyOk(Port.SendAndWait(ModbusRtu::BuildCommit(8), 8), 8));
    QCOMPARE(Device.Core().Eid(199, DeviceCore::Committed), Eids[24]);

    // What the device saw, byte for byte.
    QVERIFY(Device.Peer().Received().startsWith(Framed(QByteArray::fromHex("00039D700001"))));
    QCOMPARE(Device.Core().Transactions(), 6);
    QCOMPARE(Device.Replies().size(), 6);
}

void tst_devsim::simPeerFaults()
{
    PtyPair Pair;
    SimPeer Device(Pair);
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair.SlavePath()));
    auto Add = [&](const char *Text) {
        DeviceFault Fault;
        QVERIFY(DeviceFault::Parse(QString::fromLatin1(Text), Fault, nullptr));
        Device.Core().AddFault(Fault);
    };
    Add("chunks=3,40@1");
    Add("echo-value=433@2");
    Add("wrong-count@3");
    Add("short@4");
    Add("extra=2@5");
    Add("exception@6");
    Add("slow=1600@7");

    // 1: three pieces 40 ms apart, still one reply within the wait.
    QElapsedTimer Clock;
    Clock.start();
    QByteArray Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7);
    QVERIFY(ModbusRtu::ParamReadReplyOk(Reply));
    QVERIFY(Clock.elapsed() >= 80);
    // 2: the echo carries another value, which is the one reported.
    Reply = Port.SendAndWait(ModbusRtu::BuildParamWrite(40302, 470), 8);
    QVERIFY(ModbusRtu::ParamWriteReplyOk(Reply));
    QCOMPARE(int(ModbusRtu::ParamWriteEchoValue(Reply)), 433);
    QCOMPARE(int(Device.Core().Register(40302)), 470);
    // 3: a block reply with the wrong byte count.
    Reply = Port.SendAndWait(EidBlockRead(47001, 25), ModbusRtu::EidReadReplyLength(25));
    QCOMPARE(Reply.size(), 105);
    QVERIFY(!ModbusRtu::EidReadReplyOk(Reply, 25));
    // 4 to 6 would each cost the full wait of SendAndWait, so the bytes are
    // watched arriving instead.
    // 4: one byte short.
    Port.ExpectedLength = 7;
    QVERIFY(Port.SendData(ModbusRtu::BuildParamRead(40302)));
    QTRY_COMPARE(Port.RecvBuffer.toHex(), QByteArray("00030201d605"));
    QVERIFY(!ModbusRtu::ParamReadReplyOk(Port.RecvBuffer));
    // 5: two bytes too many.
    Port.ExpectedLength = 8;
    QVERIFY(Port.SendData(ModbusRtu::BuildCommit(6)));
    QTRY_COMPARE(Port.RecvBuffer.toHex(), (ModbusRtu::BuildCommit(6) + "\xFF\xFF").toHex());
    QVERIFY(!ModbusRtu::CommitReplyOk(Port.RecvBuffer, 6));
    // 6: an exception reply fails the length test.
    Port.ExpectedLength = 7;
    QVERIFY(Port.SendData(ModbusRtu::BuildParamRead(40302)));
    QTRY_COMPARE(Port.RecvBuffer.toHex(), Framed(QByteArray::fromHex("00 83 04")).toHex());
    QVERIFY(!ModbusRtu::ParamReadReplyOk(Port.RecvBuffer));
    // 7: later than the wait of 30 x 50 ms.
    Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7);
    QVERIFY(Reply.isEmpty());
    QTRY_COMPARE(Port.RecvBuffer.size(), 7);
}

void tst_devsim::simPeerHangUp()
{
    PtyPair Pair;
    SimPeer Device(Pair);
    DeviceFault Fault;
    QVERIFY(DeviceFault::Parse(QStringLiteral("hangup@2"), Fault, nullptr));
    Device.Core().AddFault(Fault);
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair.SlavePath()));
    QVERIFY(ModbusRtu::ParamReadReplyOk(Port.SendAndWait(ModbusRtu::BuildParamRead(40003), 7)));
    QVERIFY(Port.SendData(ModbusRtu::BuildParamWrite(40302, 433)));
    // The line goes: the port notices and closes, and the write was not carried out.
    QTRY_VERIFY(!Pair.IsOpen());
    QTRY_VERIFY(!Port.isOpen());
    QCOMPARE(int(Device.Core().Register(40302)), 470);
    QVERIFY(Device.Replies().last().HangUp);
}

QTEST_GUILESS_MAIN(tst_devsim)
#include "tst_devsim.moc"
