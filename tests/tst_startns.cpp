// The start command's namespace (scripts/devns.sh): inside it the tool's own
// port scan lists exactly "tnt0", the port opens and a request reaches the
// device behind the pseudo-terminal; afterwards nothing stays mounted on the
// host. Also the start command's plain refusals: no root, no display.
//
// The suite runs itself inside the namespace: with KORVEL_STARTNS_PROBE set,
// it scans, opens and exchanges one frame, and reports on stdout.

#include <QtTest>

#include <QProcess>
#include <QSerialPortInfo>
#include <QTemporaryDir>

#include "DeviceCore.h"
#include "ModbusRtu.h"
#include "MySerialPort.h"
#include "PtyPair.h"
#include "ScriptedPeer.h"

#include <unistd.h>

namespace {

const char ProbeVariable[] = "KORVEL_STARTNS_PROBE";
const QString SourceDir = QStringLiteral(KORVEL_SOURCE_DIR);
const int AddressRegister = 40003;
const QString LockFile = QStringLiteral("/var/lock/LCK..tnt0");

QString DevnsScript() { return SourceDir + QStringLiteral("/scripts/devns.sh"); }
QString StartScript() { return SourceDir + QStringLiteral("/scripts/start.sh"); }

// Inside the namespace. Scans only if Qt sees nothing but tnt0, so that a
// namespace gone wrong never makes the scan open a real port.
int RunProbe()
{
    QTextStream Out(stdout);
    QStringList Seen;
    const auto Infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &Info : Infos)
        Seen << Info.portName() + QLatin1Char('=') + Info.systemLocation();
    Out << "available:" << Seen.join(QLatin1Char(',')) << '\n';
    if (Seen != QStringList{QStringLiteral("tnt0=/dev/tnt0")})
        return 3;

    MySerialPort Port;
    const QStringList Names = Port.GetPortNames();
    Out << "scan:" << Names.join(QLatin1Char(',')) << '\n';
    if (Names != QStringList{QStringLiteral("tnt0")})
        return 4;

    const bool Opened = Port.OpenPort(QStringLiteral("tnt0"), 9600, QSerialPort::Data8,
                                      QSerialPort::NoParity, QSerialPort::OneStop,
                                      QSerialPort::NoFlowControl);
    Out << "open:" << (Opened ? "yes" : "no") << '\n';
    if (!Opened)
        return 5;
    // The port's lock file lies in the namespace's own lock directory.
    Out << "lock:" << (QFileInfo::exists(LockFile) ? "held" : "none") << '\n';
    Out.flush();
    const QByteArray Reply = Port.SendAndWait(ModbusRtu::BuildParamRead(AddressRegister),
                                              ModbusRtu::ParamReadReplyLength);
    Out << "reply:" << MySerialPort::BytesToHexText(Reply) << '\n';
    Port.ClosePort();
    return 0;
}

QByteArray MountTable()
{
    QFile File(QStringLiteral("/proc/self/mountinfo"));
    if (!File.open(QIODevice::ReadOnly))
        return QByteArray();
    return File.readAll();
}

// "key:value" lines of the probe's report.
QMap<QString, QString> Report(const QByteArray &Output)
{
    QMap<QString, QString> Fields;
    const QList<QByteArray> Lines = Output.split('\n');
    for (const QByteArray &Line : Lines) {
        const int Colon = Line.indexOf(':');
        if (Colon > 0)
            Fields.insert(QString::fromUtf8(Line.left(Colon)), QString::fromUtf8(Line.mid(Colon + 1)));
    }
    return Fields;
}

QByteArray ReadReply(quint16 Value)
{
    QByteArray Reply = QByteArray::fromHex("000302");
    Reply.append(char(Value >> 8));
    Reply.append(char(Value & 0xFF));
    ModbusRtu::AppendCrc(Reply);
    return Reply;
}

} // namespace

class tst_startns : public QObject
{
    Q_OBJECT

private slots:
    void namespaceShowsThePtyAsTnt0_data();
    void namespaceShowsThePtyAsTnt0();
    void namespaceRefusedWithoutRoot();
    void startWithoutDisplaySaysSo();

private:
    // Runs the probe through the script; the event loop keeps serving
    // meanwhile (the scripted peer answers from it).
    void RunProbeInNamespace(const QString &Slave, const QString &TempDir, int &ExitCode,
                             QByteArray &Output, QByteArray &Errors);
};

