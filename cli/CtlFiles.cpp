#include "CtlFiles.h"

#include "EidRegisters.h"
#include "ParamRegisters.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

bool ParseParams(const QByteArray &Text, ParamList *Params, QString *Error)
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
    Params->clear();
    for (const ParamRegisters::Param &Row : ParamRegisters::Map) {
        const QString Name = QString::fromLatin1(Row.Name);
        if (Seen.contains(Name))
            Params->append({Name, Row.Register, Object.value(Name).toInt()});
    }
    return true;
}

ParamList AllParams()
{
    ParamList Params;
    for (const ParamRegisters::Param &Row : ParamRegisters::Map)
        Params.append({QString::fromLatin1(Row.Name), Row.Register, 0});
    return Params;
}

ParamValue Param(const char *Name)
{
    const ParamRegisters::Param &Row = ParamRegisters::Map[ParamRegisters::IndexOf(Name)];
    return {QString::fromLatin1(Row.Name), Row.Register, 0};
}

QByteArray FormatParams(const ParamList &Params)
{
    QByteArray Text = "{\n";
    for (int I = 0; I < Params.size(); ++I) {
        Text += "    \"" + Params[I].Name.toLatin1() + "\": " + QByteArray::number(Params[I].Value);
        Text += I + 1 < Params.size() ? ",\n" : "\n";
    }
    return Text + "}\n";
}

bool ParseEids(const QByteArray &Text, QVector<qint32> *Eids, QString *Error, const EidListFile::Column &Choice,
               QStringList *Warnings)
{
    QStringList Ignored;
    return EidListFile::Read(Text, Choice, Eids, Warnings ? Warnings : &Ignored, Error);
}

QVector<qint32> WholeList(const QVector<qint32> &Eids)
{
    QVector<qint32> List = Eids.mid(0, EidCount);
    List.resize(EidCount); // the entries left out are 0
    return List;
}

QByteArray FormatEids(const QVector<qint32> &Eids)
{
    QByteArray Text;
    for (const qint32 Eid : Eids)
        Text += QByteArray::number(Eid) + '\n';
    return Text;
}

QVector<Difference> ParamDifferences(const ParamList &File, const ParamList &Device)
{
    QVector<Difference> Found;
    for (int I = 0; I < File.size(); ++I) {
        const int Held = I < Device.size() ? Device[I].Value : 0;
        if (I >= Device.size() || Device[I].Register != File[I].Register || Held != File[I].Value)
            Found.append({File[I].Name, 0, Held, File[I].Value});
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
