#ifndef KORVEL_CTLWRITEEIDS_H
#define KORVEL_CTLWRITEEIDS_H

// write eids: an EID file written and committed, with --verify read back.

#include "CtlContext.h"

namespace Korvelctl {

class WriteEidsCommand : public CtlCommand
{
    Q_DECLARE_TR_FUNCTIONS(WriteEidsCommand)

public:
    using CtlCommand::CtlCommand;
    int Run() override;
};

} // namespace Korvelctl

#endif
