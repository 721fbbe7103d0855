#ifndef KORVEL_BENCH_STARTUP_H
#define KORVEL_BENCH_STARTUP_H

// Start-up in time and memory, two ways, alternated run by run so that a
// change of load touches both alike: the real program, unchanged, watched
// from outside; and the launcher (korvel-bench --launch, see Launcher.h),
// which takes the same steps as main() with clocks inside, and afterwards
// reads the EIDs for the memory an exchange leaves behind.

#include <QString>
#include <QVector>

namespace Bench {

struct Options;

struct StartupTimes
{
    // The real program, ms from the spawn; resident memory in MB.
    QVector<double> RealConstruct, RealIdle, RealRss;
    QString RealError;
    // The launcher, ms from the spawn; resident memory in MB.
    QVector<double> Main, App, ShowEvent, Shown, Exposed, Idle, Rss, RssRead;
    QString LaunchError;
    int ReadFailures = 0;
};

StartupTimes MeasureStartup(const Options &Opt);

} // namespace Bench

#endif