void tst_startns::RunProbeInNamespace(const QString &Slave, const QString &TempDir,
                                      int &ExitCode, QByteArray &Output, QByteArray &Errors)
{
    QProcess Probe;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert(QString::fromLatin1(ProbeVariable), QStringLiteral("1"));
    Env.insert(QStringLiteral("TMPDIR"), TempDir);
    Probe.setProcessEnvironment(Env);
    Probe.start(QStringLiteral("bash"),
                {DevnsScript(), QStringLiteral("run"), QStringLiteral("--pty"), Slave,
                 QStringLiteral("--"), QCoreApplication::applicationFilePath()});
    QVERIFY2(Probe.waitForStarted(5000), qPrintable(Probe.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(Probe.state() == QProcess::NotRunning, 20000);
    Output = Probe.readAllStandardOutput();
    Errors = Probe.readAllStandardError();
    ExitCode = Probe.exitStatus() == QProcess::NormalExit ? Probe.exitCode() : -1;
}

void tst_startns::namespaceShowsThePtyAsTnt0_data()
{
    QTest::addColumn<bool>("Simulator");
    QTest::newRow("pty peer") << false;
    QTest::newRow("device simulator") << true;
}

void tst_startns::namespaceShowsThePtyAsTnt0()
{
    QFETCH(bool, Simulator);

    QProcess Check;
    Check.start(QStringLiteral("bash"), {DevnsScript(), QStringLiteral("check")});
    QVERIFY(Check.waitForFinished(10000));
    if (Check.exitCode() != 0)
        QSKIP(qPrintable(QStringLiteral("no namespace here: ")
                         + QString::fromUtf8(Check.readAllStandardError()).trimmed()));

    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    QProcess Sim;
    QString Slave;
    int HostLockSeen = -1;
    if (Simulator) {
#ifdef KORVEL_DEVSIM
        const QString SimPath = QStringLiteral(KORVEL_DEVSIM);
#else
        const QString SimPath;
#endif
        if (SimPath.isEmpty() || !QFileInfo(SimPath).isExecutable())
            QSKIP("the device simulator is not built");
        Sim.start(SimPath, {QStringLiteral("--pty")});
        QVERIFY2(Sim.waitForStarted(5000), qPrintable(Sim.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(Sim.canReadLine() || Sim.state() == QProcess::NotRunning, 5000);
        Slave = QString::fromUtf8(Sim.readLine()).trimmed();
        QVERIFY2(Slave.startsWith(QLatin1String("/dev/pts/")), qPrintable(Slave));
    } else {
        QVERIFY(Pair.IsOpen());
        Slave = Pair.SlavePath();
        // While the request is unanswered the port is surely open inside:
        // its lock file must not be seen from the host then.
        Peer.SetResponder([&HostLockSeen](const QByteArray &Pending) {
            PeerAnswer Answer;
            if (Pending.size() < ModbusRtu::BuildParamRead(AddressRegister).size())
                return Answer;
            HostLockSeen = QFileInfo::exists(LockFile) ? 1 : 0;
            Answer.Consumed = Pending.size();
            Answer.Chunks = {ReadReply(1)};
            return Answer;
        });
    }

    QTemporaryDir Temp;
    QVERIFY(Temp.isValid());
    const QByteArray MountsBefore = MountTable();
    QVERIFY(!MountsBefore.isEmpty());

    int ExitCode = -1;
    QByteArray Output, Errors;
    RunProbeInNamespace(Slave, Temp.path(), ExitCode, Output, Errors);
    if (QTest::currentTestFailed())
        return;
    const QByteArray MountsAfter = MountTable();

    if (Simulator) {
        Sim.terminate();
        QVERIFY(Sim.waitForFinished(5000));
    }

    const QMap<QString, QString> Fields = Report(Output);
    const QByteArray Context = "stdout:\n" + Output + "stderr:\n" + Errors;
    QVERIFY2(ExitCode == 0, Context.constData());
    QCOMPARE(Fields.value(QStringLiteral("available")), QStringLiteral("tnt0=/dev/tnt0"));
    QCOMPARE(Fields.value(QStringLiteral("scan")), QStringLiteral("tnt0"));
    QCOMPARE(Fields.value(QStringLiteral("open")), QStringLiteral("yes"));
    QCOMPARE(Fields.value(QStringLiteral("lock")), QStringLiteral("held"));
    // The scan's own log: one port seen, tnt0 (quoted or not, as qDebug prints).
    const QByteArray ScanPrefix = "=========port name:";
    QStringList ScanLines;
    for (const QByteArray &Line : Errors.split('\n')) {
        if (Line.startsWith(ScanPrefix))
            ScanLines << QString::fromUtf8(Line.mid(ScanPrefix.size())).remove(QLatin1Char('"')).trimmed();
    }
    QCOMPARE(ScanLines, QStringList{QStringLiteral("tnt0")});

    const QByteArray Reply = QByteArray::fromHex(Fields.value(QStringLiteral("reply")).toLatin1());
    if (Simulator) {
        // Byte for byte what a device fresh from the factory answers.
        DeviceCore Fresh;
        const QByteArray Expected = Fresh.Take(ModbusRtu::BuildParamRead(AddressRegister)).Bytes();
        QVERIFY(ModbusRtu::ParamReadReplyOk(Expected));
        QCOMPARE(Reply, Expected);
    } else {
        QCOMPARE(Peer.Received(), ModbusRtu::BuildParamRead(AddressRegister));
        QCOMPARE(Reply, ReadReply(1));
        QCOMPARE(HostLockSeen, 0);
    }

    // Nothing of the namespace is left on the host: the mount table is as
    // before and the staging directory is gone.
    QCOMPARE(MountsAfter, MountsBefore);
    QVERIFY(!MountsAfter.contains("korvel-"));
    QCOMPARE(QDir(Temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void tst_startns::namespaceRefusedWithoutRoot()
{
    // As an unprivileged user the script refuses before running anything and
    // says why; 125 tells the start command to start the tool alone. Run as
    // root, the suite drops to nobody, with a copy of the script in a
    // directory nobody can read, wherever the checkout lies.
    QTemporaryDir Temp;
    QVERIFY(Temp.isValid());
    QVERIFY(QFile::setPermissions(Temp.path(), QFile::ReadOwner | QFile::WriteOwner
                                  | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    const QString Script = Temp.filePath(QStringLiteral("devns.sh"));
    QVERIFY(QFile::copy(DevnsScript(), Script));

    QStringList Arguments;
    QString Program = QStringLiteral("bash");
    if (::geteuid() == 0) {
        Program = QStringLiteral("setpriv");
        Arguments << QStringLiteral("--reuid=65534") << QStringLiteral("--regid=65534")
                  << QStringLiteral("--clear-groups") << QStringLiteral("bash");
    }
    Arguments << Script << QStringLiteral("run") << QStringLiteral("--pty")
              << QStringLiteral("/dev/null") << QStringLiteral("--") << QStringLiteral("echo")
              << QStringLiteral("ran");
    QProcess Run;
    Run.setWorkingDirectory(Temp.path());
    Run.start(Program, Arguments);
    QVERIFY(Run.waitForFinished(10000));
    QCOMPARE(Run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(Run.readAllStandardError(), QByteArray("devns: not running as root\n"));
    QCOMPARE(Run.readAllStandardOutput(), QByteArray());
    QCOMPARE(Run.exitCode(), 125);
}

void tst_startns::startWithoutDisplaySaysSo()
{
    // No display: one plain line and a failure status, before any set-up or
    // build is attempted (a build would print its progress on stdout).
    QProcess Start;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.remove(QStringLiteral("DISPLAY"));
    Env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    Env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    Start.setProcessEnvironment(Env);
    Start.start(QStringLiteral("bash"), {StartScript()});
    QVERIFY(Start.waitForFinished(10000));
    QCOMPARE(Start.exitStatus(), QProcess::NormalExit);
    QCOMPARE(Start.exitCode(), 1);
    QCOMPARE(Start.readAllStandardOutput(), QByteArray());
    const QString Errors = QString::fromUtf8(Start.readAllStandardError());
    QCOMPARE(Errors.count(QLatin1Char('\n')), 1);
    QVERIFY2(Errors.startsWith(QLatin1String("start: no display")), qPrintable(Errors));
    QVERIFY2(Errors.contains(QLatin1String("xvfb-run -a bash scripts/start.sh")), qPrintable(Errors));
}

int main(int argc, char *argv[])
{
    QCoreApplication App(argc, argv);
    if (qEnvironmentVariableIsSet(ProbeVariable))
        return RunProbe();
    tst_startns Suite;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&Suite, argc, argv);
}

#include "tst_startns.moc"
