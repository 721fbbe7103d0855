// The korvel-devsim program on a pty is a faithful device: an independent
// Modbus master (mbpoll) reads and writes it and sees standard exceptions;
// it plays faults on the line and finds the next request after noise; it
// takes a committed address and speed over as a unit does; its committed
// state survives a restart.

#include "DeviceCore.h"
#include "Expected.h"
#include "LocaleRun.h"
#include "ModbusRtu.h"
#include "MySerialPort.h"
#include "ReplyCheck.h"

#include <QFile>
#include <QJsonArray>
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

// A frame as the simulator's log shows it: direction, then the bytes with
// their CRC in spaced hex.
QString Logged(char Direction, const char *Body)
{
    return QStringLiteral("%1 %2").arg(QLatin1Char(Direction)).arg(QString::fromLatin1(Expected::Crc(Body).toHex(' ').toUpper()));
}

// Whether the log holds Text as a whole line after its time stamp.
bool Traced(const QString &Log, const QString &Text)
{
    const QRegularExpression Line(QStringLiteral("^\\d+\\.\\d{3} ") + QRegularExpression::escape(Text) + QStringLiteral("$"),
                                  QRegularExpression::MultilineOption);
    return Line.match(Log).hasMatch();
}

// The tool's verdict on Reply to Request, a frame of ModbusRtu's: the
// transaction read back from the request, checked as korvelctl checks a
// device at the request's address.
bool Taken(const QByteArray &Request, const QByteArray &Reply)
{
    using ModbusRtu::WordAt;
    using Kind = Transaction::Kind;
    Transaction Where;
    Where.Register = int(WordAt(Request, 2));
    const int Word = int(WordAt(Request, 4));
    const bool Command = Where.Register == ModbusRtu::CommandRegister;
    switch (ModbusRtu::ByteAt(Request, 1)) {
    case ModbusRtu::FuncReadHolding: Where.What = Word == 1 ? Kind::ParamRead : Kind::EidRead; break;
    case ModbusRtu::FuncWriteSingle: Where.What = Command ? Kind::Commit : Kind::ParamWrite; break;
    default: Where.What = Kind::EidWrite; break;
    }
    Where.Count = Where.What == Kind::Commit ? Word : qMax(1, Word / 2);
    Where.Value = Word;
    return !ReplyCheck::Check(Reply, Where, quint8(Request.at(0))).Failed();
}

