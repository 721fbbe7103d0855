#ifndef KORVEL_BENCH_OPTIONS_H
#define KORVEL_BENCH_OPTIONS_H

// The command line of korvel-bench.

#include <QList>
#include <QString>
#include <QStringList>

namespace Bench {

struct Options
{
    Options(); // the programs built next to this one

    int Repeats = 5;
    int StartRuns = 15;
    int ConstructRuns = 20;
    QList<int> Bauds {9600, 115200};
    int TurnaroundMs = 3;
    bool PacedRequests = true;
    QString Only; // one part alone: "exchanges", "startup" or "construct"
    QString Korvel, Devsim, Line, Modbus, Self, Out, Log;

    // Whether a part ("exchanges", "startup", "construct") is measured.
    bool Measures(const char *Part) const;
};

extern const char *const Usage;

// Args as main() has them, the program's name first. False with *Error
// set on an unknown option or a bad value.
bool ParseOptions(const QStringList &Args, Options &Opt, QString *Error);

} // namespace Bench

#endif
