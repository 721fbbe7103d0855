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
#include "Expected.h"
#include "ModbusRtu.h"
#include "MySerialPort.h"
#include "PtyPair.h"
#include "ScriptedPeer.h"

#include <unistd.h>

namespace {

const char ProbeVariable[] = "KORVEL_STARTNS_PROBE";
const QString SourceDir = QStringLiteral(KORVEL_SOURCE_DIR);
const QString LockFile = QStringLiteral("/var/lock/LCK..tnt0");
const QByteArray Request = ModbusRtu::BuildParamRead(40003);

QString Script(const char *Name)
{
    return SourceDir + QStringLiteral("/scripts/") + QLatin1String(Name);
}

// Inside the namespace. Scans only if Qt sees nothing but tnt0, so that a
// namespace gone wrong never makes the scan open a real port.
int RunProbe()
{
    QTextStream Out(stdout);
    QStringList Seen;
    for (const QSerialPortInfo &Info : QSerialPortInfo::availablePorts())
        Seen << Info.portName() + QLatin1Char('=') + Info.systemLocation();
    Out << "available:" << Seen.join(QLatin1Char(',')) << '\n';
    if (Seen != QStringList{QStringLiteral("tnt0=/dev/tnt0")})
        return 3;
    MySerialPort Port;
    Out << "scan:" << Port.GetPortNames().join(QLatin1Char(',')) << '\n';
    if (!Port.OpenPort(QStringLiteral("tnt0"), 9600, QSerialPort::Data8, QSerialPort::NoParity,
                       QSerialPort::OneStop, QSerialPort::NoFlowControl))
        return 5;
    // The port's lock file lies in the namespace's own lock directory.
    Out << "lock:" << (QFileInfo::exists(LockFile) ? "held" : "none") << '\n';
    Out.flush();
    Out << "reply:" << MySerialPort::BytesToHexText(Port.SendAndWait(Request, 7)) << '\n';
    return 0;
}

QByteArray MountTable()
{
    QFile File(QStringLiteral("/proc/self/mountinfo"));
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

} // namespace

class tst_startns : public QObject
{
    Q_OBJECT

private slots:
    void namespaceShowsThePtyAsTnt0_data();
    void namespaceShowsThePtyAsTnt0();
    void refusals();
};

void tst_startns::namespaceShowsThePtyAsTnt0_data()
{
    QTest::addColumn<bool>("simulator");
    QTest::newRow("pty peer") << false;
    QTest::newRow("device simulator") << true;
}

void tst_startns::namespaceShowsThePtyAsTnt0()
{
    QFETCH(bool, simulator);
    QProcess Check;
    Check.start(QStringLiteral("bash"), {Script("devns.sh"), QStringLiteral("check")});
    QVERIFY(Check.waitForFinished(10000));
    if (Check.exitCode() != 0)
        QSKIP(qPrintable(QStringLiteral("no namespace here: ") + QString::fromUtf8(Check.readAllStandardError()).trimmed()));

    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    QProcess Sim;
    QString Slave = Pair.SlavePath();
    int HostLockSeen = -1;
    if (simulator) {
#ifdef KORVEL_DEVSIM
        Sim.start(QStringLiteral(KORVEL_DEVSIM), {QStringLiteral("--pty")});
#endif
        QVERIFY2(Sim.waitForStarted(5000), "the device simulator is not built");
        QTRY_VERIFY_WITH_TIMEOUT(Sim.canReadLine() || Sim.state() == QProcess::NotRunning, 5000);
        Slave = QString::fromUtf8(Sim.readLine()).trimmed();
    } else {
        // While the request is unanswered the port is surely open inside:
        // its lock file must not be seen from the host then.
        Peer.SetResponder([&HostLockSeen](const QByteArray &Pending) {
            PeerAnswer Answer;
            if (Pending.size() < Request.size())
                return Answer;
            HostLockSeen = QFileInfo::exists(LockFile) ? 1 : 0;
            Answer.Consumed = Pending.size();
            Answer.Chunks = {Expected::ReadReply(1)};
            return Answer;
        });
    }

    QTemporaryDir Temp;
    const QByteArray MountsBefore = MountTable();
    QProcess Probe;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert(QString::fromLatin1(ProbeVariable), QStringLiteral("1"));
    Env.insert(QStringLiteral("TMPDIR"), Temp.path());
    Probe.setProcessEnvironment(Env);
    Probe.start(QStringLiteral("bash"), {Script("devns.sh"), QStringLiteral("run"), QStringLiteral("--pty"), Slave,
                                         QStringLiteral("--"), QCoreApplication::applicationFilePath()});
    QTRY_VERIFY_WITH_TIMEOUT(Probe.state() == QProcess::NotRunning, 20000);
    const QString Output = QString::fromUtf8(Probe.readAllStandardOutput());
    QVERIFY2(Probe.exitCode() == 0, qPrintable(Output + QString::fromUtf8(Probe.readAllStandardError())));
    if (simulator) {
        Sim.terminate();
        QVERIFY(Sim.waitForFinished(5000));
    }
    // Byte for byte what the device answers.
    const QByteArray Reply = simulator ? DeviceCore().Take(Request).Bytes() : Expected::ReadReply(1);
    QCOMPARE(Output, QStringLiteral("available:tnt0=/dev/tnt0\nscan:tnt0\nlock:held\nreply:%1\n")
                         .arg(MySerialPort::BytesToHexText(Reply)));
    if (!simulator)
        QCOMPARE(HostLockSeen, 0);
    // Nothing of the namespace is left on the host.
    QCOMPARE(MountTable(), MountsBefore);
    QCOMPARE(QDir(Temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

void tst_startns::refusals()
{
    // As an unprivileged user the namespace script refuses before running
    // anything and says why; 125 tells the start command to start the tool
    // alone. Run as root, the suite drops to nobody, with a copy of the
    // script in a directory nobody can read, wherever the checkout lies.
    QTemporaryDir Temp;
    QVERIFY(QFile::setPermissions(Temp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                   | QFile::ReadOther | QFile::ExeOther));
    const QString Copy = Temp.filePath(QStringLiteral("devns.sh"));
    QVERIFY(QFile::copy(Script("devns.sh"), Copy));
    QStringList Arguments{Copy, "run", "--pty", "/dev/null", "--", "echo", "ran"};
    QProcess Run;
    Run.setWorkingDirectory(Temp.path());
    if (::geteuid() == 0)
        Run.start(QStringLiteral("setpriv"), QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "bash"} + Arguments);
    else
        Run.start(QStringLiteral("bash"), Arguments);
    QVERIFY(Run.waitForFinished(10000));
    QCOMPARE(Run.readAllStandardError(), QByteArray("devns: not running as root\n"));
    QCOMPARE(Run.readAllStandardOutput(), QByteArray());
    QCOMPARE(Run.exitCode(), 125);

    // No display: one plain line and a failure status, before any set-up or
    // build is attempted (a build would print its progress on stdout).
    QProcess Start;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    for (const char *Name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        Env.remove(QString::fromLatin1(Name));
    Start.setProcessEnvironment(Env);
    Start.start(QStringLiteral("bash"), {Script("start.sh")});
    QVERIFY(Start.waitForFinished(10000));
    QCOMPARE(Start.exitCode(), 1);
    QCOMPARE(Start.readAllStandardOutput(), QByteArray());
    const QString Errors = QString::fromUtf8(Start.readAllStandardError());
    QVERIFY2(Errors.startsWith(QLatin1String("start: no display")) && Errors.count(QLatin1Char('\n')) == 1
                 && Errors.contains(QLatin1String("xvfb-run -a bash scripts/start.sh")),
             qPrintable(Errors));
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
