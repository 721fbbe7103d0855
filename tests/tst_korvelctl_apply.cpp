// korvelctl apply against the simulated device on a pty: the frames it
// sends when the device holds the values already, when one differs, under
// --check and when a write is refused; and the queue on a line, with the
// korvelctl program beside the korvel-devsim program: runs on one line
// one after another, by whatever name and whichever user, and neither a
// run that ends nor one that is killed leaves the line held.

#include "CtlRun.h"
#include "DeviceFault.h"
#include "Expected.h"
#include "LineLock.h"
#include "LineUrl.h"
#include "PtyPair.h"
#include "SimPeer.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {

using Frames = QList<QByteArray>;

constexpr int Entries = 200;
constexpr int PerBlock = 25;
constexpr int Frequency = 40302; // RfFrequency, 470 from the factory
constexpr int TxPower = 40301;   // RfTxPower, 20
constexpr int Sf = 40304;        // RfSf, 9

QByteArray Read(int Register)
{
    return Expected::Frame(0x03, Register, 1);
}

QByteArray Write(int Register, int Value)
{
    return Expected::Frame(0x06, Register, Value);
}

Frames EidReads()
{
    Frames All;
    for (int Block = 0; Block < Entries / PerBlock; ++Block)
        All << Expected::EidRead(47001 + 2 * PerBlock * Block, PerBlock);
    return All;
}

// The list with Value at entry Entry (from 1), the rest 0.
QVector<qint32> ListWith(int Entry, qint32 Value)
{
    QVector<qint32> List(Entries, 0);
    List[Entry - 1] = Value;
    return List;
}

QByteArray ListText(const QVector<qint32> &List)
{
    QByteArray Text;
    for (const qint32 Eid : List)
        Text += QByteArray::number(Eid) + '\n';
    return Text;
}

// The lock file of a serial line, as korvelctl names it.
QString LockOf(const QString &Port)
{
    LineUrl Url;
    Url.Port = Port;
    return LineLock::PathFor(Url);
}


// The korvel-devsim program on a pty of its own; Port is the path to open.
struct SimProgram
{
    explicit SimProgram(const QStringList &Options)
    {
        Process.start(QStringLiteral(KORVEL_DEVSIM), QStringList {"--pty"} + Options);
        if (Process.waitForReadyRead(5000))
            Port = QString::fromLocal8Bit(Process.readLine()).trimmed();
    }
    ~SimProgram()
    {
        Process.terminate();
        Process.waitForFinished(5000);
    }
    QProcess Process;
    QString Port;
};

} // namespace

class TestKorvelctlApply : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(Pair.IsOpen());
        Device.reset(new SimPeer(Pair));
        QVERIFY(Dir.isValid());
    }
    void cleanup() { Device.reset(); }

    void params_data();
    void params();
    void eids_data();
    void eids();
    void runsOnOneLineQueue();
    void holderNamedAndKilled();

private:
    QString File(const char *Name) const { return Dir.filePath(QString::fromLatin1(Name)); }

    PtyPair Pair;
    QScopedPointer<SimPeer> Device;
    QTemporaryDir Dir;
};

