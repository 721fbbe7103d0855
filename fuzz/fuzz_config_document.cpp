// A configuration document of any shape, parsed from the fuzz input: the
// request tests, the reply tests and the entry readers must agree with the
// document rules written out here a second time, and logging it must work.

#include "ConfigDocument.h"
#include "FuzzSupport.h"

#include <QJsonValue>

#include <cmath>
#include <limits>

using FuzzSupport::Check;

namespace {
const QString Kinds[] = {QStringLiteral("ParamSet"), QStringLiteral("EidSet")};

bool IsText(const QJsonValue &Value, const char *Text)
{
    return Value.type() == QJsonValue::String && Value.toString() == QLatin1String(Text);
}

// A whole number within int; anything else (missing, not a number, a
// fraction, out of range) reads as 0.
int ReferenceInt(const QJsonValue &Value)
{
    if (Value.type() != QJsonValue::Double)
        return 0;
    const double Number = Value.toDouble();
    if (!(Number >= std::numeric_limits<int>::min() && Number <= std::numeric_limits<int>::max()))
        return 0;
    if (std::floor(Number) != Number)
        return 0;
    return static_cast<int>(Number);
}

void CheckEntry(const QJsonObject &Entry)
{
    const QJsonValue Name = Entry.value(QStringLiteral("ParamName"));
    Check(ConfigDocument::EntryName(Entry)
              == (Name.type() == QJsonValue::String ? Name.toString() : QString()),
          "EntryName");
    Check(ConfigDocument::EntryRegister(Entry) == ReferenceInt(Entry.value(QStringLiteral("RegisterAddr"))),
          "EntryRegister");
    Check(ConfigDocument::EntryValue(Entry) == ReferenceInt(Entry.value(QStringLiteral("ParamValue"))),
          "EntryValue");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::QuietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    QJsonObject Doc;
    if (!FuzzSupport::ParseObject(Data, Size, &Doc))
        return 0;

    const QJsonValue Tab = Doc.value(QStringLiteral("TabText"));
    const QJsonValue Operate = Doc.value(QStringLiteral("operate"));
    const QJsonValue List = Doc.value(QStringLiteral("ParamArray"));

    for (const QString &Kind : Kinds) {
        const bool KindOk = !Doc.isEmpty() && Tab.type() == QJsonValue::String && Tab.toString() == Kind;
        const bool Request = KindOk && IsText(Operate, "Read");
        const bool Reply = KindOk && IsText(Operate, "ReadAck");
        for (const bool LogNull : {false, true}) {
            for (const bool LogTab : {false, true})
                Check(ConfigDocument::RequestHeaderOk(Doc, Kind, LogNull, LogTab) == Request,
                      "RequestHeaderOk");
            Check(ConfigDocument::ReplyHeaderOk(Doc, Kind, LogNull) == Reply, "ReplyHeaderOk");
        }
    }

    QJsonArray Entries;
    Check(ConfigDocument::RequestArray(Doc, &Entries) == List.isArray(), "RequestArray");
    Check(ConfigDocument::RequestArray(Doc, nullptr) == List.isArray(), "RequestArray without out");
    if (List.isArray())
        Check(Entries == List.toArray(), "RequestArray entries");
    const QJsonArray ReplyEntries = ConfigDocument::ReplyArray(Doc);
    Check(ReplyEntries == (List.isArray() ? List.toArray() : QJsonArray()), "ReplyArray");

    CheckEntry(Doc);
    for (const QJsonValue &Element : ReplyEntries) {
        if (Element.isObject())
            CheckEntry(Element.toObject());
    }

    // The log text is the indented JSON text of the same document.
    const QString Text = ConfigDocument::ToLogText(Doc);
    Check(Text.startsWith(QLatin1Char('{')), "ToLogText form");
    QJsonParseError Error;
    const QJsonDocument Back = QJsonDocument::fromJson(Text.toUtf8(), &Error);
    Check(Error.error == QJsonParseError::NoError && Back.isObject()
              && Back.object().size() == Doc.size(),
          "ToLogText reads back");
    // Not compared value by value: Qt writes whole doubles beyond 2^53 with
    // 17 digits only, and orders keys holding control characters
    // inconsistently; neither can occur in a document the tool builds.
    return 0;
}
