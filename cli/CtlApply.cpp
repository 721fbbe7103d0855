// apply: the device brought to what a file or the command line names.
// What it holds is read first; a device that holds it already gets no
// write and no commit (a commit writes its non-volatile memory, and some
// units restart on it), else only what differs is written and committed,
// the device is followed to a new address or speed as write params does,
// and the values are read back. This is what a configuration engine needs
// from a task: a change only where there is a difference, and the
// difference to show.

#include "CtlFiles.h"
#include "CtlIo.h"
#include "CtlRunner.h"
#include "CtlSet.h"
#include "Korvelctl.h"
#include "ModbusRtu.h"
#include "ParamRegisters.h"

#include <QJsonObject>
#include <QSet>
#include <QTextStream>


namespace Korvelctl {

namespace {

QString KeyOf(const CtlFiles::Difference &Change)
{
    return Change.Name.isEmpty() ? QString::number(Change.Entry) : Change.Name;
}

} // namespace

int Runner::ApplyParams()
{
    const bool FromFile = !Set.Input.isEmpty();
    if (FromFile == !Set.Assignments.isEmpty())
        return Usage(FromFile ? QStringLiteral("apply params takes -i FILE or NAME=VALUE, not both")
                              : QStringLiteral("apply params needs -i FILE or NAME=VALUE (e.g. RfFrequency=433)"));
    int Code = Done;
    ParamList Wanted;
    QString Error;
    if (FromFile ? !ReadParamFile(&Wanted, WriteRange(), &Code)
                 : !CtlSet::ParseAssignments(Set.Assignments, &Wanted, &Error, Set.OutOfRange))
        return FromFile ? Code : Fail(BadUsage, Error);
    const QString Unreachable = CtlFiles::AddressProblem(Wanted);
    if (!Unreachable.isEmpty())
        return Fail(BadUsage, CtlIo::Shown(Set.Input) + QStringLiteral(": ") + Unreachable);
    if (!OpenLine(&Code))
        return Code;
    OpenedBaud = Set.Baud;
    ParamList Held = Wanted;
    if (!Exchange.ReadParams(&Held))
        return DeviceFault();
    const QVector<CtlFiles::Difference> Changes = CtlFiles::ParamDifferences(Wanted, Held);
    if (Changes.isEmpty() || Set.Check)
        return ReportApplied(Changes, Set.Address, Set.Baud, Set.Baud);
    QSet<QString> Differ;
    for (const CtlFiles::Difference &Change : Changes)
        Differ.insert(Change.Name);
    ParamList Changed;
    for (const ParamValue &Param : Wanted) {
        if (Differ.contains(Param.Name))
            Changed.append(Param);
    }
    // apply always reads back: on a line whose speed is the server's, a
    // new speed is refused before anything is written.
    if (Line.FixedSpeed() && (Code = CheckFixedSpeed(Changed, true)) != Done)
        return Code;
    // A value the device keeps other than the one sent must not be committed.
    Exchange.SetStrictEcho(true);
    ParamList Echoed = Changed;
    QString Committed = QStringLiteral("the commit was sent; ");
    // A lost or garbled reply to the commit: the device may have taken it,
    // and the read-back tells.
    if (!Exchange.WriteParams(&Echoed) && CommitUncertain()) {
        Committed = CommitLost(QStringLiteral("values"));
    } else if (Exchange.Failure().Failed()) {
        // What was sent up to the fault, the failed write included (a
        // device may keep a value it echoes wrongly), goes back.
        const ExchangeFault Fault = Exchange.Failure();
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
    const int Address = NewAddress(Changed, Set.Address);
    const int Baud = NewBaud(Changed, OpenedBaud);
    int Found = Baud;
    if ((Code = VerifyFollowing(Wanted, Address, &Found, Committed)) != Done)
        return Code;
    return ReportApplied(Changes, Address, Baud, Found);
}

int Runner::ApplyEids()
{
    if (Set.Input.isEmpty())
        return Usage(QStringLiteral("apply eids needs -i FILE"));
    int Code = Done;
    QVector<qint32> Eids;
    if (!ReadEidFile(&Eids, WriteRange(), &Code) || !OpenLine(&Code))
        return Code;
    // The whole list: the entries the file leaves out are 0, as write eids
    // writes them.
    const QVector<qint32> Wanted = CtlFiles::WholeList(Eids);
    QVector<qint32> Held;
    if (!Exchange.ReadEids(EidCount, &Held))
        return DeviceFault();
    const QVector<CtlFiles::Difference> Changes = CtlFiles::EidDifferences(Wanted, Held);
    if (Changes.isEmpty() || Set.Check)
        return ReportApplied(Changes, Set.Address, Set.Baud, Set.Baud);
    QVector<int> Blocks;
    for (const CtlFiles::Difference &Change : Changes) {
        const int Block = (Change.Entry - 1) / ModbusRtu::EidsPerBlock;
        if (!Blocks.contains(Block))
            Blocks.append(Block);
    }
    QString Committed = QStringLiteral("the commit was sent; ");
    if (!Exchange.WriteEidBlocks(Wanted, Blocks) && CommitUncertain()) {
        Committed = CommitLost(QStringLiteral("list"));
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
        return DeviceFault(Committed + QStringLiteral("verify: "));
    const QVector<CtlFiles::Difference> Left = CtlFiles::EidDifferences(Wanted, Back);
    if (!Left.isEmpty())
        return Fail(DeviceFailed, Committed + QStringLiteral("verify: entry %1 reads %2 after %3 was written")
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
int Runner::UndoneFault(const ExchangeFault &Fault, const std::function<bool()> &PutBack)
{
    // Nothing reaches a device whose line is gone or refused the bytes.
    if (Fault.Code == FaultCode::PortRefused || Fault.Code == FaultCode::InvalidRequest || !Line.Lost().isEmpty())
        return DeviceFault();
    const QString Message = Describe(Fault);
    const QJsonObject Detail = FaultDetail(Fault);
    if (PutBack())
        return Fail(DeviceFailed, Message + QStringLiteral("; the values sent were put back"), Detail);
    return Fail(DeviceFailed, Message + QStringLiteral("; putting the values sent back failed too (%1): the device "
                                                       "may hold them uncommitted until it restarts")
                                            .arg(Describe(Exchange.Failure())),
                Detail);
}

// Each change as "NAME: OLD -> NEW", then one line on what was done; or
// the JSON document with the same in "before" and "after".
int Runner::ReportApplied(const QVector<CtlFiles::Difference> &Changes, int Address, int Baud, int Found)
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
        return PrintJson(Document);
    }
    for (const CtlFiles::Difference &Change : Changes) {
        const QString What = Change.Name.isEmpty() ? QStringLiteral("entry %1").arg(Change.Entry) : Change.Name;
        Out << What << ": " << Change.Device << " -> " << Change.File << '\n';
    }
    const bool Eids = Set.What == CtlCommands::Kind::Eids;
    const int Count = Changes.size();
    const QString Counted = Eids ? QStringLiteral("%1 %2").arg(Count).arg(Count == 1 ? "EID entry" : "EID entries")
                                 : QStringLiteral("%1 %2").arg(Count).arg(Count == 1 ? "parameter" : "parameters");
    if (Changes.isEmpty())
        Out << "unchanged: the device holds these values; nothing written\n";
    else if (Set.Check)
        Out << Counted << " would be written and committed; nothing written (--check)\n";
    else if (Found == Baud)
        Out << Counted << " written and committed, verified at " << PlaceText(Address, Baud) << '\n';
    else
        Out << Counted << " written and committed, verified at " << PlaceText(Address, Found) << " (the old speed; "
            << Baud << " Bd once the device takes it over at a restart)\n";
    Out.flush();
    return Done;
}

} // namespace Korvelctl
