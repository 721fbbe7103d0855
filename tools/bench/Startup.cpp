#include "Startup.h"

#include "Figures.h"
#include "Options.h"
#include "PacedLine.h"
#include "Spawn.h"

#include <QFile>
#include <QHash>

#include <poll.h>
#include <sys/wait.h>
#include <time.h>

namespace Bench {

namespace {

// ------------------------------------------------------ the real program

// From the spawn to the moment the main thread first sits blocked in
// poll() after the window's construction began, that is, to the event loop
// going idle with the window shown and painted.
struct RealStart
{
    bool Ok = false;
    QString Error;
    double ConstructMs = 0; // the window's "OrvaneUI::Construct()" line read
    double IdleMs = 0;
    long RssKb = -1;
};

// Reads the program's debug log until the construction begins, then
// samples /proc/PID/syscall every 0.2 ms until the main thread has sat in
// poll() for 3 ms.
class IdleProbe
{
public:
    explicit IdleProbe(const Spawned &Child)
        : Child(Child), SyscallPath(QStringLiteral("/proc/%1/syscall").arg(Child.Pid))
    {
    }

    // One look at the program; true once the measurement is over, either way.
    bool Look(RealStart &Result)
    {
        ReadAvailable(Child.Out, Log);
        Now = NowNs();
        if (!Constructing && Log.contains("OrvaneUI::Construct()")) {
            Constructing = true;
            Result.ConstructMs = (Now - Child.StartNs) / 1e6;
        }
        return Constructing && LookAtSyscall(Result);
    }

    // Until the next look: short naps once sampling, else the log's pipe.
    void Wait() const
    {
        if (Constructing) {
            const timespec Nap {0, 200000};
            nanosleep(&Nap, nullptr);
        } else {
            pollfd Watch {Child.Out, POLLIN, 0};
            poll(&Watch, 1, 1);
        }
    }

    qint64 LastLookNs() const { return Now; }

private:
    bool LookAtSyscall(RealStart &Result)
    {
        QFile Syscall(SyscallPath);
        QByteArray State;
        if (Syscall.open(QIODevice::ReadOnly))
            State = Syscall.readAll();
        if (State.isEmpty()) {
            Result.Error = QStringLiteral("cannot read %1").arg(SyscallPath);
            return true;
        }
        const QByteArray Number = State.split(' ').value(0).trimmed();
        // poll (7) or ppoll (271) on x86-64: the event loop waits for work.
        if (Number != "7" && Number != "271") {
            IdleSince = -1;
            return false;
        }
        if (IdleSince < 0) {
            IdleSince = Now;
            return false;
        }
        if (Now - IdleSince < 3000000)
            return false;
        Result.IdleMs = (IdleSince - Child.StartNs) / 1e6;
        Result.RssKb = RssKb(QString::number(Child.Pid));
        Result.Ok = true;
        return true;
    }

