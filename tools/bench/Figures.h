#ifndef KORVEL_BENCH_FIGURES_H
#define KORVEL_BENCH_FIGURES_H

// Clocks, sums over a series of measurements, how they are written in the
// table, and the progress lines on the terminal.

#include <QString>
#include <QVector>

namespace Bench {

// CLOCK_MONOTONIC in ns: the same clock in this process and in the
// launcher it spawns, so their readings can be subtracted.
qint64 NowNs();

// NaN for an empty series, written as a dash.
double Median(QVector<double> Values);
double Min(const QVector<double> &Values);
double Max(const QVector<double> &Values);

// VmRSS of a process in kB, -1 if unknown.
long RssKb(const QString &Pid = QStringLiteral("self"));

QString CpuModel();
QString LoadAverage();

// A figure, or a dash when there is none.
QString Ms(double Value, int Decimals = 1);
// "median (min–max)".
QString Spread(const QVector<double> &Values, int Decimals = 1);
QString Verdict(bool Met);

// Progress goes to the terminal even when the tool's debug log (stderr)
// is sent to a file: Progress writes to the descriptor given here.
void SendProgressTo(int Fd);
void Progress(const QString &Text);

} // namespace Bench

#endif
