// korvel-bench: how long the window's exchanges take against the device
// simulator on a paced line, next to the floor the line and the 50 ms wait
// steps imply and next to an independent Modbus master; how responsive the
// window stays meanwhile; what start-up costs in time and memory. It
// measures and reports; no figure makes it fail.
//
// Run through scripts/bench.sh, which builds it and prints its table.

#include "AppMain.h"
#include "EidRegisters.h"
#include "ModbusRtu.h"
#include "MySerialPort.h"
#include "OrvaneUI.h"
#include "ParamMap.h"

#include "DeviceCore.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QStringList>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <spawn.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

namespace {

// ------------------------------------------------------------- utilities

qint64 NowNs()
{
    timespec Now {};
    clock_gettime(CLOCK_MONOTONIC, &Now);
    return qint64(Now.tv_sec) * 1000000000LL + Now.tv_nsec;
}

double Median(QVector<double> Values)
{
    if (Values.isEmpty())
        return std::nan("");
    std::sort(Values.begin(), Values.end());
    const int Mid = Values.size() / 2;
    return Values.size() % 2 ? Values[Mid] : (Values[Mid - 1] + Values[Mid]) / 2;
}

double Min(const QVector<double> &Values)
{
    return Values.isEmpty() ? std::nan("") : *std::min_element(Values.begin(), Values.end());
}

double Max(const QVector<double> &Values)
{
    return Values.isEmpty() ? std::nan("") : *std::max_element(Values.begin(), Values.end());
}

// VmRSS of a process in kB, -1 if unknown.
long RssKb(const QString &Pid = QStringLiteral("self"))
{
    QFile Status(QStringLiteral("/proc/%1/status").arg(Pid));
    if (!Status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &Line : Status.readAll().split('\n')) {
        if (Line.startsWith("VmRSS:"))
            return Line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QString CpuModel()
{
    QFile Info(QStringLiteral("/proc/cpuinfo"));
    if (Info.open(QIODevice::ReadOnly)) {
        for (const QByteArray &Line : Info.readAll().split('\n')) {
            if (Line.startsWith("model name"))
                return QString::fromLocal8Bit(Line.mid(Line.indexOf(':') + 1).trimmed());
        }
    }
    return QStringLiteral("unknown");
}

QString LoadAverage()
{
    QFile Load(QStringLiteral("/proc/loadavg"));
    if (!Load.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    const QList<QByteArray> Fields = Load.readAll().split(' ');
    return QStringLiteral("%1 %2 %3").arg(QString::fromLatin1(Fields.value(0)), QString::fromLatin1(Fields.value(1)),
                                          QString::fromLatin1(Fields.value(2)));
}

// Progress goes to the terminal even when the tool's debug log is sent to a file.
int ProgressFd = 2;

void Progress(const QString &Text)
{
    const QByteArray Line = "korvel-bench: " + Text.toLocal8Bit() + '\n';
    const ssize_t Ignored = ::write(ProgressFd, Line.constData(), size_t(Line.size()));
    (void)Ignored;
}

QString Ms(double Value, int Decimals = 1)
{
    return std::isnan(Value) ? QStringLiteral("—") : QString::number(Value, 'f', Decimals);
}

// ------------------------------------------------------- line and floors

// One transaction: request and reply sizes on the wire.
struct Transaction
{
    int Request;
    int Reply;
};

// The transactions of the four exchanges, sized by the tool's own frame
// builders, so that the floor follows the frames actually sent.
QVector<Transaction> ParamReadLine()
{
    QVector<Transaction> Line;
    for (const ParamMap::Row &Row : ParamMap::Rows)
        Line.append({ModbusRtu::BuildParamRead(Row.Register).size(), ModbusRtu::ParamReadReplyLength});
    return Line;
}

QVector<Transaction> ParamWriteLine()
{
    QVector<Transaction> Line;
    for (const ParamMap::Row &Row : ParamMap::Rows)
        Line.append({ModbusRtu::BuildParamWrite(Row.Register, 0).size(), ModbusRtu::ParamWriteReplyLength});
    Line.append({ModbusRtu::BuildCommit(ModbusRtu::CommitParamCode).size(), ModbusRtu::CommitReplyLength});
    return Line;
}

QVector<Transaction> EidReadLine()
{
    QVector<Transaction> Line;
    for (int Slot = 0; Slot < EidCount; Slot += ModbusRtu::EidsPerBlock) {
        const int Count = qMin(ModbusRtu::EidsPerBlock, EidCount - Slot);
        QByteArray Frame;
        ModbusRtu::OpenEidBlockRead(Frame, EidRegisters::OfSlot(Slot));
        ModbusRtu::CloseEidBlockRead(Frame, Count);
        Line.append({Frame.size(), ModbusRtu::EidReadReplyLength(Count)});
    }
    return Line;
}

QVector<Transaction> EidWriteLine()
{
    QVector<Transaction> Line;
    for (int Slot = 0; Slot < EidCount; Slot += ModbusRtu::EidsPerBlock) {
        const int Count = qMin(ModbusRtu::EidsPerBlock, EidCount - Slot);
        QByteArray Frame;
        ModbusRtu::OpenEidBlockWrite(Frame, EidRegisters::OfSlot(Slot));
        for (int I = 0; I < Count; ++I)
            ModbusRtu::AppendEidValue(Frame, 0);
        ModbusRtu::CloseEidBlockWrite(Frame, Count);
        Line.append({Frame.size(), ModbusRtu::EidWriteReplyLength});
    }
    Line.append({ModbusRtu::BuildCommit(ModbusRtu::CommitEidCode).size(), ModbusRtu::CommitReplyLength});
    return Line;
}

// Request and reply on the wire at 10 bits a byte, plus the device's turnaround.
double LineMs(const Transaction &T, int Baud, int TurnaroundMs)
{
    return (T.Request + T.Reply) * 10.0 * 1000.0 / Baud + TurnaroundMs;
}

double LineMs(const QVector<Transaction> &Line, int Baud, int TurnaroundMs)
{
    double Sum = 0;
    for (const Transaction &T : Line)
        Sum += LineMs(T, Baud, TurnaroundMs);
    return Sum;
}

// The reply is looked at only after each 50 ms pause, and at least one
// pause is always taken: per transaction the whole number of pauses that
// covers its line time.
double FloorMs(const QVector<Transaction> &Line, int Baud, int TurnaroundMs)
{
    const double Step = MySerialPort::PauseStepMs;
    double Sum = 0;
    for (const Transaction &T : Line)
        Sum += qMax(1.0, std::ceil(LineMs(T, Baud, TurnaroundMs) / Step)) * Step;
    return Sum;
}

// --------------------------------------------------------- child processes

// A program started with QProcess that prints a path on its first
// line (the simulator, the paced line).
class SideProgram
{
public:
    ~SideProgram() { Stop(); }

    bool Start(const QString &Program, const QStringList &Arguments, QString *FirstLine)
    {
        Process.setProgram(Program);
        Process.setArguments(Arguments);
        Process.setProcessChannelMode(QProcess::SeparateChannels);
        Process.setStandardErrorFile(QProcess::nullDevice());
        Process.start();
        if (!Process.waitForStarted(5000))
            return false;
        QElapsedTimer Waited;
        Waited.start();
        while (!Process.canReadLine() && Waited.elapsed() < 5000) {
            if (!Process.waitForReadyRead(int(5000 - Waited.elapsed())))
                break;
        }
        if (!Process.canReadLine())
            return false;
        *FirstLine = QString::fromLocal8Bit(Process.readLine()).trimmed();
        return !FirstLine->isEmpty();
    }

    void Stop()
    {
        if (Process.state() == QProcess::NotRunning)
            return;
        Process.terminate();
        if (!Process.waitForFinished(3000)) {
            Process.kill();
            Process.waitForFinished(3000);
        }
    }

private:
    QProcess Process;
};

// A process started with posix_spawn, so that the moment before the spawn
// is as close to the process start as can be taken from outside.
struct Spawned
{
    pid_t Pid = -1;
    int Out = -1; // read end of the child's stdout (or stderr) pipe
    qint64 StartNs = 0;
};

bool Spawn(const QStringList &Command, bool ReadStderr, Spawned *Child)
{
    int Pipe[2];
    if (pipe2(Pipe, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addopen(&Actions, ReadStderr ? 1 : 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&Actions, Pipe[1], ReadStderr ? 2 : 1);

    QList<QByteArray> Args;
    for (const QString &Arg : Command)
        Args.append(Arg.toLocal8Bit());
    QVector<char *> Argv;
    for (QByteArray &Arg : Args)
        Argv.append(Arg.data());
    Argv.append(nullptr);

    Child->StartNs = NowNs();
    const int Error = posix_spawn(&Child->Pid, Argv[0], &Actions, nullptr, Argv.data(), environ);
    posix_spawn_file_actions_destroy(&Actions);
    ::close(Pipe[1]);
    if (Error != 0) {
        ::close(Pipe[0]);
        return false;
    }
    fcntl(Pipe[0], F_SETFL, fcntl(Pipe[0], F_GETFL) | O_NONBLOCK);
    Child->Out = Pipe[0];
    return true;
}

void Reap(Spawned &Child, bool Kill)
{
    if (Child.Pid > 0) {
        if (Kill)
            ::kill(Child.Pid, SIGKILL);
        int Status = 0;
        waitpid(Child.Pid, &Status, 0);
    }
    if (Child.Out >= 0)
        ::close(Child.Out);
    Child = Spawned();
}

// ------------------------------------------------------------ start-up

// The real program, unchanged: from the spawn to the moment its main
// thread first sits blocked in poll() after the window's construction
// began, that is, to the event loop going idle with the window shown and
// painted. Sampled from /proc every 0.2 ms.
struct RealStart
{
    bool Ok = false;
    QString Error;
    double ConstructMs = 0; // the window's "OrvaneUI::Construct()" line read
    double IdleMs = 0;
    long RssKb = -1;
};

RealStart RunRealProgram(const QString &Korvel)
{
    RealStart Result;
    Spawned Child;
    if (!Spawn({Korvel}, true, &Child)) {
        Result.Error = QStringLiteral("cannot start %1").arg(Korvel);
        return Result;
    }
    const QString SyscallPath = QStringLiteral("/proc/%1/syscall").arg(Child.Pid);
    QByteArray Log;
    bool Constructing = false;
    qint64 IdleSince = -1;
    const qint64 Deadline = Child.StartNs + 20LL * 1000000000LL;
    for (;;) {
        char Buffer[4096];
        ssize_t Got;
        while ((Got = ::read(Child.Out, Buffer, sizeof Buffer)) > 0)
            Log.append(Buffer, int(Got));
        const qint64 Now = NowNs();
        if (!Constructing && Log.contains("OrvaneUI::Construct()")) {
            Constructing = true;
            Result.ConstructMs = (Now - Child.StartNs) / 1e6;
        }
        if (Constructing) {
            QFile Syscall(SyscallPath);
            QByteArray State;
            if (Syscall.open(QIODevice::ReadOnly))
                State = Syscall.readAll();
            if (State.isEmpty()) {
                Result.Error = QStringLiteral("cannot read %1").arg(SyscallPath);
                break;
            }
            const QByteArray Number = State.split(' ').value(0).trimmed();
            // poll (7) or ppoll (271) on x86-64: the event loop waits for work.
            if (Number == "7" || Number == "271") {
                if (IdleSince < 0)
                    IdleSince = Now;
                else if (Now - IdleSince >= 3000000) {
                    Result.IdleMs = (IdleSince - Child.StartNs) / 1e6;
                    Result.RssKb = RssKb(QString::number(Child.Pid));
                    Result.Ok = true;
                    break;
                }
            } else {
                IdleSince = -1;
            }
        }
        int Status = 0;
        if (waitpid(Child.Pid, &Status, WNOHANG) == Child.Pid) {
            Child.Pid = -1;
            Result.Error = QStringLiteral("the program ended before its window was up");
            break;
        }
        if (Now > Deadline) {
            Result.Error = QStringLiteral("no idle event loop within 20 s");
            break;
        }
        if (Constructing) {
            const timespec Nap {0, 200000};
            nanosleep(&Nap, nullptr);
        } else {
            pollfd Watch {Child.Out, POLLIN, 0};
            poll(&Watch, 1, 1);
        }
    }
    Reap(Child, true);
    return Result;
}

// The same start as the program's main(), in this program, with clocks
// inside: when main() was entered, the application object made, the window
// shown, its native window exposed, and the event loop first idle
// afterwards; and the resident memory then and after an EID read.
struct LaunchStart
{
    bool Ok = false;
    QString Error;
    double MainMs = 0, AppMs = 0, ShowEventMs = 0, ShownMs = 0, ExposedMs = 0, IdleMs = 0;
    long RssKb = -1;
    long RssAfterReadKb = -1;
    bool ReadOk = false;
};

LaunchStart RunLauncher(const QString &Self, const QString &ReadPort)
{
    LaunchStart Result;
    Spawned Child;
    QStringList Command {Self, QStringLiteral("--launch")};
    if (!ReadPort.isEmpty())
        Command << QStringLiteral("--read-eids") << ReadPort;
    if (!Spawn(Command, false, &Child)) {
        Result.Error = QStringLiteral("cannot start %1").arg(Self);
        return Result;
    }
    QByteArray Out;
    const qint64 Deadline = Child.StartNs + 30LL * 1000000000LL;
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
            break;
    }
    const qint64 StartNs = Child.StartNs;
    Reap(Child, NowNs() > Deadline);

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

// The --launch mode: what the program's main() does (the application
// object, then RunMainWindow), with clocks around it. An application-wide
// event filter notes the window's Show event (sent by show() once the
// window is built, polished and has its native window) and the first
// expose of that native window; RunMainWindow's start hook notes the return of show(); the
// event loop's first wait after the expose ends the measurement.
int Launch(int argc, char *argv[])
{
    const qint64 MainNs = NowNs();
    QString ReadPort;
    for (int I = 1; I + 1 < argc; ++I) {
        if (qstrcmp(argv[I], "--read-eids") == 0)
            ReadPort = QString::fromLocal8Bit(argv[I + 1]);
    }

    QApplication App(argc, argv);
    const qint64 AppNs = NowNs();

    struct WindowWatch : QObject
    {
        QWidget *Window = nullptr;
        qint64 ShowNs = 0;
        qint64 ExposedNs = 0;
        bool eventFilter(QObject *Watched, QEvent *Event) override
        {
            if (Event->type() == QEvent::Show && !Window && Watched->inherits("OrvaneUI")) {
                Window = static_cast<QWidget *>(Watched);
                ShowNs = NowNs();
            } else if (Event->type() == QEvent::Expose && Window && ExposedNs == 0 && Watched->isWindowType()
                       && Watched == Window->windowHandle()) {
                ExposedNs = NowNs();
            }
            return false;
        }
    } Watch;
    App.installEventFilter(&Watch);

    QTextStream Out(stdout);
    OrvaneUI *Shown = nullptr;
    qint64 ShownNs = 0;
    bool Reported = false;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &App, [&] {
        if (Reported || Watch.ExposedNs == 0 || !Shown)
            return;
        Reported = true;
        const qint64 IdleNs = NowNs();
        Out << "main " << MainNs << "\napp " << AppNs << "\nshow-event " << Watch.ShowNs << "\nshown " << ShownNs
            << "\nexposed " << Watch.ExposedNs << "\nidle " << IdleNs << "\nrss " << RssKb() << '\n';
        Out.flush();
        // After the measurement: an EID read for the memory it leaves
        // behind, then the end, as when the operator closes the window.
        QTimer::singleShot(0, &App, [&] {
            if (!ReadPort.isEmpty()) {
                Shown->QTabWidget_Config->setCurrentWidget(Shown->QWidget_Tab_Eid);
                const bool Opened = Shown->SerialPort->OpenPort(ReadPort, 115200, QSerialPort::Data8,
                                                                QSerialPort::NoParity, QSerialPort::OneStop,
                                                                QSerialPort::NoFlowControl);
                const bool Read = Opened && Shown->ExchangeEidRead(Shown->CollectEidSet());
                QCoreApplication::processEvents();
                Out << "read " << (Read ? "ok" : "failed") << "\nrss-read " << RssKb() << '\n';
                Out.flush();
                Shown->SerialPort->ClosePort();
            }
            QCoreApplication::quit();
        });
    });

    return RunMainWindow(App, [&](OrvaneUI *Window) {
        Shown = Window;
        ShownNs = NowNs();
    });
}

// ------------------------------------------------------------- exchanges

struct Run
{
    double Ms = 0;
    double GapMs = 0; // largest gap between ticks of a 10 ms timer
    bool Ok = false;
};

// Times one exchange while a 10 ms timer ticks in the same event loop.
Run Measure(const std::function<bool()> &Exchange)
{
    QElapsedTimer Clock;
    qint64 Last = 0;
    qint64 Widest = 0;
    QTimer Ticker;
    Ticker.setTimerType(Qt::PreciseTimer);
    Ticker.setInterval(10);
    QObject::connect(&Ticker, &QTimer::timeout, [&] {
        const qint64 Now = Clock.nsecsElapsed();
        Widest = qMax(Widest, Now - Last);
        Last = Now;
    });
    Clock.start();
    Ticker.start();
    Run Result;
    Result.Ok = Exchange();
    const qint64 End = Clock.nsecsElapsed();
    Ticker.stop();
    // The stretch after the last tick counts as well.
    Widest = qMax(Widest, End - Last);
    Result.Ms = End / 1e6;
    Result.GapMs = Widest / 1e6;
    return Result;
}

enum Kind { ParamRead, ParamWrite, EidRead, EidWrite, KindCount };

const char *const KindNames[KindCount] = {
    "Parameter read", "Parameter write + commit", "EID read (200)", "EID write (200) + commit",
};

QVector<Transaction> LineOf(Kind Which)
{
    switch (Which) {
    case ParamRead: return ParamReadLine();
    case ParamWrite: return ParamWriteLine();
    case EidRead: return EidReadLine();
    case EidWrite: return EidWriteLine();
    default: return {};
    }
}

struct Series
{
    QVector<double> Ms, GapMs;
    int Failed = 0;
};

struct BaudResult
{
    int Baud = 0;
    QString Error;
    Series Exchange[KindCount];
    QVector<double> ModbusMs;
    QString ModbusError;
};

struct Options
{
    int Repeats = 5;
    int StartRuns = 15;
    int ConstructRuns = 20;
    QList<int> Bauds {9600, 115200};
    int TurnaroundMs = 3;
    bool PacedRequests = true;
    QString Only; // one part alone: "exchanges", "startup" or "construct"
    QString Korvel, Devsim, Line, Modbus, Self, Out, Log;
};

void ShowAndSettle(QWidget *Window)
{
    Window->show();
    QElapsedTimer Waited;
    Waited.start();
    while ((!Window->windowHandle() || !Window->windowHandle()->isExposed()) && Waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
}

BaudResult RunBaud(OrvaneUI *Window, int Baud, const Options &Opt)
{
    BaudResult Result;
    Result.Baud = Baud;

    SideProgram Device, Line;
    QString DevicePath, PortPath;
    if (!Device.Start(Opt.Devsim,
                      {QStringLiteral("--pty"), QStringLiteral("--baud"), QString::number(Baud),
                       QStringLiteral("--turnaround"), QString::number(Opt.TurnaroundMs)},
                      &DevicePath)) {
        Result.Error = QStringLiteral("the simulator did not start");
        return Result;
    }
    if (Opt.PacedRequests) {
        if (!Line.Start(Opt.Line, {DevicePath, QString::number(Baud)}, &PortPath)) {
            Result.Error = QStringLiteral("the paced line did not start");
            return Result;
        }
    } else {
        PortPath = DevicePath;
    }

    if (!Window->SerialPort->OpenPort(PortPath, Baud, QSerialPort::Data8, QSerialPort::NoParity,
                                      QSerialPort::OneStop, QSerialPort::NoFlowControl)) {
        Result.Error = QStringLiteral("cannot open %1").arg(PortPath);
        return Result;
    }
    for (int Round = 0; Round < Opt.Repeats; ++Round) {
        Progress(QStringLiteral("%1 baud, round %2 of %3").arg(Baud).arg(Round + 1).arg(Opt.Repeats));
        for (int K = 0; K < KindCount; ++K) {
            // The tab of the exchange is on show, as when the operator runs it.
            const bool Eid = K == EidRead || K == EidWrite;
            Window->QTabWidget_Config->setCurrentWidget(Eid ? Window->QWidget_Tab_Eid : Window->QWidget_Tab_Param);
            QCoreApplication::processEvents();
            const QJsonObject Request = Eid ? Window->CollectEidSet() : Window->CollectParamSet();
            Run R;
            switch (K) {
            case ParamRead: R = Measure([&] { return Window->ExchangeParamRead(Request); }); break;
            case ParamWrite: R = Measure([&] { return Window->ExchangeParamWrite(Request); }); break;
            case EidRead: R = Measure([&] { return Window->ExchangeEidRead(Request); }); break;
            case EidWrite: R = Measure([&] { return Window->ExchangeEidWrite(Request); }); break;
            }
            Series &S = Result.Exchange[K];
            if (R.Ok) {
                S.Ms.append(R.Ms);
                S.GapMs.append(R.GapMs);
            } else {
                ++S.Failed;
            }
            QCoreApplication::processEvents();
        }
    }
    Window->SerialPort->ClosePort();

    // The independent master reads the same registers, one by one, from the
    // device's own RS-485 address (the simulator answers it besides 0x00).
    Progress(QStringLiteral("%1 baud, libmodbus").arg(Baud));
    QStringList Arguments {PortPath, QString::number(Baud), QString::number(DeviceCore().OwnAddress()),
                           QString::number(Opt.Repeats)};
    for (const ParamMap::Row &Row : ParamMap::Rows)
        Arguments << QString::number(Row.Register);
    QProcess Master;
    Master.start(Opt.Modbus, Arguments);
    if (!Master.waitForStarted(5000)) {
        Result.ModbusError = QStringLiteral("cannot start %1").arg(Opt.Modbus);
        return Result;
    }
    if (!Master.waitForFinished(120000)) {
        Master.kill();
        Master.waitForFinished();
        Result.ModbusError = QStringLiteral("did not finish");
    }
    for (const QByteArray &Line : Master.readAllStandardOutput().split('\n')) {
        bool Ok = false;
        const double Value = Line.trimmed().toDouble(&Ok);
        if (Ok)
            Result.ModbusMs.append(Value);
    }
    if (Master.exitStatus() != QProcess::NormalExit || Master.exitCode() != 0)
        Result.ModbusError = QString::fromLocal8Bit(Master.readAllStandardError()).trimmed();
    return Result;
}

// ------------------------------------------------------------- the table

QString Verdict(bool Met)
{
    return Met ? QStringLiteral("yes") : QStringLiteral("**no**");
}

QString Spread(const QVector<double> &Values, int Decimals = 1)
{
    return QStringLiteral("%1 (%2–%3)").arg(Ms(Median(Values), Decimals), Ms(Min(Values), Decimals),
                                             Ms(Max(Values), Decimals));
}

bool ParseOptions(const QStringList &Args, Options &Opt, QString *Error)
{
    for (int I = 1; I < Args.size(); ++I) {
        const QString &A = Args[I];
        auto Next = [&](QString &Into) {
            if (I + 1 >= Args.size()) {
                *Error = QStringLiteral("%1 needs a value").arg(A);
                return false;
            }
            Into = Args[++I];
            return true;
        };
        auto NextInt = [&](int &Into, int Least) {
            QString Text;
            if (!Next(Text))
                return false;
            bool Ok = false;
            Into = Text.toInt(&Ok);
            if (!Ok || Into < Least) {
                *Error = QStringLiteral("%1 needs a whole number from %2").arg(A).arg(Least);
                return false;
            }
            return true;
        };
        bool Ok = true;
        if (A == QLatin1String("--repeats"))
            Ok = NextInt(Opt.Repeats, 1);
        else if (A == QLatin1String("--startup-runs"))
            Ok = NextInt(Opt.StartRuns, 1);
        else if (A == QLatin1String("--construct-runs"))
            Ok = NextInt(Opt.ConstructRuns, 2);
        else if (A == QLatin1String("--turnaround"))
            Ok = NextInt(Opt.TurnaroundMs, 0);
        else if (A == QLatin1String("--bauds")) {
            QString Text;
            Ok = Next(Text);
            Opt.Bauds.clear();
            for (const QString &Part : Text.split(QLatin1Char(','))) {
                if (Part.isEmpty())
                    continue;
                const int Baud = Part.toInt();
                if (Baud < 50) {
                    *Error = QStringLiteral("bad baud rate '%1'").arg(Part);
                    return false;
                }
                Opt.Bauds.append(Baud);
            }
        } else if (A == QLatin1String("--only")) {
            Ok = Next(Opt.Only);
            if (Ok && Opt.Only != QLatin1String("exchanges") && Opt.Only != QLatin1String("startup")
                && Opt.Only != QLatin1String("construct")) {
                *Error = QStringLiteral("--only takes exchanges, startup or construct");
                return false;
            }
        } else if (A == QLatin1String("--direct"))
            Opt.PacedRequests = false;
        else if (A == QLatin1String("--korvel"))
            Ok = Next(Opt.Korvel);
        else if (A == QLatin1String("--devsim"))
            Ok = Next(Opt.Devsim);
        else if (A == QLatin1String("--line"))
            Ok = Next(Opt.Line);
        else if (A == QLatin1String("--modbus"))
            Ok = Next(Opt.Modbus);
        else if (A == QLatin1String("--out"))
            Ok = Next(Opt.Out);
        else if (A == QLatin1String("--log"))
            Ok = Next(Opt.Log);
        else {
            *Error = QStringLiteral("unknown option '%1'").arg(A);
            return false;
        }
        if (!Ok)
            return false;
    }
    return true;
}

const char *const Usage =
    "Usage: korvel-bench [options]\n"
    "Measures the tool against the device simulator and prints a markdown table.\n"
    "  --repeats N         rounds of the four exchanges per line speed (default 5)\n"
    "  --startup-runs N    start-ups of each kind (default 15)\n"
    "  --construct-runs N  window constructions in this process (default 20)\n"
    "  --bauds LIST        line speeds, comma-separated (default 9600,115200)\n"
    "  --turnaround MS     the simulator's turnaround (default 3)\n"
    "  --direct            the tool's requests reach the simulator at once instead\n"
    "                      of at 10 bits a byte\n"
    "  --only PART         measure one part alone: exchanges, startup or construct\n"
    "  --out FILE          also write the table to FILE\n"
    "  --log FILE          send the tool's debug log to FILE (default: stderr)\n"
    "  --korvel, --devsim, --line, --modbus PATH   the programs to use\n";

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--launch") == 0)
        return Launch(argc, argv);
    if (argc > 1 && (qstrcmp(argv[1], "--help") == 0 || qstrcmp(argv[1], "-h") == 0)) {
        std::fputs(Usage, stdout);
        return 0;
    }

    // Headless: the window is real but drawn off-screen, here and in every
    // start-up measured.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QByteArray TempRuntimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        char Dir[] = "/tmp/korvel-bench-XXXXXX";
        if (mkdtemp(Dir)) {
            TempRuntimeDir = Dir;
            qputenv("XDG_RUNTIME_DIR", TempRuntimeDir);
        }
    }

    QStringList Args;
    for (int I = 0; I < argc; ++I)
        Args << QString::fromLocal8Bit(argv[I]);
    Options Opt;
    Opt.Korvel = QStringLiteral(KORVEL_BENCH_KORVEL);
    Opt.Devsim = QStringLiteral(KORVEL_BENCH_DEVSIM);
    Opt.Line = QStringLiteral(KORVEL_BENCH_LINE);
    Opt.Modbus = QStringLiteral(KORVEL_BENCH_MODBUS);
    QString Error;
    if (!ParseOptions(Args, Opt, &Error)) {
        std::fprintf(stderr, "korvel-bench: %s\n%s", Error.toLocal8Bit().constData(), Usage);
        return 2;
    }
    if (!Opt.Log.isEmpty()) {
        ProgressFd = dup(2);
        const int Log = ::open(Opt.Log.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (Log < 0) {
            std::fprintf(stderr, "korvel-bench: %s: %s\n", Opt.Log.toLocal8Bit().constData(), strerror(errno));
            return 2;
        }
        dup2(Log, 2);
        ::close(Log);
    }

    const QString LoadBefore = LoadAverage();
    QApplication App(argc, argv);
    Opt.Self = QCoreApplication::applicationFilePath();
    const QString Started = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    auto Wanted = [&](const char *Part) { return Opt.Only.isEmpty() || Opt.Only == QLatin1String(Part); };

    // Construction alone first, while this process is still fresh: the first
    // run pays for what Qt sets up once (fonts, style).
    double FirstConstructMs = std::nan("");
    QVector<double> ConstructMs, ScanMs;
    if (Wanted("construct")) {
        Progress(QStringLiteral("window construction, %1 runs").arg(Opt.ConstructRuns));
        for (int I = 0; I < Opt.ConstructRuns; ++I) {
            QElapsedTimer Clock;
            Clock.start();
            OrvaneUI *Window = new OrvaneUI();
            const bool Built = Window->Construct();
            const double Elapsed = Clock.nsecsElapsed() / 1e6;
            delete Window;
            if (!Built)
                continue;
            if (I == 0)
                FirstConstructMs = Elapsed;
            else
                ConstructMs.append(Elapsed);
        }
        // The share of the port scan that Construct() runs.
        for (int I = 0; I < Opt.ConstructRuns; ++I) {
            MySerialPort Port;
            QElapsedTimer Clock;
            Clock.start();
            Port.ScanPorts();
            ScanMs.append(Clock.nsecsElapsed() / 1e6);
        }
    }

    // Exchanges, speed by speed, on one window as the operator has it.
    QList<BaudResult> Bauds;
    QVector<double> PauseMs;
    if (Wanted("exchanges")) {
        OrvaneUI *Window = new OrvaneUI();
        Window->Construct();
        ShowAndSettle(Window);
        // The wait's step alone, with nothing on the line: what one pause
        // costs beyond its nominal length.
        for (int I = 0; I < 20; ++I) {
            QElapsedTimer Clock;
            Clock.start();
            MySerialPort::PauseMs(MySerialPort::PauseStepMs);
            PauseMs.append(Clock.nsecsElapsed() / 1e6);
        }
        for (const int Baud : Opt.Bauds)
            Bauds.append(RunBaud(Window, Baud, Opt));
        delete Window;
    }

    // Start-up: the real program, then the launcher with its clocks and an
    // EID read for the memory it leaves behind. Alternated, so that a change
    // of load touches both alike.
    QVector<double> RealConstruct, RealIdle, RealRss;
    QString RealError;
    QVector<double> LMain, LApp, LShowEvent, LShown, LExposed, LIdle, LRss, LRssRead;
    QString LaunchError;
    int ReadFailures = 0;
    if (Wanted("startup")) {
        Progress(QStringLiteral("start-up, %1 runs of korvel and of the launcher").arg(Opt.StartRuns));
        SideProgram Device;
        QString DevicePath;
        if (!Device.Start(Opt.Devsim, {QStringLiteral("--pty"), QStringLiteral("--baud"), QStringLiteral("115200")},
                          &DevicePath))
            LaunchError = QStringLiteral("the simulator did not start");
        for (int I = 0; I < Opt.StartRuns; ++I) {
            const RealStart R = RunRealProgram(Opt.Korvel);
            if (R.Ok) {
                RealConstruct.append(R.ConstructMs);
                RealIdle.append(R.IdleMs);
                RealRss.append(R.RssKb / 1024.0);
            } else {
                RealError = R.Error;
            }
            if (!LaunchError.isEmpty())
                continue;
            const LaunchStart L = RunLauncher(Opt.Self, DevicePath);
            if (!L.Ok) {
                LaunchError = L.Error;
                continue;
            }
            LMain.append(L.MainMs);
            LApp.append(L.AppMs);
            LShowEvent.append(L.ShowEventMs);
            LShown.append(L.ShownMs);
            LExposed.append(L.ExposedMs);
            LIdle.append(L.IdleMs);
            LRss.append(L.RssKb / 1024.0);
            if (L.ReadOk)
                LRssRead.append(L.RssAfterReadKb / 1024.0);
            else
                ++ReadFailures;
        }
    }
    const QString LoadAfter = LoadAverage();

    // ------------------------------------------------------------ output
    // Literals with characters beyond ASCII go in through U(): a QTextStream
    // takes a plain char string as Latin-1.
    auto U = [](const char *Text) { return QString::fromUtf8(Text); };
    QString T;
    QTextStream Md(&T);
    utsname Uts {};
    uname(&Uts);
    Md << "Machine: " << CpuModel() << ", " << sysconf(_SC_NPROCESSORS_ONLN) << " cores, Linux " << Uts.release
       << ", Qt " << qVersion() << " (built with " << QT_VERSION_STR << "), " << KORVEL_BENCH_BUILD_TYPE
       << " build, GCC " << __VERSION__ << ".  \n";
    Md << "Run: " << Started << "; load average before " << LoadBefore << ", after " << LoadAfter << ".  \n";
    if (!Bauds.isEmpty())
        Md << "Line: `korvel-devsim --pty --baud B --turnaround " << Opt.TurnaroundMs
           << "` (replies paced at 10 bits a byte); "
           << (Opt.PacedRequests ? "the tool's requests reach it through `korvel-bench-line`, paced the same way"
                                 : "the tool's requests reach it at once (`--direct`)")
           << ". Exchanges: medians of " << Opt.Repeats << " rounds" << U(" (min–max)") << ".  \n";
    Md << '\n';

    Md << U("| Measure | Line | Measured, ms: median (min–max) | Floor or reference, ms | Ratio | "
            "Largest gap of a 10 ms timer, ms | Target | Met |\n");
    Md << "|---|---|---|---|---|---|---|---|\n";
    for (const BaudResult &B : Bauds) {
        const QString Line = QStringLiteral("%1 Bd").arg(B.Baud);
        if (!B.Error.isEmpty()) {
            Md << "| Exchanges | " << Line << " | not measured: " << B.Error << " | | | | | |\n";
            continue;
        }
        for (int K = 0; K < KindCount; ++K) {
            const Series &S = B.Exchange[K];
            const QVector<Transaction> Tx = LineOf(Kind(K));
            const double Floor = FloorMs(Tx, B.Baud, Opt.TurnaroundMs);
            const double Ratio = Median(S.Ms) / Floor;
            const double Gap = Max(S.GapMs);
            QString What = QStringLiteral("%1, %2 transactions").arg(QLatin1String(KindNames[K])).arg(Tx.size());
            if (S.Failed)
                What += QStringLiteral(" (%1 of %2 runs failed)").arg(S.Failed).arg(S.Failed + S.Ms.size());
            Md << "| " << What << " | " << Line << " | " << Spread(S.Ms) << " | floor " << Ms(Floor, 0)
               << " (line time " << Ms(LineMs(Tx, B.Baud, Opt.TurnaroundMs)) << ") | " << Ms(Ratio, 3) << " | "
               << Ms(Gap) << U(" | ratio ≤ 1.05; gap < 60 | ") << Verdict(Ratio <= 1.05 && Gap < 60) << " |\n";
        }
        const QVector<Transaction> Tx = ParamReadLine();
        const double Tool = Median(B.Exchange[ParamRead].Ms);
        QString What = QStringLiteral("Parameter read by libmodbus %1 (address %2), %3 transactions")
                           .arg(QLatin1String(KORVEL_BENCH_LIBMODBUS_VERSION))
                           .arg(DeviceCore().OwnAddress())
                           .arg(Tx.size());
        if (!B.ModbusError.isEmpty())
            What += QStringLiteral(" (error: %1)").arg(B.ModbusError);
        Md << "| " << What << " | " << Line << " | " << Spread(B.ModbusMs) << " | line time "
           << Ms(LineMs(Tx, B.Baud, Opt.TurnaroundMs)) << "; the tool " << Ms(Tool) << U(" | tool ÷ libmodbus ")
           << Ms(Tool / Median(B.ModbusMs), 2) << U(" | — | — | — |\n");
    }
    if (!PauseMs.isEmpty())
        Md << "| One wait step, `MySerialPort::PauseMs(" << MySerialPort::PauseStepMs << ")`, " << PauseMs.size()
           << " times | idle | " << Spread(PauseMs, 2) << " | nominal " << MySerialPort::PauseStepMs << " | "
           << Ms(Median(PauseMs) / MySerialPort::PauseStepMs, 3) << U(" | — | — | — |\n");
    if (Wanted("startup")) {
        Md << "| Start-up of `korvel`: process start to its event loop first idle with the window shown ("
           << RealIdle.size() << " runs" << (RealError.isEmpty() ? QString() : QStringLiteral("; ") + RealError)
           << ") | offscreen | " << Spread(RealIdle) << " | window construction begins at "
           << Ms(Median(RealConstruct)) << U(" | — | — | < 250 | ") << Verdict(Median(RealIdle) < 250) << " |\n";
        Md << "| Start-up through the launcher, the same steps as `main()`: process start to the window exposed ("
           << LExposed.size() << " runs" << (LaunchError.isEmpty() ? QString() : QStringLiteral("; ") + LaunchError)
           << ") | offscreen | " << Spread(LExposed) << " | main() entered " << Ms(Median(LMain))
           << ", QApplication made " << Ms(Median(LApp)) << ", the window's Show event (built, native window made) "
           << Ms(Median(LShowEvent)) << ", show() returned " << Ms(Median(LShown)) << ", event loop idle "
           << Ms(Median(LIdle))
           << U(" | — | — | < 250 | ") << Verdict(Median(LExposed) < 250) << " |\n";
        Md << "| Resident memory of `korvel` at that idle, MB | offscreen | " << Spread(RealRss)
           << U(" | — | — | — | < 60 | ") << Verdict(Max(RealRss) < 60) << " |\n";
        Md << "| Resident memory of the launcher after start-up, MB | offscreen | " << Spread(LRss)
           << U(" | — | — | — | < 60 | ") << Verdict(Max(LRss) < 60) << " |\n";
        Md << "| Resident memory of the launcher after a 200-EID read, MB"
           << (ReadFailures ? QStringLiteral(" (%1 reads failed)").arg(ReadFailures) : QString())
           << " | 115200 Bd | " << Spread(LRssRead) << U(" | — | — | — | < 60 | ") << Verdict(Max(LRssRead) < 60)
           << " |\n";
    }
    if (Wanted("construct"))
        Md << "| Window construction alone, `OrvaneUI()` + `Construct()` (14 fields, 200 entries): median of "
           << ConstructMs.size() << " runs after a first of " << Ms(FirstConstructMs) << U(" | — | ")
           << Spread(ConstructMs, 2) << " | of which the port scan " << Spread(ScanMs, 2)
           << U(" | — | — | — | — |\n");

    Md.flush();
    const QByteArray Text = T.toUtf8();
    std::fwrite(Text.constData(), 1, size_t(Text.size()), stdout);
    std::fflush(stdout);
    if (!Opt.Out.isEmpty()) {
        QFile File(Opt.Out);
        if (File.open(QIODevice::WriteOnly | QIODevice::Truncate))
            File.write(Text);
    }
    if (!TempRuntimeDir.isEmpty())
        ::rmdir(TempRuntimeDir.constData());
    return 0;
}
