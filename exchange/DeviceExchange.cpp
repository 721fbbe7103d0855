#include "DeviceExchange.h"

#include "CategoryLog.h"
#include "ConfigDocument.h"
#include "ModbusRtu.h"

#include <QJsonValue>
#include <QVector>

namespace {

const QString ValueDumpLine = QStringLiteral(
    "pParamValue[]--------------------------------------------------------------------");
const QString NotParams = QStringLiteral("not a parameter request");
const QString NotEids = QStringLiteral("not an EID list request");

bool IsWrite(ReplyFault::Kind What)
{
    return What == ReplyFault::Kind::ParamWrite || What == ReplyFault::Kind::EidWrite;
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

QString BlockText(const char *Verb, const EidRegisters::Block &Block, int Number)
{
    const int First = EidRegisters::SlotOf(Block.FirstRegister) + 1;
    return QStringLiteral("%1 EID block %2 (entries %3 to %4, registers %5 to %6)")
        .arg(QLatin1String(Verb))
        .arg(Number + 1)
        .arg(First)
        .arg(First + Block.Count - 1)
        .arg(Block.FirstRegister)
        .arg(Block.FirstRegister + EidRegisters::PerSlot * Block.Count - 1);
}

QString ParamText(const char *Verb, const QJsonObject &Entry)
{
    return QStringLiteral("%1 %2 (register %3)")
        .arg(QLatin1String(Verb), ConfigDocument::EntryName(Entry))
        .arg(ConfigDocument::EntryRegister(Entry));
}

} // namespace

// What an EID exchange takes from its request: the name of each position
// and, for a write, the value of each slot. Positions are bounded by the
// slots of the list, so nothing in a request can reach past them.
struct DeviceExchange::EidList
{
    int Count = 0; // entries in the request
    QString Name[EidCount];
    bool Named[EidCount] = {};
    int Length = 0; // one past the highest named position
    QVector<qint32> Values = QVector<qint32>(EidCount, 0);

    void Set(int Position, const QString &Text)
    {
        Name[Position] = Text;
        Named[Position] = true;
        if (Position >= Length)
            Length = Position + 1;
    }

