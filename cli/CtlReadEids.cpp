#include "CtlReadEids.h"

namespace Korvelctl {

int ReadEidsCommand::Run()
{
    Outcome Ready = Ctl.OpenOutput();
    if (Ready.Ok())
        Ready = Ctl.OpenLine();
    if (!Ready.Ok())
        return Ctl.Fail(Ready);
    QVector<qint32> Eids;
    if (!Exchange.ReadEids(EidCount, &Eids))
        return Ctl.DeviceFault();
    Ctl.Warn(QString(), CtlFiles::RangeWarnings(Eids));
    return Ctl.FinishOutput(Set.Csv ? EidListFile::FormatCsv(Eids) : CtlFiles::FormatEids(Eids));
}

} // namespace Korvelctl
