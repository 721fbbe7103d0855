#ifndef KORVEL_BENCH_CTLEXCHANGES_H
#define KORVEL_BENCH_CTLEXCHANGES_H

// korvelctl's four exchanges as its commands run them: korvel_cli's
// CtlLine under the protocol library's DeviceExchange, the requests made
// from korvelctl's own files. The port is opened once beforehand, so each
// figure is the exchange alone, without the process start or the open.

#include "Exchanges.h"

#include <QString>

class DeviceExchange;

namespace Bench {

struct Options;

// Opt.Repeats rounds of the four exchanges on PortPath at Baud. Returns an
// error when the port does not open.
// One round of the four on an exchange already set up, the writes sending
// back what the reads brought, by way of korvelctl's files.
void RunCtlRound(DeviceExchange &Exchange, ExchangeTimes &Times);

QString RunCtlRounds(const QString &PortPath, int Baud, const Options &Opt, ExchangeTimes &Times);

} // namespace Bench

#endif
