#ifndef KORVEL_BENCH_WINDOWEXCHANGES_H
#define KORVEL_BENCH_WINDOWEXCHANGES_H

// The window's own four exchanges, timed on its own serial port while a
// 10 ms timer ticks in the same event loop (how responsive it stays).

#include "Exchanges.h"

#include <QString>
#include <QVector>

class OrvaneUI;
class QWidget;

namespace Bench {

struct Options;

// Shows the window off-screen and waits until it is exposed, as the
// operator has it before running an exchange.
void ShowAndSettle(QWidget *Window);

// One wait step, MySerialPort::PauseMs(50), timed 20 times with nothing
// on the line: what a pause costs beyond its nominal length.
QVector<double> MeasurePauseStep();

// Opt.Repeats rounds of the four exchanges on the window's port opened on
// PortPath at Baud. Returns an error when the port does not open.
QString RunWindowRounds(OrvaneUI *Window, const QString &PortPath, int Baud, const Options &Opt,
                        ExchangeTimes &Times);

} // namespace Bench

#endif
