#include "CtlBus.h"

#include "Figures.h"
#include "Korvelctl.h"
#include "Options.h"
#include "PacedLine.h"
#include "ParamRegisters.h"

#include <QElapsedTimer>
#include <QTextStream>

namespace Bench {

namespace {

constexpr int DeviceBaud = 115200;
constexpr int QuickWaitMs = 100; // probe's first pass and scan's default
constexpr int RequestBytes = 8;
constexpr int ReplyBytes = 7;
constexpr int ScanCount = 60;

double BytesMs(int Bytes, int Baud)
{
    return Bytes * 10 * 1000.0 / Baud;
}

double UnansweredMs(int Baud)
{
    return SilenceMs(Baud) + BytesMs(RequestBytes, Baud) + QuickWaitMs;
}

double AnsweredMs(int Baud, int TurnaroundMs)
{
    return SilenceMs(Baud) + BytesMs(RequestBytes, Baud) + TurnaroundMs + BytesMs(ReplyBytes, Baud);
}

void Time(Series &S, const QStringList &Arguments)
{
    QString Out;
    QString Err;
    QTextStream OutStream(&Out);
    QTextStream ErrStream(&Err);
    QElapsedTimer Clock;
    Clock.start();
    const int Code = Korvelctl::Run(Arguments, OutStream, ErrStream);
    const double Ms = Clock.nsecsElapsed() / 1e6;
    if (Code == Korvelctl::Done)
        S.Ms.append(Ms);
    else
        ++S.Failed;
}

} // namespace

double ProbeFloorMs(int TurnaroundMs)
{
    double Sum = 0;
    for (const int Rate : ParamRegisters::BaudRates) {
        if (Rate != DeviceBaud)
            Sum += UnansweredMs(Rate);
    }
    return Sum + AnsweredMs(DeviceBaud, TurnaroundMs);
}

double ScanFloorMs(int TurnaroundMs)
{
    return (ScanCount - 1) * UnansweredMs(DeviceBaud) + AnsweredMs(DeviceBaud, TurnaroundMs);
}

BusTimes RunCtlBus(const Options &Opt)
{
    BusTimes Times;
    SideProgram Device;
    QString Port;
    const QString Baud = QString::number(DeviceBaud);
    if (!Device.Start(Opt.Devsim, {"--pty", "--baud", Baud, "--device-baud", Baud, "--devices", "17",
                                   "--turnaround", QString::number(Opt.TurnaroundMs)}, &Port)) {
        Times.Error = QStringLiteral("korvel-devsim did not start");
        return Times;
    }
    for (int R = 0; R < Opt.Repeats; ++R) {
        Progress(QStringLiteral("korvelctl probe and scan, round %1 of %2").arg(R + 1).arg(Opt.Repeats));
        Time(Times.Probe, {"probe", "--port", Port});
        Time(Times.Scan, {"scan", "--port", Port, "--baud", Baud, "--to", QString::number(ScanCount)});
    }
    return Times;
}

} // namespace Bench
