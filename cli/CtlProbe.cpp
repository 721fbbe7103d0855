#include "CtlProbe.h"

#include "ParamRegisters.h"

#include <QJsonObject>
#include <QTextStream>
#include <QVector>

namespace Korvelctl {

namespace {

// A device that answers at all answers within this in the first pass.
constexpr int QuickWaitMs = 100;

// probe tries the factory setting first, then the other speeds from the
// slowest up.
QVector<int> ProbeRates()
{
    QVector<int> Rates {CtlCommands::DefaultBaud};
    for (const int Rate : ParamRegisters::BaudRates) {
        if (Rate != CtlCommands::DefaultBaud)
            Rates << Rate;
    }
    return Rates;
}

} // namespace

// Two passes over the speeds, the port opened once: the first waits only
// QuickWaitMs at each, so that a prompt device is found in about a second
// wherever its speed comes; the second waits the full limit for a slow one.
int ProbeCommand::Run()
{
    const Outcome Opened = Ctl.OpenLine();
    if (!Opened.Ok())
        return Ctl.Fail(Opened);
    const QVector<int> Rates = ProbeRates();
    for (const int Wait : {QuickWaitMs, StreamLine::ReplyLimitMs}) {
        Line.SetWaitLimitMs(Wait);
        Exchange.SetRetries(Wait == QuickWaitMs ? 0 : Set.Retries);
        for (const int Rate : Rates) {
            if (!Line.SetBaud(Rate))
                return Ctl.Fail(PortFailed, tr("%1: cannot set the speed %2").arg(Set.Port).arg(Rate));
            ParamValue Id = CtlFiles::Param(CtlFiles::IdIndex);
            if (!Exchange.ReadParam(&Id))
                continue;
            if (Set.Json)
                return Ctl.PrintJson(
                    QJsonObject {{QStringLiteral("baud"), Rate}, {QStringLiteral("address"), Id.Value}});
            Out << tr("%1 Bd, RS-485 address %2").arg(Rate).arg(Id.Value) << '\n';
            return Done;
        }
    }
    QStringList Tried;
    for (const int Rate : Rates)
        Tried << QString::number(Rate);
    const ParamRegisters::Param &IdRow = ParamRegisters::Map[CtlFiles::IdIndex];
    return Ctl.Fail(DeviceFailed, tr("no device answered a read of %1 (register %2) at %3 Bd")
                                      .arg(QString::fromLatin1(IdRow.Name))
                                      .arg(IdRow.Register)
                                      .arg(Tried.join(QStringLiteral(", "))));
}

} // namespace Korvelctl
