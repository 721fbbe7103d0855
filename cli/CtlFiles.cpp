#include "CtlFiles.h"

#include "CtlCommands.h"
#include "CtlIo.h"
#include "InputText.h"

#include "EidRegisters.h"
#include "ParamRegisters.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringList>

#include <cmath>

namespace CtlFiles {

namespace {

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

// A whole number out of the window's range may still be meant: the
// option that takes it is named.
QString RangeError(const QString &Key, int Min, int Max, const QJsonValue &Value, bool Whole)
{
    const QString Text = Whole ? QCoreApplication::translate("CtlFiles", "\"%1\" must be a whole number from %2 to "
                                                                         "%3, not %4; --out-of-range writes a value "
                                                                         "outside that range as it is")
                               : QCoreApplication::translate("CtlFiles", "\"%1\" must be a whole number from %2 to "
                                                                         "%3, not %4");
    return Text.arg(Key).arg(Min).arg(Max).arg(JsonText(Value));
}

} // namespace

QString ParamNames()
{
    QStringList Names;
    for (const ParamRegisters::Param &Row : ParamRegisters::Map)
        Names << QString::fromLatin1(Row.Name);
    return Names.join(QStringLiteral(", "));
}

QString Quoted(const QString &Text)
{
    return JsonText(QJsonValue(Text));
}

bool ReadFile(const QString &Path, QByteArray *Text, QString *Error)
{
    return CtlIo::ReadFile(Path, MaxFileBytes, Text, Error);
}

bool ParseParams(const QByteArray &Bytes, ParamList *Params, QString *Error, Range Values)
{
    QString Decoded;
    if (!InputText::Decode(Bytes, &Decoded, Error))
        return false;
    const QByteArray Text = Decoded.toUtf8();
    QJsonParseError Parse;
    const QJsonDocument Document = QJsonDocument::fromJson(Text, &Parse);
    if (Parse.error != QJsonParseError::NoError) {
        *Error = QCoreApplication::translate("CtlFiles", "not JSON: %1 at offset %2")
                     .arg(Parse.errorString())
                     .arg(Parse.offset);
        return false;
    }
    if (!Document.isObject()) {
        *Error = QCoreApplication::translate("CtlFiles",
                                             "not a JSON object; give {\"NAME\": VALUE, ...} with names from %1")
                     .arg(ParamNames());
        return false;
    }
    const QJsonObject Object = Document.object();
    QSet<QString> Seen;
    for (const QString &Key : TopLevelKeys(Text)) {
        const ParamRegisters::Param *Row = ParamRegisters::Find(Key);
        if (!Row) {
            *Error = QCoreApplication::translate("CtlFiles", "%1 is no parameter; the parameters are %2")
                         .arg(Quoted(Key), ParamNames());
            return false;
        }
        if (Seen.contains(Key)) {
            *Error = QCoreApplication::translate("CtlFiles", "\"%1\" is given twice").arg(Key);
            return false;
        }
        Seen.insert(Key);
        const QJsonValue Value = Object.value(Key);
        const double Number = Value.toDouble();
        const bool Whole = Value.isDouble() && std::floor(Number) == Number && Number >= 0 && Number <= RegisterMax;
        if (!Whole || (Values == Range::Window && (Number < Row->Min || Number > Row->Max))) {
            *Error = Values == Range::Window ? RangeError(Key, Row->Min, Row->Max, Value, Whole)
                                             : RangeError(Key, 0, RegisterMax, Value, Whole);
            return false;
        }
    }
    if (Seen.isEmpty()) {
        *Error = QCoreApplication::translate("CtlFiles", "names no parameter; give one or more of %1")
                     .arg(ParamNames());
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

QString AddressProblem(const ParamList &Params)
{
    for (const ParamValue &Param : Params) {
        if (Param.Register == ParamRegisters::Map[IdIndex].Register
            && (Param.Value < CtlCommands::FirstAddress || Param.Value > CtlCommands::LastAddress))
            return QCoreApplication::translate("CtlFiles", "%1 %2 would put the device out of reach: an RS-485 "
                                                           "address on a bus is %3 to %4")
                .arg(NameOf(IdIndex))
                .arg(Param.Value)
                .arg(CtlCommands::FirstAddress)
                .arg(CtlCommands::LastAddress);
    }
    return QString();
}

QStringList RangeWarnings(const ParamList &Params)
{
    QStringList Warnings;
    for (const ParamValue &Param : Params) {
        const ParamRegisters::Param *Row = ParamRegisters::Find(Param.Register);
        if (Row && (Param.Value < Row->Min || Param.Value > Row->Max))
            Warnings << QCoreApplication::translate("CtlFiles",
                                                    "%1 is %2, outside the range %3 to %4 that the window and write "
                                                    "take")
                            .arg(Param.Name)
                            .arg(Param.Value)
                            .arg(Row->Min)
                            .arg(Row->Max);
    }
    return Warnings;
}

QStringList RangeWarnings(const QVector<qint32> &Eids)
{
    QStringList Warnings;
    for (int I = 0; I < Eids.size(); ++I) {
        if (!EidInRange(Eids[I]))
            Warnings << QCoreApplication::translate("CtlFiles", "entry %1 holds EID %2, outside the range 0 to %3 "
                                                                "that the window and write take")
                            .arg(I + 1)
                            .arg(QString::fromLatin1(EidText(Eids[I])))
                            .arg(EidMax);
    }
    return Warnings;
}

ParamList AllParams()
{
    ParamList Params;
    for (const ParamRegisters::Param &Row : ParamRegisters::Map)
        Params.append({QString::fromLatin1(Row.Name), Row.Register, 0});
    return Params;
}

QString NameOf(int Index)
{
    return QString::fromLatin1(ParamRegisters::Map[Index].Name);
}

ParamValue Param(int Index)
{
    return {NameOf(Index), ParamRegisters::Map[Index].Register, 0};
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
               QStringList *Warnings, Range Values)
{
    QStringList Ignored;
    return EidListFile::Read(Text, Choice, Values, Eids, Warnings ? Warnings : &Ignored, Error);
}

bool EidInRange(qint32 Eid)
{
    return Eid == EidNone || (Eid >= 0 && Eid <= EidMax);
}

QByteArray EidText(qint32 Eid)
{
    return Eid == EidNone ? QByteArray("-1") : QByteArray::number(quint32(Eid));
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
        Text += EidText(Eid) + '\n';
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