    const Spawned &Child;
    const QString SyscallPath;
    QByteArray Log;
    bool Constructing = false;
    qint64 IdleSince = -1;
    qint64 Now = 0;
};

RealStart RunRealProgram(const QString &Korvel)
{
    RealStart Result;
    Spawned Child;
    if (!Spawn({Korvel}, true, &Child)) {
        Result.Error = QStringLiteral("cannot start %1").arg(Korvel);
        return Result;
    }
    IdleProbe Probe(Child);
    const qint64 Deadline = Child.StartNs + 20LL * 1000000000LL;
    while (!Probe.Look(Result)) {
        int Status = 0;
        if (waitpid(Child.Pid, &Status, WNOHANG) == Child.Pid) {
            Child.Pid = -1; // reaped already
            Result.Error = QStringLiteral("the program ended before its window was up");
            break;
        }
        if (Probe.LastLookNs() > Deadline) {
            Result.Error = QStringLiteral("no idle event loop within 20 s");
            break;
        }
        Probe.Wait();
    }
    Reap(Child, true);
    return Result;
}

// ---------------------------------------------------------- the launcher

// The launcher's clocks, ms from the spawn, and its resident memory then
// and after an EID read.
struct LaunchStart
{
    bool Ok = false;
    QString Error;
    double MainMs = 0, AppMs = 0, ShowEventMs = 0, ShownMs = 0, ExposedMs = 0, IdleMs = 0;
    long RssKb = -1;
    long RssAfterReadKb = -1;
    bool ReadOk = false;
};

// All the child writes, until it closes its end or the deadline passes.
QByteArray ReadToEnd(const Spawned &Child, qint64 Deadline)
{
    QByteArray Out;
    for (;;) {
        pollfd Watch {Child.Out, POLLIN, 0};
        poll(&Watch, 1, 100);
        char Buffer[4096];
        const ssize_t Got = ::read(Child.Out, Buffer, sizeof Buffer);
        if (Got > 0) {
            Out.append(Buffer, int(Got));
            continue;
        }
        if (Got == 0 || NowNs() > Deadline)
            return Out;
    }
}

// The launcher's report: "key value" lines, the clocks in NowNs().
LaunchStart ParseLaunchReport(const QByteArray &Out, qint64 StartNs)
{
    LaunchStart Result;
    QHash<QByteArray, QByteArray> Values;
    for (const QByteArray &Line : Out.split('\n')) {
        const int Space = Line.indexOf(' ');
        if (Space > 0)
            Values.insert(Line.left(Space), Line.mid(Space + 1));
    }
    auto Since = [&](const char *Key) { return (Values.value(Key).toLongLong() - StartNs) / 1e6; };
    if (!Values.contains("idle")) {
        Result.Error = QStringLiteral("the launcher reported no idle window");
        return Result;
    }
    Result.MainMs = Since("main");
    Result.AppMs = Since("app");
    Result.ShowEventMs = Since("show-event");
    Result.ShownMs = Since("shown");
    Result.ExposedMs = Since("exposed");
    Result.IdleMs = Since("idle");
    Result.RssKb = Values.value("rss").toLong();
    Result.ReadOk = Values.value("read") == "ok";
    Result.RssAfterReadKb = Values.contains("rss-read") ? Values.value("rss-read").toLong() : -1;
    Result.Ok = true;
    return Result;
}

// ReadPort empty: no EID read after the start.
LaunchStart RunLauncher(const QString &Self, const QString &ReadPort)
{
    Spawned Child;
    QStringList Command {Self, QStringLiteral("--launch")};
    if (!ReadPort.isEmpty())
        Command << QStringLiteral("--read-eids") << ReadPort;
    if (!Spawn(Command, false, &Child)) {
        LaunchStart Result;
        Result.Error = QStringLiteral("cannot start %1").arg(Self);
        return Result;
    }
    const qint64 Deadline = Child.StartNs + 30LL * 1000000000LL;
    const QByteArray Out = ReadToEnd(Child, Deadline);
    const qint64 StartNs = Child.StartNs;
    Reap(Child, NowNs() > Deadline);
    return ParseLaunchReport(Out, StartNs);
}

// ------------------------------------------------------------ the runs

void AddReal(const RealStart &R, StartupTimes &Times)
{
    if (!R.Ok) {
        Times.RealError = R.Error;
        return;
    }
    Times.RealConstruct.append(R.ConstructMs);
    Times.RealIdle.append(R.IdleMs);
    Times.RealRss.append(R.RssKb / 1024.0);
}

void AddLaunch(const LaunchStart &L, StartupTimes &Times)
{
    if (!L.Ok) {
        Times.LaunchError = L.Error;
        return;
    }
    Times.Main.append(L.MainMs);
    Times.App.append(L.AppMs);
    Times.ShowEvent.append(L.ShowEventMs);
    Times.Shown.append(L.ShownMs);
    Times.Exposed.append(L.ExposedMs);
    Times.Idle.append(L.IdleMs);
    Times.Rss.append(L.RssKb / 1024.0);
    if (L.ReadOk)
        Times.RssRead.append(L.RssAfterReadKb / 1024.0);
    else
        ++Times.ReadFailures;
}

} // namespace

StartupTimes MeasureStartup(const Options &Opt)
{
    StartupTimes Times;
    Progress(QStringLiteral("start-up, %1 runs of korvel and of the launcher").arg(Opt.StartRuns));
    // The launcher's EID read goes to a simulator of its own at 115200 Bd,
    // without the paced line: only the memory it leaves behind counts.
    SideProgram Device;
    QString DevicePath;
    if (!Device.Start(Opt.Devsim, {QStringLiteral("--pty"), QStringLiteral("--baud"), QStringLiteral("115200")},
                      &DevicePath))
        Times.LaunchError = QStringLiteral("the simulator did not start");
    for (int I = 0; I < Opt.StartRuns; ++I) {
        AddReal(RunRealProgram(Opt.Korvel), Times);
        // A launcher that failed once is not tried again.
        if (Times.LaunchError.isEmpty())
            AddLaunch(RunLauncher(Opt.Self, DevicePath), Times);
    }
    return Times;
}

} // namespace Bench
