// The simulated device answering one whole request addressed to it: the
// request carried out on the images, then the faults that apply played on
// the reply.

#include "DeviceCore.h"

#include "DeviceBytes.h"
#include "ModbusRtu.h"

#include <QStringList>

using DeviceBytes::AppendWord;
using DeviceBytes::ByteAt;
using DeviceBytes::Hex2;
using DeviceBytes::PutWord;
using DeviceBytes::WordAt;

namespace {

QString ExceptionName(int Code)
{
    const QString Meaning = ModbusRtu::ExceptionMeaning(quint8(Code));
    return Meaning.isEmpty() ? QStringLiteral("code %1").arg(Code) : Meaning;
}

QByteArray ExceptionBody(const QByteArray &Frame, int Code)
{
    QByteArray Body;
    Body.append(Frame.at(0));
    Body.append(static_cast<char>(ByteAt(Frame, 1) | 0x80));
    Body.append(static_cast<char>(Code));
    return Body;
}

// An exception reply refusing the request, and the note saying why.
QByteArray Refuse(const QByteArray &Frame, quint8 Code, const QString &Why, QString &Note)
{
    Note = QStringLiteral("%1: exception %2 (%3)").arg(Why, Hex2(Code), ExceptionName(Code));
    return ExceptionBody(Frame, Code);
}

// The faults that apply to one request: the first of each kind. Taking one
// marks it played, in the order the reply meets them.
class FaultPlay
{
public:
    FaultPlay(const QList<DeviceFault> &Faults, int Transaction)
    {
        for (const DeviceFault &Fault : Faults) {
            if (Fault.AppliesTo(Transaction) && !Active[Fault.What])
                Active[Fault.What] = &Fault;
        }
    }

    const DeviceFault *Play(DeviceFault::Kind Kind)
    {
        if (Active[Kind])
            Played << Active[Kind]->ToString();
        return Active[Kind];
    }

    // The fault's value, or Default where it was given none.
    static int ArgOr(const DeviceFault *Fault, int Default) { return Fault->Arg >= 0 ? Fault->Arg : Default; }

    QStringList Played;

private:
    const DeviceFault *Active[DeviceFault::KindCount] = {};
};

// The reply body's own fields spoilt: a count claiming too much, an echo of
// another value or code.
void SpoilBody(QByteArray &Body, FaultPlay &Faults)
{
    const quint8 Function = ByteAt(Body, 1);
    if (Function == 0x03 && Faults.Play(DeviceFault::WrongCount)) {
        Body[2] = static_cast<char>(ByteAt(Body, 2) + 2);
    } else if (Function == 0x10 && Faults.Play(DeviceFault::WrongCount)) {
        PutWord(Body, 4, WordAt(Body, 4) + 1);
    } else if (Function == 0x06) {
        const bool Command = WordAt(Body, 2) == DeviceCore::CommandRegister;
        const DeviceFault *Fault = Faults.Play(Command ? DeviceFault::CommitCode : DeviceFault::EchoValue);
        if (Fault)
            PutWord(Body, 4, FaultPlay::ArgOr(Fault, Command ? 0 : (WordAt(Body, 4) + 1) & 0xFFFF));
    }
}

// The whole reply spoilt on its way: its CRC, its length, its timing.
void SpoilDelivery(DeviceReply &Reply, QByteArray Bytes, FaultPlay &Faults)
{
    if (Faults.Play(DeviceFault::BadCrc))
        Bytes[Bytes.size() - 1] = static_cast<char>(~ByteAt(Bytes, Bytes.size() - 1));
    if (const DeviceFault *Fault = Faults.Play(DeviceFault::ShortReply))
        Bytes.chop(qMin(FaultPlay::ArgOr(Fault, 1), Bytes.size() - 1));
    if (const DeviceFault *Fault = Faults.Play(DeviceFault::ExtraBytes))
        Bytes.append(QByteArray(FaultPlay::ArgOr(Fault, 1), '\xFF'));
    if (const DeviceFault *Fault = Faults.Play(DeviceFault::Slow))
        Reply.DelayMs = FaultPlay::ArgOr(Fault, 2000);
    if (const DeviceFault *Fault = Faults.Play(DeviceFault::Chunks)) {
        const int Size = Fault->Arg >= 1 ? Fault->Arg : 2;
        Reply.GapMs = Fault->Arg2 >= 0 ? Fault->Arg2 : 20;
        for (int At = 0; At < Bytes.size(); At += Size)
            Reply.Chunks.append(Bytes.mid(At, Size));
    } else {
        Reply.Chunks.append(Bytes);
    }
}

DeviceReply Finish(DeviceReply &Reply, const FaultPlay &Faults, const QString &Note)
{
    QStringList Remarks;
    if (!Faults.Played.isEmpty())
        Remarks << QStringLiteral("fault: ") + Faults.Played.join(QStringLiteral(", "));
    if (Reply.NewBaud)
        Remarks << QStringLiteral("hears at %1 Bd from the next request on").arg(Reply.NewBaud);
    Reply.Remark = Remarks.join(QStringLiteral("; "));
    Reply.Note = Reply.Remark.isEmpty() ? Note : Note + QStringLiteral("; ") + Reply.Remark;
    return Reply;
}

} // namespace