// A write or a commit sent, and its reply of 8 bytes taken.
bool Answered(MySerialPort &Port, const QByteArray &Request)
{
    return Taken(Request, Port.SendAndWait(Request, 8));
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
        Process.start(DevsimPath, QStringList{QStringLiteral("--pty")} + Options);
        QElapsedTimer Clock;
        Clock.start();
        while (Process.waitForStarted(5000) && !Process.canReadLine() && Clock.elapsed() < 5000) {
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

    bool Open(MySerialPort &Port)
    {
        return Port.OpenPort(Path, 9600, QSerialPort::Data8, QSerialPort::NoParity, QSerialPort::OneStop,
                             QSerialPort::NoFlowControl);
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

// The program run to its end, for what it refuses before serving.
Outcome RunDevsim(const QStringList &Arguments)
{
    QProcess Process;
    Process.setProcessChannelMode(QProcess::MergedChannels);
    Process.start(DevsimPath, Arguments);
    Outcome Result;
    if (!Process.waitForFinished(5000)) {
        Process.kill();
        Process.waitForFinished(5000);
        return Result;
    }
    Result.Code = Process.exitStatus() == QProcess::NormalExit ? Process.exitCode() : -1;
    Result.Out = QString::fromLocal8Bit(Process.readAll());
    return Result;
}

// mbpoll as RTU master at the device's own address, register numbers as
// given (-0: no base subtracted), one poll.
Outcome Mbpoll(const QString &Path, const QStringList &Options, const QStringList &Values = {})
{
    QStringList Arguments{"-m", "rtu", "-a", "17", "-b", "9600", "-P", "none", "-0", "-1", "-o", "0.5"};
    Arguments << Options << Path;
    if (!Values.isEmpty())
        Arguments << QStringLiteral("--") << Values;
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

// A one-register read sent to Address.
QByteArray ReadAt(int Address, int Register)
{
    QByteArray Body = Expected::Frame(0x03, Register, 1).left(6);
    Body[0] = char(Address);
    return Expected::WithCrc(Body);
}

bool OpenAt(MySerialPort &Port, const QString &Path, qint32 Baud)
{
    return Port.OpenPort(Path, Baud, QSerialPort::Data8, QSerialPort::NoParity, QSerialPort::OneStop,
                         QSerialPort::NoFlowControl);
}

QByteArray ReadBytes(const QString &Path)
{
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

QJsonObject ReadState(const QString &Path)
{
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(File.readAll()).object() : QJsonObject();
}

} // namespace

class tst_devsim : public QObject
{
    Q_OBJECT

private slots:
    void mbpollReadsAndWrites();
    void mbpollSeesStandardExceptions();
    void programPlaysFaults();
    void stateSurvivesRestart();
    void stateFileRefused_data();
    void stateFileRefused();
    void listensAtItsSpeedOnly();
    void takesAddressOverAtCommit();
    void takesSpeedOverAtCommit_data();
    void takesSpeedOverAtCommit();
    void devicesShareTheLine();
    void busKeepsEachDevicesState();
    void speaksTheOperatorsLanguage();
};

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
    QTRY_VERIFY2(Traced(Device.Log(), Logged('<', "11 03 9C43 0003")), qPrintable(Device.Log()));
    // One register written (0x06), then two (0x10), then read back.
    QCOMPARE(Mbpoll(Device.Path, {"-t", "4", "-r", "40302"}, {"433"}).Code, 0);
    QCOMPARE(Mbpoll(Device.Path, {"-t", "4", "-r", "40307"}, {"3000", "600"}).Code, 0);
    Run = Mbpoll(Device.Path, {"-t", "4", "-r", "40302", "-c", "7"});
    QVERIFY2(Run.Out.contains("[40302]: \t433\n[40303]: \t1\n[40304]: \t9\n[40305]: \t8\n[40306]: \t0\n"
                              "[40307]: \t3000\n[40308]: \t600\n"),
             qPrintable(Run.Out));
    // EIDs as 32-bit numbers, high half in the lower register (-B).
    QCOMPARE(Mbpoll(Device.Path, {"-t", "4:int", "-B", "-r", "47001"}, {"-2", "123456", "2147483647"}).Code, 0);
    QTRY_VERIFY2(Traced(Device.Log(), Logged('<', "11 10 B799 0006 0C FFFFFFFE 0001E240 7FFFFFFF")),
                 qPrintable(Device.Log()));
    Run = Mbpoll(Device.Path, {"-t", "4:int", "-B", "-r", "47001", "-c", "4"});
    QVERIFY2(Run.Out.contains("[47001]: \t-2\n[47003]: \t123456\n[47005]: \t2147483647\n[47007]: \t0\n"),
             qPrintable(Run.Out));
    // The commit is a plain write of its code to 40001.
    QCOMPARE(Mbpoll(Device.Path, {"-t", "4", "-r", "40001"}, {"6"}).Code, 0);
    QTRY_VERIFY(Traced(Device.Log(), Logged('>', "11 06 9C41 0006")));
    QCOMPARE(Device.Stop(), 0);
}

void tst_devsim::mbpollSeesStandardExceptions()
{
    if (QStandardPaths::findExecutable(QStringLiteral("mbpoll")).isEmpty())
        QSKIP("mbpoll is not installed (Debian package mbpoll); the independent master check cannot run");
    Devsim Device;
    QVERIFY(Device.Start({QStringLiteral("-v")}));
    const struct {
        QStringList Options;
        QStringList Values;
        const char *Message;
        const char *Reply;
    } Cases[] = {
        {{"-t", "4", "-r", "40310", "-c", "20"}, {}, "Illegal data address", "11 83 02"},
        {{"-t", "4", "-r", "47399"}, {"1", "2", "3"}, "Illegal data address", "11 90 02"},
        {{"-t", "4", "-r", "40001"}, {"5"}, "Illegal data value", "11 86 03"},
        {{"-t", "3", "-r", "40003"}, {}, "Illegal function", "11 84 01"},
    };
    for (const auto &C : Cases) {
        const Outcome Run = Mbpoll(Device.Path, C.Options, C.Values);
        QVERIFY2(Run.Code != 0 && Run.Out.contains(QLatin1String(C.Message)), qPrintable(Run.Out));
        QTRY_VERIFY2(Traced(Device.Log(), Logged('>', C.Reply)), C.Reply);
    }
    // Nothing of it was stored.
    const Outcome Run = Mbpoll(Device.Path, {"-t", "4", "-r", "47399", "-c", "2"});
    QVERIFY2(Run.Out.contains("[47399]: \t0\n[47400]: \t0\n"), qPrintable(Run.Out));
    QCOMPARE(Device.Stop(), 0);
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

void tst_devsim::programPlaysFaults()
{
    Devsim Device;
    QVERIFY(Device.Start({"-v", "--fault", "chunks=2,30@1", "--fault", "bad-crc@2", "--fault", "commit-code@3",
                          "--fault", "hangup@5"}));
    MySerialPort Port;
    QVERIFY(Device.Open(Port));
    const QByteArray ReplyRf = QByteArray::fromHex("00030201D6058A");
    // 1: in four pieces 30 ms apart, collected whole by the wait.
    QCOMPARE(Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7), ReplyRf);
    // 2: the CRC fails the residue test.
    QByteArray Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7);
    QCOMPARE(Reply.size(), 7);
    QVERIFY(!Taken(ModbusRtu::BuildParamRead(40302), Reply));
    // 3: the commit is echoed with another code.
    QVERIFY(!Answered(Port, ModbusRtu::BuildCommit(6)));
    // 4: noise and a frame with a bad CRC are dropped; the request after them is answered.
    QByteArray Broken = ModbusRtu::BuildParamWrite(40302, 433);
    Broken[7] = char(Broken[7] ^ 0x40);
    QCOMPARE(Port.SendAndWait(QByteArray::fromHex("FF00039C43") + Broken + ModbusRtu::BuildParamRead(40302), 7),
             ReplyRf);
    // 5: the line is hung up: nothing comes, and the program ends.
    QVERIFY(Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7).isEmpty());
    QTRY_COMPARE(Device.Process.state(), QProcess::NotRunning);
    QCOMPARE(Device.Process.exitCode(), 0);
    const QString Log = Device.Log();
    // The reply sent in pieces is one frame of the log.
    QVERIFY2(Traced(Log, Logged('<', "00 03 9D6E 0001") + " (fault: chunks=2,30@1)"), qPrintable(Log));
    QVERIFY(Traced(Log, Logged('>', "00 03 02 01D6")));
    QVERIFY(Log.contains(QStringLiteral(" (fault: bad-crc@2)\n")));
    QVERIFY(Log.contains(QStringLiteral(" < FF 00 03 9C 43 ")) && Log.contains(QStringLiteral(" (dropped: ")));
    QVERIFY(Log.contains(QStringLiteral(" (fault: hangup@5)\n")));
}

void tst_devsim::stateSurvivesRestart()
{
    QTemporaryDir Dir;
    const QString State = Dir.filePath(QStringLiteral("device.json"));
    const QByteArray EidWrite = ModbusRtu::BuildEidWrite(47001, {-5});
    {
        Devsim Device;
        QVERIFY(Device.Start({QStringLiteral("--state"), State}));
        MySerialPort Port;
        QVERIFY(Device.Open(Port));
        QVERIFY(Answered(Port, ModbusRtu::BuildParamWrite(40302, 433)));
        QVERIFY(Answered(Port, ModbusRtu::BuildCommit(6)));
        // Kept after the commit already, before the program ends.
        QCOMPARE(ReadState(State).value("Parameters").toObject().value("40302").toInt(), 433);
        // Not committed: lost at the restart.
        QVERIFY(Answered(Port, ModbusRtu::BuildParamWrite(40303, 2)));
        QVERIFY(Answered(Port, EidWrite));
        Port.ClosePort();
        QCOMPARE(Device.Stop(SIGTERM), 0);
    }
    QCOMPARE(ReadState(State).value("Parameters").toObject().value("40303").toInt(), 1);
    {
        Devsim Device;
        QVERIFY(Device.Start({QStringLiteral("--state"), State}));
        MySerialPort Port;
        QVERIFY(Device.Open(Port));
        QCOMPARE(int(ModbusRtu::ParamReadValue(Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7))), 433);
        QCOMPARE(int(ModbusRtu::ParamReadValue(Port.SendAndWait(ModbusRtu::BuildParamRead(40303), 7))), 1);
        QVERIFY(Answered(Port, EidWrite));
        QVERIFY(Answered(Port, ModbusRtu::BuildCommit(8)));
        Port.ClosePort();
        QCOMPARE(Device.Stop(SIGINT), 0);
    }
    QCOMPARE(ReadState(State).value("Eids").toObject().value("47001").toInt(), -5);
}

