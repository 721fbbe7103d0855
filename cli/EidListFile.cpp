#include "EidListFile.h"

#include "CtlFiles.h"
#include "EidRegisters.h"
#include "InputText.h"
#include "WholeNumber.h"

#include <QCoreApplication>
#include <QHash>

#include <limits>

namespace EidListFile {

namespace {

// On a tie the earlier one wins: a tab or a semicolon is rarely part of a
// cell, a comma often is (an address, a decimal number).
const QChar Delimiters[] = {QLatin1Char('\t'), QLatin1Char(';'), QLatin1Char(',')};
constexpr int DelimiterCount = int(sizeof Delimiters / sizeof Delimiters[0]);
const QChar Quote = QLatin1Char('"');
const QString EidHeading = QStringLiteral("EID");
// How much of a cell, and how many headings, a message shows.
constexpr int ShownChars = 40;
constexpr int ShownHeadings = 10;

struct Row
{
    int Line = 0; // where the row begins
    QStringList Cells;
};

// Where the EIDs are and how the file reads.
struct Layout
{
    bool Csv = false;
    int Index = 0; // the EID column, from 0
    bool Heading = false;
    bool WholeRange = false; // any 32-bit EID, not only the window's
};

// A cell as a message quotes it: on one line, and not too long.
QString Shown(const QString &Cell)
{
    QString Text = Cell.trimmed();
    if (Text.size() > ShownChars)
        Text = Text.left(ShownChars) + QStringLiteral("...");
    return CtlFiles::Quoted(Text);
}

bool BeginsAsNumber(const QString &Cell)
{
    const QString Text = Cell.trimmed();
    const int At = Text.startsWith(QLatin1Char('-')) || Text.startsWith(QLatin1Char('+')) ? 1 : 0;
    return At < Text.size() && Text.at(At) >= QLatin1Char('0') && Text.at(At) <= QLatin1Char('9');
}

bool IsEmpty(const Row &Row)
{
    for (const QString &Cell : Row.Cells) {
        if (!Cell.trimmed().isEmpty())
            return false;
    }
    return true;
}

// The most frequent delimiter of the first line that has one outside quotes
// and outside a '#' comment; a null character when no line has one.
QChar FindDelimiter(const QString &Text)
{
    int Count[DelimiterCount] = {};
    int Most = 0;
    bool Quoted = false;
    bool Comment = false;
    for (const QChar C : Text) {
        if (C == QLatin1Char('\n') && !Quoted) {
            if (Count[Most] > 0)
                break;
            Comment = false;
        } else if (Comment) {
            continue;
        } else if (C == Quote) {
            Quoted = !Quoted;
        } else if (!Quoted && C == QLatin1Char('#')) {
            Comment = true;
        } else if (!Quoted) {
            for (int K = 0; K < DelimiterCount; ++K) {
                if (C == Delimiters[K] && ++Count[K] > Count[Most])
                    Most = K;
            }
        }
    }
    return Count[Most] > 0 ? Delimiters[Most] : QChar();
}

// RFC 4180 records. A quote opens a quoted field only at the start of a
// cell; elsewhere it is text, as spreadsheets read it.
bool SplitCsv(const QString &Text, QChar Delimiter, QVector<Row> *Rows, QString *Error)
{
    Row Current {1, {}};
    QString Cell;
    int Line = 1;
    bool Quoted = false;
    int QuoteLine = 0;
    for (int I = 0; I < Text.size(); ++I) {
        const QChar C = Text.at(I);
        const QChar Next = I + 1 < Text.size() ? Text.at(I + 1) : QChar();
        if (Quoted) {
            if (C == Quote && Next == Quote) {
                Cell += Quote;
                ++I;
            } else if (C == Quote) {
                Quoted = false;
            } else {
                Line += C == QLatin1Char('\n') ? 1 : 0;
                Cell += C;
            }
        } else if (C == Quote && Cell.trimmed().isEmpty()) {
            Quoted = true;
            QuoteLine = Line;
            Cell.clear();
        } else if (C == Delimiter || C == QLatin1Char('\n')) {
            Current.Cells << Cell;
            Cell.clear();
            if (C == QLatin1Char('\n')) {
                Rows->append(Current);
                Current = Row {++Line, {}};
            }
        } else if (C != QLatin1Char('\r') || (!Next.isNull() && Next != QLatin1Char('\n'))) {
            Cell += C;
        }
    }
    if (Quoted) {
        *Error = QCoreApplication::translate("EidListFile", "line %1, column %2: the quote is not closed")
                     .arg(QuoteLine)
                     .arg(Current.Cells.size() + 1);
        return false;
    }
    if (!Cell.isEmpty() || !Current.Cells.isEmpty()) {
        Current.Cells << Cell;
        Rows->append(Current);
    }
    return true;
}

// One value a line; '#' starts a comment, and a line that holds only a
// comment is passed over. A blank line stays a row, empty, so that it is
// read as a CSV's empty row is.
QVector<Row> SplitLines(const QString &Text)
{
    QVector<Row> Rows;
    const QStringList Lines = Text.split(QLatin1Char('\n'));
    for (int I = 0; I < Lines.size(); ++I) {
        QString Line = Lines[I];
        const int Comment = Line.indexOf(QLatin1Char('#'));
        if (Comment >= 0)
            Line.truncate(Comment);
        Line = Line.trimmed();
        if (!Line.isEmpty() || Comment < 0)
            Rows.append({I + 1, {Line}});
    }
    return Rows;
}

// Empty rows before the first value and after the last carry no entry;
// one between values would, and is refused where it is read.
void DropEmptyEnds(QVector<Row> *Rows)
{
    while (!Rows->isEmpty() && IsEmpty(Rows->last()))
        Rows->removeLast();
    int Leading = 0;
    while (Leading < Rows->size() && IsEmpty(Rows->at(Leading)))
        ++Leading;
    Rows->remove(0, Leading);
}

int HeadingIndex(const Row &First, const QString &Name)
{
    for (int C = 0; C < First.Cells.size(); ++C) {
        if (First.Cells[C].trimmed().compare(Name.trimmed(), Qt::CaseInsensitive) == 0)
            return C;
    }
    return -1;
}

QString Headings(const Row &First)
{
    QStringList Texts;
    for (const QString &Cell : First.Cells.mid(0, ShownHeadings))
        Texts << Shown(Cell);
    if (First.Cells.size() > ShownHeadings)
        Texts << QStringLiteral("...");
    return Texts.join(QStringLiteral(", "));
}

bool ChooseColumn(const QVector<Row> &Rows, const Column &Choice, Layout *Where, QStringList *Warnings,
                  QString *Error)
{
    if (Rows.isEmpty())
        return true;
    const Row &First = Rows.first();
    const int Named = HeadingIndex(First, Choice.Name.isEmpty() ? EidHeading : Choice.Name);
    if (!Choice.Name.isEmpty() || (Choice.Number == 0 && Named >= 0)) {
        if (Named < 0) {
            *Error = QCoreApplication::translate("EidListFile", "line %1: no column is headed \"%2\"; the headings "
                                                                "are %3")
                         .arg(First.Line)
                         .arg(Choice.Name, Headings(First));
            return false;
        }
        Where->Index = Named;
        Where->Heading = true;
        return true;
    }
    Where->Index = qMax(Choice.Number, 1) - 1;
    if (!Where->Csv && Where->Index > 0) {
        *Error = QCoreApplication::translate("EidListFile", "there is no column %1: the file is one column (no "
                                                            "comma, semicolon or tab)")
                     .arg(Choice.Number);
        return false;
    }
    const QString Cell = First.Cells.value(Where->Index).trimmed();
    Where->Heading = !Cell.isEmpty() && !BeginsAsNumber(Cell);
    if (Where->Heading && Choice.Number == 0 && First.Cells.size() > 1)
        *Warnings << QCoreApplication::translate("EidListFile",
                                                 "no column is headed \"EID\"; the EIDs are read from column 1, %1")
                         .arg(Shown(Cell));
    return true;
}

bool ReadValues(const QVector<Row> &Rows, const Layout &Where, QVector<qint32> *Eids, QVector<int> *Lines,
                QString *Error)
{
    for (int R = Where.Heading ? 1 : 0; R < Rows.size(); ++R) {
        const Row &Row = Rows[R];
        const QString Place = Where.Csv ? QCoreApplication::translate("EidListFile", "line %1, column %2")
                                              .arg(Row.Line)
                                              .arg(Where.Index + 1)
                                        : QCoreApplication::translate("EidListFile", "line %1").arg(Row.Line);
        if (Eids->size() == EidCount) {
            *Error = QCoreApplication::translate("EidListFile", "line %1: more than %2 EIDs; the list holds %2")
                         .arg(Row.Line)
                         .arg(EidCount);
            return false;
        }
        const QString Cell = Row.Cells.value(Where.Index);
        qint64 Value = 0;
        if (Cell.trimmed().isEmpty()) {
            *Error = (Where.Csv ? QCoreApplication::translate("EidListFile", "%1: the cell is empty; write 0 for an "
                                                                             "unused entry or -1 for none (blank "
                                                                             "lines are taken only before the first "
                                                                             "EID and after the last)")
                                : QCoreApplication::translate("EidListFile", "%1: the line is blank; write 0 for an "
                                                                             "unused entry or -1 for none (blank "
                                                                             "lines are taken only before the first "
                                                                             "EID and after the last)"))
                         .arg(Place);
            return false;
        }
        if (!ParseWholeNumber(Cell, CtlFiles::EidNone, CtlFiles::EidWordMax, &Value)) {
            *Error = QCoreApplication::translate("EidListFile", "%1: %2 is no EID; an EID is a whole number from 0 "
                                                                "to %3, or -1 for none")
                         .arg(Place, Shown(Cell), QString::number(CtlFiles::EidMax));
            return false;
        }
        if (!Where.WholeRange && !CtlFiles::EidInRange(qint32(quint32(Value)))) {
            *Error = QCoreApplication::translate("EidListFile", "%1: EID %2 is outside 0 to %3, -1 for none; "
                                                                "--out-of-range writes it as it is")
                         .arg(Place, QString::number(Value), QString::number(CtlFiles::EidMax));
            return false;
        }
        Eids->append(qint32(quint32(Value)));
        Lines->append(Row.Line);
    }
    return true;
}

QStringList Duplicates(const QVector<qint32> &Eids, const QVector<int> &Lines)
{
    QStringList Warnings;
    QHash<qint32, int> FirstAt;
    for (int I = 0; I < Eids.size(); ++I) {
        if (Eids[I] == 0 || Eids[I] == CtlFiles::EidNone)
            continue;
        const auto Seen = FirstAt.constFind(Eids[I]);
        if (Seen == FirstAt.constEnd()) {
            FirstAt.insert(Eids[I], I);
            continue;
        }
        Warnings << QCoreApplication::translate("EidListFile",
                                                "EID %1 is at entry %2 (line %3) and at entry %4 (line %5)")
                        .arg(Eids[I])
                        .arg(*Seen + 1)
                        .arg(Lines[*Seen])
                        .arg(I + 1)
                        .arg(Lines[I]);
    }
    return Warnings;
}

} // namespace

bool ParseColumn(const QString &Text, Column *Choice)
{
    *Choice = Column();
    if (BeginsAsNumber(Text))
        return ParseWholeNumber(Text, 1, std::numeric_limits<int>::max(), &Choice->Number);
    Choice->Name = Text.trimmed();
    return !Choice->Name.isEmpty();
}

bool Read(const QByteArray &Bytes, const Column &Choice, Range Values, QVector<qint32> *Eids, QStringList *Warnings,
          QString *Error)
{
    Eids->clear();
    Warnings->clear();
    QString Text;
    if (!InputText::Decode(Bytes, &Text, Error))
        return false;
    const QChar Delimiter = FindDelimiter(Text);
    Layout Where;
    Where.Csv = !Delimiter.isNull();
    Where.WholeRange = Values == Range::Whole;
    QVector<Row> Rows;
    if (Where.Csv && !SplitCsv(Text, Delimiter, &Rows, Error))
        return false;
    if (!Where.Csv)
        Rows = SplitLines(Text);
    DropEmptyEnds(&Rows);
    QVector<int> Lines;
    if (!ChooseColumn(Rows, Choice, &Where, Warnings, Error) || !ReadValues(Rows, Where, Eids, &Lines, Error))
        return false;
    // Nothing in the file is no list of zeros: an export that came out
    // empty must not wipe the device.
    if (Eids->isEmpty()) {
        *Error = QCoreApplication::translate("EidListFile", "holds no EID; to empty the list, give a file holding "
                                                            "the one line 0 (the entries a file leaves out are "
                                                            "written as 0)");
        return false;
    }
    *Warnings += Duplicates(*Eids, Lines);
    // The entries after the last one given are written as 0, as the window
    // writes its empty fields.
    Eids->resize(EidCount);
    return true;
}

QByteArray FormatCsv(const QVector<qint32> &Eids)
{
    QByteArray Text = "entry,eid\n";
    for (int I = 0; I < Eids.size(); ++I)
        Text += QByteArray::number(I + 1) + ',' + CtlFiles::EidText(Eids[I]) + '\n';
    return Text;
}

} // namespace EidListFile
