#include "Construction.h"

#include "Figures.h"
#include "MySerialPort.h"
#include "OrvaneUI.h"

#include <QElapsedTimer>

namespace Bench {

ConstructionTimes MeasureConstruction(int Runs)
{
    ConstructionTimes Result;
    Progress(QStringLiteral("window construction, %1 runs").arg(Runs));
    for (int I = 0; I < Runs; ++I) {
        QElapsedTimer Clock;
        Clock.start();
        OrvaneUI *Window = new OrvaneUI();
        const bool Built = Window->Construct();
        const double Elapsed = Clock.nsecsElapsed() / 1e6;
        delete Window;
        if (!Built)
            continue;
        if (I == 0)
            Result.FirstMs = Elapsed;
        else
            Result.Ms.append(Elapsed);
    }
    // The share of the port scan that Construct() runs.
    for (int I = 0; I < Runs; ++I) {
        MySerialPort Port;
        QElapsedTimer Clock;
        Clock.start();
        Port.ScanPorts();
        Result.ScanMs.append(Clock.nsecsElapsed() / 1e6);
    }
    return Result;
}

} // namespace Bench
