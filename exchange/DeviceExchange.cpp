#include "DeviceExchange.h"

#include "ConfigDocument.h"
#include "EidRegisters.h"
#include "ModbusRtu.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonValue>
#include <QVector>

namespace {

const QString ValueDumpLine = QStringLiteral(
    "pParamValue[]--------------------------------------------------------------------");

// Names of the request's entries by list position. Positions are bounded by
// the slots of the list, so nothing in a request can reach past them.
struct NameList
{
    QString Name[EidCount];
    bool Named[EidCount] = {};
    int Length = 0; // one past the highest named position

    void Set(int Position, const QString &Text)
    {
        Name[Position] = Text;
        Named[Position] = true;
        if (Position >= Length)
            Length = Position + 1;
    }

    // Every position of the exchange has a name from the request.
    bool Covers(int Count) const
    {
        for (int Position = 0; Position < Count; ++Position) {
            if (!Named[Position]) {
                qDebug().noquote() << "EidSet position without entry:" << Position;
                return false;
            }
        }
        return true;
    }
};

// Shared opening of both EID exchanges: the request tests, the reply's
// header, the entries and their count. Nothing is sent here.
bool OpenEidExchange(const QJsonObject &Request, bool Write, QJsonObject *Reply,
                     QJsonArray *Entries)
{
    if (!ConfigDocument::RequestHeaderOk(Request, ConfigDocument::KindEidSet, Write, false))
        return false;
    *Reply = ConfigDocument::NewReply(ConfigDocument::KindEidSet);
    if (!ConfigDocument::RequestArray(Request, Entries))
        return false;
    qDebug() << EidCount;
    qDebug() << Entries->size();
    return Entries->size() <= EidCount;
}

// The slot an entry names, or -1 for an entry that pass 1 passes over: not
// an object, or a register outside the list. A request with such an entry
// leaves a position unnamed and is refused before anything is sent.
int EntrySlot(const QJsonValue &Element)
{
    if (!Element.isObject())
        return -1;
    return EidRegisters::SlotOf(ConfigDocument::EntryRegister(Element.toObject()));
}

QString BlockText(const char *Verb, int FirstRegister, int BlockCount, int BlockNumber)
{
    const int First = EidRegisters::SlotOf(FirstRegister) + 1;
    return QStringLiteral("%1 EID block %2 (entries %3 to %4, registers %5 to %6)")
        .arg(QLatin1String(Verb))
        .arg(BlockNumber + 1)
        .arg(First)
        .arg(First + BlockCount - 1)
        .arg(FirstRegister)
        .arg(FirstRegister + EidRegisters::PerSlot * BlockCount - 1);
}

QString ParamText(const char *Verb, const QJsonObject &Entry)
{
    return QStringLiteral("%1 %2 (register %3)")
        .arg(QLatin1String(Verb), ConfigDocument::EntryName(Entry))
        .arg(ConfigDocument::EntryRegister(Entry));
}

// One transaction for one parameter entry: sends its frame, tests the reply
// and hands back the device's value for the entry, or returns false.
using ParamTransaction = std::function<bool(const QJsonObject &Entry, int *Value)>;

// Visits the request entries in array order and collects the reply entries.
// Stops at the first failed transaction; nothing more is sent after it.
bool RunParamEntries(const QJsonArray &Entries, const ParamTransaction &Transact,
                     QJsonArray *ReplyEntries)
{
    for (int I = 0; I < Entries.size(); ++I) {
        const QJsonValue Element = Entries.at(I);
        if (!Element.isObject()) {
            if (I == 0)
                return false;
            continue;
        }
        const QJsonObject Entry = Element.toObject();
        qDebug().noquote() << ConfigDocument::EntryName(Entry);
        qDebug() << ConfigDocument::EntryValue(Entry);
        qDebug() << ConfigDocument::EntryRegister(Entry);

        QJsonObject ReplyEntry;
        ReplyEntry.insert(ConfigDocument::KeyParamName, ConfigDocument::EntryName(Entry));
        ReplyEntry.insert(ConfigDocument::KeyRegisterAddr, ConfigDocument::EntryRegister(Entry));
        int Value = 0;
        if (!Transact(Entry, &Value))
            return false;
        ReplyEntry.insert(ConfigDocument::KeyParamValue, Value);
        ReplyEntries->append(ReplyEntry);
    }
    // An empty list has sent nothing and has nothing to apply.
    return !Entries.isEmpty();
}

} // namespace

DeviceExchange::DeviceExchange(RequestLine &Line, const QLoggingCategory &Log)
    : Line(Line)
    , Log(Log)
{
}

void DeviceExchange::SetAddress(quint8 NewAddress)
{
    Address = NewAddress;
}

