#include "DocumentExchange.h"

#include "CategoryLog.h"
#include "ConfigDocument.h"
#include "EidRegisters.h"
#include "ModbusRtu.h"

#include <QJsonValue>

namespace {

const QString ValueDumpLine = QStringLiteral(
    "pParamValue[]--------------------------------------------------------------------");
const QString NotParams = QStringLiteral("not a parameter request");
const QString NotEids = QStringLiteral("not an EID list request");

// The slot an entry names, or -1 for an entry that pass 1 passes over: not
// an object, or a register outside the list. A request with such an entry
// leaves a position unnamed and is refused before anything is sent.
int EntrySlot(const QJsonValue &Element)
{
    if (!Element.isObject())
        return -1;
    return EidRegisters::SlotOf(ConfigDocument::EntryRegister(Element.toObject()));
}

QJsonObject ReplyOf(const QString &Kind, const QJsonArray &Entries)
{
    QJsonObject Reply = ConfigDocument::NewReply(Kind);
    Reply.insert(ConfigDocument::KeyParamArray, Entries);
    return Reply;
}

} // namespace

// What an EID exchange takes from its request: the name of each position
// and, for a write, the value of each slot. Positions are bounded by the
// slots of the list, so nothing in a request can reach past them.
struct DocumentExchange::EidList
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

DocumentExchange::DocumentExchange(RequestLine &Line, const QLoggingCategory &Log)
    : Device(Line, Log), Log(Log)
{
}

// The request's header tests, with the lines the log has for them: a write
// says so of an empty request, a parameter exchange names the kind it got.
bool DocumentExchange::RequestOk(const QJsonObject &Request, bool Params, bool Write) const
{
    using ConfigDocument::HeaderTest;
    const QString &DocKind = Params ? ConfigDocument::KindParamSet : ConfigDocument::KindEidSet;
    const HeaderTest Got = ConfigDocument::RequestHeader(Request, DocKind);
    if (Got == HeaderTest::NotEmpty && Write)
        KORVEL_DEBUG(Log).noquote() << "Obj is Null";
    if (Got > HeaderTest::Kind && Params)
        KORVEL_DEBUG(Log).noquote() << QStringLiteral("TabText:") + DocKind;
    return Got == HeaderTest::Passed;
}

bool DocumentExchange::ParamRead(const QJsonObject &Request, QJsonObject *Reply)
{
    return RunParams(Request, false, Reply);
}

bool DocumentExchange::ParamWrite(const QJsonObject &Request, QJsonObject *Reply)
{
    return RunParams(Request, true, Reply);
}

// Both parameter exchanges: the request tests, then the typed exchange on
// the entries' values (one transaction per entry in array order, and after
// a write the commit). The request is the same one for both, "operate"
// "Read" included.
bool DocumentExchange::RunParams(const QJsonObject &Request, bool Write, QJsonObject *Reply)
{
    QJsonArray Entries;
    if (!RequestOk(Request, true, Write) || !ConfigDocument::RequestArray(Request, &Entries))
        return Device.Refuse(NotParams);
    // An empty list has nothing to send and nothing to apply.
    if (Entries.isEmpty())
        return Device.Refuse(Write ? QStringLiteral("no parameter to write") : QStringLiteral("no parameter to read"));

    // Entries past the first that are no object are passed over.
    ParamList Params;
    for (int I = 0; I < Entries.size(); ++I) {
        if (!Entries.at(I).isObject()) {
            if (I == 0)
                return Device.Refuse(NotParams);
            continue;
        }
        const QJsonObject Entry = Entries.at(I).toObject();
        Params.append({ConfigDocument::EntryName(Entry), ConfigDocument::EntryRegister(Entry),
                       ConfigDocument::EntryValue(Entry)});
    }
    if (Write ? !Device.WriteParams(&Params) : !Device.ReadParams(&Params))
        return false;
    QJsonArray ReplyEntries;
    for (const ParamValue &Param : Params)
        ReplyEntries.append(ConfigDocument::MakeEntry(Param.Name, Param.Register, Param.Value));
    *Reply = ReplyOf(ConfigDocument::KindParamSet, ReplyEntries);
    return true;
}

bool DocumentExchange::EidRead(const QJsonObject &Request, QJsonObject *Reply)
{
    return RunEids(Request, false, Reply);
}

bool DocumentExchange::EidWrite(const QJsonObject &Request, QJsonObject *Reply)
{
    return RunEids(Request, true, Reply);
}

// Both EID exchanges: the request tests, the names (and values) of the
// positions, the blocks of the list in order, and after a write the commit.
bool DocumentExchange::RunEids(const QJsonObject &Request, bool Write, QJsonObject *Reply)
{
    QJsonArray Entries;
    if (!RequestOk(Request, false, Write) || !ConfigDocument::RequestArray(Request, &Entries))
        return Device.Refuse(NotEids);
    KORVEL_DEBUG(Log) << EidCount;
    KORVEL_DEBUG(Log) << Entries.size();
    if (Entries.size() > EidCount)
        return Device.Refuse(NotEids);
    EidList List;
    if (!TakeEidEntries(Entries, Write, &List))
        return Device.Refuse(NotEids);

    QVector<qint32> Values = List.Values.mid(0, List.Count);
    if (Write ? !Device.WriteEids(Values) : !Device.ReadEids(List.Count, &Values))
        return false;
    // The EIDs read back, or for a write the values written.
    QJsonArray ReplyEntries;
    for (int Slot = 0; Slot < List.Count; ++Slot)
        ReplyEntries.append(ConfigDocument::MakeEntry(List.Name[Slot], EidRegisters::OfSlot(Slot), Values[Slot]));
    *Reply = ReplyOf(ConfigDocument::KindEidSet, ReplyEntries);
    return true;
}

// Pass 1: a read names position i after entry i; a write names and fills
// the slot its entry's register gives. False when a position of the
// request is left without a name.
bool DocumentExchange::TakeEidEntries(const QJsonArray &Entries, bool Write, EidList *List) const
{
    List->Count = Entries.size();
    for (int I = 0; I < List->Count; ++I) {
        const int Slot = EntrySlot(Entries.at(I));
        if (Slot < 0)
            continue;
        const QJsonObject Entry = Entries.at(I).toObject();
        if (!Write) {
            List->Set(I, ConfigDocument::EntryName(Entry));
            continue;
        }
        List->Values[Slot] = ConfigDocument::EntryValue(Entry);
        KORVEL_DEBUG(Log) << Slot << List->Values[Slot];
        List->Set(Slot, ConfigDocument::EntryName(Entry));
    }
    if (Write) {
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
