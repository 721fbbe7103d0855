#ifndef KORVEL_CONFIGDOCUMENT_H
#define KORVEL_CONFIGDOCUMENT_H

// The configuration document: a tab's settings as a JSON object, and the
// tests an exchange makes on a request and an apply function on a reply.
// No widget and no port here, and no log: the callers log what passed.

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

// How far a document's header gets through its tests, which run in this
// order: not empty, "TabText" is the kind, "operate" is the operation. The
// value names the first test failed, or Passed; a caller that logs what
// passed compares against it (Got > HeaderTest::Kind: the kind passed).
enum class HeaderTest { NotEmpty, Kind, Operate, Passed };

// Request tests 1 to 3: "operate" must be "Read".
HeaderTest RequestHeader(const QJsonObject &Doc, const QString &Kind);
// Request test 4: "ParamArray" holds an array, handed back in Entries.
bool RequestArray(const QJsonObject &Doc, QJsonArray *Entries);

// Reply tests 1 to 3: "operate" must be "ReadAck".
HeaderTest ReplyHeader(const QJsonObject &Doc, const QString &Kind);
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
