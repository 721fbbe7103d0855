#ifndef KORVEL_BENCH_MODBUSSIDEBYSIDE_H
#define KORVEL_BENCH_MODBUSSIDEBYSIDE_H

// The independent master, korvel-bench-modbus on libmodbus, running the
// four exchanges' transactions on the same paced line: what they cost a
// master that sends at once and returns as soon as the reply is in.

#include "Exchanges.h"

#include <QString>

namespace Bench {

struct Options;

struct ModbusTimes
{
    ExchangeTimes Times;
    QString Error;
};

ModbusTimes RunLibmodbus(const QString &PortPath, int Baud, const Options &Opt);

} // namespace Bench

#endif
