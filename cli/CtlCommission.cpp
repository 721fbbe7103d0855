// Following the device a write of parameters moves. Each echo must hold
// the value sent: a device that keeps another value gets no commit.

#include "CtlCommission.h"

#include "CtlFiles.h"
#include "ParamRegisters.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <algorithm>

namespace Korvelctl {

namespace {

bool Is(const ParamValue &Param, int Index)
{
    return Param.Register == ParamRegisters::Map[Index].Register;
}

} // namespace

// The address requests go to once the device takes the write over: a
// ModbusID no request can be addressed to leaves it 0x00 alone.
int NewAddress(const ParamList &Wanted, int Address)
{
    for (const ParamValue &Param : Wanted) {
        if (Is(Param, CtlFiles::IdIndex))
            return Param.Value <= CtlCommands::LastAddress ? Param.Value : 0;
    }
    return Address;
}

// An index outside the list (written with --out-of-range) names no speed
// korvelctl knows: the device is looked for at the line's.
int NewBaud(const ParamList &Wanted, int Baud)
{
    for (const ParamValue &Param : Wanted) {
        if (Is(Param, CtlFiles::BaudIndex) && Param.Value >= 0 && Param.Value < ParamRegisters::BaudRateCount)
            return ParamRegisters::BaudRates[Param.Value];
    }
    return Baud;
}

QString PlaceText(int Address, int Baud)
{
    const QString At = Address ? QString::number(Address) : QStringLiteral("0x00");
    //: Where a device answers; it follows "at" ("verified at address 33, 115200 Bd").
    return QCoreApplication::translate("FollowingCommand", "address %1, %2 Bd").arg(At).arg(Baud);
}

// English has the one form for 1 alone; the catalogue gives each its forms.
QString ParamsWritten(int Count)
{
    if (Count == 1)
        return QCoreApplication::translate("FollowingCommand", "%n parameter written and committed", nullptr, Count);
    return QCoreApplication::translate("FollowingCommand", "%n parameters written and committed", nullptr, Count);
}

QString VerifiedAt(const QString &Done, int Address, int Baud, int Found)
{
    if (Found == Baud)
        return QCoreApplication::translate("FollowingCommand", "%1, verified at %2")
            .arg(Done, PlaceText(Address, Baud));
    return QCoreApplication::translate("FollowingCommand", "%1, verified at %2 (the old speed; %3 Bd once the device "
                                                           "takes it over at a restart)")
        .arg(Done, PlaceText(Address, Found), QString::number(Baud));
}

// A line whose speed is a server's own setting (a raw server, a Modbus TCP
// gateway) cannot follow a radio to another speed: a BaudRate that is the
// radio's speed already (as ?baud=N says, else as the radio says) is no
// change; another is written only without --verify, and the summary says
// the server must be set to it.
int FollowingCommand::CheckFixedSpeed(const ParamList &Wanted, bool Verifying)
{
    OpenedBaud = Set.Line.Baud ? Set.Line.Baud : Set.Baud;
    ServerSpeed = 0;
    const auto Asked = std::find_if(Wanted.begin(), Wanted.end(),
                                    [](const ParamValue &Param) { return Is(Param, CtlFiles::BaudIndex); });
    if (Asked == Wanted.end())
        return Done;
    if (!Set.Line.Baud) {
        ParamValue Held = CtlFiles::Param(CtlFiles::BaudIndex);
        if (!Exchange.ReadParam(&Held))
            return Ctl.DeviceFault();
        OpenedBaud = NewBaud({Held}, 0);
    }
    const int Wants = NewBaud({*Asked}, OpenedBaud);
    if (Wants == OpenedBaud)
        return Done;
    if (Verifying)
        return Ctl.Fail(BadUsage, tr("%1 %2 Bd would take the radio off the server's speed, %3 Bd, which korvelctl "
                                     "cannot change over %4; nothing was written: write without --verify, set the "
                                     "server to %2 Bd, then read or diff")
                                      .arg(CtlFiles::NameOf(CtlFiles::BaudIndex), QString::number(Wants),
                                           //: The server's speed where the radio's is not known.
                                           OpenedBaud ? QString::number(OpenedBaud) : tr("unknown"), Set.Port));
    ServerSpeed = Wants;
    return Done;
}

// Silence at the first read at a speed is a device elsewhere; anything
// else is a fault of the device found. Committed begins each failure's
// message.
int FollowingCommand::VerifyFollowing(const ParamList &Wanted, int Address, int *Baud, const QString &Committed)
{
    QVector<int> Speeds {*Baud};
    if (*Baud != OpenedBaud)
        Speeds << OpenedBaud;
    Exchange.SetAddress(quint8(Address));
    QStringList Tried;
    int LineBaud = OpenedBaud;
    for (const int Speed : Speeds) {
        if (Speed != LineBaud && !Line.SetBaud(Speed))
            return Ctl.Fail(PortFailed, tr("%1: cannot set the speed %2").arg(Set.Port).arg(Speed));
        LineBaud = Speed;
        ParamList Back = Wanted;
        Tried << PlaceText(Address, Speed);
        if (Exchange.ReadParams(&Back)) {
            *Baud = Speed;
            const QVector<CtlFiles::Difference> Differ = CtlFiles::ParamDifferences(Wanted, Back);
            if (Differ.isEmpty())
                return Done;
            const CtlFiles::Difference &First = Differ.first();
            return Ctl.Fail(DeviceFailed,
                            Committed + tr("verify: %1 (register %2) reads %3 after %4 was written")
                                            .arg(First.Name)
                                            .arg(ParamRegisters::Find(First.Name)->Register)
                                            .arg(First.Device)
                                            .arg(First.File),
                            {{QStringLiteral("fault"), QStringLiteral("verify")}});
        }
        const ExchangeFault &Fault = Exchange.Failure();
        if (Fault.Code != FaultCode::NoReply || Fault.Where.Register != Wanted.first().Register)
            return Ctl.DeviceFault(Committed + tr("verify at %1: ").arg(Tried.last()));
    }
    //: The places a verify found no device at: " at address 33, 115200 Bd, nor at address 33, 9600 Bd".
    return Ctl.DeviceFault(Committed + tr("verify: "), tr(" at %1").arg(Tried.join(tr(", nor at "))));
}

} // namespace Korvelctl
