#include "FuzzSupport.h"

#include <QList>
#include <QSet>
#include <QString>

namespace FuzzSupport {

namespace {
void DropMessage(QtMsgType Type, const QMessageLogContext &, const QString &Message)
{
    // A fatal message still ends the run; everything else is dropped.
    if (Type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", Message.toLocal8Bit().constData());
        std::abort();
    }
}
// Qt 5.15's JSON parser loses the container an object's repeated key held
// before (an array or object replaced by a later value of the same key is
// never freed), which would be reported as a leak of every such input. The
// tool never parses JSON text, so such inputs are passed over: this walks
// the text and says whether some object repeats a key. Keys with escapes
// or bytes outside ASCII count as repeated, since two different spellings
// may decode to the same key.
bool RepeatsAKey(const QByteArray &Text)
{
    struct Level
    {
        bool Object;
        bool WantKey;
        QSet<QByteArray> Keys;
    };
    QList<Level> Open;
    for (int At = 0; At < Text.size(); ++At) {
        const char Ch = Text.at(At);
        if (Ch == '{') {
            Open.append({true, true, {}});
        } else if (Ch == '[') {
            Open.append({false, false, {}});
        } else if (Ch == '}' || Ch == ']') {
            if (!Open.isEmpty())
                Open.removeLast();
        } else if (Ch == ',') {
            if (!Open.isEmpty() && Open.last().Object)
                Open.last().WantKey = true;
        } else if (Ch == '"') {
            const int Start = At + 1;
            bool Plain = true;
            for (++At; At < Text.size() && Text.at(At) != '"'; ++At) {
                if (Text.at(At) == '\\') {
                    Plain = false;
                    ++At;
                } else if (static_cast<unsigned char>(Text.at(At)) >= 0x80) {
                    Plain = false;
                }
            }
            if (!Open.isEmpty() && Open.last().Object && Open.last().WantKey) {
                const QByteArray Key = Text.mid(Start, At - Start);
                if (!Plain || Open.last().Keys.contains(Key))
                    return true;
                Open.last().Keys.insert(Key);
                Open.last().WantKey = false;
            }
        }
    }
    return false;
}
} // namespace

void QuietLog()
{
    qInstallMessageHandler(DropMessage);
}

bool ParseObject(const uint8_t *Data, size_t Size, QJsonObject *Object)
{
    const QByteArray Text = Bytes(Data, Size);
    if (RepeatsAKey(Text))
        return false;
    QJsonParseError Error;
    const QJsonDocument Document = QJsonDocument::fromJson(Text, &Error);
    if (Error.error != QJsonParseError::NoError || !Document.isObject())
        return false;
    *Object = Document.object();
    return true;
}

} // namespace FuzzSupport
