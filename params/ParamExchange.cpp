// The parameter exchanges: one Modbus transaction per request entry, in
// array order, and the widgets updated only when every transaction passed.

#include "OrvaneUI.h"

#include "ConfigDocument.h"
#include "ModbusRtu.h"
#include "MySerialPort.h"

#include <QDebug>
#include <QJsonArray>

#include <functional>

namespace {

// One transaction for one request entry: sends its frame, tests the reply
// and hands back the device's value for the entry, or returns false.
using Transaction = std::function<bool(const QJsonObject &Entry, int *Value)>;

// Visits the request entries in array order and collects the reply entries.
// Stops at the first failed transaction; nothing more is sent after it.
bool RunEntries(const QJsonArray &Entries, const Transaction &Transact,
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

bool OrvaneUI::ExchangeParamRead(const QJsonObject &Request)
{
    if (!ConfigDocument::RequestHeaderOk(Request, ConfigDocument::KindParamSet, false, true))
        return false;
    QJsonArray Entries;
    if (!ConfigDocument::RequestArray(Request, &Entries))
        return false;

    QJsonObject Reply = ConfigDocument::NewReply(ConfigDocument::KindParamSet);
    QJsonArray ReplyEntries;
    const auto Read = [this](const QJsonObject &Entry, int *Value) {
        const QByteArray Frame = ModbusRtu::BuildParamRead(ConfigDocument::EntryRegister(Entry));
        const QByteArray Answer = SerialPort->SendAndWait(Frame, ModbusRtu::ParamReadReplyLength);
        qDebug() << Answer.size();
        qDebug().noquote() << MySerialPort::BytesToHexText(Answer);
        if (!ModbusRtu::ParamReadReplyOk(Answer))
            return false;
        *Value = ModbusRtu::ParamReadValue(Answer);
        return true;
    };
    if (!RunEntries(Entries, Read, &ReplyEntries))
        return false;

    Reply.insert(ConfigDocument::KeyParamArray, ReplyEntries);
    ApplyParamSet(Reply);
    return true;
}

bool OrvaneUI::ExchangeParamWrite(const QJsonObject &Request)
{
    // The request is the same one a read takes, "operate" included.
    if (!ConfigDocument::RequestHeaderOk(Request, ConfigDocument::KindParamSet, true, true))
        return false;
    QJsonArray Entries;
    if (!ConfigDocument::RequestArray(Request, &Entries))
        return false;

    QJsonObject Reply = ConfigDocument::NewReply(ConfigDocument::KindParamSet);
    QJsonArray ReplyEntries;
    const auto Write = [this](const QJsonObject &Entry, int *Value) {
        const QByteArray Frame = ModbusRtu::BuildParamWrite(ConfigDocument::EntryRegister(Entry),
                                                            ConfigDocument::EntryValue(Entry));
        const QByteArray Answer = SerialPort->SendAndWait(Frame, ModbusRtu::ParamWriteReplyLength);
        qDebug().noquote() << MySerialPort::BytesToHexText(Answer);
        if (!ModbusRtu::ParamWriteReplyOk(Answer))
            return false;
        // What the device kept is what it echoed, not what was sent.
        *Value = ModbusRtu::ParamWriteEchoValue(Answer);
        return true;
    };
    if (!RunEntries(Entries, Write, &ReplyEntries))
        return false;

    // Only the commit makes the device take the written registers over.
    const QByteArray Commit = ModbusRtu::BuildCommit(ModbusRtu::CommitParamCode);
    const QByteArray Answer = SerialPort->SendAndWait(Commit, ModbusRtu::CommitReplyLength);
    qDebug().noquote() << MySerialPort::BytesToHexText(Answer);
    if (!ModbusRtu::CommitReplyOk(Answer, ModbusRtu::CommitParamCode))
        return false;

    Reply.insert(ConfigDocument::KeyParamArray, ReplyEntries);
    ApplyParamSet(Reply);
    return true;
}
