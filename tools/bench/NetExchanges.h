#ifndef KORVEL_BENCH_NETEXCHANGES_H
#define KORVEL_BENCH_NETEXCHANGES_H

// korvelctl's exchanges through a serial device server and a Modbus TCP
// gateway against the same on the pty directly, in one run at 115200 Bd:
// ser2net on the loopback, raw in front of one paced line and with RFC 2217
// in front of another, the libmodbus gateway in front of a third,
// korvelctl's serial line on a fourth set up alike, the rounds taken in
// turn. Each line is opened (connected) once beforehand, so each figure is
// the exchange alone.

#include "Exchanges.h"

#include <QString>

namespace Bench {

struct Options;

constexpr int NetBaud = 115200;

// One way through the network: what korvelctl's --port would say, its
// figures, or why it was not measured.
struct NetWay
{
    QString Name;
    QString Url;
    QString Error;
    double Goal = 1.1; // the ratio to the pty directly it should stay within
    ExchangeTimes Times;
};

struct NetTimes
{
    QString Error; // the pty directly could not be measured
    ExchangeTimes Direct;
    NetWay Raw, Telnet, Gateway;
};

NetTimes RunNetRounds(const Options &Opt);

} // namespace Bench

#endif
