#include "ConfigDocument.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonValue>
#include <limits>

namespace ConfigDocument {

const QString KeyTabText = QStringLiteral("TabText");
const QString KeyOperate = QStringLiteral("operate");
const QString KeyParamArray = QStringLiteral("ParamArray");
const QString KeyParamName = QStringLiteral("ParamName");
const QString KeyRegisterAddr = QStringLiteral("RegisterAddr");
const QString KeyParamValue = QStringLiteral("ParamValue");

const QString KindParamSet = QStringLiteral("ParamSet");
const QString KindEidSet = QStringLiteral("EidSet");
const QString OperateRead = QStringLiteral("Read");
const QString OperateReadAck = QStringLiteral("ReadAck");

namespace {

// An integer field: a whole number within int, anything else 0. The range
// is tested first because older Qt converts the double to int unchecked.
int IntField(const QJsonObject &Entry, const QString &Key)
{
    const QJsonValue Value = Entry.value(Key);
    if (!Value.isDouble())
        return 0;
    const double Number = Value.toDouble();
    if (!(Number >= static_cast<double>(std::numeric_limits<int>::min())
          && Number <= static_cast<double>(std::numeric_limits<int>::max())))
        return 0;
    return Value.toInt(0);
}

QJsonObject NewDocument(const QString &Kind, const QString &Operate)
{
    QJsonObject Doc;
    Doc.insert(KeyTabText, Kind);
    Doc.insert(KeyOperate, Operate);
    return Doc;
}

} // namespace

QJsonObject NewRequest(const QString &Kind)
{
    return NewDocument(Kind, OperateRead);
}

QJsonObject NewReply(const QString &Kind)
{
    return NewDocument(Kind, OperateReadAck);
}

QJsonObject MakeEntry(const QString &Name, int Register, int Value)
{
    QJsonObject Entry;
    Entry.insert(KeyParamName, Name);
    Entry.insert(KeyRegisterAddr, Register);
    Entry.insert(KeyParamValue, Value);
    return Entry;
}

bool IsString(const QJsonValue &Value, const QString &Expected)
{
    return Value.isString() && Value.toString() == Expected;
}

bool RequestHeaderOk(const QJsonObject &Doc, const QString &Kind,
                     bool LogObjIsNull, bool LogTabText)
{
    if (Doc.isEmpty()) {
        if (LogObjIsNull)
            qDebug().noquote() << "Obj is Null";
        return false;
    }
    if (!IsString(Doc.value(KeyTabText), Kind))
        return false;
    if (LogTabText)
        qDebug().noquote() << QStringLiteral("TabText:") + Kind;
    return IsString(Doc.value(KeyOperate), OperateRead);
}

bool RequestArray(const QJsonObject &Doc, QJsonArray *Entries)
{
    const QJsonValue Value = Doc.value(KeyParamArray);
    if (!Value.isArray())
        return false;
    if (Entries)
        *Entries = Value.toArray();
    return true;
}

bool ReplyHeaderOk(const QJsonObject &Doc, const QString &Kind, bool LogKindOk)
{
    if (Doc.isEmpty())
        return false;
    if (!IsString(Doc.value(KeyTabText), Kind))
        return false;
    if (LogKindOk)
        qDebug().noquote() << Kind + QStringLiteral(" ok");
    if (!IsString(Doc.value(KeyOperate), OperateReadAck))
        return false;
    qDebug().noquote() << "ReadAck ok";
    return true;
}

QJsonArray ReplyArray(const QJsonObject &Doc)
{
    return Doc.value(KeyParamArray).toArray();
}

QString EntryName(const QJsonObject &Entry)
{
    return Entry.value(KeyParamName).toString();
}

int EntryRegister(const QJsonObject &Entry)
{
    return IntField(Entry, KeyRegisterAddr);
}

int EntryValue(const QJsonObject &Entry)
{
    return IntField(Entry, KeyParamValue);
}

QString ToLogText(const QJsonObject &Doc)
{
    return QString::fromUtf8(QJsonDocument(Doc).toJson());
}

} // namespace ConfigDocument
