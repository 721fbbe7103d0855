#ifndef KORVEL_CTLCOMMANDS_H
#define KORVEL_CTLCOMMANDS_H

// korvelctl's commands and their options: one table says which command
// takes which option and which it needs; the arguments are checked against
// it before anything is opened or sent.

#include "EidListFile.h"
#include "LineUrl.h"
#include "ParamRegisters.h"

#include <QString>
#include <QStringList>

class QTextStream;

namespace CtlCommands {

enum class Command { Ports, Read, Write, Probe, Scan, Diff, Set, Apply };
enum class Kind { None, Params, Eids };

// The options, as bits of a command's row.
enum Option : unsigned {
    OptPort = 1u << 0,
    OptBaud = 1u << 1,
    OptAddress = 1u << 2,
    OptRetries = 1u << 3,
    OptOutput = 1u << 4,
    OptInput = 1u << 5,
    OptVerify = 1u << 6,
    OptVerbose = 1u << 7,
    OptJson = 1u << 8,
    OptFrom = 1u << 9,
    OptTo = 1u << 10,
    OptWait = 1u << 11,
    OptColumn = 1u << 12, // write eids, diff eids
    OptCsv = 1u << 13, // read eids
    OptOutOfRange = 1u << 14, // write, set: values outside the window's range as they are
    OptCheck = 1u << 15, // apply
    OptLineWait = 1u << 16, // every command on a line
};

constexpr int MaxRetries = 100;
constexpr int FirstAddress = 1; // 0 is the broadcast address
constexpr int LastAddress = 247;
using ParamRegisters::DefaultBaud;
// Enough for a queue of runs on one bus (an apply takes a second or two),
// short enough that a line held by a hung program is reported.
constexpr int DefaultLineWaitS = 120;
constexpr int MaxLineWaitS = 3600;

struct Settings
{
    Command Which = Command::Ports;
    Kind What = Kind::None;
    QString Port;
    LineUrl Line; // Port read: a serial port or a serial device server
    QString Output;
    QString Input;
    int Baud = DefaultBaud;
    int Address = 0;
    int Retries = 0;
    bool Verify = false;
    bool Verbose = false; // the frame trace on stderr
    bool Json = false;
    int From = FirstAddress; // scan
    int To = LastAddress;
    int WaitMs = 100; // scan; the other commands 1500 unless given
    bool Csv = false; // read eids as entry,eid
    bool OutOfRange = false; // write, set: take any register value or 32-bit EID
    EidListFile::Column EidColumn; // the CSV column of write and diff eids
    QStringList Assignments; // set, apply params: the NAME=VALUE words, checked before the port is opened
    bool Check = false; // apply: what would change, nothing written
    int LineWaitS = DefaultLineWaitS; // the wait for another run on the line
};

// The text --help prints, in the operator's language (CtlHelp.cpp).
QString HelpText();

// "read params", "probe": the command as the messages name it.
QString CommandText(const Settings &Set);

enum class Parsed { Run, Done, Bad };

// Run: *Set holds the command. Done: help or version went to Out. Bad:
// *Error says in one line what is wrong.
Parsed ParseArguments(const QStringList &Arguments, Settings *Set, QTextStream &Out, QString *Error);

} // namespace CtlCommands

#endif
