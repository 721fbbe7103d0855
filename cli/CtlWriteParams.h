#ifndef KORVEL_CTLWRITEPARAMS_H
#define KORVEL_CTLWRITEPARAMS_H

// write params and set: the parameters of a file or of NAME=VALUE words
// written and committed, then the device followed to where it answers now.

#include "CtlCommission.h"

namespace Korvelctl {

class WriteParamsCommand : public FollowingCommand
{
    Q_DECLARE_TR_FUNCTIONS(WriteParamsCommand)

public:
    using FollowingCommand::FollowingCommand;
    int Run() override;

private:
    int WriteFollowing(const ParamList &Wanted);
    int ReportWritten(const ParamList &Wanted, int Address, int Baud, int Found);
};

} // namespace Korvelctl

#endif