void tst_devsim::listensAtItsSpeedOnly()
{
    // The speed is the one the tool set on its end of the pty.
    Devsim Device;
    QVERIFY(Device.Start({QStringLiteral("--device-baud"), QStringLiteral("19200")}));
    MySerialPort Port;
    QVERIFY(OpenAt(Port, Device.Path, 9600));
    QVERIFY(Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7).isEmpty());
    Port.ClosePort();
    QVERIFY(OpenAt(Port, Device.Path, 19200));
    QCOMPARE(Port.SendAndWait(ModbusRtu::BuildParamRead(40302), 7), QByteArray::fromHex("00030201D6058A"));
    Port.ClosePort();
    QCOMPARE(Device.Stop(), 0);
    QCOMPARE(RunDevsim({QStringLiteral("--pty"), QStringLiteral("--device-baud"), QStringLiteral("14400")}).Code, 2);
}

void tst_devsim::takesAddressOverAtCommit()
{
    QTemporaryDir Dir;
    const QStringList Options{QStringLiteral("--state"), Dir.filePath(QStringLiteral("device.json"))};
    {
        Devsim Device;
        QVERIFY(Device.Start(Options));
        MySerialPort Port;
        QVERIFY(Device.Open(Port));
        QVERIFY(Answered(Port, ModbusRtu::BuildParamWrite(40003, 33, 17)));
        // Written, not yet taken over; the commit's reply still comes from 17.
        QCOMPARE(Port.SendAndWait(ReadAt(17, 40003), 7), Expected::Crc("11 03 02 0021"));
        QCOMPARE(Port.SendAndWait(ModbusRtu::BuildCommit(6, 17), 8), Expected::Crc("11 06 9C41 0006"));
        QCOMPARE(Port.SendAndWait(ReadAt(33, 40003), 7), Expected::Crc("21 03 02 0021"));
        QVERIFY(Port.SendAndWait(ReadAt(17, 40003), 7).isEmpty());
        QCOMPARE(Port.SendAndWait(ReadAt(0, 40003), 7), Expected::Crc("00 03 02 0021"));
        Port.ClosePort();
        QCOMPARE(Device.Stop(), 0);
    }
    Devsim Device;
    QVERIFY(Device.Start(Options));
    MySerialPort Port;
    QVERIFY(Device.Open(Port));
    QCOMPARE(Port.SendAndWait(ReadAt(33, 40003), 7), Expected::Crc("21 03 02 0021"));
}

