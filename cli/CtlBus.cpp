// The commands that look for devices on the line.

#include "ConfigDocument.h"
#include "CtlFiles.h"
#include "CtlRunner.h"
#include "Korvelctl.h"
#include "ParamRegisters.h"

#include <QJsonArray>
#include <QVector>
#include <QTextStream>

namespace Korvelctl {

namespace {

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

int Runner::Probe()
{
    int Code = Done;
    if (!OpenLine(&Code))
        return Code;
    const ParamRegisters::Param &Id = ParamRegisters::Map[ParamRegisters::IndexOf("ModbusID")];
    QJsonObject Request = ConfigDocument::NewRequest(ConfigDocument::KindParamSet);
    Request.insert(ConfigDocument::KeyParamArray,
                   QJsonArray {ConfigDocument::MakeEntry(QString::fromLatin1(Id.Name), Id.Register, 0)});
    QStringList Tried;
    for (const int Rate : ProbeRates()) {
        if (!Line.SetBaud(Rate))
            return Fail(PortFailed, QStringLiteral("%1: cannot set the speed %2").arg(Set.Port).arg(Rate));
        QJsonObject Reply;
        if (Exchange.ParamRead(Request, &Reply)) {
            QVector<QPair<QString, int>> Values;
            CtlFiles::ParamValues(Reply, &Values);
            Out << Rate << " Bd, RS-485 address " << Values.value(0).second << '\n';
            return Done;
        }
        Tried << QString::number(Rate);
    }
    return Fail(DeviceFailed, QStringLiteral("no device answered a read of %1 (register %2) at %3 Bd")
                                  .arg(QString::fromLatin1(Id.Name))
                                  .arg(Id.Register)
                                  .arg(Tried.join(QStringLiteral(", "))));
}

} // namespace Korvelctl