void TestKorvelctlApply::params_data()
{
    QTest::addColumn<QStringList>("Arguments"); // FILE: {"RfFrequency": 433, "RfSf": 9}
    QTest::addColumn<QString>("Fault"); // faults the device plays, separated by ";"
    QTest::addColumn<int>("Code");
    QTest::addColumn<Frames>("Sent");
    QTest::addColumn<QString>("Said"); // stdout (JSON compared compact), stderr on a failure
    QTest::addColumn<int>("Held");     // RfFrequency in the committed image after

    const Frames ReadBoth {Read(TxPower), Read(Frequency)};
    QTest::newRow("holds it: the reads only") << QStringList {"RfFrequency=470", "RfTxPower=20"} << QString() << 0
        << ReadBoth << "unchanged: the device holds these values; nothing written\n" << 470;
    QTest::newRow("one differs: one write, one commit, read back")
        << QStringList {"RfTxPower=20", "RfFrequency=433"} << QString() << 0
        << ReadBoth + Frames {Write(Frequency, 433), Expected::Commit(6)} + ReadBoth
        << "RfFrequency: 470 -> 433\n1 parameter written and committed, verified at address 0x00, 9600 Bd\n" << 433;
    QTest::newRow("file, --check: nothing written") << QStringList {"-i", "FILE", "--check"} << QString() << 0
        << Frames {Read(Frequency), Read(Sf)}
        << "RfFrequency: 470 -> 433\n1 parameter would be written and committed; nothing written (--check)\n" << 470;
    QTest::newRow("--json") << QStringList {"RfFrequency=433", "RfSf=9", "--json"} << QString() << 0
        << Frames {Read(Frequency), Read(Sf), Write(Frequency, 433), Expected::Commit(6), Read(Frequency), Read(Sf)}
        << R"({"address":0,"after":{"RfFrequency":433},"baud":9600,"before":{"RfFrequency":470},"changed":true,"check":false})"
        << 433;
    QTest::newRow("--json, unchanged") << QStringList {"RfSf=9", "--json"} << QString() << 0 << Frames {Read(Sf)}
        << R"({"address":0,"after":{},"baud":9600,"before":{},"changed":false,"check":false})" << 470;
    // The values sent go back, so that the next run finds the difference.
    QTest::newRow("echo differs: no commit, put back") << QStringList {"RfFrequency=433"} << "echo-value@2" << 1
        << Frames {Read(Frequency), Write(Frequency, 433), Write(Frequency, 470)}
        << "korvelctl: writing RfFrequency (register 40302): sent 433, the device echoed 434; nothing committed; "
           "the values sent were put back\n"
        << 470;
    QTest::newRow("echo differs, and to the putting back") << QStringList {"RfFrequency=433"}
        << "echo-value@2;echo-value@3" << 1 << Frames {Read(Frequency), Write(Frequency, 433), Write(Frequency, 470)}
        << "korvelctl: writing RfFrequency (register 40302): sent 433, the device echoed 434; nothing committed; "
           "the values sent were put back\n"
        << 470;
    QTest::newRow("commit refused: put back") << QStringList {"RfFrequency=433", "RfSf=7"} << "exception@5" << 1
        << Frames {Read(Frequency), Read(Sf), Write(Frequency, 433), Write(Sf, 7), Expected::Commit(6),
                   Write(Frequency, 470), Write(Sf, 9)}
        << "korvelctl: commit with code 6 (register 40001): Modbus exception 0x04 (server device failure); the "
           "values sent were put back\n"
        << 470;
    QTest::newRow("silent mid-write, and to the putting back") << QStringList {"RfFrequency=433", "--wait", "50"}
        << "silence@2;silence@3" << 1 << Frames {Read(Frequency), Write(Frequency, 433), Write(Frequency, 470)}
        << "korvelctl: writing RfFrequency (register 40302): no reply within 0.05 s; putting the values sent back "
           "failed too (writing RfFrequency (register 40302): no reply within 0.05 s): the device may hold them "
           "uncommitted until it restarts\n"
        << 470;
    QTest::newRow("silent device") << QStringList {"RfFrequency=433", "--wait", "50"} << "silence" << 1
        << Frames {Read(Frequency)} << "korvelctl: reading RfFrequency (register 40302): no reply within 0.05 s\n"
        << 470;
    QTest::newRow("value out of range: nothing sent") << QStringList {"RfFrequency=99999"} << QString() << 2
        << Frames() << "korvelctl: \"RfFrequency\" must be a whole number from 150 to 960, not \"99999\"\n" << 470;
    QTest::newRow("file and words: nothing sent") << QStringList {"-i", "FILE", "RfSf=9"} << QString() << 2 << Frames()
        << "korvelctl: apply params takes -i FILE or NAME=VALUE, not both\nTry 'korvelctl --help' for more "
           "information.\n"
        << 470;
}

