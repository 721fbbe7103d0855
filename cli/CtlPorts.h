#ifndef KORVEL_CTLPORTS_H
#define KORVEL_CTLPORTS_H

// ports: the serial ports of this machine, with whether another program
// holds each.

#include "CtlContext.h"

namespace Korvelctl {

class PortsCommand : public CtlCommand
{
    Q_DECLARE_TR_FUNCTIONS(PortsCommand)

public:
    using CtlCommand::CtlCommand;
    int Run() override;
};

} // namespace Korvelctl

#endif
