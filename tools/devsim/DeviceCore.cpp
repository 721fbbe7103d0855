#include "DeviceCore.h"

#include "ModbusRtu.h"

#include <QJsonValue>
#include <QStringList>

#include <cmath>

namespace {

constexpr int ParamRegisters = DeviceCore::ParamLast - DeviceCore::ParamFirst + 1;
constexpr int EidRegisters = DeviceCore::EidLast - DeviceCore::EidFirst + 1;
// No Modbus RTU frame is longer than this.
constexpr int MaxFrame = 256;

quint8 ByteAt(const QByteArray &Data, int Pos)
{
    return static_cast<quint8>(Data.at(Pos));
}

int WordAt(const QByteArray &Data, int Pos)
{
    return ByteAt(Data, Pos) * 256 + ByteAt(Data, Pos + 1);
}

void PutWord(QByteArray &Data, int Pos, int Value)
{
    Data[Pos] = static_cast<char>((Value >> 8) & 0xFF);
    Data[Pos + 1] = static_cast<char>(Value & 0xFF);
}

void AppendWord(QByteArray &Data, int Value)
{
    Data.append(static_cast<char>((Value >> 8) & 0xFF));
    Data.append(static_cast<char>(Value & 0xFF));
}

bool InBlock(int First, int Count, int BlockFirst, int BlockLast)
{
    return First >= BlockFirst && First + Count - 1 <= BlockLast;
}

bool InOneBlock(int First, int Count)
{
    return InBlock(First, Count, DeviceCore::ParamFirst, DeviceCore::ParamLast)
        || InBlock(First, Count, DeviceCore::EidFirst, DeviceCore::EidLast);
}

QString Hex2(int Value)
{
    return QStringLiteral("0x") + QString::number(Value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

// Where the frame at From ends, judged by the length its function implies.
struct Shape
{
    enum Kind { Need, Invalid, Frame } What;
    int Length;
};

Shape Inspect(const QByteArray &Data, int From)
{
    const int Have = Data.size() - From;
    if (Have < 2)
        return {Shape::Need, 0};
    const quint8 Function = ByteAt(Data, From + 1);
    // 0 is no function, and the top bit marks only exception replies.
    if (Function == 0 || Function >= 0x80)
        return {Shape::Invalid, 0};
    if (Function == 0x03 || Function == 0x06)
        return Have >= 8 ? Shape {Shape::Frame, 8} : Shape {Shape::Need, 0};
    if (Function == 0x10) {
        if (Have < 7)
            return {Shape::Need, 0};
        const int Length = 9 + ByteAt(Data, From + 6);
        return Have >= Length ? Shape {Shape::Frame, Length} : Shape {Shape::Need, 0};
    }
    // A function this device does not know: its length is unknown too, so
    // the frame is the shortest stretch of at least address, function and
    // CRC that checks. One running CRC over the growing stretch finds it in
    // a single pass, so a noisy line costs little per byte.
    quint16 Crc = 0xFFFF;
    for (int Length = 1; Length <= qMin(Have, MaxFrame); ++Length) {
        Crc = ModbusCrc16Step(Crc, ByteAt(Data, From + Length - 1));
        if (Length >= 4 && Crc == 0)
            return {Shape::Frame, Length};
    }
    return Have >= MaxFrame ? Shape {Shape::Invalid, 0} : Shape {Shape::Need, 0};
}

// The first position after From where a complete, well-checked request of
// a known function starts, or -1.
int NextFrame(const QByteArray &Data, int From)
{
    for (int At = From; At + 8 <= Data.size(); ++At) {
        const quint8 Function = ByteAt(Data, At + 1);
        if (Function != 0x03 && Function != 0x06 && Function != 0x10)
            continue;
        const Shape S = Inspect(Data, At);
        if (S.What == Shape::Frame && DeviceCore::CrcOk(Data.mid(At, S.Length)))
            return At;
    }
    return -1;
}

QString ExceptionName(int Code)
{
    switch (Code) {
    case 0x01: return QStringLiteral("illegal function");
    case 0x02: return QStringLiteral("illegal data address");
    case 0x03: return QStringLiteral("illegal data value");
    case 0x04: return QStringLiteral("server device failure");
    default: return QStringLiteral("code %1").arg(Code);
    }
}

struct FaultName
{
    DeviceFault::Kind Kind;
    const char *Name;
    int Args;      // how many values it takes
    int Min, Max;  // range of the first value
    int Min2, Max2;
    const char *Help;
};

const FaultName FaultNames[] = {
    {DeviceFault::Silence, "silence", 0, 0, 0, 0, 0,
     "no reply at all; the request is not carried out"},
    {DeviceFault::BadCrc, "bad-crc", 0, 0, 0, 0, 0,
     "the reply's last CRC byte is inverted"},
    {DeviceFault::ShortReply, "short", 1, 1, 255, 0, 0,
     "short[=K]|the reply loses its last K bytes (default 1; at least one byte stays)"},
    {DeviceFault::ExtraBytes, "extra", 1, 1, 255, 0, 0,
     "extra[=K]|K bytes 0xFF follow the reply (default 1)"},
    {DeviceFault::Chunks, "chunks", 2, 1, 255, 0, 60000,
     "chunks[=SIZE[,GAP]]|the reply goes out in pieces of SIZE bytes, GAP ms apart (default 2,20)"},
    {DeviceFault::Slow, "slow", 1, 0, 600000, 0, 0,
     "slow[=MS]|the reply starts MS ms later than usual (default 2000)"},
    {DeviceFault::WrongCount, "wrong-count", 0, 0, 0, 0, 0,
     "a read reply's byte count claims two bytes more; a multiple-write echo one register more"},
    {DeviceFault::EchoValue, "echo-value", 1, 0, 65535, 0, 0,
     "echo-value[=V]|a single-register write is stored, but echoed with V (default: value + 1)"},
    {DeviceFault::CommitCode, "commit-code", 1, 0, 65535, 0, 0,
     "commit-code[=V]|a commit is carried out, but echoed with code V (default 0)"},
    {DeviceFault::Exception, "exception", 1, 1, 255, 0, 0,
     "exception[=CODE]|exception reply with CODE (default 4, server device failure); not carried out"},
    {DeviceFault::HangUp, "hangup", 0, 0, 0, 0, 0,
     "the line is hung up instead of a reply, and the simulator ends"},
};

const FaultName &NameOf(DeviceFault::Kind Kind)
{
    for (const FaultName &Entry : FaultNames) {
        if (Entry.Kind == Kind)
            return Entry;
    }
    return FaultNames[0];
}

bool ReadNumber(const QString &Text, int Min, int Max, int &Out)
{
    bool Ok = false;
    const qlonglong Value = Text.trimmed().toLongLong(&Ok, 0);
    if (!Ok || Value < Min || Value > Max)
        return false;
    Out = int(Value);
    return true;
}

void SetError(QString *Error, const QString &Text)
{
    if (Error)
        *Error = Text;
}

} // namespace

// ---------------------------------------------------------------------------

bool DeviceFault::Parse(const QString &Text, DeviceFault &Out, QString *Error)
{
    QString Rest = Text.trimmed();
    DeviceFault Fault;
    const int At = Rest.indexOf(QLatin1Char('@'));
    if (At >= 0) {
        if (!ReadNumber(Rest.mid(At + 1), 1, 1000000000, Fault.Nth)) {
            SetError(Error, QStringLiteral("fault '%1': after '@' a request number from 1 up is needed")
                                .arg(Text));
            return false;
        }
        Rest = Rest.left(At);
    }
    QString Values;
    const int Eq = Rest.indexOf(QLatin1Char('='));
    if (Eq >= 0) {
        Values = Rest.mid(Eq + 1);
        Rest = Rest.left(Eq);
    }
    const FaultName *Found = nullptr;
    QStringList Known;
    for (const FaultName &Entry : FaultNames) {
        Known << QString::fromLatin1(Entry.Name);
        if (Rest == QLatin1String(Entry.Name))
            Found = &Entry;
    }
    if (!Found) {
        SetError(Error, QStringLiteral("unknown fault '%1' (known: %2)")
                            .arg(Rest, Known.join(QStringLiteral(", "))));
        return false;
    }
    Fault.What = Found->Kind;
    if (Eq >= 0) {
        const QStringList Parts = Values.split(QLatin1Char(','));
        if (Found->Args == 0) {
            SetError(Error, QStringLiteral("fault '%1' takes no value").arg(Rest));
            return false;
        }
        if (Parts.size() > Found->Args) {
            SetError(Error, QStringLiteral("fault '%1' takes at most %2 value(s)").arg(Rest).arg(Found->Args));
            return false;
        }
        if (!ReadNumber(Parts[0], Found->Min, Found->Max, Fault.Arg)) {
            SetError(Error, QStringLiteral("fault '%1': value '%2' is not a number from %3 to %4")
                                .arg(Rest, Parts[0]).arg(Found->Min).arg(Found->Max));
            return false;
        }
        if (Parts.size() > 1 && !ReadNumber(Parts[1], Found->Min2, Found->Max2, Fault.Arg2)) {
            SetError(Error, QStringLiteral("fault '%1': value '%2' is not a number from %3 to %4")
                                .arg(Rest, Parts[1]).arg(Found->Min2).arg(Found->Max2));
            return false;
        }
    }
    Out = Fault;
    return true;
}

QString DeviceFault::ToString() const
{
    QString Text = QString::fromLatin1(NameOf(What).Name);
    if (Arg >= 0) {
        Text += QLatin1Char('=') + QString::number(Arg);
        if (Arg2 >= 0)
            Text += QLatin1Char(',') + QString::number(Arg2);
    }
    if (Nth > 0)
        Text += QLatin1Char('@') + QString::number(Nth);
    return Text;
}

QString DeviceFault::Usage()
{
    // "synopsis|text" or plain text for a kind without values; the text is
    // wrapped into a column beside the synopsis.
    constexpr int Indent = 24;
    constexpr int Width = 78;
    QString Text;
    for (const FaultName &Entry : FaultNames) {
        QString Help = QString::fromLatin1(Entry.Help);
        QString Synopsis = QString::fromLatin1(Entry.Name);
        const int Bar = Help.indexOf(QLatin1Char('|'));
        if (Bar >= 0) {
            Synopsis = Help.left(Bar);
            Help = Help.mid(Bar + 1);
        }
        QString Line = QStringLiteral("    ") + Synopsis;
        for (const QString &Word : Help.split(QLatin1Char(' '))) {
            if (Line.size() < Indent) {
                Line = Line.leftJustified(Indent) + Word;
            } else if (Line.size() + 1 + Word.size() > Width) {
                Text += Line + QLatin1Char('\n');
                Line = QString(Indent, QLatin1Char(' ')) + Word;
            } else {
                Line += QLatin1Char(' ') + Word;
            }
        }
        Text += Line + QLatin1Char('\n');
    }
    return Text;
}

QByteArray DeviceReply::Bytes() const
{
    QByteArray All;
    for (const QByteArray &Chunk : Chunks)
        All += Chunk;
    return All;
}

// ---------------------------------------------------------------------------

const QVector<DeviceCore::Param> &DeviceCore::Params()
{
    // Register map of the configuration tool. The tool starts at
    // 1, 0, 60, 10, 1, 0, 1, 150, 0, 6, 1, 10, 10, 0; every value here differs,
    // and the time-outs are no presets, so a read shows the device's own.
    static const QVector<Param> Map = {
        {"ModbusID", 40003, 17},
        {"BaudRate", 40005, 1},
        {"OffLineTime", 40008, 300},
        {"DataUplinkCycle", 40009, 60},
        {"LocalNet", 40207, 5},
        {"TimeMark", 40213, 1},
        {"RfTxPower", 40301, 20},
        {"RfFrequency", 40302, 470},
        {"RfBandWidth", 40303, 1},
        {"RfSf", 40304, 9},
        {"RfLeadCode", 40305, 8},
        {"TxTimeout", 40307, 1000},
        {"RxTimeout", 40308, 200},
        {"RssiOut", 40310, 1},
    };
    return Map;
}

DeviceCore::DeviceCore()
{
    Reset();
}

void DeviceCore::Reset()
{
    WorkParams = QVector<quint16>(ParamRegisters, 0);
    WorkEids = QVector<quint16>(EidRegisters, 0);
    for (const Param &P : Params())
        WorkParams[P.Register - ParamFirst] = P.Start;
    KeptParams = WorkParams;
    KeptEids = WorkEids;
    FaultList.clear();
    Count = 0;
}

bool DeviceCore::HasRegister(int Register)
{
    return InOneBlock(Register, 1);
}

quint16 DeviceCore::Register(int Register, Image Which) const
{
    if (Register == CommandRegister || !HasRegister(Register))
        return 0;
    const bool Kept = Which == Committed;
    if (Register <= ParamLast)
        return (Kept ? KeptParams : WorkParams)[Register - ParamFirst];
    return (Kept ? KeptEids : WorkEids)[Register - EidFirst];
}

void DeviceCore::SetRegister(int Register, quint16 Value, Image Which)
{
    // The command register holds nothing: a code written there is carried out.
    if (Register == CommandRegister || !HasRegister(Register))
        return;
    const bool Params = Register <= ParamLast;
    const int Index = Register - (Params ? ParamFirst : EidFirst);
    if (Which != Committed)
        (Params ? WorkParams : WorkEids)[Index] = Value;
    if (Which != Working)
        (Params ? KeptParams : KeptEids)[Index] = Value;
}

qint32 DeviceCore::Eid(int Slot, Image Which) const
{
    if (Slot < 0 || Slot >= EidCount)
        return 0;
    const int First = EidFirst + 2 * Slot;
    const quint32 Value = (quint32(Register(First, Which)) << 16) | Register(First + 1, Which);
    return qint32(Value);
}

void DeviceCore::SetEid(int Slot, qint32 Value, Image Which)
{
    if (Slot < 0 || Slot >= EidCount)
        return;
    const int First = EidFirst + 2 * Slot;
    SetRegister(First, quint16(quint32(Value) >> 16), Which);
    SetRegister(First + 1, quint16(quint32(Value) & 0xFFFF), Which);
}

quint8 DeviceCore::OwnAddress() const
{
    // Like a real unit, a new address counts once it has been taken over.
    const quint16 Address = Register(AddressRegister, Committed);
    return Address >= 1 && Address <= 255 ? quint8(Address) : 0;
}

QByteArray DeviceCore::WithCrc(QByteArray Frame)
{
    const quint16 Crc = ModbusCrc16(Frame);
    Frame.append(static_cast<char>(Crc >> 8));
    Frame.append(static_cast<char>(Crc & 0xFF));
    return Frame;
}

bool DeviceCore::CrcOk(const QByteArray &Frame)
{
    return Frame.size() >= 4 && ModbusCrc16(Frame) == 0;
}

// ---------------------------------------------------------------------------

DeviceCore::FrameCut DeviceCore::Cut(const QByteArray &Pending)
{
    FrameCut Front;
    // Resynchronise: drop a byte at a time until a frame that checks starts
    // at the front, or an incomplete one that may still become one.
    int Drop = 0;
    while (Drop < Pending.size()) {
        const Shape S = Inspect(Pending, Drop);
        if (S.What == Shape::Frame) {
            if (CrcOk(Pending.mid(Drop, S.Length)))
                break;
            if (Front.Why.isEmpty())
                Front.Why = QStringLiteral("bad CRC, no reply");
            ++Drop;
            continue;
        }
        if (S.What == Shape::Invalid) {
            if (Front.Why.isEmpty())
                Front.Why = QStringLiteral("no frame starts here");
            ++Drop;
            continue;
        }
        // Incomplete: wait for the rest, unless a whole request already
        // follows it, which shows that the front was only noise.
        const int Next = NextFrame(Pending, Drop + 1);
        if (Next < 0)
            break;
        if (Front.Why.isEmpty())
            Front.Why = QStringLiteral("incomplete frame followed by another");
        Drop = Next;
    }
    if (Drop > 0) {
        Front.What = FrameCut::Garbage;
        Front.Length = Drop;
        return Front;
    }
    const Shape S = Inspect(Pending, 0);
    if (S.What == Shape::Frame) {
        Front.What = FrameCut::Frame;
        Front.Length = S.Length;
    }
    return Front;
}

DeviceReply DeviceCore::Skip(const QByteArray &Pending, const FrameCut &Front)
{
    DeviceReply Reply;
    if (Front.What != FrameCut::Garbage)
        return Reply;
    Reply.What = DeviceReply::Garbage;
    Reply.Consumed = Front.Length;
    Reply.Request = Pending.left(Front.Length);
    Reply.Note = QStringLiteral("dropped: ") + Front.Why;
    return Reply;
}

DeviceReply DeviceCore::Ignored(const QByteArray &Frame, const QString &Own)
{
    DeviceReply Reply;
    Reply.What = DeviceReply::NotOurs;
    Reply.Consumed = Frame.size();
    Reply.Request = Frame;
    Reply.Note = QStringLiteral("for address %1, not ours (%2): ignored").arg(ByteAt(Frame, 0)).arg(Own);
    return Reply;
}

DeviceReply DeviceCore::Take(const QByteArray &Pending)
{
    const FrameCut Front = Cut(Pending);
    if (Front.What != FrameCut::Frame)
        return Skip(Pending, Front);
    const QByteArray Frame = Pending.left(Front.Length);
    if (!Addressed(ByteAt(Frame, 0)))
        return Ignored(Frame, QString::number(OwnAddress()));
    return Respond(Frame);
}

DeviceReply DeviceCore::Answer(const QByteArray &Frame, int Transaction)
{
    DeviceReply Reply;
    Reply.What = DeviceReply::Answered;
    Reply.Consumed = Frame.size();
    Reply.Request = Frame;
    Reply.Transaction = Transaction;

    // The first fault of each kind that applies to this request.
    const DeviceFault *Active[DeviceFault::KindCount] = {};
    for (const DeviceFault &Fault : FaultList) {
        if (Fault.AppliesTo(Transaction) && !Active[Fault.What])
            Active[Fault.What] = &Fault;
    }
    QStringList Played;
    auto Mark = [&](DeviceFault::Kind Kind) { Played << Active[Kind]->ToString(); };
    auto Finish = [&](const QString &Note) {
        Reply.Note = Note;
        if (!Played.isEmpty())
            Reply.Note += QStringLiteral("; fault: ") + Played.join(QStringLiteral(", "));
        return Reply;
    };

    if (Active[DeviceFault::HangUp]) {
        Mark(DeviceFault::HangUp);
        Reply.HangUp = true;
        return Finish(QStringLiteral("hang-up, not carried out"));
    }
    if (Active[DeviceFault::Silence]) {
        Mark(DeviceFault::Silence);
        return Finish(QStringLiteral("no reply, not carried out"));
    }

    QByteArray Body;
    QString Note;
    if (Active[DeviceFault::Exception]) {
        Mark(DeviceFault::Exception);
        const int Code = Active[DeviceFault::Exception]->Arg >= 0 ? Active[DeviceFault::Exception]->Arg
                                                                  : ExDeviceFailure;
        Body.append(Frame.at(0));
        Body.append(static_cast<char>(ByteAt(Frame, 1) | 0x80));
        Body.append(static_cast<char>(Code));
        Note = QStringLiteral("exception %1 (%2), not carried out").arg(Hex2(Code), ExceptionName(Code));
    } else {
        Body = Execute(Frame, Reply.Committed, Note);
    }

    const quint8 Function = ByteAt(Body, 1);
    if (Function == 0x03 && Active[DeviceFault::WrongCount]) {
        Mark(DeviceFault::WrongCount);
        Body[2] = static_cast<char>(ByteAt(Body, 2) + 2);
    } else if (Function == 0x10 && Active[DeviceFault::WrongCount]) {
        Mark(DeviceFault::WrongCount);
        PutWord(Body, 4, WordAt(Body, 4) + 1);
    } else if (Function == 0x06) {
        const bool Command = WordAt(Body, 2) == CommandRegister;
        const DeviceFault *Fault = Active[Command ? DeviceFault::CommitCode : DeviceFault::EchoValue];
        if (Fault) {
            Mark(Fault->What);
            const int Value = Fault->Arg >= 0 ? Fault->Arg : Command ? 0 : (WordAt(Body, 4) + 1) & 0xFFFF;
            PutWord(Body, 4, Value);
        }
    }

    QByteArray Bytes = WithCrc(Body);
    if (Active[DeviceFault::BadCrc]) {
        Mark(DeviceFault::BadCrc);
        Bytes[Bytes.size() - 1] = static_cast<char>(~ByteAt(Bytes, Bytes.size() - 1));
    }
    if (Active[DeviceFault::ShortReply]) {
        Mark(DeviceFault::ShortReply);
        const int Cut = Active[DeviceFault::ShortReply]->Arg >= 0 ? Active[DeviceFault::ShortReply]->Arg : 1;
        Bytes.chop(qMin(Cut, Bytes.size() - 1));
    }
    if (Active[DeviceFault::ExtraBytes]) {
        Mark(DeviceFault::ExtraBytes);
        const int More = Active[DeviceFault::ExtraBytes]->Arg >= 0 ? Active[DeviceFault::ExtraBytes]->Arg : 1;
        Bytes.append(QByteArray(More, '\xFF'));
    }
    if (Active[DeviceFault::Slow]) {
        Mark(DeviceFault::Slow);
        Reply.DelayMs = Active[DeviceFault::Slow]->Arg >= 0 ? Active[DeviceFault::Slow]->Arg : 2000;
    }
    if (Active[DeviceFault::Chunks]) {
        Mark(DeviceFault::Chunks);
        const DeviceFault *Fault = Active[DeviceFault::Chunks];
        const int Size = Fault->Arg >= 1 ? Fault->Arg : 2;
        Reply.GapMs = Fault->Arg2 >= 0 ? Fault->Arg2 : 20;
        for (int At = 0; At < Bytes.size(); At += Size)
            Reply.Chunks.append(Bytes.mid(At, Size));
    } else {
        Reply.Chunks.append(Bytes);
    }
    return Finish(Note);
}

QByteArray DeviceCore::Execute(const QByteArray &Frame, bool &Committed, QString &Note)
{
    const quint8 Function = ByteAt(Frame, 1);
    auto Refuse = [&](quint8 Code, const QString &Why) {
        Note = QStringLiteral("%1: exception %2 (%3)").arg(Why, Hex2(Code), ExceptionName(Code));
        QByteArray Body;
        Body.append(Frame.at(0));
        Body.append(static_cast<char>(Function | 0x80));
        Body.append(static_cast<char>(Code));
        return Body;
    };

    switch (Function) {
    case 0x03: {
        const int First = WordAt(Frame, 2);
        const int Count = WordAt(Frame, 4);
        const QString What = QStringLiteral("read %1 count %2").arg(First).arg(Count);
        if (Count < 1 || Count > MaxReadCount)
            return Refuse(ExIllegalValue, What);
        if (!InOneBlock(First, Count))
            return Refuse(ExIllegalAddress, What);
        QByteArray Body = Frame.left(2);
        Body.append(static_cast<char>(2 * Count));
        for (int R = First; R < First + Count; ++R)
            AppendWord(Body, Register(R, Working));
        Note = What;
        return Body;
    }
    case 0x06: {
        const int Target = WordAt(Frame, 2);
        const int Value = WordAt(Frame, 4);
        const QString What = QStringLiteral("write %1 = %2").arg(Target).arg(Value);
        if (!HasRegister(Target))
            return Refuse(ExIllegalAddress, What);
        if (Target == CommandRegister) {
            if (Value != CommitParamCode && Value != CommitEidCode)
                return Refuse(ExIllegalValue, QStringLiteral("command %1").arg(Value));
            Commit(quint16(Value));
            Committed = true;
            Note = Value == CommitParamCode ? QStringLiteral("commit parameters (6)")
                                            : QStringLiteral("commit EIDs (8)");
        } else {
            SetRegister(Target, quint16(Value), Working);
            Note = What;
        }
        return Frame.left(6);
    }
    case 0x10: {
        const int First = WordAt(Frame, 2);
        const int Count = WordAt(Frame, 4);
        const int Bytes = ByteAt(Frame, 6);
        const QString What = QStringLiteral("write %1 count %2").arg(First).arg(Count);
        if (Count < 1 || Count > MaxWriteCount || Bytes != 2 * Count)
            return Refuse(ExIllegalValue, What + QStringLiteral(" bytes %1").arg(Bytes));
        if (!InOneBlock(First, Count))
            return Refuse(ExIllegalAddress, What);
        // A command among the registers is checked before anything is
        // stored, and carried out after the others have been stored.
        int Code = -1;
        if (First <= CommandRegister && CommandRegister < First + Count) {
            Code = WordAt(Frame, 7 + 2 * (CommandRegister - First));
            if (Code != CommitParamCode && Code != CommitEidCode)
                return Refuse(ExIllegalValue, What + QStringLiteral(" with command %1").arg(Code));
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
    default:
        return Refuse(ExIllegalFunction, QStringLiteral("function %1").arg(Hex2(Function)));
    }
}

void DeviceCore::Commit(quint16 Code)
{
    if (Code == CommitParamCode)
        KeptParams = WorkParams;
    else if (Code == CommitEidCode)
        KeptEids = WorkEids;
}

// ---------------------------------------------------------------------------
// State file: {"Version": 1, "Parameters": {"40002": 0, ...}, "Eids": {"47001": 0, ...}}
// Parameters by register number, EIDs by the first register of their pair,
// each as a plain number, so that the file can be read and edited by hand.

QJsonObject DeviceCore::SaveState() const
{
    QJsonObject Parameters;
    for (int R = ParamFirst + 1; R <= ParamLast; ++R)
        Parameters.insert(QString::number(R), int(Register(R, Committed)));
    QJsonObject Eids;
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Eids.insert(QString::number(EidFirst + 2 * Slot), Eid(Slot, Committed));
    QJsonObject State;
    State.insert(QStringLiteral("Version"), 1);
    State.insert(QStringLiteral("Parameters"), Parameters);
    State.insert(QStringLiteral("Eids"), Eids);
    return State;
}

bool DeviceCore::LoadState(const QJsonObject &State, QString *Error)
{
    for (auto It = State.constBegin(); It != State.constEnd(); ++It) {
        if (It.key() != QLatin1String("Version") && It.key() != QLatin1String("Parameters")
            && It.key() != QLatin1String("Eids")) {
            SetError(Error, QStringLiteral("unknown key \"%1\"").arg(It.key()));
            return false;
        }
    }
    if (State.contains(QStringLiteral("Version")) && State.value(QStringLiteral("Version")).toInt() != 1) {
        SetError(Error, QStringLiteral("\"Version\" must be 1"));
        return false;
    }
    auto Whole = [](const QJsonValue &V, double Min, double Max, qint64 &Out) {
        if (!V.isDouble())
            return false;
        const double D = V.toDouble();
        if (D != std::floor(D) || D < Min || D > Max)
            return false;
        Out = qint64(D);
        return true;
    };

    QVector<quint16> Params = KeptParams;
    QVector<quint16> Eids = KeptEids;
    const QJsonValue ParamValue = State.value(QStringLiteral("Parameters"));
    if (!ParamValue.isUndefined() && !ParamValue.isObject()) {
        SetError(Error, QStringLiteral("\"Parameters\" must be an object"));
        return false;
    }
    const QJsonObject ParamObject = ParamValue.toObject();
    for (auto It = ParamObject.constBegin(); It != ParamObject.constEnd(); ++It) {
        bool Ok = false;
        const int R = It.key().toInt(&Ok);
        if (!Ok || R <= ParamFirst || R > ParamLast) {
            SetError(Error, QStringLiteral("\"Parameters\": \"%1\" is no register from %2 to %3")
                                .arg(It.key())
                                .arg(ParamFirst + 1)
                                .arg(ParamLast));
            return false;
        }
        qint64 Value = 0;
        if (!Whole(It.value(), 0, 65535, Value)) {
            SetError(Error, QStringLiteral("\"Parameters\": register %1 needs a whole number from 0 to 65535")
                                .arg(R));
            return false;
        }
        Params[R - ParamFirst] = quint16(Value);
    }
    const QJsonValue EidValue = State.value(QStringLiteral("Eids"));
    if (!EidValue.isUndefined() && !EidValue.isObject()) {
        SetError(Error, QStringLiteral("\"Eids\" must be an object"));
        return false;
    }
    const QJsonObject EidObject = EidValue.toObject();
    for (auto It = EidObject.constBegin(); It != EidObject.constEnd(); ++It) {
        bool Ok = false;
        const int R = It.key().toInt(&Ok);
        if (!Ok || R < EidFirst || R >= EidLast || (R - EidFirst) % 2 != 0) {
            SetError(Error, QStringLiteral("\"Eids\": \"%1\" is no first register of an EID (47001, 47003 ... 47399)")
                                .arg(It.key()));
            return false;
        }
        qint64 Value = 0;
        // Signed as the tool shows them; unsigned 32-bit numbers are taken too.
        if (!Whole(It.value(), -2147483648.0, 4294967295.0, Value)) {
            SetError(Error, QStringLiteral("\"Eids\": EID at %1 needs a whole 32-bit number").arg(R));
            return false;
        }
        const quint32 Bits = quint32(Value);
        Eids[R - EidFirst] = quint16(Bits >> 16);
        Eids[R - EidFirst + 1] = quint16(Bits & 0xFFFF);
    }
    KeptParams = WorkParams = Params;
    KeptEids = WorkEids = Eids;
    return true;
}
