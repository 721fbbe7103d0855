#include "CtlFiles.h"

#include "ConfigDocument.h"
#include "EidRegisters.h"
#include "ParamRegisters.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QStringList>

#include <cmath>

namespace CtlFiles {

namespace {

const QString EidName = QStringLiteral("Eid");

QString ParamNames()
{
    QStringList Names;
    for (const ParamRegisters::Param &Row : ParamRegisters::Map)
        Names << QString::fromLatin1(Row.Name);
    return Names.join(QStringLiteral(", "));
}

// The keys of the top-level object in the order written, repeats included,
// which QJsonObject does not keep. The text is known to be valid JSON.
QStringList TopLevelKeys(const QByteArray &Text)
{
    QStringList Keys;
    int Depth = 0;
    for (int I = 0; I < Text.size(); ++I) {
        const char C = Text.at(I);
        if (C == '{' || C == '[') {
            ++Depth;
        } else if (C == '}' || C == ']') {
            --Depth;
        } else if (C == '"') {
            const int Start = I;
            for (++I; I < Text.size() && Text.at(I) != '"'; ++I) {
                if (Text.at(I) == '\\')
                    ++I;
            }
            if (Depth != 1)
                continue;
            int After = I + 1;
            while (After < Text.size() && QByteArray(" \t\r\n").contains(Text.at(After)))
                ++After;
            if (After < Text.size() && Text.at(After) == ':') {
                const QByteArray Quoted = "[" + Text.mid(Start, I - Start + 1) + "]";
                Keys << QJsonDocument::fromJson(Quoted).array().at(0).toString();
            }
        }
    }
    return Keys;
}

QString JsonText(const QJsonValue &Value)
{
    const QByteArray Array = QJsonDocument(QJsonArray{Value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(Array.mid(1, Array.size() - 2));
}

} // namespace

QString Quoted(const QString &Text)
{
    return JsonText(QJsonValue(Text));
}

bool ReadFile(const QString &Path, QByteArray *Text, QString *Error)
{
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly)) {
        *Error = QStringLiteral("cannot read %1: %2").arg(Path, File.errorString());
        return false;
    }
    // One byte more than allowed tells a file that is too long, whatever
    // its kind: a pipe or a device has no size to ask for.
    *Text = File.read(MaxFileBytes + 1);
    if (Text->size() > MaxFileBytes) {
        Text->clear();
        *Error = QStringLiteral("%1: longer than %2 bytes; no parameter or EID file is that long")
                     .arg(Path, QString::number(MaxFileBytes));
        return false;
    }
    return true;
}

bool ParseParams(const QByteArray &Text, QJsonObject *Request, QString *Error)
{
    QJsonParseError Parse;
    const QJsonDocument Document = QJsonDocument::fromJson(Text, &Parse);
    if (Parse.error != QJsonParseError::NoError) {
        *Error = QStringLiteral("not JSON: %1 at offset %2").arg(Parse.errorString()).arg(Parse.offset);
        return false;
    }
    if (!Document.isObject()) {
        *Error = QStringLiteral("not a JSON object; give {\"NAME\": VALUE, ...} with names from %1")
                     .arg(ParamNames());
        return false;
    }
    const QJsonObject Object = Document.object();
    QSet<QString> Seen;
    for (const QString &Key : TopLevelKeys(Text)) {
        const ParamRegisters::Param *Row = ParamRegisters::Find(Key);
        if (!Row) {
            *Error = QStringLiteral("%1 is no parameter; the parameters are %2").arg(Quoted(Key), ParamNames());
            return false;
        }
        if (Seen.contains(Key)) {
            *Error = QStringLiteral("\"%1\" is given twice").arg(Key);
            return false;
        }
        Seen.insert(Key);
        const QJsonValue Value = Object.value(Key);
        const double Number = Value.toDouble();
        if (!Value.isDouble() || std::floor(Number) != Number || Number < Row->Min || Number > Row->Max) {
            *Error = QStringLiteral("\"%1\" must be a whole number from %2 to %3, not %4")
                         .arg(Key)
                         .arg(Row->Min)
                         .arg(Row->Max)
                         .arg(JsonText(Value));
            return false;
        }
    }
    if (Seen.isEmpty()) {
        *Error = QStringLiteral("names no parameter; give one or more of %1").arg(ParamNames());
        return false;
    }

    // Register-map order, whatever the order of the file.
    *Request = ConfigDocument::NewRequest(ConfigDocument::KindParamSet);
    QJsonArray Entries;
    for (const ParamRegisters::Param &Row : ParamRegisters::Map) {
        const QString Name = QString::fromLatin1(Row.Name);
        if (Seen.contains(Name))
            Entries.append(ConfigDocument::MakeEntry(Name, Row.Register, Object.value(Name).toInt()));
    }
    Request->insert(ConfigDocument::KeyParamArray, Entries);
    return true;
}

QJsonObject AllParamsRequest()
{
    QJsonObject Request = ConfigDocument::NewRequest(ConfigDocument::KindParamSet);
    QJsonArray Entries;
    for (const ParamRegisters::Param &Row : ParamRegisters::Map)
        Entries.append(ConfigDocument::MakeEntry(QString::fromLatin1(Row.Name), Row.Register, 0));
    Request.insert(ConfigDocument::KeyParamArray, Entries);
    return Request;
}

bool ParamValues(const QJsonObject &Document, QVector<QPair<QString, int>> *Values)
{
    Values->clear();
    for (const QJsonValue &Element : Document.value(ConfigDocument::KeyParamArray).toArray()) {
        const QJsonObject Entry = Element.toObject();
        const ParamRegisters::Param *Row = ParamRegisters::Find(ConfigDocument::EntryRegister(Entry));
        if (!Row)
            return false;
        Values->append({QString::fromLatin1(Row->Name), ConfigDocument::EntryValue(Entry)});
    }
    return true;
}

QByteArray FormatParams(const QJsonObject &Reply)
{
    QVector<QPair<QString, int>> Values;
    ParamValues(Reply, &Values);
    QByteArray Text = "{\n";
    for (int I = 0; I < Values.size(); ++I) {
        Text += "    \"" + Values[I].first.toLatin1() + "\": " + QByteArray::number(Values[I].second);
        Text += I + 1 < Values.size() ? ",\n" : "\n";
    }
    return Text + "}\n";
}

bool ParseEids(const QByteArray &Text, QVector<qint32> *Eids, QString *Error, const EidListFile::Column &Choice,
               QStringList *Warnings)
{
    QStringList Ignored;
    return EidListFile::Read(Text, Choice, Eids, Warnings ? Warnings : &Ignored, Error);
}

QJsonObject EidRequest(const QVector<qint32> &Eids)
{
    QJsonObject Request = ConfigDocument::NewRequest(ConfigDocument::KindEidSet);
    QJsonArray Entries;
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Entries.append(ConfigDocument::MakeEntry(EidName, EidRegisters::OfSlot(Slot),
                                                 Slot < Eids.size() ? Eids[Slot] : 0));
    Request.insert(ConfigDocument::KeyParamArray, Entries);
    return Request;
}

bool EidValues(const QJsonObject &Reply, QVector<qint32> *Eids)
{
    Eids->fill(0, EidCount);
    QVector<bool> Seen(EidCount, false);
    for (const QJsonValue &Element : Reply.value(ConfigDocument::KeyParamArray).toArray()) {
        const QJsonObject Entry = Element.toObject();
        const int Slot = EidRegisters::SlotOf(ConfigDocument::EntryRegister(Entry));
        if (Slot < 0)
            return false;
        (*Eids)[Slot] = ConfigDocument::EntryValue(Entry);
        Seen[Slot] = true;
    }
    return !Seen.contains(false);
}

QByteArray FormatEids(const QVector<qint32> &Eids)
{
    QByteArray Text;
    for (const qint32 Eid : Eids)
        Text += QByteArray::number(Eid) + '\n';
    return Text;
}

QVector<Difference> ParamDifferences(const QJsonObject &File, const QJsonObject &Device)
{
    QVector<QPair<QString, int>> Wanted;
    QVector<QPair<QString, int>> Got;
    ParamValues(File, &Wanted);
    ParamValues(Device, &Got);
    QVector<Difference> Found;
    for (int I = 0; I < Wanted.size(); ++I) {
        if (I >= Got.size() || Got[I] != Wanted[I])
            Found.append({Wanted[I].first, 0, I < Got.size() ? Got[I].second : 0, Wanted[I].second});
    }
    return Found;
}

QVector<Difference> EidDifferences(const QVector<qint32> &File, const QVector<qint32> &Device)
{
    QVector<Difference> Found;
    for (int Slot = 0; Slot < File.size(); ++Slot) {
        if (Device.value(Slot) != File[Slot])
            Found.append({QString(), Slot + 1, Device.value(Slot), File[Slot]});
    }
    return Found;
}

} // namespace CtlFiles
