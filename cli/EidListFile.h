#ifndef KORVEL_EIDLISTFILE_H
#define KORVEL_EIDLISTFILE_H

// An EID list file as an operator brings it: one EID a line, or a table
// exported from a spreadsheet as CSV.
//
// A file in which a comma, a semicolon or a tab stands outside quotes and
// outside a '#' comment is CSV (RFC 4180: quoted fields may hold the
// delimiter, line ends and "" for a quote), with the delimiter found in its
// first line that has one. CSV has no comments and no blank rows between
// values. Any other file is one column: '#' starts a comment and blank lines
// are passed over. Either may begin with a byte order mark and use CR LF.
//
// A first row whose EID cell does not begin as a number does (a digit, or a
// sign and a digit) is a heading. The EID column is the one chosen, else
// the one headed "EID" (any case), else the first. Empty rows at the end are
// ignored; any other empty EID cell is an error, since 0 and -1 mean
// different things to the device.

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

// EidCount values, 0 for the entries after the last one given. An error
// names the line (and, in CSV, the column) and what is allowed. Warnings:
// one line for each EID (other than 0 and -1) given at an earlier entry too.
bool Read(const QByteArray &Text, const Column &Choice, QVector<qint32> *Eids, QStringList *Warnings,
          QString *Error);

// "entry,eid", then one row per entry from 1.
QByteArray FormatCsv(const QVector<qint32> &Eids);

} // namespace EidListFile

#endif