void DeviceExchange::SetRetries(int NewRetries)
{
    Retries = NewRetries < 0 ? 0 : NewRetries;
}

bool DeviceExchange::Refuse(const QString &Why)
{
    LastFailure = {QString(), Why};
    return false;
}

bool DeviceExchange::ReplyOk(const QByteArray &Reply, const Check &Test) const
{
    bool Ok = false;
    switch (Test.What) {
    case Kind::ParamRead: Ok = ModbusRtu::ParamReadReplyOk(Reply); break;
    case Kind::ParamWrite: Ok = ModbusRtu::ParamWriteReplyOk(Reply); break;
    case Kind::Commit: Ok = ModbusRtu::CommitReplyOk(Reply, quint16(Test.Count)); break;
    case Kind::EidRead: Ok = ModbusRtu::EidReadReplyOk(Reply, Test.Count); break;
    case Kind::EidWrite: Ok = ModbusRtu::EidWriteReplyOk(Reply, Test.Count); break;
    }
    // Only a device addressed by its own address is held to answering as it.
    return Ok && (Address == ModbusRtu::DeviceAddress || quint8(Reply.at(0)) == Address);
}

QString DeviceExchange::Diagnose(const QByteArray &Reply, const Check &Test,
                                 quint8 ExpectedLength) const
{
    const int Size = Reply.size();
    const auto Byte = [&Reply](int Pos) { return Pos < Reply.size() ? quint8(Reply.at(Pos)) : 0; };
    const auto Word = [&Byte](int Pos) { return Byte(Pos) * 256 + Byte(Pos + 1); };
    if (Size == 0)
        return QStringLiteral("no reply within 1.5 s");
    const bool CrcOk = ModbusRtu::CrcResidueOk(Reply);
    if (CrcOk && Address != ModbusRtu::DeviceAddress && Byte(0) != Address)
        return QStringLiteral("reply from address %1 instead of %2").arg(Byte(0)).arg(Address);
    if (ModbusRtu::IsExceptionReply(Reply)) {
        const quint8 Code = ModbusRtu::ExceptionCode(Reply);
        const QString Meaning = ModbusRtu::ExceptionMeaning(Code);
        return QStringLiteral("Modbus exception 0x%1%2")
            .arg(QString::number(Code, 16).toUpper().rightJustified(2, QLatin1Char('0')),
                 Meaning.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(Meaning));
    }
    const bool FixedLength = Test.What == Kind::ParamRead || Test.What == Kind::ParamWrite
        || Test.What == Kind::Commit;
    if ((FixedLength || !CrcOk) && Size < ExpectedLength)
        return QStringLiteral("only %1 of %2 bytes within 1.5 s").arg(Size).arg(ExpectedLength);
    if (FixedLength && Size > ExpectedLength)
        return QStringLiteral("%1 bytes instead of %2").arg(Size).arg(ExpectedLength);
    if (!CrcOk)
        return QStringLiteral("bad CRC");
    switch (Test.What) {
    case Kind::ParamRead:
        return QStringLiteral("byte count %1 instead of 2").arg(Byte(2));
    case Kind::Commit:
        return QStringLiteral("wrong echo: code %1 instead of %2").arg(Word(4)).arg(Test.Count);
    case Kind::EidRead:
        if (Size > 2)
            return QStringLiteral("wrong count: byte count %1 instead of %2").arg(Byte(2)).arg(4 * Test.Count);
        break;
    case Kind::EidWrite:
        if (Size > 1 && Byte(1) != ModbusRtu::FuncWriteMultiple)
            return QStringLiteral("wrong echo: function %1 instead of 16").arg(Byte(1));
        if (Size > 4)
            return QStringLiteral("wrong count: echo of %1 registers instead of %2").arg(Word(4)).arg(2 * Test.Count);
        break;
    case Kind::ParamWrite:
        break;
    }
    return QStringLiteral("reply of %1 bytes refused").arg(Size);
}

bool DeviceExchange::Transact(const QByteArray &Frame, quint8 ExpectedLength, const Check &Test,
                              const QString &Transaction, QByteArray *Answer,
                              const std::function<void(const QByteArray &)> &LogReply)
{
    for (int Attempt = 0;; ++Attempt) {
        *Answer = Line.Transact(Frame, ExpectedLength);
        if (LogReply)
            LogReply(*Answer);
        if (ReplyOk(*Answer, Test))
            return true;
        if (Attempt >= Retries) {
            LastFailure = {Transaction, Diagnose(*Answer, Test, ExpectedLength)};
            return false;
        }
    }
}