    // The first of the Count positions no entry named, or -1.
    int Unnamed() const
    {
        for (int Position = 0; Position < Count; ++Position) {
            if (!Named[Position])
                return Position;
        }
        return -1;
    }
};

DeviceExchange::DeviceExchange(RequestLine &Line, const QLoggingCategory &Log)
    : Line(Line), Log(Log)
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

// The request's header tests, with the lines the log has for them: a write
// says so of an empty request, a parameter exchange names the kind it got.
bool DeviceExchange::RequestOk(const QJsonObject &Request, Kind What) const
{
    using ConfigDocument::HeaderTest;
    const bool Params = What == Kind::ParamRead || What == Kind::ParamWrite;
    const QString &DocKind = Params ? ConfigDocument::KindParamSet : ConfigDocument::KindEidSet;
    const HeaderTest Got = ConfigDocument::RequestHeader(Request, DocKind);
    if (Got == HeaderTest::NotEmpty && IsWrite(What))
        KORVEL_DEBUG(Log).noquote() << "Obj is Null";
    if (Got > HeaderTest::Kind && Params)
        KORVEL_DEBUG(Log).noquote() << QStringLiteral("TabText:") + DocKind;
    return Got == HeaderTest::Passed;
}

void DeviceExchange::LogReply(const QByteArray &Reply, Kind What) const
{
    if (What == Kind::ParamRead)
        KORVEL_DEBUG(Log) << Reply.size();
    if (What == Kind::ParamRead || What == Kind::ParamWrite || What == Kind::Commit)
        KORVEL_DEBUG(Log).noquote() << ModbusRtu::HexText(Reply);
}

bool DeviceExchange::Transact(const QByteArray &Frame, quint8 ExpectedLength,
                              const ReplyFault::Check &Test, const QString &Transaction,
                              QByteArray *Answer)
{
    for (int Attempt = 0;; ++Attempt) {
        *Answer = Line.Transact(Frame, ExpectedLength);
        LogReply(*Answer, Test.What);
        if (ReplyFault::Passes(*Answer, Test, Address))
            return true;
        if (Attempt >= Retries) {
            LastFailure = {Transaction, ReplyFault::Describe(*Answer, Test, ExpectedLength, Address,
                                                             Line.WaitLimitMs())};
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
                    &Answer);
}

bool DeviceExchange::ParamRead(const QJsonObject &Request, QJsonObject *Reply)
{
    return RunParams(Request, Kind::ParamRead, Reply);
}

bool DeviceExchange::ParamWrite(const QJsonObject &Request, QJsonObject *Reply)
{
    return RunParams(Request, Kind::ParamWrite, Reply);
}

// Both parameter exchanges: the request tests, one transaction per entry in
// array order, and after a write the commit. The request is the same one
// for both, "operate" "Read" included.
bool DeviceExchange::RunParams(const QJsonObject &Request, Kind What, QJsonObject *Reply)
{
    LastFailure = {};
    QJsonArray Entries;
    if (!RequestOk(Request, What) || !ConfigDocument::RequestArray(Request, &Entries))
        return Refuse(NotParams);
    // An empty list has nothing to send and nothing to apply.
    if (Entries.isEmpty())
        return Refuse(IsWrite(What) ? QStringLiteral("no parameter to write")
                                    : QStringLiteral("no parameter to read"));

    QJsonArray ReplyEntries;
    for (int I = 0; I < Entries.size(); ++I) {
        if (!Entries.at(I).isObject()) {
            if (I == 0)
                return Refuse(NotParams);
            continue;
        }
        const QJsonObject Entry = Entries.at(I).toObject();
        KORVEL_DEBUG(Log).noquote() << ConfigDocument::EntryName(Entry);
        KORVEL_DEBUG(Log) << ConfigDocument::EntryValue(Entry);
        KORVEL_DEBUG(Log) << ConfigDocument::EntryRegister(Entry);
        int Value = 0;
        if (!ParamTransaction(Entry, What, &Value))
            return false;
        ReplyEntries.append(ConfigDocument::MakeEntry(ConfigDocument::EntryName(Entry),
                                                      ConfigDocument::EntryRegister(Entry), Value));
    }
    // Only the commit makes the device take the written registers over.
    if (What == Kind::ParamWrite && !Commit(ModbusRtu::CommitParamCode))
        return false;

    *Reply = ConfigDocument::NewReply(ConfigDocument::KindParamSet);
    Reply->insert(ConfigDocument::KeyParamArray, ReplyEntries);
    return true;
}

// One entry's transaction; *Value is what the device holds afterwards.
bool DeviceExchange::ParamTransaction(const QJsonObject &Entry, Kind What, int *Value)
{
    const int Register = ConfigDocument::EntryRegister(Entry);
    QByteArray Answer;
    if (What == Kind::ParamRead) {
        if (!Transact(ModbusRtu::BuildParamRead(Register, Address), ModbusRtu::ParamReadReplyLength,
                      {What, 1}, ParamText("reading", Entry), &Answer))
            return false;
        *Value = ModbusRtu::ParamReadValue(Answer);
        return true;
    }
    const QByteArray Frame =
        ModbusRtu::BuildParamWrite(Register, ConfigDocument::EntryValue(Entry), Address);
    if (!Transact(Frame, ModbusRtu::ParamWriteReplyLength, {What, 1}, ParamText("writing", Entry),
                  &Answer))
        return false;
    // What the device kept is what it echoed, not what was sent.
    *Value = ModbusRtu::ParamWriteEchoValue(Answer);
    return true;
}

bool DeviceExchange::EidRead(const QJsonObject &Request, QJsonObject *Reply)
{
    return RunEids(Request, Kind::EidRead, Reply);
}

bool DeviceExchange::EidWrite(const QJsonObject &Request, QJsonObject *Reply)
{
    return RunEids(Request, Kind::EidWrite, Reply);
}

// Both EID exchanges: the request tests, the names (and values) of the
// positions, the blocks of the list in order, and after a write the commit.
bool DeviceExchange::RunEids(const QJsonObject &Request, Kind What, QJsonObject *Reply)
{
    LastFailure = {};
    QJsonArray Entries;
    if (!RequestOk(Request, What) || !ConfigDocument::RequestArray(Request, &Entries))
        return Refuse(NotEids);
    KORVEL_DEBUG(Log) << EidCount;
    KORVEL_DEBUG(Log) << Entries.size();
    if (Entries.size() > EidCount)
        return Refuse(NotEids);
    EidList List;
    if (!TakeEidEntries(Entries, What, &List))
        return Refuse(NotEids);

    const QVector<EidRegisters::Block> Blocks = EidRegisters::Blocks(List.Count);
    if (Blocks.isEmpty())
        return Refuse(NotEids);
    QJsonArray ReplyEntries;
    for (int Number = 0; Number < Blocks.size(); ++Number) {
        if (!RunEidBlock(List, What, Blocks[Number], Number, &ReplyEntries))
            return false;
    }
    if (What == Kind::EidWrite && !Commit(ModbusRtu::CommitEidCode))
        return false;

    *Reply = ConfigDocument::NewReply(ConfigDocument::KindEidSet);
    Reply->insert(ConfigDocument::KeyParamArray, ReplyEntries);
    return true;
}

// Pass 1: a read names position i after entry i; a write names and fills
// the slot its entry's register gives. False when a position of the
// request is left without a name.
bool DeviceExchange::TakeEidEntries(const QJsonArray &Entries, Kind What, EidList *List) const
{
    List->Count = Entries.size();
    for (int I = 0; I < List->Count; ++I) {
        const int Slot = EntrySlot(Entries.at(I));
        if (Slot < 0)
            continue;
        const QJsonObject Entry = Entries.at(I).toObject();
        if (What == Kind::EidRead) {
            List->Set(I, ConfigDocument::EntryName(Entry));
            continue;
        }
        List->Values[Slot] = ConfigDocument::EntryValue(Entry);
        KORVEL_DEBUG(Log) << Slot << List->Values[Slot];
        List->Set(Slot, ConfigDocument::EntryName(Entry));
    }
    if (What == Kind::EidWrite) {
        KORVEL_DEBUG(Log).noquote() << ValueDumpLine;
        for (int Position = 0; Position < List->Length; ++Position)
            KORVEL_DEBUG(Log) << Position << List->Values[Position];
    }
    // A position no entry named would be sent with a value nobody asked for.
    const int Unnamed = List->Unnamed();
    if (Unnamed >= 0)
        KORVEL_DEBUG(Log).noquote() << "EidSet position without entry:" << Unnamed;
    return Unnamed < 0;
}

// One block, sent whole; its EIDs join the reply: those read back, or for
// a write the values written.
bool DeviceExchange::RunEidBlock(const EidList &List, Kind What, const EidRegisters::Block &Block,
                                 int Number, QJsonArray *ReplyEntries)
{
    const bool Write = What == Kind::EidWrite;
    const int First = EidRegisters::SlotOf(Block.FirstRegister);
    for (int J = First; J < First + Block.Count; ++J) {
        if (Write) {
            KORVEL_DEBUG(Log) << J << List.Values[J];
            continue;
        }
        KORVEL_DEBUG(Log) << J;
        if (J == First)
            KORVEL_DEBUG(Log).noquote() << "ReadRegisterAddr:" << Block.FirstRegister;
    }
    const QByteArray Frame = Write
        ? ModbusRtu::BuildEidWrite(Block.FirstRegister, List.Values.mid(First, Block.Count), Address)
        : ModbusRtu::BuildEidRead(Block.FirstRegister, Block.Count, Address);
    KORVEL_DEBUG(Log).noquote() << Number << ModbusRtu::HexText(Frame);
    const quint8 Expected = Write ? ModbusRtu::EidWriteReplyLength : ModbusRtu::EidReadReplyLength(Block.Count);
    QByteArray Answer;
    if (!Transact(Frame, Expected, {What, Block.Count},
                  BlockText(Write ? "writing" : "reading", Block, Number), &Answer))
        return false;
    for (int M = 0; M < Block.Count; ++M) {
        const int Slot = First + M;
        const qint32 Value = Write ? List.Values[Slot] : ModbusRtu::EidReadValue(Answer, M);
        ReplyEntries->append(ConfigDocument::MakeEntry(List.Name[Slot], EidRegisters::OfSlot(Slot), Value));
    }
    return true;
}
