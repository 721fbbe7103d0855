#ifndef KORVEL_CTLAPPLY_H
#define KORVEL_CTLAPPLY_H

// apply params, apply eids: the device brought to what a file or the
// command line names; only what differs is written and committed.

#include "CtlCommission.h"

#include <functional>

namespace Korvelctl {

class ApplyCommand : public FollowingCommand
{
    Q_DECLARE_TR_FUNCTIONS(ApplyCommand)

public:
    using FollowingCommand::FollowingCommand;
    int Run() override;

private:
    int RunParams();
    int RunEids();
    int WriteChanged(const ParamList &Changed, const ParamList &Held, QString *Committed);
    int UndoneFault(const ExchangeFault &Fault, const std::function<bool()> &PutBack);
    int ReportApplied(const QVector<CtlFiles::Difference> &Changes, int Address, int Baud, int Found);
    QString Summary(int Count, int Address, int Baud, int Found) const;
};

} // namespace Korvelctl

#endif
