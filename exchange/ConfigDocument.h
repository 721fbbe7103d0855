#ifndef KORVEL_CONFIGDOCUMENT_H
#define KORVEL_CONFIGDOCUMENT_H

// The configuration document: a tab's settings as a JSON object, and the
// tests an exchange makes on a request and an apply function on a reply.
// No widget and no port here.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace ConfigDocument {

extern const QString KeyTabText;     // "TabText"
extern const QString KeyOperate;     // "operate"
extern const QString KeyParamArray;  // "ParamArray"
extern const QString KeyParamName;   // "ParamName"
extern const QString KeyRegisterAddr;// "RegisterAddr"
extern const QString KeyParamValue;  // "ParamValue"

extern const QString KindParamSet;   // "ParamSet"
extern const QString KindEidSet;     // "EidSet"
extern const QString OperateRead;    // "Read"
extern const QString OperateReadAck; // "ReadAck"

// A new document with "TabText" = Kind and "operate" = "Read" / "ReadAck".
QJsonObject NewRequest(const QString &Kind);
QJsonObject NewReply(const QString &Kind);
QJsonObject MakeEntry(const QString &Name, int Register, int Value);

// True only for a JSON string with exactly these characters.
bool IsString(const QJsonValue &Value, const QString &Expected);

// Request tests 1 to 3 in order: not empty, "TabText" is Kind, "operate" is
// "Read". With LogObjIsNull an empty document logs "Obj is Null"; with
// LogTabText a passed "TabText" test logs "TabText:<Kind>".
bool RequestHeaderOk(const QJsonObject &Doc, const QString &Kind,
                     bool LogObjIsNull, bool LogTabText);
// Request test 4: "ParamArray" holds an array, handed back in Entries.
bool RequestArray(const QJsonObject &Doc, QJsonArray *Entries);

// Reply tests 1 to 3 in order: not empty, "TabText" is Kind (then
// "ParamSet ok" when LogKindOk), "operate" is "ReadAck" (then "ReadAck ok").
bool ReplyHeaderOk(const QJsonObject &Doc, const QString &Kind, bool LogKindOk);
// "ParamArray" without a type test: anything but an array is empty.
QJsonArray ReplyArray(const QJsonObject &Doc);

// Entry fields: toInt with default 0, toString with default "".
QString EntryName(const QJsonObject &Entry);
int EntryRegister(const QJsonObject &Entry);
int EntryValue(const QJsonObject &Entry);

// The document's indented JSON text, as written to the debug log.
QString ToLogText(const QJsonObject &Doc);

} // namespace ConfigDocument

#endif
