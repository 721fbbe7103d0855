#ifndef KORVEL_BENCH_NETEXCHANGES_H
#define KORVEL_BENCH_NETEXCHANGES_H

// korvelctl's exchanges through a serial device server against the same on
// the pty directly, in one run at 115200 Bd: ser2net (raw) on the loopback
// in front of one paced line, korvelctl's serial line on a second one set
// up alike, the rounds taken in turn. Each line is opened (connected) once
// beforehand, so each figure is the exchange alone.

#include "Exchanges.h"

#include <QString>

namespace Bench {

struct Options;

constexpr int NetBaud = 115200;

struct NetTimes
{
    QString Error; // a line or ser2net did not start
    QString Url;   // what korvelctl's --port would say
    ExchangeTimes Direct;
    ExchangeTimes Server;
};

NetTimes RunNetRounds(const Options &Opt);

} // namespace Bench

#endif
