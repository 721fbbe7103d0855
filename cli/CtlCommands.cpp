#include "CtlCommands.h"

#include "ParamRegisters.h"
#include "WholeNumber.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <algorithm>
#include <iterator>

#ifndef KORVEL_VERSION
#define KORVEL_VERSION "unknown"
#endif

namespace CtlCommands {

namespace {

const char *const HelpText =
    "Usage: korvelctl COMMAND [options]\n"
    "\n"
    "Reads and writes the parameters and the EID list of the LoRa radio device\n"
    "on a serial line (Modbus RTU), through files.\n"
    "\n"
    "Commands:\n"
    "  ports                                  list the serial ports; a port another\n"
    "                                         program holds is marked busy\n"
    "  read params --port PORT [-o FILE]      the 14 parameters into a parameter file;\n"
    "                                         a value outside the window's range is\n"
    "                                         saved as it is, with a warning\n"
    "  write params --port PORT -i FILE [--verify] [--json] [--out-of-range]\n"
    "                                         write the parameters the file names, then\n"
    "                                         the commit request (code 6); a new\n"
    "                                         ModbusID or BaudRate is followed: the\n"
    "                                         summary (and --verify) says where the\n"
    "                                         device answers now\n"
    "  set --port PORT NAME=VALUE... [--verify] [--json] [--out-of-range]\n"
    "                                         the same with the parameters on the\n"
    "                                         command line: set --port ttyUSB0\n"
    "                                         ModbusID=33 BaudRate=115200 --verify\n"
    "                                         (BaudRate: the speed in Bd or the index)\n"
    "  read eids --port PORT [-o FILE] [--csv]\n"
    "                                         the 200 EIDs into an EID file\n"
    "  write eids --port PORT -i FILE [--column N|NAME] [--verify] [--out-of-range]\n"
    "                                         write the EID list, then the commit\n"
    "                                         request (code 8)\n"
    "  probe --port PORT                      find the speed the device answers at and\n"
    "                                         print it with the device's RS-485 address:\n"
    "                                         a quick pass over the six speeds, waiting\n"
    "                                         100 ms at each, then one with the full wait\n"
    "                                         (not over tcp:// or modbus-tcp://: the\n"
    "                                         server's speed)\n"
    "  scan --port PORT [--from A] [--to B] [--wait MS]\n"
    "                                         read ModbusID (register 40003) at each\n"
    "                                         address from A to B (default 1 to 247) and\n"
    "                                         print 'ADDRESS: ModbusID N' for each device\n"
    "                                         that answers; a garbled reply or one from\n"
    "                                         another address is a fault on the bus; a\n"
    "                                         gateway's exception 0x0B is no device\n"
    "  diff params|eids --port PORT -i FILE [--column N|NAME]\n"
    "                                         compare the device with a file (the whole\n"
    "                                         list for EIDs) and print each difference:\n"
    "                                         'NAME: device X, file Y' or 'entry N: ...';\n"
    "                                         nothing is written\n"
    "  apply params --port PORT (-i FILE | NAME=VALUE...) [--check] [--json]\n"
    "  apply eids --port PORT -i FILE [--column N|NAME] [--check] [--json]\n"
    "                                         bring the device to what the file (or\n"
    "                                         the NAME=VALUE words, as set takes them)\n"
    "                                         names: read it; if it holds that already,\n"
    "                                         write nothing (exit 0); else write only\n"
    "                                         what differs (EIDs: the blocks of 25\n"
    "                                         holding a difference), commit, follow a\n"
    "                                         new ModbusID or BaudRate and read back.\n"
    "                                         Prints 'NAME: OLD -> NEW' for each change\n"
    "                                         ('entry N: ...' for EIDs). --check: print\n"
    "                                         what would change, write nothing\n"
    "\n"
    "Options:\n"
    "  --port PORT      a name as 'ports' lists it (ttyUSB0, COM3) or a path; or a\n"
    "                   serial device server: tcp://HOST:PORT passes the frames as\n"
    "                   they are (the server's own setting fixes the speed; add\n"
    "                   ?baud=N to say which, for the pause between frames:\n"
    "                   9600 unless said), rfc2217://HOST:PORT is Telnet with COM\n"
    "                   port control (korvelctl sets the speed and 8N1); or a\n"
    "                   Modbus TCP gateway: modbus-tcp://HOST[:PORT] (502 unless\n"
    "                   given; the unit identifier is --address, else 0); HOST a\n"
    "                   name, an IPv4 address or an IPv6 address in brackets.\n"
    "                   Connecting waits at most 3 s. Over tcp:// and\n"
    "                   modbus-tcp:// a BaudRate other than the radio's is written\n"
    "                   only without --verify: the server must follow it\n"
    "  --baud N         4800, 9600, 19200, 38400, 57600 or 115200 (default 9600);\n"
    "                   not with tcp:// or modbus-tcp://\n"
    "  --address N      talk to the device with RS-485 address N (1 to 247) and\n"
    "                   refuse replies from any other; default: address 0x00\n"
    "  --retries N      send a transaction again up to N times when it gets no valid\n"
    "                   reply (default 0)\n"
    "  -o, --output FILE  write to FILE instead of standard output (- is standard\n"
    "                   output); a file is replaced only once the whole read\n"
    "                   succeeded and every byte is on the disk, keeping its mode;\n"
    "                   a FIFO or a device is written in place\n"
    "  -i, --input FILE the file to write from or compare with (- is standard input)\n"
    "  --verify         read the written values back and compare them; after a\n"
    "                   new ModbusID at that address, after a new BaudRate at that\n"
    "                   speed first, then at the old one; also after a commit whose\n"
    "                   reply was lost or garbled\n"
    "  --out-of-range   write, set: write a value outside the window's range (a\n"
    "                   parameter 0 to 65535, an EID 0 to 4294967295) as it is, as\n"
    "                   read saves what a device holds; ModbusID stays 1 to 247\n"
    "  --column N|NAME  write eids, diff eids: the CSV column holding the EIDs, its\n"
    "                   number from 1 or its heading; default: the column headed\n"
    "                   EID, else the first\n"
    "  --csv            read eids: write CSV, entry,eid with a heading row\n"
    "  -v, --verbose    show each frame sent (>) and received (<) on standard error\n"
    "                   as it happens: milliseconds since the start, then the bytes\n"
    "                   in hex; a reply that did not come or came short is named so\n"
    "  --from A, --to B scan these addresses, 1 to 247, A not above B\n"
    "  --wait MS        the wait for each reply, 10 to 1500 ms (scan: default 100;\n"
    "                   read, write, set, diff, apply: default 1500)\n"
    "  --check          apply: say what would change; nothing is written\n"
    "  --line-wait S    wait up to S seconds (0 to 3600, default 120) while another\n"
    "                   korvelctl, of any user, uses the same line (one serial port\n"
    "                   by whatever name, one server HOST:PORT); then exit 3 naming\n"
    "                   it. Runs on different lines go on side by side\n"
    "  --json           ports, probe, scan, diff, write params, set, apply: one JSON\n"
    "                   document on standard output instead of the table or the\n"
    "                   lines; on failure {\"exit\", \"fault\", \"message\"} with\n"
    "                   \"transaction\" where one failed (scan: with its lists):\n"
    "                     ports  {\"ports\": [{\"port\", \"state\", \"description\",\n"
    "                             \"manufacturer\", \"serial\"}]}\n"
    "                     probe  {\"baud\", \"address\"}\n"
    "                     scan   {\"devices\": [{\"address\", \"ModbusID\"}],\n"
    "                             \"faults\": [{\"address\", \"fault\"}]}\n"
    "                     diff   {\"differences\": [{\"parameter\" or \"entry\",\n"
    "                             \"device\", \"file\"}]}\n"
    "                     write params, set  {\"written\": {NAME: VALUE},\n"
    "                             \"verified\", \"address\", \"baud\"}: where the\n"
    "                             device answers (address 0: 0x00); with\n"
    "                             \"baud_at_restart\" where it kept its old speed\n"
    "                     apply  {\"changed\", \"check\", \"before\": {NAME or ENTRY:\n"
    "                             VALUE}, \"after\": {...} (what differs only),\n"
    "                             \"address\", \"baud\"} as write params\n"
    "  -h, --help       show this help\n"
    "  --version        show the version\n"
    "\n"
    "Parameter file: one JSON object, {\"ModbusID\": 17, \"BaudRate\": 1, ...}, with the\n"
    "register values as the device holds them (a list field holds its item index:\n"
    "BaudRate 1 is 9600). read writes all 14; write and set take any of them.\n"
    "EID file: one EID a line in list order, 0 to 10000000, -1 for an unprogrammed\n"
    "entry; '#' starts a comment. Or CSV as a spreadsheet saves it (comma, semicolon\n"
    "or tab; a first row that is no number is a heading). write takes up to 200,\n"
    "writes 0 for the rest and warns of an EID given twice; diff reads it alike.\n"
    "Blank lines count only before the first EID and after the last; a file with no\n"
    "EID is refused (the one line 0 empties the list).\n"
    "Files are UTF-8 or UTF-16 with a byte order mark, with any line ends; a NUL or\n"
    "a byte that is no UTF-8 is refused with its line.\n"
    "\n"
    "Exit status: 0 done; 1 the device did not answer or refused (scan: no device\n"
    "answered; a connection to a server lost in the middle of a command): a fault\n"
    "before the commit leaves the device uncommitted, the message names what was\n"
    "sent after it (a lost or garbled reply to the commit: the device may have\n"
    "taken the change; a failed verify: the commit was sent); 2 bad arguments or\n"
    "input file (nothing sent); 3 the port cannot be opened or refused the bytes\n"
    "(a server: cannot be reached, refuses the connection or COM port control);\n"
    "4 diff: the device holds other values than the file; 5 the output could not\n"
    "be written (the device was read; a file that was there is kept). apply: as\n"
    "write; a device that holds the values already is success (0). A line still\n"
    "busy after --line-wait is 3.\n";

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
        *Error = QStringLiteral("no command given");
        return false;
    }
    const QString Word = Words.takeFirst();
    *Row = FindCommand(Word);
    if (!*Row) {
        *Error = QStringLiteral("unknown command '%1'").arg(Word);
        return false;
    }
    Set->Which = (*Row)->Which;
    if ((*Row)->TakesKind) {
        const QString KindWord = Words.isEmpty() ? QString() : Words.takeFirst();
        if (KindWord != QLatin1String("params") && KindWord != QLatin1String("eids")) {
            *Error = QStringLiteral("%1 needs 'params' or 'eids'").arg(Word);
            return false;
        }
        Set->What = KindWord == QLatin1String("params") ? Kind::Params : Kind::Eids;
    }
    if (Set->Which == Command::Set || (Set->Which == Command::Apply && Set->What == Kind::Params)) {
        Set->Assignments = Words; // NAME=VALUE, read with the register map
        return true;
    }
    if (!Words.isEmpty()) {
        *Error = QStringLiteral("unexpected argument '%1'").arg(Words.first());
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
            *Error = QStringLiteral("%1 takes no %2").arg(CommandText(Set), LongDashed(Options[I]));
            return false;
        }
    }
    for (int I = 0; I < OptionCount; ++I) {
        if ((Row.Needs & Options[I].Bit) && Given.Value(I).isEmpty()) {
            // The port is named for the command word alone, as it always was.
            const QString Who = Options[I].Bit == OptPort ? QLatin1String(Row.Word) : CommandText(Set);
            *Error = QStringLiteral("%1 needs %2").arg(Who, QLatin1String(Options[I].Needed));
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
            *Error = QStringLiteral("--baud cannot be used with modbus-tcp://: the gateway's own setting fixes "
                                    "the bus's speed");
            return false;
        }
        if (Set->Which == Command::Probe) {
            *Error = QStringLiteral("probe cannot run through a Modbus TCP gateway (modbus-tcp://): the "
                                    "gateway's own setting fixes the bus's speed, which no request can change; "
                                    "scan finds the radios' addresses");
            return false;
        }
        return true;
    }
    if (Set->Line.Type != LineUrl::Kind::Tcp)
        return true;
    if (Given.IsSet(IndexOf(OptBaud))) {
        *Error = QStringLiteral("--baud cannot be used with tcp://: the server's own setting fixes the "
                                "line's speed (rfc2217:// sets it; tcp://HOST:PORT?baud=N only tells it)");
        return false;
    }
    if (Set->Which == Command::Probe) {
        *Error = QStringLiteral("probe cannot change the speed over a raw connection (tcp://): the "
                                "server's own setting fixes it; use rfc2217:// or read at that speed");
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
        *Error = QStringLiteral("-o needs a file name");
        return false;
    }
    if (Set->Output == QLatin1String("-"))
        Set->Output.clear(); // standard output, as without -o
    const int Baud = IndexOf(OptBaud);
    if (Given.IsSet(Baud) && !ReadBaud(Given.Value(Baud), &Set->Baud)) {
        QStringList Speeds = ParamRegisters::BaudRateTexts();
        const QString Last = Speeds.takeLast();
        *Error = QStringLiteral("--baud must be %1 or %2, not '%3'")
                     .arg(Speeds.join(QStringLiteral(", ")), Last, Given.Value(Baud));
        return false;
    }
    if (!ReadLine(Given, Set, Error))
        return false;
    for (const NumberRow &Row : Numbers) {
        const int I = IndexOf(Row.Bit);
        if (Given.IsSet(I) && !ParseWholeNumber(Given.Value(I), Row.Min, Row.Max, &(Set->*Row.Field))) {
            *Error = QStringLiteral("%1 must be a whole number from %2 to %3, not '%4'")
                         .arg(LongDashed(Options[I]))
                         .arg(Row.Min)
                         .arg(Row.Max)
                         .arg(Given.Value(I));
            return false;
        }
    }
    const int Column = IndexOf(OptColumn);
    if (Given.IsSet(Column) && !EidListFile::ParseColumn(Given.Value(Column), &Set->EidColumn)) {
        *Error = QStringLiteral("--column must be a column number from 1 or a heading, not '%1'")
                     .arg(Given.Value(Column));
        return false;
    }
    if (Set->Which != Command::Scan && !Given.IsSet(IndexOf(OptWait)))
        Set->WaitMs = 1500;
    if (Set->From > Set->To) {
        *Error = QStringLiteral("--from %1 is above --to %2; the addresses run up from --from to --to, "
                                "within %3 to %4")
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
        Out << HelpText;
        return Parsed::Done;
    }
    if (Given.Parser.isSet(Given.Version)) {
        Out << "korvelctl " << KORVEL_VERSION << '\n';
        return Parsed::Done;
    }
    for (int I = 0; I < OptionCount; ++I) {
        if (Options[I].Value && Given.Repeated(I)) {
            *Error = QStringLiteral("%1 is given more than once").arg(LongDashed(Options[I]));
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
