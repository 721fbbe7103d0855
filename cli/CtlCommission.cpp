// write params and set: the parameters written and committed, then the
// device followed to where it answers now. A new ModbusID moves it to that
// address, a new BaudRate to that speed; a unit that takes the speed over
// only at a restart still answers at the old one, so a verify tries the new
// speed first, then the old. Each echo must hold the value sent: a device
// that keeps another value gets no commit.

#include "CtlCommands.h"
#include "CtlFiles.h"
#include "CtlRunner.h"
#include "Korvelctl.h"
#include "ParamRegisters.h"

#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <algorithm>

namespace Korvelctl {

namespace {

const QString IdName = QStringLiteral("ModbusID");
const QString BaudName = QStringLiteral("BaudRate");

bool Moves(const ParamList &Wanted)
{
    for (const ParamValue &Param : Wanted) {
        if (Param.Name == IdName || Param.Name == BaudName)
            return true;
    }
    return false;
}

} // namespace

// The address requests go to once the device takes the write over: a
// ModbusID no request can be addressed to leaves it 0x00 alone.
int NewAddress(const ParamList &Wanted, int Address)
{
    for (const ParamValue &Param : Wanted) {
        if (Param.Name == IdName)
            return Param.Value <= CtlCommands::LastAddress ? Param.Value : 0;
    }
    return Address;
}

// An index outside the list (written with --out-of-range) names no speed
// korvelctl knows: the device is looked for at the line's.
int NewBaud(const ParamList &Wanted, int Baud)
{
    for (const ParamValue &Param : Wanted) {
        if (Param.Name == BaudName && Param.Value >= 0 && Param.Value < ParamRegisters::BaudRateCount)
            return ParamRegisters::BaudRates[Param.Value];
    }
    return Baud;
}

QString PlaceText(int Address, int Baud)
{
    const QString At = Address ? QString::number(Address) : QStringLiteral("0x00");
    return QStringLiteral("address %1, %2 Bd").arg(At).arg(Baud);
}



// A line whose speed is a server's own setting (a raw server, a Modbus TCP
// gateway) cannot follow a radio to another speed: a BaudRate that is the
// radio's speed already (as ?baud=N says, else as the radio says) is no
// change; another is written only without --verify, and the summary says
// the server must be set to it.
QString Runner::CommitLost(const QString &What)
{
    const QString Said = QStringLiteral("the reply to the commit was lost or garbled (%1); ").arg(FaultText(Exchange.Failure()));
    Say(Said + QStringLiteral("reading the %1 back").arg(What));
    return Said;
}

int Runner::CheckFixedSpeed(const ParamList &Wanted, bool Verifying)
{
    OpenedBaud = Set.Line.Baud ? Set.Line.Baud : Set.Baud;
    ServerSpeed = 0;
    const auto Asked = std::find_if(Wanted.begin(), Wanted.end(),
                                    [](const ParamValue &Param) { return Param.Name == BaudName; });
    if (Asked == Wanted.end())
        return Done;
    if (!Set.Line.Baud) {
        ParamValue Held = CtlFiles::Param("BaudRate");
        if (!Exchange.ReadParam(&Held))
            return DeviceFault();
        OpenedBaud = NewBaud({Held}, 0);
    }
    const int Wants = NewBaud({*Asked}, OpenedBaud);
    if (Wants == OpenedBaud)
        return Done;
    if (Verifying)
        return Fail(BadUsage, QStringLiteral("BaudRate %1 Bd would take the radio off the server's speed, %2 Bd, "
                                             "which korvelctl cannot change over %3; nothing was written: write "
                                             "without --verify, set the server to %1 Bd, then read or diff")
                                  .arg(Wants)
                                  .arg(OpenedBaud ? QString::number(OpenedBaud) : QStringLiteral("unknown"))
                                  .arg(Set.Port));
    ServerSpeed = Wants;
    return Done;
}

int Runner::WriteFollowing(const ParamList &Wanted)
{
    int Code = Done;
    if (!OpenLine(&Code))
        return Code;
    OpenedBaud = Set.Baud;
    ServerSpeed = 0;
    if (Line.FixedSpeed() && (Code = CheckFixedSpeed(Wanted, Set.Verify)) != Done)
        return Code;
    // A value the device keeps other than the one sent must not be committed.
    Exchange.SetStrictEcho(true);
    ParamList Echoed = Wanted;
    QString Committed = QStringLiteral("the commit was sent; ");
    if (!Exchange.WriteParams(&Echoed)) {
        // A lost or garbled reply to the commit says nothing of whether the
        // device took it: say so, and with --verify go and look.
        if (!CommitUncertain())
            return DeviceFault();
        if (!Set.Verify)
            return DeviceFault(QString(), QStringLiteral("; the device may have taken the change (--verify reads it "
                                                         "back)"));
        Committed = CommitLost(QStringLiteral("values"));
    }
    const int Address = NewAddress(Wanted, Set.Address);
    // On a fixed-speed line the radio is looked for where the line is.
    const int Baud = ServerSpeed ? OpenedBaud : NewBaud(Wanted, OpenedBaud);
    int Found = Baud;
    if (Set.Verify && (Code = VerifyFollowing(Wanted, Address, &Found, Committed)) != Done)
        return Code;
    return ReportWritten(Wanted, Address, Baud, Found);
}

// The written values read back at Address, at Baud first, then at the speed
// the line was opened at if the device is silent there; *Baud becomes the
// speed it answered at. Committed begins each failure's message.
int Runner::VerifyFollowing(const ParamList &Wanted, int Address, int *Baud, const QString &Committed)
{
    QVector<int> Speeds {*Baud};
    if (*Baud != OpenedBaud)
        Speeds << OpenedBaud;
    Exchange.SetAddress(quint8(Address));
    QStringList Tried;
    int LineBaud = OpenedBaud;
    for (const int Speed : Speeds) {
        if (Speed != LineBaud && !Line.SetBaud(Speed))
            return Fail(PortFailed, QStringLiteral("%1: cannot set the speed %2").arg(Set.Port).arg(Speed));
        LineBaud = Speed;
        ParamList Back = Wanted;
        Tried << PlaceText(Address, Speed);
        if (Exchange.ReadParams(&Back)) {
            *Baud = Speed;
            const QVector<CtlFiles::Difference> Differ = CtlFiles::ParamDifferences(Wanted, Back);
            if (Differ.isEmpty())
                return Done;
            const CtlFiles::Difference &First = Differ.first();
            return Fail(DeviceFailed, Committed + QStringLiteral("verify: %1 (register %2) reads %3 after %4 was written")
                                                      .arg(First.Name)
                                                      .arg(ParamRegisters::Find(First.Name)->Register)
                                                      .arg(First.Device)
                                                      .arg(First.File),
                        {{QStringLiteral("fault"), QStringLiteral("verify")}});
        }
        // Silence at the first read is a device elsewhere; anything else is
        // a fault of the device found.
        const ExchangeFault &Fault = Exchange.Failure();
        if (Fault.Code != FaultCode::NoReply || Fault.Where.Register != Wanted.first().Register)
            return DeviceFault(Committed + QStringLiteral("verify at %1: ").arg(Tried.last()));
    }
    return DeviceFault(Committed + QStringLiteral("verify: "),
                       QStringLiteral(" at ") + Tried.join(QStringLiteral(", nor at ")));
}

// The summary: where the device answers (verified) or will answer once it
// takes the change over; for a write that moves it nowhere, the count alone.
int Runner::ReportWritten(const ParamList &Wanted, int Address, int Baud, int Found)
{
    if (Set.Json) {
        QJsonObject Written;
        for (const ParamValue &Param : Wanted)
            Written.insert(Param.Name, Param.Value);
        QJsonObject Document {{QStringLiteral("written"), Written}, {QStringLiteral("verified"), Set.Verify},
                              {QStringLiteral("address"), Address}, {QStringLiteral("baud"), ServerSpeed ? ServerSpeed : Found}};
        if (ServerSpeed)
            Document.insert(QStringLiteral("server_speed_needed"), ServerSpeed);
        if (Found != Baud)
            Document.insert(QStringLiteral("baud_at_restart"), Baud);
        return PrintJson(Document);
    }
    Out << Wanted.size() << (Wanted.size() == 1 ? " parameter" : " parameters") << " written and committed";
    if (ServerSpeed)
        Out << "; the radio answers at " << PlaceText(Address, ServerSpeed) << " once it takes the change over: "
            << "set " << Set.Port << " to " << ServerSpeed << " Bd before the radio can be reached again";
    else if (!Moves(Wanted))
        Out << (Set.Verify ? ", verified" : "");
    else if (!Set.Verify)
        Out << "; the device answers at " << PlaceText(Address, Baud) << " once it takes the change over";
    else if (Found == Baud)
        Out << ", verified at " << PlaceText(Address, Baud);
    else
        Out << ", verified at " << PlaceText(Address, Found) << " (the old speed; " << Baud
            << " Bd once the device takes it over at a restart)";
    Out << '\n';
    return Done;
}

} // namespace Korvelctl
