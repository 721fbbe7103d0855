#ifndef KORVEL_CTLDIFF_H
#define KORVEL_CTLDIFF_H

// diff params, diff eids: what the device holds against what a file says,
// nothing written.

#include "CtlContext.h"

namespace Korvelctl {

class DiffCommand : public CtlCommand
{
    Q_DECLARE_TR_FUNCTIONS(DiffCommand)

public:
    using CtlCommand::CtlCommand;
    int Run() override;

private:
    int RunParams();
    int RunEids();
    int ReportDifferences(const QVector<CtlFiles::Difference> &Found);
};

} // namespace Korvelctl

#endif
