#include "ConfigDocument.h"

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

HeaderTest HeaderOf(const QJsonObject &Doc, const QString &Kind, const QString &Operate)
{
    if (Doc.isEmpty())
        return HeaderTest::NotEmpty;
    if (!IsString(Doc.value(KeyTabText), Kind))
        return HeaderTest::Kind;
    if (!IsString(Doc.value(KeyOperate), Operate))
        return HeaderTest::Operate;
    return HeaderTest::Passed;
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

HeaderTest RequestHeader(const QJsonObject &Doc, const QString &Kind)
{
    return HeaderOf(Doc, Kind, OperateRead);
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

HeaderTest ReplyHeader(const QJsonObject &Doc, const QString &Kind)
{
    return HeaderOf(Doc, Kind, OperateReadAck);
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