DeviceReply DeviceCore::Answer(const QByteArray &Frame, int Transaction)
{
    DeviceReply Reply;
    Reply.What = DeviceReply::Answered;
    Reply.Consumed = Frame.size();
    Reply.Request = Frame;
    Reply.Transaction = Transaction;

    FaultPlay Faults(FaultList, Transaction);
    if (Faults.Play(DeviceFault::HangUp)) {
        Reply.HangUp = true;
        return Finish(Reply, Faults, QStringLiteral("hang-up, not carried out"));
    }
    if (Faults.Play(DeviceFault::Silence))
        return Finish(Reply, Faults, QStringLiteral("no reply, not carried out"));

    QByteArray Body;
    QString Note;
    if (const DeviceFault *Fault = Faults.Play(DeviceFault::Exception)) {
        const int Code = FaultPlay::ArgOr(Fault, ExDeviceFailure);
        Body = ExceptionBody(Frame, Code);
        Note = QStringLiteral("exception %1 (%2), not carried out").arg(Hex2(Code), ExceptionName(Code));
    } else {
        const int HeardAt = Listen;
        Body = Execute(Frame, Reply.Committed, Note);
        if (Listen != HeardAt)
            Reply.NewBaud = Listen;
    }
    SpoilBody(Body, Faults);
    SpoilDelivery(Reply, WithCrc(Body), Faults);
    return Finish(Reply, Faults, Note);
}

QByteArray DeviceCore::Execute(const QByteArray &Frame, bool &Committed, QString &Note)
{
    const quint8 Function = ByteAt(Frame, 1);
    switch (Function) {
    case 0x03: return ReadMany(Frame, Note);
    case 0x06: return WriteOne(Frame, Committed, Note);
    case 0x10: return WriteMany(Frame, Committed, Note);
    default: return Refuse(Frame, ExIllegalFunction, QStringLiteral("function %1").arg(Hex2(Function)), Note);
    }
}

QByteArray DeviceCore::ReadMany(const QByteArray &Frame, QString &Note) const
{
    const int First = WordAt(Frame, 2);
    const int Count = WordAt(Frame, 4);
    const QString What = QStringLiteral("read %1 count %2").arg(First).arg(Count);
    if (Count < 1 || Count > MaxReadCount)
        return Refuse(Frame, ExIllegalValue, What, Note);
    if (!InOneBlock(First, Count))
        return Refuse(Frame, ExIllegalAddress, What, Note);
    QByteArray Body = Frame.left(2);
    Body.append(static_cast<char>(2 * Count));
    for (int R = First; R < First + Count; ++R)
        AppendWord(Body, Register(R, Working));
    Note = What;
    return Body;
}

QByteArray DeviceCore::WriteOne(const QByteArray &Frame, bool &Committed, QString &Note)
{
    const int Target = WordAt(Frame, 2);
    const int Value = WordAt(Frame, 4);
    const QString What = QStringLiteral("write %1 = %2").arg(Target).arg(Value);
    if (!HasRegister(Target))
        return Refuse(Frame, ExIllegalAddress, What, Note);
    if (Target == CommandRegister) {
        if (Value != CommitParamCode && Value != CommitEidCode)
            return Refuse(Frame, ExIllegalValue, QStringLiteral("command %1").arg(Value), Note);
        Commit(quint16(Value));
        Committed = true;
        Note = Value == CommitParamCode ? QStringLiteral("commit parameters (6)") : QStringLiteral("commit EIDs (8)");
    } else {
        SetRegister(Target, quint16(Value), Working);
        Note = What;
    }
    return Frame.left(6);
}

QByteArray DeviceCore::WriteMany(const QByteArray &Frame, bool &Committed, QString &Note)
{
    const int First = WordAt(Frame, 2);
    const int Count = WordAt(Frame, 4);
    const int Bytes = ByteAt(Frame, 6);
    const QString What = QStringLiteral("write %1 count %2").arg(First).arg(Count);
    if (Count < 1 || Count > MaxWriteCount || Bytes != 2 * Count)
        return Refuse(Frame, ExIllegalValue, What + QStringLiteral(" bytes %1").arg(Bytes), Note);
    if (!InOneBlock(First, Count))
        return Refuse(Frame, ExIllegalAddress, What, Note);
    // A command among the registers is checked before anything is
    // stored, and carried out after the others have been stored.
    int Code = -1;
    if (First <= CommandRegister && CommandRegister < First + Count) {
        Code = WordAt(Frame, 7 + 2 * (CommandRegister - First));
        if (Code != CommitParamCode && Code != CommitEidCode)
            return Refuse(Frame, ExIllegalValue, What + QStringLiteral(" with command %1").arg(Code), Note);
    }
    for (int I = 0; I < Count; ++I)
        SetRegister(First + I, quint16(WordAt(Frame, 7 + 2 * I)), Working);
    Note = What;
    if (Code >= 0) {
        Commit(quint16(Code));
        Committed = true;
        Note += QStringLiteral(", commit %1").arg(Code);
    }
    return Frame.left(6);
}

void DeviceCore::Commit(quint16 Code)
{
    if (Code == CommitParamCode)
        KeptParams = WorkParams;
    else if (Code == CommitEidCode)
        KeptEids = WorkEids;
    // A unit takes a new speed over as it takes the parameters over, the
    // reply to the commit still going out at the old one, unless it is one
    // that reads its speed only when it starts.
    const int Baud = SpeedAt(Register(BaudRegister, Committed));
    if (Code == CommitParamCode && Listen != 0 && !SpeedAtRestart && Baud != 0)
        Listen = Baud;
}
