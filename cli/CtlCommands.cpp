#include "CtlCommands.h"

#include "ParamRegisters.h"
#include "WholeNumber.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <iterator>

#ifndef KORVEL_VERSION
#define KORVEL_VERSION "unknown"
#endif

namespace CtlCommands {

namespace {

struct OptionRow
{
    Option Bit;
    const char *Short; // nullptr: none
    const char *Long;
    const char *Value; // nullptr: a switch
    const char *Needed; // how a missing one is named
};

const OptionRow Options[] = {
    {OptPort, nullptr, "port", "PORT", "--port PORT"},
    {OptBaud, nullptr, "baud", "N", nullptr},
    {OptAddress, nullptr, "address", "N", nullptr},
    {OptRetries, nullptr, "retries", "N", nullptr},
    {OptOutput, "o", "output", "FILE", nullptr},
    {OptInput, "i", "input", "FILE", "-i FILE"},
    {OptVerify, nullptr, "verify", nullptr, nullptr},
    {OptVerbose, "v", "verbose", nullptr, nullptr},
    {OptJson, nullptr, "json", nullptr, nullptr},
    {OptFrom, nullptr, "from", "A", nullptr},
    {OptTo, nullptr, "to", "B", nullptr},
    {OptWait, nullptr, "wait", "MS", nullptr},
    {OptColumn, nullptr, "column", "N|NAME", nullptr},
    {OptCsv, nullptr, "csv", nullptr, nullptr},
    {OptOutOfRange, nullptr, "out-of-range", nullptr, nullptr},
    {OptCheck, nullptr, "check", nullptr, nullptr},
    {OptLineWait, nullptr, "line-wait", "S", nullptr},
};
constexpr int OptionCount = int(sizeof Options / sizeof Options[0]);

constexpr unsigned OnDevice = OptPort | OptAddress | OptRetries | OptVerbose | OptLineWait;

struct CommandRow
{
    Command Which;
    const char *Word;
    bool TakesKind; // params or eids
    unsigned Takes;
    unsigned TakesForEids; // taken with eids only
    unsigned TakesForParams; // taken with params only
    unsigned Needs;
};

const CommandRow Commands[] = {
    {Command::Ports, "ports", false, OptVerbose | OptJson, 0, 0, 0},
    {Command::Read, "read", true, OnDevice | OptBaud | OptOutput | OptWait, OptCsv, 0, OptPort},
    {Command::Write, "write", true, OnDevice | OptBaud | OptInput | OptVerify | OptWait | OptOutOfRange, OptColumn,
     OptJson, OptPort | OptInput},
    {Command::Probe, "probe", false, OnDevice | OptJson, 0, 0, OptPort},
    {Command::Scan, "scan", false, OptPort | OptBaud | OptFrom | OptTo | OptWait | OptJson | OptVerbose | OptLineWait, 0, 0,
     OptPort},
    {Command::Diff, "diff", true, OnDevice | OptBaud | OptInput | OptJson | OptWait, OptColumn, 0, OptPort | OptInput},
    {Command::Set, "set", false, OnDevice | OptBaud | OptVerify | OptJson | OptWait | OptOutOfRange, 0, 0, OptPort},
    // -i or NAME=VALUE for params: checked when the command runs.
    {Command::Apply, "apply", true, OnDevice | OptBaud | OptInput | OptJson | OptWait | OptCheck | OptOutOfRange,
     OptColumn, 0, OptPort},
};

// Options that hold a whole number in a range.
struct NumberRow
{
    Option Bit;
    int Min;
    int Max;
    int Settings::*Field;
};

const NumberRow Numbers[] = {
    {OptAddress, 1, 247, &Settings::Address},
    {OptRetries, 0, MaxRetries, &Settings::Retries},
    {OptFrom, FirstAddress, LastAddress, &Settings::From},
    {OptTo, FirstAddress, LastAddress, &Settings::To},
    {OptWait, 10, 1500, &Settings::WaitMs},
    {OptLineWait, 0, MaxLineWaitS, &Settings::LineWaitS},
};

const CommandRow *FindCommand(const QString &Word)
{
    for (const CommandRow &Row : Commands) {
        if (Word == QLatin1String(Row.Word))
            return &Row;
    }
    return nullptr;
}

const CommandRow &RowOf(Command Which)
{
    return *std::find_if(std::begin(Commands), std::end(Commands),
                         [Which](const CommandRow &Row) { return Row.Which == Which; });
}

QString LongDashed(const OptionRow &Row)
{
    return QStringLiteral("--") + QLatin1String(Row.Long);
}

// The parser, its options in the order of the table, then help and version.
class Reader
{
public:
    Reader()
    {
        for (const OptionRow &Row : Options) {
            QStringList Names;
            if (Row.Short)
                Names << QLatin1String(Row.Short);
            Names << QLatin1String(Row.Long);
            Each.append(QCommandLineOption(Names, QString(), Row.Value ? QLatin1String(Row.Value) : QString()));
        }
        Parser.addOptions(Each);
        Parser.addOption(Help);
        Parser.addOption(Version);
    }

