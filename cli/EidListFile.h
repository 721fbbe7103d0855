#ifndef KORVEL_EIDLISTFILE_H
#define KORVEL_EIDLISTFILE_H

// An EID list file as an operator brings it: one EID a line, or a table
// exported from a spreadsheet as CSV.
//
// A file in which a comma, a semicolon or a tab stands outside quotes and
// outside a '#' comment is CSV (RFC 4180: quoted fields may hold the
// delimiter, line ends and "" for a quote), with the delimiter found in its
// first line that has one. CSV has no comments. Any other file is one
// column, where '#' starts a comment and a line holding only a comment is
// passed over. Either is UTF-8 or UTF-16 with its byte order mark, with any
// line ends (InputText.h).
//
// A first row whose EID cell does not begin as a number does (a digit, or a
// sign and a digit) is a heading. The EID column is the one chosen, else
// the one headed "EID" (any case), else the first. Blank lines and empty
// rows mean the same in both: before the first value and after the last
// they are ignored; between values they are refused, since an entry left
// out would move every later one up, and 0 and -1 mean different things to
// the device. A file that yields no EID at all is refused too.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace EidListFile {

// The column holding the EIDs: Number from 1, or a heading's Name (case and
// surrounding spaces ignored); neither set: the default.
struct Column
{
    int Number = 0;
    QString Name;
};

// An option's text as a column: a whole number from 1, else a heading.
bool ParseColumn(const QString &Text, Column *Choice);

// Which EIDs a file may hold: those the window takes (0 to EidMax, -1 for
// none), or every 32-bit value, as a device may hold and read saves it.
enum class Range { Window, Whole };

// EidCount values, 0 for the entries after the last one given. An error
// names the line (and, in CSV, the column) and what is allowed. Warnings:
// one line for each EID (other than 0 and -1) given at an earlier entry too.
bool Read(const QByteArray &Text, const Column &Choice, Range Values, QVector<qint32> *Eids, QStringList *Warnings,
          QString *Error);

// "entry,eid", then one row per entry from 1.
QByteArray FormatCsv(const QVector<qint32> &Eids);

} // namespace EidListFile

#endif