void tst_devsim::takesSpeedOverAtCommit_data()
{
    QTest::addColumn<bool>("AfterRestart");
    QTest::newRow("from the next request") << false;
    QTest::newRow("after a restart") << true;
}

void tst_devsim::takesSpeedOverAtCommit()
{
    // From 9600 Bd out of the factory to 115200 Bd (item 5 of BaudRate).
    QFETCH(bool, AfterRestart);
    QTemporaryDir Dir;
    QStringList Options{"--device-baud", "9600", "--state", Dir.filePath(QStringLiteral("device.json"))};
    if (AfterRestart)
        Options << QStringLiteral("--baud-after-restart");
    const QByteArray Read = ReadAt(17, 40005);
    {
        Devsim Device;
        QVERIFY(Device.Start(Options));
        MySerialPort Port;
        QVERIFY(OpenAt(Port, Device.Path, 9600));
        QCOMPARE(Port.SendAndWait(Read, 7), Expected::Crc("11 03 02 0001"));
        QVERIFY(Answered(Port, ModbusRtu::BuildParamWrite(40005, 5, 17)));
        QCOMPARE(Port.SendAndWait(ModbusRtu::BuildCommit(6, 17), 8), Expected::Crc("11 06 9C41 0006"));
        // The next request is heard at one speed only: the new one, or the
        // old one until a restart.
        Port.ClosePort();
        QVERIFY(OpenAt(Port, Device.Path, AfterRestart ? 115200 : 9600));
        QVERIFY(Port.SendAndWait(Read, 7).isEmpty());
        Port.ClosePort();
        QVERIFY(OpenAt(Port, Device.Path, AfterRestart ? 9600 : 115200));
        QCOMPARE(Port.SendAndWait(Read, 7), Expected::Crc("11 03 02 0005"));
        Port.ClosePort();
        QCOMPARE(Device.Stop(), 0);
    }
    Devsim Device;
    QVERIFY(Device.Start(Options));
    MySerialPort Port;
    QVERIFY(OpenAt(Port, Device.Path, 115200));
    QCOMPARE(Port.SendAndWait(Read, 7), Expected::Crc("11 03 02 0005"));
}

