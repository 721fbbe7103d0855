// apply: the device brought to what a file or the command line names.
// What it holds is read first; a device that holds it already gets no
// write and no commit (a commit writes its non-volatile memory, and some
// units restart on it), else only what differs is written and committed,
// the device is followed to a new address or speed as write params does,
// and the values are read back. This is what a configuration engine needs
// from a task: a change only where there is a difference, and the
// difference to show.

#include "CtlApply.h"

#include "CtlAssignments.h"
#include "ModbusRtu.h"

#include <QJsonObject>
#include <QSet>
#include <QTextStream>

#include <algorithm>

namespace Korvelctl {

namespace {

QString KeyOf(const CtlFiles::Difference &Change)
{
    return Change.Name.isEmpty() ? QString::number(Change.Entry) : Change.Name;
}

} // namespace

int ApplyCommand::Run()
{
    return Set.What == CtlCommands::Kind::Params ? RunParams() : RunEids();
}

int ApplyCommand::RunParams()
{
    const bool FromFile = !Set.Input.isEmpty();
    if (FromFile == !Set.Assignments.isEmpty())
        return Ctl.Usage(FromFile ? tr("apply params takes -i FILE or NAME=VALUE, not both")
                                  : tr("apply params needs -i FILE or NAME=VALUE (e.g. RfFrequency=433)"));
    ParamList Wanted;
    QString Error;
    if (FromFile) {
        const Outcome Read = Ctl.ReadParamFile(&Wanted, Ctl.WriteRange());
        if (!Read.Ok())
            return Ctl.Fail(Read);
    } else if (!CtlAssignments::Parse(Set.Assignments, &Wanted, &Error, Set.OutOfRange)) {
        return Ctl.Fail(BadUsage, Error);
    }
    const QString Unreachable = CtlFiles::AddressProblem(Wanted);
    if (!Unreachable.isEmpty())
        return Ctl.Fail(BadUsage, CtlIo::Shown(Set.Input) + QStringLiteral(": ") + Unreachable);
    const Outcome Opened = Ctl.OpenLine();
    if (!Opened.Ok())
        return Ctl.Fail(Opened);
    OpenedBaud = Set.Baud;
    ParamList Held = Wanted;
    if (!Exchange.ReadParams(&Held))
        return Ctl.DeviceFault();
    const QVector<CtlFiles::Difference> Changes = CtlFiles::ParamDifferences(Wanted, Held);
    if (Changes.isEmpty() || Set.Check)
        return ReportApplied(Changes, Set.Address, Set.Baud, Set.Baud);
    ParamList Changed;
    for (const ParamValue &Param : Wanted) {
        if (std::any_of(Changes.begin(), Changes.end(),
                        [&Param](const CtlFiles::Difference &Change) { return Change.Name == Param.Name; }))
            Changed.append(Param);
    }
    // apply always reads back: on a line whose speed is the server's, a
    // new speed is refused before anything is written.
    int Code = Done;
    QString Committed;
    if ((Line.FixedSpeed() && (Code = CheckFixedSpeed(Changed, true)) != Done)
        || (Code = WriteChanged(Changed, Held, &Committed)) != Done)
        return Code;
    const int Address = NewAddress(Changed, Set.Address);
    const int Baud = NewBaud(Changed, OpenedBaud);
    int Found = Baud;
    if ((Code = VerifyFollowing(Wanted, Address, &Found, Committed)) != Done)
        return Code;
    return ReportApplied(Changes, Address, Baud, Found);
}

// Changed written and committed; *Committed begins what a verify reports.
int ApplyCommand::WriteChanged(const ParamList &Changed, const ParamList &Held, QString *Committed)
{
    // A value the device keeps other than the one sent must not be committed.
    Exchange.SetStrictEcho(true);
    ParamList Echoed = Changed;
    *Committed = Context::CommitSent();
    // A lost or garbled reply to the commit: the device may have taken it,
    // and the read-back tells.
    if (!Exchange.WriteParams(&Echoed) && Ctl.CommitUncertain()) {
        *Committed = Ctl.CommitLost(tr("reading the values back"));
    } else if (Exchange.Failure().Failed()) {
        // What was sent up to the fault, the failed write included (a
        // device may keep a value it echoes wrongly), goes back.
        const ExchangeFault Fault = Exchange.Failure();
        QSet<QString> Differ;
        for (const ParamValue &Param : Changed)
            Differ.insert(Param.Name);
        ParamList Back;
        for (const ParamValue &Param : Held) {
            if (Differ.contains(Param.Name)
                && (Fault.Where.What == Transaction::Kind::Commit || Param.Register <= Fault.Where.Register))
                Back.append(Param);
        }
        return UndoneFault(Fault, [&] {
            for (ParamValue &Param : Back) {
                // A value put back that the device echoes otherwise was still written.
                if (!Exchange.WriteParam(&Param) && Exchange.Failure().Code != FaultCode::WrongEcho)
                    return false;
            }
            return true;
        });
    }
    return Done;
}

int ApplyCommand::RunEids()
{
    if (Set.Input.isEmpty())
        return Ctl.Usage(tr("apply eids needs -i FILE"));
    QVector<qint32> Eids;
    Outcome Ready = Ctl.ReadEidFile(&Eids, Ctl.WriteRange());
    if (Ready.Ok())
        Ready = Ctl.OpenLine();
    if (!Ready.Ok())
        return Ctl.Fail(Ready);
    // The whole list: the entries the file leaves out are 0, as write eids
    // writes them.
    const QVector<qint32> Wanted = CtlFiles::WholeList(Eids);
    QVector<qint32> Held;
    if (!Exchange.ReadEids(EidCount, &Held))
        return Ctl.DeviceFault();
    const QVector<CtlFiles::Difference> Changes = CtlFiles::EidDifferences(Wanted, Held);
    if (Changes.isEmpty() || Set.Check)
        return ReportApplied(Changes, Set.Address, Set.Baud, Set.Baud);
    QVector<int> Blocks;
    for (const CtlFiles::Difference &Change : Changes) {
        const int Block = (Change.Entry - 1) / ModbusRtu::EidsPerBlock;
        if (!Blocks.contains(Block))
            Blocks.append(Block);
    }
    QString Committed = Context::CommitSent();
    if (!Exchange.WriteEidBlocks(Wanted, Blocks) && Ctl.CommitUncertain()) {
        Committed = Ctl.CommitLost(tr("reading the list back"));
    } else if (Exchange.Failure().Failed()) {
        const ExchangeFault Fault = Exchange.Failure();
        QVector<int> Sent;
        for (const int Block : Blocks) {
            if (Fault.Where.What == Transaction::Kind::Commit || Block <= Fault.Where.Block)
                Sent.append(Block);
        }
        return UndoneFault(Fault, [&] { return Exchange.WriteEidBlocks(Held, Sent, false); });
    }
    QVector<qint32> Back;
    if (!Exchange.ReadEids(EidCount, &Back))
        return Ctl.DeviceFault(Committed + tr("verify: "));
    const QVector<CtlFiles::Difference> Left = CtlFiles::EidDifferences(Wanted, Back);
    if (!Left.isEmpty())
        return Ctl.Fail(DeviceFailed,
                        Committed + tr("verify: entry %1 reads %2 after %3 was written")
                                        .arg(Left.first().Entry)
                                        .arg(QString::fromLatin1(CtlFiles::EidText(Left.first().Device)),
                                             QString::fromLatin1(CtlFiles::EidText(Left.first().File))),
                        {{QStringLiteral("fault"), QStringLiteral("verify")}});
    return ReportApplied(Changes, Set.Address, Set.Baud, Set.Baud);
}

// A write that failed before its commit has left the values sent so far in
// the device's working registers, which reads return: the next apply would
// find them there and commit nothing. They are written back, uncommitted,
// before the fault is reported; the message says whether that worked.
int ApplyCommand::UndoneFault(const ExchangeFault &Fault, const std::function<bool()> &PutBack)
{
    // Nothing reaches a device whose line is gone or refused the bytes.
    if (Fault.Code == FaultCode::PortRefused || Fault.Code == FaultCode::InvalidRequest || !Line.Lost().isEmpty())
        return Ctl.DeviceFault();
    const QString Message = Describe(Fault);
    const QJsonObject Detail = FaultDetail(Fault);
    if (PutBack())
        return Ctl.Fail(DeviceFailed, tr("%1; the values sent were put back").arg(Message), Detail);
    return Ctl.Fail(DeviceFailed,
                    tr("%1; putting the values sent back failed too (%2): the device may hold them uncommitted until "
                       "it restarts")
                        .arg(Message, Describe(Exchange.Failure())),
                    Detail);
}

// Each change as "NAME: OLD -> NEW", then one line on what was done; or
// the JSON document with the same in "before" and "after".
int ApplyCommand::ReportApplied(const QVector<CtlFiles::Difference> &Changes, int Address, int Baud, int Found)
{
    if (Set.Json) {
        QJsonObject Before;
        QJsonObject After;
        for (const CtlFiles::Difference &Change : Changes) {
            Before.insert(KeyOf(Change), Change.Device);
            After.insert(KeyOf(Change), Change.File);
        }
        QJsonObject Document {{QStringLiteral("changed"), !Changes.isEmpty()}, {QStringLiteral("check"), Set.Check},
                              {QStringLiteral("before"), Before}, {QStringLiteral("after"), After},
                              {QStringLiteral("address"), Address}, {QStringLiteral("baud"), Found}};
        if (Found != Baud)
            Document.insert(QStringLiteral("baud_at_restart"), Baud);
        return Ctl.PrintJson(Document);
    }
    for (const CtlFiles::Difference &Change : Changes) {
        //: An entry of the EID list.
        const QString What = Change.Name.isEmpty() ? tr("entry %1").arg(Change.Entry) : Change.Name;
        Out << What << ": " << Change.Device << " -> " << Change.File << '\n';
    }
    Out << Summary(Changes.size(), Address, Baud, Found) << '\n';
    Out.flush();
    return Done;
}

// The line on what was done. English has the one form for 1 alone; the
// catalogue gives each its forms.
QString ApplyCommand::Summary(int Count, int Address, int Baud, int Found) const
{
    if (Count == 0)
        return tr("unchanged: the device holds these values; nothing written");
    const bool Eids = Set.What == CtlCommands::Kind::Eids;
    if (Set.Check && Eids)
        return Count == 1 ? tr("%n EID entry would be written and committed; nothing written (--check)", nullptr, Count)
                          : tr("%n EID entries would be written and committed; nothing written (--check)", nullptr,
                               Count);
    if (Set.Check)
        return Count == 1 ? tr("%n parameter would be written and committed; nothing written (--check)", nullptr, Count)
                          : tr("%n parameters would be written and committed; nothing written (--check)", nullptr,
                               Count);
    if (!Eids)
        return VerifiedAt(ParamsWritten(Count), Address, Baud, Found);
    return VerifiedAt(Count == 1 ? tr("%n EID entry written and committed", nullptr, Count)
                                 : tr("%n EID entries written and committed", nullptr, Count),
                      Address, Baud, Found);
}

} // namespace Korvelctl
