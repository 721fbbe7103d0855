#ifndef KORVEL_BENCH_LAUNCHER_H
#define KORVEL_BENCH_LAUNCHER_H

// korvel-bench --launch [--read-eids PORT]: what the program's main() does
// (the application object, then RunMainWindow), with clocks around it,
// printed as "key value" lines on stdout for the start-up measurement.

namespace Bench {

int Launch(int argc, char *argv[]);

} // namespace Bench

#endif