void tst_devsim::devicesShareTheLine()
{
    Devsim Device;
    QVERIFY(Device.Start({QStringLiteral("--devices"), QStringLiteral("5,9,9")}));
    MySerialPort Port;
    QVERIFY(Device.Open(Port));
    // Each device holds its own address in ModbusID.
    QCOMPARE(Port.SendAndWait(ReadAt(5, 40003), 7), Expected::Crc("05 03 02 0005"));
    QVERIFY(Port.SendAndWait(ReadAt(7, 40003), 7).isEmpty());
    // Two devices at 9 answer at once: one frame that fails the CRC.
    const QByteArray Collided = Port.SendAndWait(ReadAt(9, 40003), 7);
    QCOMPARE(Collided.left(5), QByteArray::fromHex("0903020009"));
    QCOMPARE(Collided.size(), 7);
    QVERIFY(!DeviceCore::CrcOk(Collided));
    QCOMPARE(Port.SendAndWait(ReadAt(0, 40003), 7), Expected::Crc("00 03 02 0005"));
    Port.ClosePort();
    QCOMPARE(Device.Stop(), 0);
}

void tst_devsim::busKeepsEachDevicesState()
{
    // Each device of a bus keeps its own committed image, in --devices order.
    QTemporaryDir Dir;
    const QString State = Dir.filePath(QStringLiteral("bus.json"));
    const QStringList Options {"--devices", "5,9", "--state", State};
    {
        Devsim Device;
        QVERIFY(Device.Start(Options));
        MySerialPort Port;
        QVERIFY(Device.Open(Port));
        QVERIFY(Answered(Port, ModbusRtu::BuildParamWrite(40302, 433, 9)));
        QVERIFY(Answered(Port, ModbusRtu::BuildCommit(6, 9)));
        Port.ClosePort();
        QCOMPARE(Device.Stop(), 0);
    }
    const QJsonArray Devices = ReadState(State).value("Devices").toArray();
    QCOMPARE(Devices.size(), 2);
    QCOMPARE(Devices[0].toObject().value("Parameters").toObject().value("40302").toInt(), 470);
    QCOMPARE(Devices[1].toObject().value("Parameters").toObject().value("40302").toInt(), 433);
    {
        Devsim Device;
        QVERIFY(Device.Start(Options));
        MySerialPort Port;
        QVERIFY(Device.Open(Port));
        QCOMPARE(Port.SendAndWait(ReadAt(9, 40302), 7), Expected::Crc("09 03 02 01B1"));
        QCOMPARE(Port.SendAndWait(ReadAt(5, 40302), 7), Expected::Crc("05 03 02 01D6"));
        Port.ClosePort();
        QCOMPARE(Device.Stop(), 0);
    }
    // A file of two devices is no state for three, and is left alone.
    const QByteArray Kept = ReadBytes(State);
    const Outcome Refused = RunDevsim({"--pty", "--devices", "5,9,7", "--state", State});
    QCOMPARE(Refused.Code, 2);
    QVERIFY2(Refused.Out.contains("\"Devices\" must hold 3 states"), qPrintable(Refused.Out));
    QCOMPARE(ReadBytes(State), Kept);
}

// The help and the refusals in the operator's language, the exit status
// the same in both.
void tst_devsim::speaksTheOperatorsLanguage()
{
    const QStringList Bad {"--pty", "--baud", "x"};
    const LocaleRun Russian = RunUnder(QStringLiteral("ru_RU.UTF-8"), DevsimPath, Bad);
    const LocaleRun English = RunUnder(QStringLiteral("C"), DevsimPath, Bad);
    QVERIFY2(Russian.Err.contains(QStringLiteral("--baud требует целое число от 50 до 4000000, а не 'x'")),
             qPrintable(Russian.Err));
    QVERIFY2(English.Err.contains(QStringLiteral("--baud needs a whole number")), qPrintable(English.Err));
    QCOMPARE(Russian.Code, 2);
    QCOMPARE(English.Code, 2);
    const LocaleRun Help = RunUnder(QStringLiteral("ru_RU.UTF-8"), DevsimPath, {"--help"});
    QVERIFY2(Help.Out.startsWith(QStringLiteral("Использование: korvel-devsim")), qPrintable(Help.Out));
}

QTEST_GUILESS_MAIN(tst_devsim)
#include "tst_devsim.moc"
