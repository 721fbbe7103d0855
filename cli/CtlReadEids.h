#ifndef KORVEL_CTLREADEIDS_H
#define KORVEL_CTLREADEIDS_H

// read eids: the EID list into an EID file, one a line or as CSV.

#include "CtlContext.h"

namespace Korvelctl {

class ReadEidsCommand : public CtlCommand
{
public:
    using CtlCommand::CtlCommand;
    int Run() override;
};

} // namespace Korvelctl

#endif
