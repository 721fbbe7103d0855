// The parameters from the command line, checked whole before the port is
// opened.

#include "CtlAssignments.h"

#include "CtlFiles.h"
#include "ParamRegisters.h"
#include "WholeNumber.h"

#include <QCoreApplication>
#include <QMap>

#include <algorithm>
#include <iterator>

namespace CtlAssignments {

namespace {

// BaudRate as its item index or as the speed itself.
bool ReadBaudRate(const QString &Text, int *Index)
{
    const ParamRegisters::Param &Row = ParamRegisters::Map[CtlFiles::BaudIndex];
    if (ParseWholeNumber(Text, Row.Min, Row.Max, Index))
        return true;
    int Speed = 0;
    const int *const Begin = std::begin(ParamRegisters::BaudRates);
    const int *const End = std::end(ParamRegisters::BaudRates);
    if (!ParseWholeNumber(Text, *Begin, *(End - 1), &Speed))
        return false;
    const int *const At = std::find(Begin, End, Speed);
    if (At == End)
        return false;
    *Index = int(At - Begin);
    return true;
}

QString RangeText(const ParamRegisters::Param &Row, const QString &Value)
{
    if (Row.Register == ParamRegisters::Map[CtlFiles::BaudIndex].Register) {
        QStringList Speeds = ParamRegisters::BaudRateTexts();
        const QString Last = Speeds.takeLast();
        return QCoreApplication::translate("CtlAssignments",
                                           "\"%1\" must be a speed of %2 or %3 Bd, or an item index from %4 to %5, "
                                           "not %6")
            .arg(QString::fromLatin1(Row.Name), Speeds.join(QStringLiteral(", ")), Last)
            .arg(Row.Min)
            .arg(Row.Max)
            .arg(CtlFiles::Quoted(Value));
    }
    return QCoreApplication::translate("CtlAssignments", "\"%1\" must be a whole number from %2 to %3, not %4")
        .arg(QLatin1String(Row.Name))
        .arg(Row.Min)
        .arg(Row.Max)
        .arg(CtlFiles::Quoted(Value));
}

} // namespace

bool Parse(const QStringList &Words, ParamList *Params, QString *Error, bool AnyValue)
{
    if (Words.isEmpty()) {
        *Error = QCoreApplication::translate("CtlAssignments", "set needs NAME=VALUE, one or more, with names from %1")
                     .arg(CtlFiles::ParamNames());
        return false;
    }
    QMap<int, ParamValue> Given; // by register: the register map's order
    for (const QString &Word : Words) {
        const int Equals = Word.indexOf(QLatin1Char('='));
        if (Equals < 0) {
            *Error = QCoreApplication::translate("CtlAssignments", "%1 is not NAME=VALUE (e.g. %2=33)")
                         .arg(CtlFiles::Quoted(Word), CtlFiles::NameOf(CtlFiles::IdIndex));
            return false;
        }
        const QString Name = Word.left(Equals);
        const QString Value = Word.mid(Equals + 1);
        const ParamRegisters::Param *Row = ParamRegisters::Find(Name);
        if (!Row) {
            *Error = QCoreApplication::translate("CtlAssignments", "%1 is no parameter; the parameters are %2")
                         .arg(CtlFiles::Quoted(Name), CtlFiles::ParamNames());
            return false;
        }
        if (Given.contains(Row->Register)) {
            *Error = QCoreApplication::translate("CtlAssignments", "\"%1\" is given twice").arg(Name);
            return false;
        }
        int Number = 0;
        const bool Baud = Row->Register == ParamRegisters::Map[CtlFiles::BaudIndex].Register;
        const bool Taken = Baud ? ReadBaudRate(Value, &Number) : ParseWholeNumber(Value, Row->Min, Row->Max, &Number);
        if (!Taken && !(AnyValue && ParseWholeNumber(Value, 0, CtlFiles::RegisterMax, &Number))) {
            *Error = RangeText(*Row, Value);
            return false;
        }
        Given.insert(Row->Register, {Name, Row->Register, Number});
    }
    Params->clear();
    for (const ParamValue &Param : Given)
        Params->append(Param);
    *Error = CtlFiles::AddressProblem(*Params);
    return Error->isEmpty();
}

} // namespace CtlAssignments
