#include "CtlReadParams.h"

namespace Korvelctl {

int ReadParamsCommand::Run()
{
    Outcome Ready = Ctl.OpenOutput();
    if (Ready.Ok())
        Ready = Ctl.OpenLine();
    if (!Ready.Ok())
        return Ctl.Fail(Ready);
    ParamList Params = CtlFiles::AllParams();
    if (!Exchange.ReadParams(&Params))
        return Ctl.DeviceFault();
    // Saved as the device holds them, so that the file puts back what was there.
    Ctl.Warn(QString(), CtlFiles::RangeWarnings(Params));
    return Ctl.FinishOutput(CtlFiles::FormatParams(Params));
}

} // namespace Korvelctl
