#ifndef KORVEL_CTLCOMMANDS_H
#define KORVEL_CTLCOMMANDS_H

// korvelctl's commands and their options: one table says which command
// takes which option and which it needs; the arguments are checked against
// it before anything is opened or sent.

#include "ParamRegisters.h"

#include <QString>
#include <QStringList>

class QTextStream;

namespace CtlCommands {

enum class Command { Ports, Read, Write, Probe };
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
};

constexpr int MaxRetries = 100;
constexpr int DefaultBaud = ParamRegisters::BaudRates[1]; // the factory setting, 9600

struct Settings
{
    Command Which = Command::Ports;
    Kind What = Kind::None;
    QString Port;
    QString Output;
    QString Input;
    int Baud = DefaultBaud;
    int Address = 0;
    int Retries = 0;
    bool Verify = false;
    bool Verbose = false; // the frame trace on stderr
};

// "read params", "probe": the command as the messages name it.
QString CommandText(const Settings &Set);

enum class Parsed { Run, Done, Bad };

// Run: *Set holds the command. Done: help or version went to Out. Bad:
// *Error says in one line what is wrong.
Parsed ParseArguments(const QStringList &Arguments, Settings *Set, QTextStream &Out, QString *Error);

} // namespace CtlCommands

#endif
