#include "CtlScan.h"

#include "ModbusRtu.h"
#include "ParamRegisters.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

namespace Korvelctl {

namespace {

// A Modbus TCP gateway answers for a unit that is silent on its bus: that
// is no device at the address, not a fault on the bus.
bool GatewayFoundNone(const ExchangeFault &Fault)
{
    return Fault.Code == FaultCode::Exception && Fault.Got == ModbusRtu::ExceptionGatewayNoAnswer;
}

} // namespace

// One read of ModbusID at each address; silence is no device, anything
// heard that is not a valid reply from the address asked is a fault on
// the bus (two devices on one address garble each other's replies). A
// device slower than --wait answers while the next address is asked: its
// reply names the address it came from, which is named as late, and the
// next address is asked again rather than blamed.
int ScanCommand::Run()
{
    const Outcome Opened = Ctl.OpenLine();
    if (!Opened.Ok())
        return Ctl.Fail(Opened);
    Line.SetWaitLimitMs(Set.WaitMs);
    QJsonArray Devices;
    QJsonArray Faults;
    const auto Fault = [&](int Address, const QString &Text) {
        Faults.append(QJsonObject {{QStringLiteral("address"), Address}, {QStringLiteral("fault"), Text}});
        Ctl.Say(tr("address %1: fault on the bus: %2").arg(Address).arg(Text));
    };
    int Silent = 0; // the last address that did not answer in time
    bool AskedAgain = false;
    for (int Address = Set.From; Address <= Set.To; ++Address) {
        Exchange.SetAddress(quint8(Address));
        ParamValue Id = CtlFiles::Param(CtlFiles::IdIndex);
        if (Exchange.ReadParam(&Id)) {
            Devices.append(QJsonObject {{QStringLiteral("address"), Address}, {Id.Name, Id.Value}});
            if (!Set.Json) {
                Out << QStringLiteral("%1: %2 %3").arg(Address).arg(Id.Name).arg(Id.Value) << '\n';
                Out.flush();
            }
        } else if (GatewayFoundNone(Exchange.Failure())) {
            Silent = Address;
        } else if (Line.Heard()) {
            const ExchangeFault &Failed = Exchange.Failure();
            if (Failed.Code == FaultCode::OtherAddress && Failed.Got == Silent && Silent && !AskedAgain) {
                Fault(Silent, tr("replied after the wait of %1 ms").arg(Set.WaitMs));
                AskedAgain = true;
                --Address;
                continue;
            }
            Fault(Address, FaultText(Failed));
        } else {
            Silent = Address;
        }
        AskedAgain = false;
    }
    QJsonObject Found {{QStringLiteral("devices"), Devices}, {QStringLiteral("faults"), Faults}};
    if (Devices.isEmpty()) {
        Found.insert(QStringLiteral("fault"), QStringLiteral("no-device"));
        const ParamRegisters::Param &IdRow = ParamRegisters::Map[CtlFiles::IdIndex];
        return Ctl.Fail(DeviceFailed,
                        tr("no device answered a read of %1 (register %2) at addresses %3 to %4")
                            .arg(QString::fromLatin1(IdRow.Name))
                            .arg(IdRow.Register)
                            .arg(Set.From)
                            .arg(Set.To),
                        Found);
    }
    return Set.Json ? Ctl.PrintJson(Found) : Done;
}

} // namespace Korvelctl
