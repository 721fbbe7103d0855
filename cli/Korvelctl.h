#ifndef KORVEL_KORVELCTL_H
#define KORVEL_KORVELCTL_H

// korvelctl: the device's parameters and EID list from the command line,
// through files. Run() is the whole program but for the process around it,
// so that tests drive it in-process on a pseudo-terminal.

#include <QStringList>

class QTextStream;

namespace Korvelctl {

enum ExitCode {
    Done = 0,
    DeviceFailed = 1, // no reply, or a reply refused; the message names the transaction
    BadUsage = 2,     // arguments or an input file; nothing was sent
    PortFailed = 3,   // the port cannot be opened
    Differs = 4,      // diff: the device holds other values than the file
    OutputFailed = 5, // the output file or standard output could not be written; a file there is kept
};

// Arguments without the program name. Output files and, without -o, the
// file text on Out; messages on Err.
int Run(const QStringList &Arguments, QTextStream &Out, QTextStream &Err);

} // namespace Korvelctl

#endif