bool DeviceExchange::Commit(quint16 Code)
{
    QByteArray Answer;
    return Transact(ModbusRtu::BuildCommit(Code, Address), ModbusRtu::CommitReplyLength,
                    {Kind::Commit, Code},
                    QStringLiteral("commit with code %1 (register %2)")
                        .arg(Code)
                        .arg(ModbusRtu::CommandRegister),
                    &Answer,
                    [](const QByteArray &Reply) { qDebug().noquote() << ModbusRtu::HexText(Reply); });
}

bool DeviceExchange::ParamRead(const QJsonObject &Request, QJsonObject *Reply)
{
    const QString Refused = QStringLiteral("not a parameter request");
    if (!ConfigDocument::RequestHeaderOk(Request, ConfigDocument::KindParamSet, false, true))
        return Refuse(Refused);
    QJsonArray Entries;
    if (!ConfigDocument::RequestArray(Request, &Entries))
        return Refuse(Refused);

    QJsonArray ReplyEntries;
    const auto Read = [this](const QJsonObject &Entry, int *Value) {
        const QByteArray Frame =
            ModbusRtu::BuildParamRead(ConfigDocument::EntryRegister(Entry), Address);
        QByteArray Answer;
        if (!Transact(Frame, ModbusRtu::ParamReadReplyLength, {Kind::ParamRead, 1},
                      ParamText("reading", Entry), &Answer, [](const QByteArray &Got) {
                          qDebug() << Got.size();
                          qDebug().noquote() << ModbusRtu::HexText(Got);
                      }))
            return false;
        *Value = ModbusRtu::ParamReadValue(Answer);
        return true;
    };
    if (!RunParamEntries(Entries, Read, &ReplyEntries))
        return Entries.isEmpty() ? Refuse(QStringLiteral("no parameter to read")) : false;

    *Reply = ConfigDocument::NewReply(ConfigDocument::KindParamSet);
    Reply->insert(ConfigDocument::KeyParamArray, ReplyEntries);
    return true;
}

bool DeviceExchange::ParamWrite(const QJsonObject &Request, QJsonObject *Reply)
{
    // The request is the same one a read takes, "operate" included.
    const QString Refused = QStringLiteral("not a parameter request");
    if (!ConfigDocument::RequestHeaderOk(Request, ConfigDocument::KindParamSet, true, true))
        return Refuse(Refused);
    QJsonArray Entries;
    if (!ConfigDocument::RequestArray(Request, &Entries))
        return Refuse(Refused);

    QJsonArray ReplyEntries;
    const auto Write = [this](const QJsonObject &Entry, int *Value) {
        const QByteArray Frame = ModbusRtu::BuildParamWrite(
            ConfigDocument::EntryRegister(Entry), ConfigDocument::EntryValue(Entry), Address);
        QByteArray Answer;
        if (!Transact(Frame, ModbusRtu::ParamWriteReplyLength, {Kind::ParamWrite, 1},
                      ParamText("writing", Entry), &Answer, [](const QByteArray &Got) {
                          qDebug().noquote() << ModbusRtu::HexText(Got);
                      }))
            return false;
        // What the device kept is what it echoed, not what was sent.
        *Value = ModbusRtu::ParamWriteEchoValue(Answer);
        return true;
    };
    if (!RunParamEntries(Entries, Write, &ReplyEntries))
        return Entries.isEmpty() ? Refuse(QStringLiteral("no parameter to write")) : false;

    // Only the commit makes the device take the written registers over.
    if (!Commit(ModbusRtu::CommitParamCode))
        return false;

    *Reply = ConfigDocument::NewReply(ConfigDocument::KindParamSet);
    Reply->insert(ConfigDocument::KeyParamArray, ReplyEntries);
    return true;
}

bool DeviceExchange::WalkEidBlocks(
    int Count, const std::function<void(int Position, bool Opens)> &Visit,
    const std::function<bool(int FirstRegister, int BlockCount, int BlockNumber)> &Exchange)
{
    int BlockStart = 0;
    int BlockCount = 0;
    int BlockNumber = 0;
    for (int J = 0; J < Count; ++J) {
        const bool Opens = J % ModbusRtu::EidsPerBlock == 0;
        if (Opens) {
            BlockStart = EidRegisters::OfSlot(J);
            BlockCount = 1;
        } else {
            ++BlockCount;
        }
        Visit(J, Opens);
        if (BlockCount < ModbusRtu::EidsPerBlock && J != Count - 1)
            continue;
        if (!Exchange(BlockStart, BlockCount, BlockNumber))
            return false;
        ++BlockNumber;
    }
    return BlockNumber > 0;
}

