#ifndef KORVEL_BENCH_CONSTRUCTION_H
#define KORVEL_BENCH_CONSTRUCTION_H

// The window's construction alone, new OrvaneUI + Construct(), in this
// process, and the port scan it runs, timed on its own.

#include <QVector>

#include <cmath>

namespace Bench {

struct ConstructionTimes
{
    // The first run pays for what Qt sets up once (fonts, style), so it is
    // given apart from the rest.
    double FirstMs = std::nan("");
    QVector<double> Ms;
    QVector<double> ScanMs;
};

// To be run while this process is still fresh, before any other window.
ConstructionTimes MeasureConstruction(int Runs);

} // namespace Bench

#endif
