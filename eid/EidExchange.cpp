// The EID list to and from the device, in blocks of up to 25 EIDs (50
// registers) starting at 47001 + 2j for position j; a write ends with the
// commit request that makes the device take the list over.

#include "OrvaneUI.h"

#include "ConfigDocument.h"
#include "EidRegisters.h"
#include "ModbusRtu.h"
#include "MySerialPort.h"

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

// Shared opening of both exchanges: the request tests, the reply's header,
// the entries and their count. Nothing is sent here.
bool OpenExchange(const QJsonObject &Request, bool Write, QJsonObject *Reply,
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

} // namespace

bool OrvaneUI::ExchangeEidRead(const QJsonObject &Request)
{
    QJsonObject Reply;
    QJsonArray Entries;
    if (!OpenExchange(Request, false, &Reply, &Entries))
        return false;
    const int Count = Entries.size();

    NameList Names;
    for (int I = 0; I < Count; ++I) {
        const int Slot = EntrySlot(Entries.at(I));
        if (Slot < 0)
            continue;
        Names.Set(I, ConfigDocument::EntryName(Entries.at(I).toObject()));
    }
    if (!Names.Covers(Count))
        return false;

    QJsonArray Built;
    QByteArray Frame;
    int BlockStart = 0;
    int BlockCount = 0;
    int BlockNumber = 0;
    bool Exchanged = false;
    for (int J = 0; J < Count; ++J) {
        qDebug() << J;
        const int Register = EidRegisters::OfSlot(J);
        if (J % ModbusRtu::EidsPerBlock == 0) {
            BlockStart = Register;
            ModbusRtu::OpenEidBlockRead(Frame, BlockStart);
            BlockCount = 1;
            qDebug().noquote() << "ReadRegisterAddr:" << Register;
        } else {
            ++BlockCount;
        }
        if (BlockCount < ModbusRtu::EidsPerBlock && J != Count - 1)
            continue;

        ModbusRtu::CloseEidBlockRead(Frame, BlockCount);
        qDebug().noquote() << BlockNumber << MySerialPort::BytesToHexText(Frame);
        ++BlockNumber;
        const QByteArray Answer =
            SerialPort->SendAndWait(Frame, ModbusRtu::EidReadReplyLength(BlockCount));
        if (!ModbusRtu::EidReadReplyOk(Answer, BlockCount))
            return false;
        for (int M = 0; M < BlockCount; ++M) {
            const int EidRegister = BlockStart + EidRegisters::PerSlot * M;
            const int Slot = EidRegisters::SlotOf(EidRegister);
            Built.append(ConfigDocument::MakeEntry(Names.Name[Slot], EidRegister,
                                                   ModbusRtu::EidReadValue(Answer, M)));
        }
        Exchanged = true;
    }
    if (!Exchanged)
        return false;

    Reply.insert(ConfigDocument::KeyParamArray, Built);
    ApplyEidSet(Reply);
    return true;
}

bool OrvaneUI::ExchangeEidWrite(const QJsonObject &Request)
{
    QJsonObject Reply;
    QJsonArray Entries;
    if (!OpenExchange(Request, true, &Reply, &Entries))
        return false;
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
        return false;

    QJsonArray Built;
    QByteArray Frame;
    int BlockStart = 0;
    int BlockCount = 0;
    int BlockNumber = 0;
    bool Exchanged = false;
    for (int J = 0; J < Count; ++J) {
        const int Register = EidRegisters::OfSlot(J);
        if (J % ModbusRtu::EidsPerBlock == 0) {
            BlockStart = Register;
            ModbusRtu::OpenEidBlockWrite(Frame, BlockStart);
            BlockCount = 1;
        } else {
            ++BlockCount;
        }
        qDebug() << J << Values[J];
        ModbusRtu::AppendEidValue(Frame, Values[J]);
        if (BlockCount < ModbusRtu::EidsPerBlock && J != Count - 1)
            continue;

        ModbusRtu::CloseEidBlockWrite(Frame, BlockCount);
        qDebug().noquote() << BlockNumber << MySerialPort::BytesToHexText(Frame);
        const QByteArray Answer =
            SerialPort->SendAndWait(Frame, ModbusRtu::EidWriteReplyLength);
        if (!ModbusRtu::EidWriteReplyOk(Answer, BlockCount))
            return false;
        // The reply carries the values written, not values read back.
        for (int M = 0; M < BlockCount; ++M) {
            const int EidRegister = BlockStart + EidRegisters::PerSlot * M;
            const int Slot = EidRegisters::SlotOf(EidRegister);
            Built.append(ConfigDocument::MakeEntry(Names.Name[Slot], EidRegister, Values[Slot]));
        }
        ++BlockNumber;
        Exchanged = true;
    }
    if (!Exchanged)
        return false;

    const QByteArray Answer = SerialPort->SendAndWait(
        ModbusRtu::BuildCommit(ModbusRtu::CommitEidCode), ModbusRtu::CommitReplyLength);
    qDebug().noquote() << MySerialPort::BytesToHexText(Answer);
    if (!ModbusRtu::CommitReplyOk(Answer, ModbusRtu::CommitEidCode))
        return false;

    Reply.insert(ConfigDocument::KeyParamArray, Built);
    ApplyEidSet(Reply);
    return true;
}