bool DeviceExchange::EidRead(const QJsonObject &Request, QJsonObject *Reply)
{
    const QString Refused = QStringLiteral("not an EID list request");
    QJsonObject Built;
    QJsonArray Entries;
    if (!OpenEidExchange(Request, false, &Built, &Entries))
        return Refuse(Refused);
    const int Count = Entries.size();

    NameList Names;
    for (int I = 0; I < Count; ++I) {
        if (EntrySlot(Entries.at(I)) < 0)
            continue;
        Names.Set(I, ConfigDocument::EntryName(Entries.at(I).toObject()));
    }
    if (!Names.Covers(Count))
        return Refuse(Refused);

    QJsonArray ReplyEntries;
    QByteArray Frame;
    const auto Visit = [this, &Frame](int J, bool Opens) {
        qDebug() << J;
        if (Opens) {
            const int Register = EidRegisters::OfSlot(J);
            ModbusRtu::OpenEidBlockRead(Frame, Register, Address);
            qDebug().noquote() << "ReadRegisterAddr:" << Register;
        }
    };
    const auto Exchange = [&](int BlockStart, int BlockCount, int BlockNumber) {
        ModbusRtu::CloseEidBlockRead(Frame, BlockCount);
        qDebug().noquote() << BlockNumber << ModbusRtu::HexText(Frame);
        QByteArray Answer;
        if (!Transact(Frame, ModbusRtu::EidReadReplyLength(BlockCount),
                      {Kind::EidRead, BlockCount},
                      BlockText("reading", BlockStart, BlockCount, BlockNumber), &Answer))
            return false;
        for (int M = 0; M < BlockCount; ++M) {
            const int EidRegister = BlockStart + EidRegisters::PerSlot * M;
            const int Slot = EidRegisters::SlotOf(EidRegister);
            ReplyEntries.append(ConfigDocument::MakeEntry(Names.Name[Slot], EidRegister,
                                                          ModbusRtu::EidReadValue(Answer, M)));
        }
        return true;
    };
    if (!WalkEidBlocks(Count, Visit, Exchange))
        return Count == 0 ? Refuse(Refused) : false;

    Built.insert(ConfigDocument::KeyParamArray, ReplyEntries);
    *Reply = Built;
    return true;
}

bool DeviceExchange::EidWrite(const QJsonObject &Request, QJsonObject *Reply)
{
    const QString Refused = QStringLiteral("not an EID list request");
    QJsonObject Built;
    QJsonArray Entries;
    if (!OpenEidExchange(Request, true, &Built, &Entries))
        return Refuse(Refused);
    const int Count = Entries.size();

    QVector<qint32> Values(EidCount, 0);
    NameList Names;
    for (int I = 0; I < Count; ++I) {
        const int Slot = EntrySlot(Entries.at(I));
        if (Slot < 0)
            continue;
        const QJsonObject Entry = Entries.at(I).toObject();
        Values[Slot] = ConfigDocument::EntryValue(Entry);
        qDebug() << Slot << Values[Slot];
        Names.Set(Slot, ConfigDocument::EntryName(Entry));
    }
    qDebug().noquote() << ValueDumpLine;
    for (int Position = 0; Position < Names.Length; ++Position)
        qDebug() << Position << Values[Position];
    // A position no entry named would write a value nobody asked for.
    if (!Names.Covers(Count))
        return Refuse(Refused);

    QJsonArray ReplyEntries;
    QByteArray Frame;
    const auto Visit = [this, &Frame, &Values](int J, bool Opens) {
        if (Opens)
            ModbusRtu::OpenEidBlockWrite(Frame, EidRegisters::OfSlot(J), Address);
        qDebug() << J << Values[J];
        ModbusRtu::AppendEidValue(Frame, Values[J]);
    };
    const auto Exchange = [&](int BlockStart, int BlockCount, int BlockNumber) {
        ModbusRtu::CloseEidBlockWrite(Frame, BlockCount);
        qDebug().noquote() << BlockNumber << ModbusRtu::HexText(Frame);
        QByteArray Answer;
        if (!Transact(Frame, ModbusRtu::EidWriteReplyLength, {Kind::EidWrite, BlockCount},
                      BlockText("writing", BlockStart, BlockCount, BlockNumber), &Answer))
            return false;
        // The reply carries the values written, not values read back.
        for (int M = 0; M < BlockCount; ++M) {
            const int EidRegister = BlockStart + EidRegisters::PerSlot * M;
            const int Slot = EidRegisters::SlotOf(EidRegister);
            ReplyEntries.append(
                ConfigDocument::MakeEntry(Names.Name[Slot], EidRegister, Values[Slot]));
        }
        return true;
    };
    if (!WalkEidBlocks(Count, Visit, Exchange))
        return Count == 0 ? Refuse(Refused) : false;

    if (!Commit(ModbusRtu::CommitEidCode))
        return false;

    Built.insert(ConfigDocument::KeyParamArray, ReplyEntries);
    *Reply = Built;
    return true;
}