    bool IsSet(int I) const { return Parser.isSet(Each[I]); }
    QString Value(int I) const { return Parser.value(Each[I]); }
    bool Repeated(int I) const { return Parser.values(Each[I]).size() > 1; }

    QCommandLineParser Parser;
    QList<QCommandLineOption> Each;
    const QCommandLineOption Help {QStringList {QStringLiteral("h"), QStringLiteral("help")}};
    const QCommandLineOption Version {QStringLiteral("version")};
};

// The command and its kind from the words that are no option.
bool ReadWords(QStringList Words, const CommandRow **Row, Settings *Set, QString *Error)
{
    if (Words.isEmpty()) {
        *Error = QCoreApplication::translate("CtlCommands", "no command given");
        return false;
    }
    const QString Word = Words.takeFirst();
    *Row = FindCommand(Word);
    if (!*Row) {
        *Error = QCoreApplication::translate("CtlCommands", "unknown command '%1'").arg(Word);
        return false;
    }
    Set->Which = (*Row)->Which;
    if ((*Row)->TakesKind) {
        const QString KindWord = Words.isEmpty() ? QString() : Words.takeFirst();
        if (KindWord != QLatin1String("params") && KindWord != QLatin1String("eids")) {
            //: %1 is a command (read, write, diff, apply); params and eids are words of the command line.
            *Error = QCoreApplication::translate("CtlCommands", "%1 needs 'params' or 'eids'").arg(Word);
            return false;
        }
        Set->What = KindWord == QLatin1String("params") ? Kind::Params : Kind::Eids;
    }
    if (Set->Which == Command::Set || (Set->Which == Command::Apply && Set->What == Kind::Params)) {
        Set->Assignments = Words; // NAME=VALUE, read with the register map
        return true;
    }
    if (!Words.isEmpty()) {
        *Error = QCoreApplication::translate("CtlCommands", "unexpected argument '%1'").arg(Words.first());
        return false;
    }
    return true;
}

// Each option given is one the command takes, each it needs is there.
bool CheckOptions(const Reader &Given, const CommandRow &Row, const Settings &Set, QString *Error)
{
    const unsigned Takes = Row.Takes | (Set.What == Kind::Eids ? Row.TakesForEids : 0u)
        | (Set.What == Kind::Params ? Row.TakesForParams : 0u);
    for (int I = 0; I < OptionCount; ++I) {
        if (!(Takes & Options[I].Bit) && Given.IsSet(I)) {
            //: %1 is a command ("read params"), %2 an option ("--verify").
            *Error = QCoreApplication::translate("CtlCommands", "%1 takes no %2")
                         .arg(CommandText(Set), LongDashed(Options[I]));
            return false;
        }
    }
    for (int I = 0; I < OptionCount; ++I) {
        if ((Row.Needs & Options[I].Bit) && Given.Value(I).isEmpty()) {
            // The port is named for the command word alone, as it always was.
            const QString Who = Options[I].Bit == OptPort ? QLatin1String(Row.Word) : CommandText(Set);
            //: %1 is a command ("read params"), %2 an option it needs ("--port PORT", "-i FILE").
            *Error = QCoreApplication::translate("CtlCommands", "%1 needs %2")
                         .arg(Who, QLatin1String(Options[I].Needed));
            return false;
        }
    }
    return true;
}

int IndexOf(Option Bit)
{
    for (int I = 0; I < OptionCount; ++I) {
        if (Options[I].Bit == Bit)
            return I;
    }
    return -1;
}

bool ReadBaud(const QString &Text, int *Baud)
{
    int Number = 0;
    const int *const End = std::end(ParamRegisters::BaudRates);
    if (!ParseWholeNumber(Text, 1, 4000000, &Number)
        || std::find(std::begin(ParamRegisters::BaudRates), End, Number) == End)
        return false;
    *Baud = Number;
    return true;
}

// The --port text, and what a raw network line cannot do: its speed is
// the server's own setting.
bool ReadLine(const Reader &Given, Settings *Set, QString *Error)
{
    if (!Set->Port.isEmpty() && !ParseLineUrl(Set->Port, &Set->Line, Error))
        return false;
    if (Set->Line.Type == LineUrl::Kind::ModbusTcp) {
        if (Given.IsSet(IndexOf(OptBaud))) {
            *Error = QCoreApplication::translate("CtlCommands", "--baud cannot be used with modbus-tcp://: the "
                                                                "gateway's own setting fixes the bus's speed");
            return false;
        }
        if (Set->Which == Command::Probe) {
            *Error = QCoreApplication::translate("CtlCommands", "probe cannot run through a Modbus TCP gateway "
                                                                "(modbus-tcp://): the gateway's own setting fixes "
                                                                "the bus's speed, which no request can change; scan "
                                                                "finds the radios' addresses");
            return false;
        }
        return true;
    }
    if (Set->Line.Type != LineUrl::Kind::Tcp)
        return true;
    if (Given.IsSet(IndexOf(OptBaud))) {
        *Error = QCoreApplication::translate("CtlCommands", "--baud cannot be used with tcp://: the server's own "
                                                            "setting fixes the line's speed (rfc2217:// sets it; "
                                                            "tcp://HOST:PORT?baud=N only tells it)");
        return false;
    }
    if (Set->Which == Command::Probe) {
        *Error = QCoreApplication::translate("CtlCommands", "probe cannot change the speed over a raw connection "
                                                            "(tcp://): the server's own setting fixes it; use "
                                                            "rfc2217:// or read at that speed");
        return false;
    }
    return true;
}

// The values of the options given.
bool ReadValues(const Reader &Given, Settings *Set, QString *Error)
{
    Set->Port = Given.Value(IndexOf(OptPort));
    Set->Input = Given.Value(IndexOf(OptInput));
    Set->Output = Given.Value(IndexOf(OptOutput));
    Set->Verify = Given.IsSet(IndexOf(OptVerify));
    Set->Verbose = Given.IsSet(IndexOf(OptVerbose));
    Set->Json = Given.IsSet(IndexOf(OptJson));
    Set->Csv = Given.IsSet(IndexOf(OptCsv));
    Set->OutOfRange = Given.IsSet(IndexOf(OptOutOfRange));
    Set->Check = Given.IsSet(IndexOf(OptCheck));
    if (Given.IsSet(IndexOf(OptOutput)) && Set->Output.isEmpty()) {
        *Error = QCoreApplication::translate("CtlCommands", "-o needs a file name");
        return false;
    }
    if (Set->Output == QLatin1String("-"))
        Set->Output.clear(); // standard output, as without -o
    const int Baud = IndexOf(OptBaud);
    if (Given.IsSet(Baud) && !ReadBaud(Given.Value(Baud), &Set->Baud)) {
        QStringList Speeds = ParamRegisters::BaudRateTexts();
        const QString Last = Speeds.takeLast();
        *Error = QCoreApplication::translate("CtlCommands", "--baud must be %1 or %2, not '%3'")
                     .arg(Speeds.join(QStringLiteral(", ")), Last, Given.Value(Baud));
        return false;
    }
    if (!ReadLine(Given, Set, Error))
        return false;
    for (const NumberRow &Row : Numbers) {
        const int I = IndexOf(Row.Bit);
        if (Given.IsSet(I) && !ParseWholeNumber(Given.Value(I), Row.Min, Row.Max, &(Set->*Row.Field))) {
            //: %1 is an option ("--address").
            *Error = QCoreApplication::translate("CtlCommands", "%1 must be a whole number from %2 to %3, not '%4'")
                         .arg(LongDashed(Options[I]))
                         .arg(Row.Min)
                         .arg(Row.Max)
                         .arg(Given.Value(I));
            return false;
        }
    }
    const int Column = IndexOf(OptColumn);
    if (Given.IsSet(Column) && !EidListFile::ParseColumn(Given.Value(Column), &Set->EidColumn)) {
        *Error = QCoreApplication::translate("CtlCommands",
                                             "--column must be a column number from 1 or a heading, not '%1'")
                     .arg(Given.Value(Column));
        return false;
    }
    if (Set->Which != Command::Scan && !Given.IsSet(IndexOf(OptWait)))
        Set->WaitMs = 1500;
    if (Set->From > Set->To) {
        *Error = QCoreApplication::translate("CtlCommands", "--from %1 is above --to %2; the addresses run up from "
                                                            "--from to --to, within %3 to %4")
                     .arg(Set->From)
                     .arg(Set->To)
                     .arg(FirstAddress)
                     .arg(LastAddress);
        return false;
    }
    return true;
}

} // namespace

QString CommandText(const Settings &Set)
{
    QString Text = QLatin1String(RowOf(Set.Which).Word);
    if (Set.What == Kind::Params)
        Text += QStringLiteral(" params");
    else if (Set.What == Kind::Eids)
        Text += QStringLiteral(" eids");
    return Text;
}

Parsed ParseArguments(const QStringList &Arguments, Settings *Set, QTextStream &Out, QString *Error)
{
    Reader Given;
    if (!Given.Parser.parse(QStringList(QStringLiteral("korvelctl")) + Arguments)) {
        *Error = Given.Parser.errorText();
        return Parsed::Bad;
    }
    if (Given.Parser.isSet(Given.Help)) {
        Out << HelpText();
        return Parsed::Done;
    }
    if (Given.Parser.isSet(Given.Version)) {
        Out << "korvelctl " << KORVEL_VERSION << '\n';
        return Parsed::Done;
    }
    for (int I = 0; I < OptionCount; ++I) {
        if (Options[I].Value && Given.Repeated(I)) {
            //: %1 is an option ("--port").
            *Error = QCoreApplication::translate("CtlCommands", "%1 is given more than once")
                         .arg(LongDashed(Options[I]));
            return Parsed::Bad;
        }
    }
    const CommandRow *Row = nullptr;
    if (!ReadWords(Given.Parser.positionalArguments(), &Row, Set, Error)
        || !CheckOptions(Given, *Row, *Set, Error) || !ReadValues(Given, Set, Error))
        return Parsed::Bad;
    return Parsed::Run;
}

} // namespace CtlCommands
