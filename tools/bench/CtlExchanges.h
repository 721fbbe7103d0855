#ifndef KORVEL_BENCH_CTLEXCHANGES_H
#define KORVEL_BENCH_CTLEXCHANGES_H

// korvelctl's four exchanges as its commands run them: korvel_cli's
// CtlLine under the protocol library's DeviceExchange, the requests made
// from korvelctl's own files. The port is opened once beforehand, so each
// figure is the exchange alone, without the process start or the open.

#include "Exchanges.h"

#include <QString>

namespace Bench {

struct Options;

// Opt.Repeats rounds of the four exchanges on PortPath at Baud. Returns an
// error when the port does not open.
QString RunCtlRounds(const QString &PortPath, int Baud, const Options &Opt, ExchangeTimes &Times);

} // namespace Bench

#endif
