#ifndef KORVEL_BENCH_REPORT_H
#define KORVEL_BENCH_REPORT_H

// What one run measured, and the markdown table made of it: a few lines on
// the machine, the run and the line, then one row per figure, grouped by
// what was measured.

#include "Construction.h"
#include "CtlBus.h"
#include "Exchanges.h"
#include "ModbusSideBySide.h"
#include "NetExchanges.h"
#include "Startup.h"

#include <QList>
#include <QString>
#include <QVector>

namespace Bench {

struct Options;

// One line speed: each client in turn on the same paced line.
struct BaudResult
{
    int Baud = 0;
    QString Error; // the line or the window's port failed: nothing measured
    ExchangeTimes Window;
    QString CtlError; // korvelctl's line did not open
    ExchangeTimes Ctl;
    ModbusTimes Modbus;
};

struct Results
{
    QString Started; // wall-clock time, for the reader
    QString LoadBefore, LoadAfter;
    ConstructionTimes Construction;
    QVector<double> PauseMs; // the window's wait step alone
    QList<BaudResult> Bauds;
    BusTimes Bus; // korvelctl's probe and scan
    NetTimes Net; // korvelctl through ser2net and on the pty
    StartupTimes Startup;
};

QString Table(const Results &R, const Options &Opt);

} // namespace Bench

#endif
