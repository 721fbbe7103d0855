#ifndef KORVEL_BENCH_EXCHANGES_H
#define KORVEL_BENCH_EXCHANGES_H

// The four exchanges every client of the device performs, what each puts
// on the line, and the least time the line and the tool's 50 ms wait steps
// allow for it. Shared by every client measured, so that their rows are
// set against the same floors.

#include <QString>
#include <QVector>

namespace Bench {

enum Kind { ParamRead, ParamWrite, EidRead, EidWrite, KindCount };

extern const char *const KindNames[KindCount];

// One transaction: request and reply sizes on the wire.
struct Transaction
{
    int Request;
    int Reply;
};

// The transactions of an exchange, sized by the tool's own frame builders,
// so that the floor follows the frames actually sent.
QVector<Transaction> LineOf(Kind Which);

// Request and reply on the wire at 10 bits a byte, plus the device's
// turnaround, summed over the transactions.
double LineMs(const QVector<Transaction> &Line, int Baud, int TurnaroundMs);

// The reply is looked at only after each 50 ms pause, and at least one
// pause is always taken: per transaction the whole number of pauses that
// covers its line time.
double FloorMs(const QVector<Transaction> &Line, int Baud, int TurnaroundMs);

// korvelctl keeps the line quiet for 3.5 character times before each
// request, as Modbus RTU asks; a master that sends at once has none.
double SilenceMs(int Baud);

// korvelctl's floor: the line time plus a silence before each transaction.
// The wait for a reply ends as soon as it is complete, so nothing is
// rounded up.
double SilencedFloorMs(const QVector<Transaction> &Line, int Baud, int TurnaroundMs);

// The timings of one exchange over the rounds; failed runs only counted.
struct Series
{
    QVector<double> Ms;
    QVector<double> GapMs; // largest gap of a 10 ms timer in the same event loop
    int Failed = 0;
};

// One client's four exchanges at one line speed.
struct ExchangeTimes
{
    Series Of[KindCount];
};

} // namespace Bench

#endif
