// korvelctl's input files as someone else wrote them: the first byte picks
// a parameter file or an EID list (and the EID column asked for), the rest
// is the file. An accepted file gives what a write may send; a refused one
// gives one line saying why.

#include "CtlFiles.h"
#include "EidListFile.h"
#include "EidRegisters.h"
#include "FuzzSupport.h"
#include "ParamRegisters.h"

#include <QJsonArray>

using FuzzSupport::Check;

namespace {

void CheckRefusal(bool Accepted, const QString &Error)
{
    if (Accepted)
        return;
    Check(!Error.isEmpty(), "a refusal says why");
    Check(!Error.contains(QLatin1Char('\n')) && !Error.contains(QLatin1Char('\r')),
          "a refusal is one line");
}

// The column an operator may name: the default, a number or a heading.
EidListFile::Column ColumnOf(uint8_t Pick)
{
    EidListFile::Column Choice;
    switch (Pick & 3) {
    case 1: Choice.Number = 1; break;
    case 2: Choice.Number = 2; break;
    case 3: Choice.Name = QStringLiteral("EID"); break;
    default: break;
    }
    return Choice;
}

void CheckEids(const QByteArray &Text, const EidListFile::Column &Choice)
{
    QVector<qint32> Eids;
    QString Error;
    QStringList Warnings;
    const bool Accepted = CtlFiles::ParseEids(Text, &Eids, &Error, Choice, &Warnings);
    for (const QString &Warning : Warnings)
        Check(!Warning.isEmpty() && !Warning.contains(QLatin1Char('\n')) && !Warning.contains(QLatin1Char('\r')),
              "a warning is one line");
    CheckRefusal(Accepted, Error);
    if (!Accepted) {
        Check(Error.startsWith(QStringLiteral("line ")) || Error.startsWith(QStringLiteral("there is no column ")),
              "a refused list names the line, or the column asked for");
        return;
    }
    Check(Eids.size() == EidCount, "an accepted list has 200 entries");
    for (const qint32 Eid : Eids)
        Check((Eid >= 0 && Eid <= CtlFiles::EidMax) || Eid == CtlFiles::EidNone, "EID range");
    // What a read writes is read back as the same list.
    QVector<qint32> Again;
    Check(CtlFiles::ParseEids(CtlFiles::FormatEids(Eids), &Again, &Error) && Again == Eids,
          "EID file round trip");
    // And so is the list as CSV, from its column headed "eid".
    QVector<qint32> FromCsv;
    Check(CtlFiles::ParseEids(EidListFile::FormatCsv(Eids), &FromCsv, &Error) && FromCsv == Eids,
          "EID CSV round trip");
    const QVector<qint32> Whole = CtlFiles::WholeList(Eids);
    Check(Whole.size() == EidCount && Whole.mid(0, Eids.size()) == Eids, "the whole list holds the file's");
}

void CheckParams(const QByteArray &Text)
{
    ParamList Params;
    QString Error;
    const bool Accepted = CtlFiles::ParseParams(Text, &Params, &Error);
    CheckRefusal(Accepted, Error);
    if (!Accepted)
        return;
    Check(!Params.isEmpty() && Params.size() <= ParamRegisters::Count,
          "one to fourteen parameters");
    int Previous = -1;
    for (const ParamValue &Value : Params) {
        const ParamRegisters::Param *Row = ParamRegisters::Find(Value.Name);
        Check(Row != nullptr && Row->Register == Value.Register, "known parameter at its register");
        Check(Value.Value >= Row->Min && Value.Value <= Row->Max, "parameter range");
        const int Index = int(Row - ParamRegisters::Map);
        Check(Index > Previous, "register-map order, each once");
        Previous = Index;
    }
    // What a read writes is read back as the same parameters.
    ParamList Again;
    Check(CtlFiles::ParseParams(CtlFiles::FormatParams(Params), &Again, &Error)
              && CtlFiles::ParamDifferences(Params, Again).isEmpty() && Again.size() == Params.size(),
          "parameter file round trip");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    static bool Ready = (FuzzSupport::QuietLog(), true);
    (void)Ready;
    if (Size == 0)
        return 0;
    const QByteArray Text = FuzzSupport::Bytes(Data + 1, Size - 1);
    if (Data[0] & 1)
        CheckEids(Text, ColumnOf(uint8_t(Data[0] >> 1)));
    else
        CheckParams(Text);
    return 0;
}
