#ifndef KORVEL_BENCH_MODBUSSIDEBYSIDE_H
#define KORVEL_BENCH_MODBUSSIDEBYSIDE_H

// The independent master, korvel-bench-modbus on libmodbus, reading the
// parameters on the same paced line: what the read costs a master that
// returns as soon as the reply is in.

#include <QString>
#include <QVector>

namespace Bench {

struct Options;

struct ModbusTimes
{
    QVector<double> Ms; // one parameter read per round
    QString Error;
};

ModbusTimes RunLibmodbus(const QString &PortPath, int Baud, const Options &Opt);

} // namespace Bench

#endif
