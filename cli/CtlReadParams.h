#ifndef KORVEL_CTLREADPARAMS_H
#define KORVEL_CTLREADPARAMS_H

// read params: the fourteen parameters into a parameter file, saved as the
// device holds them.

#include "CtlContext.h"

namespace Korvelctl {

class ReadParamsCommand : public CtlCommand
{
public:
    using CtlCommand::CtlCommand;
    int Run() override;
};

} // namespace Korvelctl

#endif
