#include "Report.h"

#include "Exchanges.h"
#include "Figures.h"
#include "MySerialPort.h"
#include "Options.h"

#include "DeviceCore.h"

#include <QTextStream>

#include <sys/utsname.h>
#include <unistd.h>

namespace Bench {

namespace {

// Literals with characters beyond ASCII go in through U(): a QTextStream
// takes a plain char string as Latin-1.
QString U(const char *Text)
{
    return QString::fromUtf8(Text);
}

QString LineOfBaud(int Baud)
{
    return QStringLiteral("%1 Bd").arg(Baud);
}

void Preamble(QTextStream &Md, const Results &R, const Options &Opt)
{
    utsname Uts {};
    uname(&Uts);
    Md << "Machine: " << CpuModel() << ", " << sysconf(_SC_NPROCESSORS_ONLN) << " cores, Linux " << Uts.release
       << ", Qt " << qVersion() << " (built with " << QT_VERSION_STR << "), " << KORVEL_BENCH_BUILD_TYPE
       << " build, GCC " << __VERSION__ << ".  \n";
    Md << "Run: " << R.Started << "; load average before " << R.LoadBefore << ", after " << R.LoadAfter << ".  \n";
    if (!R.Bauds.isEmpty() || Opt.Measures("network"))
        Md << "Line: `korvel-devsim --pty --baud B --turnaround " << Opt.TurnaroundMs
           << "` (replies paced at 10 bits a byte); "
           << (Opt.PacedRequests ? "the tool's requests reach it through `korvel-bench-line`, paced the same way"
                                 : "the tool's requests reach it at once (`--direct`)")
           << ". Exchanges: medians of " << Opt.Repeats << " rounds" << U(" (min–max)") << ".  \n";
    Md << '\n';
}

void ColumnHeads(QTextStream &Md)
{
    Md << U("| Measure | Line | Measured, ms: median (min–max) | Floor or reference, ms | Ratio | "
            "Largest gap of a 10 ms timer, ms | Target | Met |\n");
    Md << "|---|---|---|---|---|---|---|---|\n";
}

QString FailedNote(const Series &S)
{
    return S.Failed ? QStringLiteral(" (%1 of %2 runs failed)").arg(S.Failed).arg(S.Failed + S.Ms.size())
                    : QString();
}

QString ExchangeName(Kind K, const QVector<Transaction> &Tx)
{
    return QStringLiteral("%1, %2 transactions").arg(QLatin1String(KindNames[K])).arg(Tx.size());
}

// The window's four exchanges against their floors.
void WindowRows(QTextStream &Md, const BaudResult &B, const Options &Opt)
{
    for (int K = 0; K < KindCount; ++K) {
        const Series &S = B.Window.Of[K];
        const QVector<Transaction> Tx = LineOf(Kind(K));
        const double Floor = FloorMs(Tx, B.Baud, Opt.TurnaroundMs);
        const double Ratio = Median(S.Ms) / Floor;
        const double Gap = Max(S.GapMs);
        Md << "| Window: " << ExchangeName(Kind(K), Tx) << FailedNote(S) << " | " << LineOfBaud(B.Baud) << " | "
           << Spread(S.Ms) << " | floor " << Ms(Floor, 0) << " (line time "
           << Ms(LineMs(Tx, B.Baud, Opt.TurnaroundMs)) << ") | " << Ms(Ratio, 3) << " | " << Ms(Gap)
           << U(" | ratio ≤ 1.05; gap < 60 | ") << Verdict(Ratio <= 1.05 && Gap < 60) << " |\n";
    }
}

// korvelctl's four exchanges against the line time plus its silences.
void CtlRows(QTextStream &Md, const BaudResult &B, const Options &Opt)
{
    for (int K = 0; K < KindCount; ++K) {
        const Series &S = B.Ctl.Of[K];
        const QVector<Transaction> Tx = LineOf(Kind(K));
        const double Floor = SilencedFloorMs(Tx, B.Baud, Opt.TurnaroundMs);
        const double Ratio = Median(S.Ms) / Floor;
        Md << "| korvelctl: " << ExchangeName(Kind(K), Tx) << FailedNote(S) << " | " << LineOfBaud(B.Baud)
           << " | " << Spread(S.Ms) << " | floor " << Ms(Floor) << " (line time "
           << Ms(LineMs(Tx, B.Baud, Opt.TurnaroundMs)) << " + " << Tx.size() << " silences of "
           << Ms(SilenceMs(B.Baud), 2) << ") | " << Ms(Ratio, 3) << U(" | — | ratio ≤ 1.1 | ")
           << Verdict(Ratio <= 1.1) << " |\n";
    }
}

// libmodbus, which sends at once, against the bare line time, and the
// tool's figures beside it.
void ModbusRows(QTextStream &Md, const BaudResult &B, const Options &Opt)
{
    for (int K = 0; K < KindCount; ++K) {
        const Series &S = B.Modbus.Times.Of[K];
        const QVector<Transaction> Tx = LineOf(Kind(K));
        const double Line = LineMs(Tx, B.Baud, Opt.TurnaroundMs);
        const double Own = Median(S.Ms);
        const double Ctl = Median(B.Ctl.Of[K].Ms);
        const double Window = Median(B.Window.Of[K].Ms);
        Md << "| libmodbus " << KORVEL_BENCH_LIBMODBUS_VERSION << " (address " << DeviceCore().OwnAddress()
           << "): " << ExchangeName(Kind(K), Tx)
           << (B.Modbus.Error.isEmpty() ? QString() : QStringLiteral(" (error: %1)").arg(B.Modbus.Error))
           << " | " << LineOfBaud(B.Baud) << " | " << Spread(S.Ms) << " | line time " << Ms(Line)
           << U("; korvelctl ") << Ms(Ctl) << U(" (÷ libmodbus ") << Ms(Ctl / Own, 3) << "), the window "
           << Ms(Window) << U(" (÷ libmodbus ") << Ms(Window / Own, 2) << ") | " << Ms(Own / Line, 3)
           << U(" | — | — | — |\n");
    }
}

// korvelctl's probe and scan, whole commands, against their tries' floors.
void BusRows(QTextStream &Md, const BusTimes &Bus, const Options &Opt)
{
    if (!Bus.Error.isEmpty()) {
        Md << "| korvelctl probe and scan | 115200 Bd | not measured: " << Bus.Error << " | | | | | |\n";
        return;
    }
    const struct {
        const char *Name;
        const Series &S;
        double Floor;
        const char *Made;
    } Rows[] = {
        {"korvelctl probe: the device at 115200 Bd, the 6th speed tried", Bus.Probe, ProbeFloorMs(Opt.TurnaroundMs),
         "5 unanswered tries (silence, request, 100 ms wait) + the answered one"},
        {"korvelctl scan of addresses 1 to 60, one device", Bus.Scan, ScanFloorMs(Opt.TurnaroundMs),
         "59 unanswered reads (silence, request, 100 ms wait) + the answered one"},
    };
    for (const auto &Row : Rows) {
        const double Ratio = Median(Row.S.Ms) / Row.Floor;
        Md << "| " << Row.Name << FailedNote(Row.S) << " | 115200 Bd | " << Spread(Row.S.Ms) << " | floor "
           << Ms(Row.Floor) << " (" << Row.Made << ") | " << Ms(Ratio, 3) << U(" | — | ratio ≤ 1.1 | ")
           << Verdict(Ratio <= 1.1) << " |\n";
    }
}

// korvelctl through ser2net and a gateway against the same exchanges on the
// pty.
void NetRows(QTextStream &Md, const NetTimes &Net)
{
    if (!Net.Error.isEmpty()) {
        Md << "| korvelctl through the network | " << LineOfBaud(NetBaud) << " | not measured: " << Net.Error
           << " | | | | | |\n";
        return;
    }
    for (const NetWay *Way : {&Net.Raw, &Net.Telnet, &Net.Gateway}) {
        if (!Way->Error.isEmpty()) {
            Md << "| korvelctl through " << Way->Name << " | " << LineOfBaud(NetBaud) << " | not measured: "
               << Way->Error << " | | | | | |\n";
            continue;
        }
        for (int K = 0; K < KindCount; ++K) {
            const Series &S = Way->Times.Of[K];
            const double Ratio = Median(S.Ms) / Median(Net.Direct.Of[K].Ms);
            Md << "| korvelctl through " << Way->Name << " (`" << Way->Url << "`): "
               << ExchangeName(Kind(K), LineOf(Kind(K))) << FailedNote(S) << " | " << LineOfBaud(NetBaud) << " | "
               << Spread(S.Ms) << " | on the pty directly " << Spread(Net.Direct.Of[K].Ms)
               << FailedNote(Net.Direct.Of[K]) << " | " << Ms(Ratio, 3) << U(" | — | ratio ≤ ")
               << QString::number(Way->Goal) << " | " << Verdict(Ratio <= Way->Goal) << " |\n";
        }
    }
}

// Per line speed, one group of rows for each client measured on it.
void BaudRows(QTextStream &Md, const BaudResult &B, const Options &Opt)
{
    if (!B.Error.isEmpty()) {
        Md << "| Exchanges | " << LineOfBaud(B.Baud) << " | not measured: " << B.Error << " | | | | | |\n";
        return;
    }
    if (!B.CtlError.isEmpty())
        Md << "| korvelctl | " << LineOfBaud(B.Baud) << " | not measured: " << B.CtlError << " | | | | | |\n";
    WindowRows(Md, B, Opt);
    CtlRows(Md, B, Opt);
    ModbusRows(Md, B, Opt);
}

void PauseRow(QTextStream &Md, const QVector<double> &PauseMs)
{
    Md << "| One wait step, `MySerialPort::PauseMs(" << MySerialPort::PauseStepMs << ")`, " << PauseMs.size()
       << " times | idle | " << Spread(PauseMs, 2) << " | nominal " << MySerialPort::PauseStepMs << " | "
       << Ms(Median(PauseMs) / MySerialPort::PauseStepMs, 3) << U(" | — | — | — |\n");
}

QString ErrorNote(const QString &Error)
{
    return Error.isEmpty() ? QString() : QStringLiteral("; ") + Error;
}

void StartupRows(QTextStream &Md, const StartupTimes &S)
{
    Md << "| Start-up of `korvel`: process start to its event loop first idle with the window shown ("
       << S.RealIdle.size() << " runs" << ErrorNote(S.RealError) << ") | offscreen | " << Spread(S.RealIdle)
       << " | window construction begins at " << Ms(Median(S.RealConstruct)) << U(" | — | — | < 250 | ")
       << Verdict(Median(S.RealIdle) < 250) << " |\n";
    Md << "| Start-up through the launcher, the same steps as `main()`: process start to the window exposed ("
       << S.Exposed.size() << " runs" << ErrorNote(S.LaunchError) << ") | offscreen | " << Spread(S.Exposed)
       << " | main() entered " << Ms(Median(S.Main)) << ", QApplication made " << Ms(Median(S.App))
       << ", the window's Show event (built, native window made) " << Ms(Median(S.ShowEvent))
       << ", show() returned " << Ms(Median(S.Shown)) << ", event loop idle " << Ms(Median(S.Idle))
       << U(" | — | — | < 250 | ") << Verdict(Median(S.Exposed) < 250) << " |\n";
    Md << "| Resident memory of `korvel` at that idle, MB | offscreen | " << Spread(S.RealRss)
       << U(" | — | — | — | < 60 | ") << Verdict(Max(S.RealRss) < 60) << " |\n";
    Md << "| Resident memory of the launcher after start-up, MB | offscreen | " << Spread(S.Rss)
       << U(" | — | — | — | < 60 | ") << Verdict(Max(S.Rss) < 60) << " |\n";
    Md << "| Resident memory of the launcher after a 200-EID read, MB"
       << (S.ReadFailures ? QStringLiteral(" (%1 reads failed)").arg(S.ReadFailures) : QString())
       << " | 115200 Bd | " << Spread(S.RssRead) << U(" | — | — | — | < 60 | ") << Verdict(Max(S.RssRead) < 60)
       << " |\n";
}

void ConstructionRow(QTextStream &Md, const ConstructionTimes &C)
{
    Md << "| Window construction alone, `OrvaneUI()` + `Construct()` (14 fields, 200 entries): median of "
       << C.Ms.size() << " runs after a first of " << Ms(C.FirstMs) << U(" | — | ") << Spread(C.Ms, 2)
       << " | of which the port scan " << Spread(C.ScanMs, 2) << U(" | — | — | — | — |\n");
}

} // namespace

QString Table(const Results &R, const Options &Opt)
{
    QString Text;
    QTextStream Md(&Text);
    Preamble(Md, R, Opt);
    ColumnHeads(Md);
    for (const BaudResult &B : R.Bauds)
        BaudRows(Md, B, Opt);
    if (Opt.Measures("exchanges"))
        BusRows(Md, R.Bus, Opt);
    if (Opt.Measures("network"))
        NetRows(Md, R.Net);
    if (!R.PauseMs.isEmpty())
        PauseRow(Md, R.PauseMs);
    if (Opt.Measures("startup"))
        StartupRows(Md, R.Startup);
    if (Opt.Measures("construct"))
        ConstructionRow(Md, R.Construction);
    Md.flush();
    return Text;
}

} // namespace Bench
