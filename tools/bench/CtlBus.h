#ifndef KORVEL_BENCH_CTLBUS_H
#define KORVEL_BENCH_CTLBUS_H

// korvelctl's probe and scan, each a whole command run in-process
// (Korvelctl::Run: the port opened, the tries, the output), against the
// simulator on a pty of its own as a device that listens at 115200 Bd
// only, at address 17, its replies paced at 115200 Bd.

#include "Exchanges.h"

#include <QString>

namespace Bench {

struct Options;

struct BusTimes
{
    QString Error; // the simulator did not start
    Series Probe;  // finds the device at 115200, last in the order of tries
    Series Scan;   // addresses 1 to 60 at 115200, the device at 17
};

BusTimes RunCtlBus(const Options &Opt);

// The floors: each try's silence, request and wait (100 ms) with no reply;
// the answered one's silence, request, turnaround and reply.
double ProbeFloorMs(int TurnaroundMs);
double ScanFloorMs(int TurnaroundMs);

} // namespace Bench

#endif
