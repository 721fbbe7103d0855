#ifndef KORVEL_CTLSCAN_H
#define KORVEL_CTLSCAN_H

// scan: the addresses that answer on a bus, and the faults heard on it.

#include "CtlContext.h"

namespace Korvelctl {

class ScanCommand : public CtlCommand
{
    Q_DECLARE_TR_FUNCTIONS(ScanCommand)

public:
    using CtlCommand::CtlCommand;
    int Run() override;
};

} // namespace Korvelctl

#endif