void TestKorvelctlApply::params()
{
    QFETCH(QStringList, Arguments);
    QFETCH(QString, Fault);
    QFETCH(int, Code);
    QFETCH(Frames, Sent);
    QFETCH(QString, Said);
    QFETCH(int, Held);
    QFile Input(File("radio.json"));
    QVERIFY(Input.open(QIODevice::WriteOnly));
    Input.write(R"({"RfFrequency": 433, "RfSf": 9})");
    Input.close();
    Arguments.replaceInStrings(QRegularExpression("^FILE$"), Input.fileName());
    for (const QString &Text : Fault.isEmpty() ? QStringList() : Fault.split(';')) {
        DeviceFault Played;
        QVERIFY(DeviceFault::Parse(Text, Played, nullptr));
        Device->Core().AddFault(Played);
    }
    const Result R = Ctl(QStringList {"apply", "params", "--port", Pair.SlavePath()} + Arguments);
    QVERIFY2(R.Code == Code, qPrintable(R.Err));
    Frames Got;
    for (const DeviceReply &Reply : Device->Replies())
        Got << Reply.Request;
    QCOMPARE(Got, Sent);
    if (Said.startsWith('{'))
        QCOMPARE(QString::fromUtf8(QJsonDocument::fromJson(R.Out.toUtf8()).toJson(QJsonDocument::Compact)), Said);
    else
        QCOMPARE(Code ? R.Err : R.Out, Said);
    QCOMPARE(int(Device->Core().Register(Frequency, DeviceCore::Committed)), Held);
}

void TestKorvelctlApply::eids_data()
{
    QTest::addColumn<QVector<qint32>>("File");
    QTest::addColumn<QStringList>("Options");
    QTest::addColumn<QString>("Fault");
    QTest::addColumn<Frames>("Sent");
    QTest::addColumn<QString>("Said"); // stdout, stderr on a failure
    QTest::addColumn<qint32>("Entry30"); // in the committed list after

    const QVector<qint32> Entry30 = ListWith(30, 777);
    QTest::newRow("holds it: the reads only") << QVector<qint32>(Entries, 0) << QStringList() << QString() << EidReads()
        << "unchanged: the device holds these values; nothing written\n" << 0;
    const QByteArray Block1 = Expected::EidWrite(47001 + 2 * PerBlock, Entry30.mid(PerBlock, PerBlock));
    QTest::newRow("one entry differs: its block, one commit, read back") << Entry30 << QStringList() << QString()
        << EidReads() + Frames {Block1, Expected::Commit(8)} + EidReads()
        << "entry 30: 0 -> 777\n1 EID entry written and committed, verified at address 0x00, 9600 Bd\n" << 777;
    QTest::newRow("--check: nothing written") << Entry30 << QStringList {"--check"} << QString() << EidReads()
        << "entry 30: 0 -> 777\n1 EID entry would be written and committed; nothing written (--check)\n" << 0;
    QTest::newRow("commit refused: the block put back") << Entry30 << QStringList() << "exception@10"
        << EidReads() + Frames {Block1, Expected::Commit(8),
                                Expected::EidWrite(47001 + 2 * PerBlock, QVector<qint32>(PerBlock, 0))}
        << "korvelctl: commit with code 8 (register 40001): Modbus exception 0x04 (server device failure); the "
           "values sent were put back\n"
        << 0;
}

void TestKorvelctlApply::eids()
{
    QFETCH(QVector<qint32>, File);
    QFETCH(QStringList, Options);
    QFETCH(QString, Fault);
    QFETCH(Frames, Sent);
    QFETCH(QString, Said);
    QFETCH(qint32, Entry30);
    QFile Input(this->File("eids.txt"));
    QVERIFY(Input.open(QIODevice::WriteOnly));
    Input.write(ListText(File));
    Input.close();
    if (!Fault.isEmpty()) {
        DeviceFault Played;
        QVERIFY(DeviceFault::Parse(Fault, Played, nullptr));
        Device->Core().AddFault(Played);
    }
    const Result R = Ctl(QStringList {"apply", "eids", "--port", Pair.SlavePath(), "-i", Input.fileName()} + Options);
    QVERIFY2(R.Code == (Fault.isEmpty() ? 0 : 1), qPrintable(R.Err));
    Frames Got;
    for (const DeviceReply &Reply : Device->Replies())
        Got << Reply.Request;
    QCOMPARE(Got, Sent);
    QCOMPARE(Fault.isEmpty() ? R.Out : R.Err, Said);
    QCOMPARE(Device->Core().Eid(29, DeviceCore::Committed), Entry30);
}

