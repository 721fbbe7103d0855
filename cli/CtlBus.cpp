// The commands that look for devices on the line: probe finds the speed of
// one, scan the addresses that answer.

#include "CtlFiles.h"
#include "CtlRunner.h"
#include "Korvelctl.h"
#include "ModbusRtu.h"
#include "ParamRegisters.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>
#include <QVector>

namespace Korvelctl {

namespace {

// A device that answers at all answers within this in the first pass.
constexpr int QuickWaitMs = 100;

// A Modbus TCP gateway answers for a unit that is silent on its bus: that
// is no device at the address, not a fault on the bus.
bool GatewayFoundNone(const ExchangeFault &Fault)
{
    return Fault.Code == FaultCode::Exception && Fault.Got == ModbusRtu::ExceptionGatewayNoAnswer;
}

const ParamRegisters::Param &IdRow()
{
    return ParamRegisters::Map[ParamRegisters::IndexOf("ModbusID")];
}

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
int Runner::Probe()
{
    int Code = Done;
    if (!OpenLine(&Code))
        return Code;
    const QVector<int> Rates = ProbeRates();
    for (const int Wait : {QuickWaitMs, StreamLine::ReplyLimitMs}) {
        Line.SetWaitLimitMs(Wait);
        Exchange.SetRetries(Wait == QuickWaitMs ? 0 : Set.Retries);
        for (const int Rate : Rates) {
            if (!Line.SetBaud(Rate))
                return Fail(PortFailed, QStringLiteral("%1: cannot set the speed %2").arg(Set.Port).arg(Rate));
            ParamValue Id = CtlFiles::Param("ModbusID");
            if (!Exchange.ReadParam(&Id))
                continue;
            if (Set.Json)
                return PrintJson(QJsonObject {{QStringLiteral("baud"), Rate}, {QStringLiteral("address"), Id.Value}});
            Out << Rate << " Bd, RS-485 address " << Id.Value << '\n';
            return Done;
        }
    }
    QStringList Tried;
    for (const int Rate : Rates)
        Tried << QString::number(Rate);
    return Fail(DeviceFailed, QStringLiteral("no device answered a read of %1 (register %2) at %3 Bd")
                                  .arg(QString::fromLatin1(IdRow().Name))
                                  .arg(IdRow().Register)
                                  .arg(Tried.join(QStringLiteral(", "))));
}

// One read of ModbusID at each address; silence is no device, anything
// heard that is not a valid reply from the address asked is a fault on
// the bus (two devices on one address garble each other's replies). A
// device slower than --wait answers while the next address is asked: its
// reply names the address it came from, which is named as late, and the
// next address is asked again rather than blamed.
int Runner::Scan()
{
    int Code = Done;
    if (!OpenLine(&Code))
        return Code;
    Line.SetWaitLimitMs(Set.WaitMs);
    QJsonArray Devices;
    QJsonArray Faults;
    const auto Fault = [&](int Address, const QString &Text) {
        Faults.append(QJsonObject {{QStringLiteral("address"), Address}, {QStringLiteral("fault"), Text}});
        Say(QStringLiteral("address %1: fault on the bus: %2").arg(Address).arg(Text));
    };
    int Silent = 0; // the last address that did not answer in time
    bool AskedAgain = false;
    for (int Address = Set.From; Address <= Set.To; ++Address) {
        Exchange.SetAddress(quint8(Address));
        ParamValue Id = CtlFiles::Param("ModbusID");
        if (Exchange.ReadParam(&Id)) {
            Devices.append(QJsonObject {{QStringLiteral("address"), Address}, {QStringLiteral("ModbusID"), Id.Value}});
            if (!Set.Json) {
                Out << Address << ": ModbusID " << Id.Value << '\n';
                Out.flush();
            }
        } else if (GatewayFoundNone(Exchange.Failure())) {
            Silent = Address;
        } else if (Line.Heard()) {
            const ExchangeFault &Failed = Exchange.Failure();
            if (Failed.Code == FaultCode::OtherAddress && Failed.Got == Silent && Silent && !AskedAgain) {
                Fault(Silent, QStringLiteral("replied after the wait of %1 ms").arg(Set.WaitMs));
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
        return Fail(DeviceFailed, QStringLiteral("no device answered a read of %1 (register %2) at addresses %3 to %4")
                                      .arg(QString::fromLatin1(IdRow().Name))
                                      .arg(IdRow().Register)
                                      .arg(Set.From)
                                      .arg(Set.To),
                    Found);
    }
    return Set.Json ? PrintJson(Found) : Done;
}

} // namespace Korvelctl
