#include "CtlWriteParams.h"

#include "CtlAssignments.h"
#include "ParamRegisters.h"

#include <QJsonObject>
#include <QTextStream>

namespace Korvelctl {

namespace {

bool Moves(const ParamList &Wanted)
{
    for (const ParamValue &Param : Wanted) {
        if (Param.Register == ParamRegisters::Map[CtlFiles::IdIndex].Register
            || Param.Register == ParamRegisters::Map[CtlFiles::BaudIndex].Register)
            return true;
    }
    return false;
}

} // namespace

// write params checks its file whole before the port is opened, set its
// words; from there on both are one.
int WriteParamsCommand::Run()
{
    ParamList Wanted;
    if (Set.Which == CtlCommands::Command::Set) {
        QString Error;
        if (!CtlAssignments::Parse(Set.Assignments, &Wanted, &Error, Set.OutOfRange))
            return Ctl.Fail(BadUsage, Error);
        return WriteFollowing(Wanted);
    }
    const Outcome Read = Ctl.ReadParamFile(&Wanted, Ctl.WriteRange());
    if (!Read.Ok())
        return Ctl.Fail(Read);
    const QString Unreachable = CtlFiles::AddressProblem(Wanted);
    if (!Unreachable.isEmpty())
        return Ctl.Fail(BadUsage, CtlIo::Shown(Set.Input) + QStringLiteral(": ") + Unreachable);
    return WriteFollowing(Wanted);
}

int WriteParamsCommand::WriteFollowing(const ParamList &Wanted)
{
    const Outcome Opened = Ctl.OpenLine();
    if (!Opened.Ok())
        return Ctl.Fail(Opened);
    OpenedBaud = Set.Baud;
    ServerSpeed = 0;
    int Code = Done;
    if (Line.FixedSpeed() && (Code = CheckFixedSpeed(Wanted, Set.Verify)) != Done)
        return Code;
    // A value the device keeps other than the one sent must not be committed.
    Exchange.SetStrictEcho(true);
    ParamList Echoed = Wanted;
    QString Committed = Context::CommitSent();
    if (!Exchange.WriteParams(&Echoed)) {
        // A lost or garbled reply to the commit says nothing of whether the
        // device took it: say so, and with --verify go and look.
        if (!Ctl.CommitUncertain())
            return Ctl.DeviceFault();
        if (!Set.Verify)
            return Ctl.DeviceFault(QString(), tr("; the device may have taken the change (--verify reads it back)"));
        Committed = Ctl.CommitLost(tr("reading the values back"));
    }
    const int Address = NewAddress(Wanted, Set.Address);
    // On a fixed-speed line the radio is looked for where the line is.
    const int Baud = ServerSpeed ? OpenedBaud : NewBaud(Wanted, OpenedBaud);
    int Found = Baud;
    if (Set.Verify && (Code = VerifyFollowing(Wanted, Address, &Found, Committed)) != Done)
        return Code;
    return ReportWritten(Wanted, Address, Baud, Found);
}

// The summary: where the device answers (verified) or will answer once it
// takes the change over; for a write that moves it nowhere, the count alone.
int WriteParamsCommand::ReportWritten(const ParamList &Wanted, int Address, int Baud, int Found)
{
    if (Set.Json) {
        QJsonObject Written;
        for (const ParamValue &Param : Wanted)
            Written.insert(Param.Name, Param.Value);
        QJsonObject Document {{QStringLiteral("written"), Written},
                              {QStringLiteral("verified"), Set.Verify},
                              {QStringLiteral("address"), Address},
                              {QStringLiteral("baud"), ServerSpeed ? ServerSpeed : Found}};
        if (ServerSpeed)
            Document.insert(QStringLiteral("server_speed_needed"), ServerSpeed);
        if (Found != Baud)
            Document.insert(QStringLiteral("baud_at_restart"), Baud);
        return Ctl.PrintJson(Document);
    }
    const QString Written = ParamsWritten(Wanted.size());
    if (ServerSpeed)
        Out << tr("%1; the radio answers at %2 once it takes the change over: set %3 to %4 Bd before the radio can "
                  "be reached again")
                   .arg(Written, PlaceText(Address, ServerSpeed), Set.Port, QString::number(ServerSpeed));
    else if (!Moves(Wanted))
        Out << (Set.Verify ? tr("%1, verified").arg(Written) : Written);
    else if (!Set.Verify)
        Out << tr("%1; the device answers at %2 once it takes the change over").arg(Written, PlaceText(Address, Baud));
    else
        Out << VerifiedAt(Written, Address, Baud, Found);
    Out << '\n';
    return Done;
}

} // namespace Korvelctl
