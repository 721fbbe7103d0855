#ifndef KORVEL_CTLFILES_H
#define KORVEL_CTLFILES_H

// korvelctl's files. A parameter file is one JSON object whose keys are the
// parameter names of the register map and whose values are the register
// values. An EID file holds the EIDs in list order, -1 for an unprogrammed
// entry (FF FF FF FF): one a line, or a CSV column (EidListFile.h). A file
// is checked whole: the first fault found is described in one line, naming
// the key or line and what is allowed.

#include "DeviceExchange.h"
#include "EidRegisters.h"
#include "EidListFile.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace CtlFiles {

constexpr qint32 EidMax = 10000000;
// The longest input file taken: 200 EIDs or fourteen parameters, even
// with long comments, stay far below it. A longer file (a log, a disk
// image, a device) is refused before more than this is read.
constexpr qint64 MaxFileBytes = 1024 * 1024;
constexpr qint32 EidNone = -1; // written as FF FF FF FF

// The whole file, if it holds at most MaxFileBytes.
bool ReadFile(const QString &Path, QByteArray *Text, QString *Error);

// The parameters a file names, in register-map order.
bool ParseParams(const QByteArray &Text, ParamList *Params, QString *Error);
// Every parameter of the register map, values 0: what a read asks for.
ParamList AllParams();
// One parameter of the register map by name, value 0.
ParamValue Param(const char *Name);
// Parameters as a file, in the order given.
QByteArray FormatParams(const ParamList &Params);

// At most EidCount values; the entries the file leaves out are 0. Warnings,
// where asked for, get one line for each duplicated EID.
bool ParseEids(const QByteArray &Text, QVector<qint32> *Eids, QString *Error,
               const EidListFile::Column &Choice = {}, QStringList *Warnings = nullptr);
// The whole list of EidCount entries; those the file leaves out are 0.
QVector<qint32> WholeList(const QVector<qint32> &Eids);
QByteArray FormatEids(const QVector<qint32> &Eids);

// The file's own text in a message: quoted, with control characters
// escaped, so that a stray carriage return or terminal escape in the file
// cannot break the one line of the message.
QString Quoted(const QString &Text);

// A value the device holds other than the file says: the parameter by name,
// or the EID entry by its number from 1.
struct Difference
{
    QString Name;
    int Entry = 0;
    qint32 Device = 0;
    qint32 File = 0;
};

// The file's parameters against the device's, entry by entry; an entry the
// device's list lacks counts as 0.
QVector<Difference> ParamDifferences(const ParamList &File, const ParamList &Device);
// The whole list, entry by entry.
QVector<Difference> EidDifferences(const QVector<qint32> &File, const QVector<qint32> &Device);

} // namespace CtlFiles

#endif
