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
#include "ParamRegisters.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace CtlFiles {

// The EIDs the window takes; a device may hold any 32-bit value, and a
// file names it as the unsigned number it is (-1 for FF FF FF FF).
constexpr qint32 EidMax = 10000000;
constexpr qint64 EidWordMax = 0xFFFFFFFFLL;
// The longest input file taken: 200 EIDs or fourteen parameters, even
// with long comments, stay far below it. A longer file (a log, a disk
// image, a device) is refused before more than this is read.
constexpr qint64 MaxFileBytes = 1024 * 1024;
constexpr qint32 EidNone = -1; // written as FF FF FF FF
// A holding register's whole range: what a device may hold.
constexpr int RegisterMax = 0xFFFF;

// The whole file, if it holds at most MaxFileBytes; "-" is standard input.
bool ReadFile(const QString &Path, QByteArray *Text, QString *Error);

using EidListFile::Range;

// The parameters a file names, in register-map order. Range::Window takes
// the values the window takes, Range::Whole any register value (0 to
// 65535), as a device may hold and read saves it.
bool ParseParams(const QByteArray &Text, ParamList *Params, QString *Error, Range Values = Range::Window);
// Why the device could not be reached after these are written: a ModbusID
// outside the addresses of a bus (1 to 247); empty when it could.
QString AddressProblem(const ParamList &Params);
// One line for each value outside the window's range, naming it and the range.
QStringList RangeWarnings(const ParamList &Params);
QStringList RangeWarnings(const QVector<qint32> &Eids);
// Every parameter of the register map, values 0: what a read asks for.
ParamList AllParams();
// The parameters a device is followed by, its address and its speed, as
// the register map names them.
constexpr int IdIndex = ParamRegisters::IndexOf("ModbusID");
constexpr int BaudIndex = ParamRegisters::IndexOf("BaudRate");
static_assert(IdIndex >= 0 && BaudIndex >= 0, "the register map holds the address and the speed");
// A parameter's name as the register map gives it.
QString NameOf(int Index);
// One parameter of the register map by its index there, value 0.
ParamValue Param(int Index);
// Parameters as a file, in the order given.
QByteArray FormatParams(const ParamList &Params);

// At most EidCount values; the entries the file leaves out are 0. Warnings,
// where asked for, get one line for each duplicated EID.
bool ParseEids(const QByteArray &Text, QVector<qint32> *Eids, QString *Error,
               const EidListFile::Column &Choice = {}, QStringList *Warnings = nullptr,
               Range Values = Range::Window);
// An EID the window takes: 0 to EidMax, or none (-1).
bool EidInRange(qint32 Eid);
// An EID as a file writes it: the unsigned number, -1 for none.
QByteArray EidText(qint32 Eid);
// The whole list of EidCount entries; those the file leaves out are 0.
QVector<qint32> WholeList(const QVector<qint32> &Eids);
QByteArray FormatEids(const QVector<qint32> &Eids);

// The parameters' names as the register map lists them, comma-separated.
QString ParamNames();

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
