// korvelctl's input files as someone else wrote them, in any bytes: the
// first byte picks a parameter file or an EID list, the range taken (the
// window's, or every value a device may hold) and the EID column asked
// for; the rest is the file. An accepted file gives what a write may send,
// and the same text in UTF-16 gives the same values; a refused one gives
// one line saying why. What is written from accepted values reads back as
// them.

#include "CtlFiles.h"
#include "EidListFile.h"
#include "EidRegisters.h"
#include "FuzzSupport.h"
#include "InputText.h"
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

// The file's text again as a spreadsheet's "Unicode text": UTF-16 LE with
// its byte order mark.
QByteArray AsUtf16(const QByteArray &Text)
{
    QString Decoded;
    QString Error;
    if (!InputText::Decode(Text, &Decoded, &Error))
        return QByteArray();
    QByteArray Bytes("\xFF\xFE");
    for (const QChar C : Decoded)
        Bytes += char(C.unicode() & 0xFF), Bytes += char(C.unicode() >> 8);
    return Bytes;
}

void CheckEids(const QByteArray &Text, const EidListFile::Column &Choice, EidListFile::Range Values)
{
    QVector<qint32> Eids;
    QString Error;
    QStringList Warnings;
    const bool Accepted = CtlFiles::ParseEids(Text, &Eids, &Error, Choice, &Warnings, Values);
    for (const QString &Warning : Warnings)
        Check(!Warning.isEmpty() && !Warning.contains(QLatin1Char('\n')) && !Warning.contains(QLatin1Char('\r')),
              "a warning is one line");
    CheckRefusal(Accepted, Error);
    // The same text in UTF-16 is the same list, or refused as well.
    const QByteArray Wide = AsUtf16(Text);
    if (!Wide.isEmpty()) {
        QVector<qint32> FromWide;
        QString WideError;
        const bool WideAccepted = CtlFiles::ParseEids(Wide, &FromWide, &WideError, Choice, nullptr, Values);
        Check(WideAccepted == Accepted && FromWide == Eids, "UTF-16 reads as UTF-8");
    }
    if (!Accepted)
        return;
    Check(Eids.size() == EidCount, "an accepted list has 200 entries");
    for (const qint32 Eid : Eids)
        Check(Values == EidListFile::Range::Whole || CtlFiles::EidInRange(Eid), "EID range");
    // What a read writes is read back as the same list, whatever it holds.
    QVector<qint32> Again;
    Check(CtlFiles::ParseEids(CtlFiles::FormatEids(Eids), &Again, &Error, {}, nullptr, Values) && Again == Eids,
          "EID file round trip");
    // And so is the list as CSV, from its column headed "eid".
    QVector<qint32> FromCsv;
    Check(CtlFiles::ParseEids(EidListFile::FormatCsv(Eids), &FromCsv, &Error, {}, nullptr, Values) && FromCsv == Eids,
          "EID CSV round trip");
    const QVector<qint32> Whole = CtlFiles::WholeList(Eids);
    Check(Whole.size() == EidCount && Whole.mid(0, Eids.size()) == Eids, "the whole list holds the file's");
}

void CheckParams(const QByteArray &Text, EidListFile::Range Values)
{
    ParamList Params;
    QString Error;
    const bool Accepted = CtlFiles::ParseParams(Text, &Params, &Error, Values);
    CheckRefusal(Accepted, Error);
    const QByteArray Wide = AsUtf16(Text);
    if (!Wide.isEmpty()) {
        ParamList FromWide;
        QString WideError;
        const bool WideAccepted = CtlFiles::ParseParams(Wide, &FromWide, &WideError, Values);
        Check(WideAccepted == Accepted && CtlFiles::ParamDifferences(Params, FromWide).isEmpty()
                  && FromWide.size() == Params.size(),
              "UTF-16 reads as UTF-8");
    }
    if (!Accepted)
        return;
    Check(!Params.isEmpty() && Params.size() <= ParamRegisters::Count,
          "one to fourteen parameters");
    int Previous = -1;
    for (const ParamValue &Value : Params) {
        const ParamRegisters::Param *Row = ParamRegisters::Find(Value.Name);
        Check(Row != nullptr && Row->Register == Value.Register, "known parameter at its register");
        const bool Window = Values == EidListFile::Range::Window;
        Check(Value.Value >= (Window ? Row->Min : 0) && Value.Value <= (Window ? Row->Max : CtlFiles::RegisterMax),
              "parameter range");
        int Index = 0;
        while (Index < ParamRegisters::Count && ParamRegisters::Map[Index].Register != Value.Register)
            ++Index;
        Check(Index > Previous, "register-map order, each once");
        Previous = Index;
    }
    // What a read writes is read back as the same parameters.
    ParamList Again;
    Check(CtlFiles::ParseParams(CtlFiles::FormatParams(Params), &Again, &Error, Values)
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
    const EidListFile::Range Values = Data[0] & 2 ? EidListFile::Range::Whole : EidListFile::Range::Window;
    if (Data[0] & 1)
        CheckEids(Text, ColumnOf(uint8_t(Data[0] >> 2)), Values);
    else
        CheckParams(Text, Values);
    return 0;
}
