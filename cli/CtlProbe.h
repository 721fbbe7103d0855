#ifndef KORVEL_CTLPROBE_H
#define KORVEL_CTLPROBE_H

// probe: the speed of the one device on the line, and its address.

#include "CtlContext.h"

namespace Korvelctl {

class ProbeCommand : public CtlCommand
{
    Q_DECLARE_TR_FUNCTIONS(ProbeCommand)

public:
    using CtlCommand::CtlCommand;
    int Run() override;
};

} // namespace Korvelctl

#endif