// Three programs on one line at once: each gets the line in its turn (a
// serial port taken twice refuses the second open).
void TestKorvelctlApply::runsOnOneLineQueue()
{
    SimProgram Sim({"--devices", "1,2,3"});
    QVERIFY(Sim.Port.startsWith("/dev/"));
    QProcess Runs[3];
    for (int I = 0; I < 3; ++I)
        Runs[I].start(QStringLiteral(KORVELCTL), {"apply", "params", "--port", Sim.Port, "--address",
                                                  QString::number(I + 1), QStringLiteral("LocalNet=%1").arg(10 + I)});
    for (QProcess &Run : Runs) {
        QVERIFY(Run.waitForFinished(20000));
        QVERIFY2(Run.exitCode() == 0, Run.readAllStandardError().constData());
        QVERIFY(Run.readAllStandardOutput().endsWith("1 parameter written and committed, verified at address "
                                                     + QByteArray::number(int(&Run - Runs) + 1) + ", 9600 Bd\n"));
    }
    // The last one out removed the lock file.
    QVERIFY(LockOf(Sim.Port).endsWith(".lock"));
    QVERIFY(!QFile::exists(LockOf(Sim.Port)));
}

// A run that holds the line is named to the one behind it, whatever name
// that one gives the port; killed, it holds nothing.
void TestKorvelctlApply::holderNamedAndKilled()
{
    SimProgram Sim({"--devices", "1"});
    QVERIFY(Sim.Port.startsWith("/dev/"));
    const QString Link = File("radio-line");
    QVERIFY(QFile::link(Sim.Port, Link));
    // Nobody answers at address 9: the retries keep the line held.
    QProcess Holder;
    Holder.start(QStringLiteral(KORVELCTL), {"read", "params", "--port", Sim.Port, "--address", "9", "--retries", "100"});
    QVERIFY(Holder.waitForStarted());
    const QByteArray Pid = QByteArray::number(Holder.processId());
    const QString LockFile = LockOf(Sim.Port);
    QCOMPARE(LockOf(Link), LockFile);
    QVERIFY(QTest::qWaitFor([&] { return ReadAll(LockFile).contains("(pid " + Pid + ","); }, 10000));
    QCOMPARE(QFileInfo(LockFile).permissions() & QFileDevice::WriteOther, QFileDevice::WriteOther);

    const Result Waited = Ctl({"read", "params", "--port", Link, "--line-wait", "0"});
    QCOMPARE(Waited.Code, 3);
    QVERIFY2(QRegularExpression(QStringLiteral("^korvelctl: %1: the line is busy: korvelctl read params \\(pid %2, "
                                               "user \\S+\\) since \\d\\d:\\d\\d:\\d\\d UTC holds it; gave up at "
                                               "once \\(--line-wait\\)\\n$")
                                    .arg(QRegularExpression::escape(Link), QString::fromLatin1(Pid)))
                 .match(Waited.Err)
                 .hasMatch(),
             qPrintable(Waited.Err));

    // Another user queues on the same file.
    if (geteuid() == 0 && !QStandardPaths::findExecutable("setpriv").isEmpty()) {
        QProcess Other;
        Other.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", KORVELCTL, "read", "params",
                                "--port", Sim.Port, "--line-wait", "0"});
        QVERIFY(Other.waitForFinished(10000));
        QCOMPARE(Other.exitCode(), 3);
        QVERIFY2(Other.readAllStandardError().contains("the line is busy: korvelctl read params (pid " + Pid + ","),
                 "nobody did not queue");
    }

    QCOMPARE(::kill(pid_t(Holder.processId()), SIGKILL), 0);
    QVERIFY(Holder.waitForFinished(5000));
    QVERIFY(QFile::exists(LockFile)); // left behind, but held by no process
    const Result After = Ctl({"apply", "params", "--port", Link, "--line-wait", "0", "LocalNet=5"});
    QVERIFY2(After.Code == 0, qPrintable(After.Err));
    QCOMPARE(After.Out, QStringLiteral("unchanged: the device holds these values; nothing written\n"));
    QVERIFY(!QFile::exists(LockFile));
}

QTEST_GUILESS_MAIN(TestKorvelctlApply)
#include "tst_korvelctl_apply.moc"
