// korvel-bench: how long the window's and korvelctl's exchanges take
// against the device simulator on a paced line, next to the floors the
// line and each one's waits imply and next to an independent Modbus
// master; how responsive the window stays meanwhile; what start-up costs
// in time and memory. It measures and reports; no figure makes it fail.
//
// Run through scripts/bench.sh, which builds it and prints its table.
//
// The units: Options (command line), PacedLine (simulator and pacing relay),
// Exchanges (the four exchanges, line time and floors), WindowExchanges,
// CtlExchanges (korvelctl's), CtlBus (korvelctl's probe and scan), NetExchanges (korvelctl through
// ser2net), ModbusSideBySide, Construction, Startup with
// Spawn and Launcher (the --launch mode), Report (the results and the table), Figures (clocks and
// sums). Each client measured on the paced line is a unit of its own, run
// in turn by MeasureAtBaud below and given its group of rows by Report.

#include "Construction.h"
#include "CtlBus.h"
#include "CtlExchanges.h"
#include "Figures.h"
#include "Launcher.h"
#include "ModbusSideBySide.h"
#include "NetExchanges.h"
#include "Options.h"
#include "OrvaneUI.h"
#include "PacedLine.h"
#include "Report.h"
#include "Startup.h"
#include "WindowExchanges.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using namespace Bench;

namespace {

// Headless: the window is real but drawn off-screen, here and in every
// start-up measured. Returns the runtime directory made for the run, if any.
QByteArray GoHeadless()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return QByteArray();
    char Dir[] = "/tmp/korvel-bench-XXXXXX";
    if (!mkdtemp(Dir))
        return QByteArray();
    qputenv("XDG_RUNTIME_DIR", Dir);
    return Dir;
}

// The tool's debug log goes to stderr; --log sends it to a file, while
// the progress lines keep the terminal.
bool SendLogTo(const QString &Path)
{
    SendProgressTo(dup(2));
    const int Log = ::open(Path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (Log < 0) {
        std::fprintf(stderr, "korvel-bench: %s: %s\n", Path.toLocal8Bit().constData(), strerror(errno));
        return false;
    }
    dup2(Log, 2);
    ::close(Log);
    return true;
}

// One line speed: the simulator and the paced line, then each client in
// turn on the same line.
BaudResult MeasureAtBaud(OrvaneUI *Window, int Baud, const Options &Opt)
{
    BaudResult Result;
    Result.Baud = Baud;
    PacedLine Line;
    if (!Line.Start(Baud, Opt)) {
        Result.Error = Line.Error();
        return Result;
    }
    Result.Error = RunWindowRounds(Window, Line.PortPath(), Baud, Opt, Result.Window);
    if (!Result.Error.isEmpty())
        return Result;
    Result.CtlError = RunCtlRounds(Line.PortPath(), Baud, Opt, Result.Ctl);
    Result.Modbus = RunLibmodbus(Line.PortPath(), Baud, Opt);
    return Result;
}

// Exchanges, speed by speed, on one window as the operator has it, and
// first the window's wait step alone.
void MeasureExchanges(const Options &Opt, Results &R)
{
    OrvaneUI *Window = new OrvaneUI();
    Window->Construct();
    ShowAndSettle(Window);
    R.PauseMs = MeasurePauseStep();
    for (const int Baud : Opt.Bauds)
        R.Bauds.append(MeasureAtBaud(Window, Baud, Opt));
    delete Window;
    R.Bus = RunCtlBus(Opt);
}

// Options, then the debug log sent where they say. False: a message is out.
bool ReadCommandLine(int argc, char *argv[], Options &Opt)
{
    QStringList Args;
    for (int I = 0; I < argc; ++I)
        Args << QString::fromLocal8Bit(argv[I]);
    QString Error;
    if (!ParseOptions(Args, Opt, &Error)) {
        std::fprintf(stderr, "korvel-bench: %s\n%s", Error.toLocal8Bit().constData(), Usage);
        return false;
    }
    return Opt.Log.isEmpty() || SendLogTo(Opt.Log);
}

void Print(const QString &Table, const QString &OutPath)
{
    const QByteArray Text = Table.toUtf8();
    std::fwrite(Text.constData(), 1, size_t(Text.size()), stdout);
    std::fflush(stdout);
    if (OutPath.isEmpty())
        return;
    QFile File(OutPath);
    if (File.open(QIODevice::WriteOnly | QIODevice::Truncate))
        File.write(Text);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--launch") == 0)
        return Launch(argc, argv);
    if (argc > 1 && (qstrcmp(argv[1], "--help") == 0 || qstrcmp(argv[1], "-h") == 0)) {
        std::fputs(Usage, stdout);
        return 0;
    }
    const QByteArray TempRuntimeDir = GoHeadless();

    Options Opt;
    if (!ReadCommandLine(argc, argv, Opt))
        return 2;

    Results R;
    R.LoadBefore = LoadAverage();
    QApplication App(argc, argv);
    Opt.Self = QCoreApplication::applicationFilePath();
    R.Started = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));

    // Construction alone first, while this process is still fresh.
    if (Opt.Measures("construct"))
        R.Construction = MeasureConstruction(Opt.ConstructRuns);
    if (Opt.Measures("exchanges"))
        MeasureExchanges(Opt, R);
    if (Opt.Measures("network"))
        R.Net = RunNetRounds(Opt);
    if (Opt.Measures("startup"))
        R.Startup = MeasureStartup(Opt);
    R.LoadAfter = LoadAverage();

    Print(Table(R, Opt), Opt.Out);
    if (!TempRuntimeDir.isEmpty())
        ::rmdir(TempRuntimeDir.constData());
    return 0;
}
