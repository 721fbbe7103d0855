#include "DevsimOptions.h"

#include "DeviceCore.h"
#include "ParamRegisters.h"
#include "WholeNumber.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace {

using Setter = bool (*)(const QString &Value, DevsimSettings &Out, QString *Error);

bool Refuse(QString *Error, const QString &Text)
{
    *Error = Text;
    return false;
}

bool SetPort(const QString &Value, DevsimSettings &Out, QString *Error)
{
    Out.UsePort = true;
    Out.PortPath = Value;
    return !Value.isEmpty() || Refuse(Error, QCoreApplication::translate("DevsimOptions", "--port needs a path"));
}

bool SetBaud(const QString &Value, DevsimSettings &Out, QString *Error)
{
    return ParseWholeNumber(Value, 50, 4000000, &Out.Line.Baud)
        || Refuse(Error, QCoreApplication::translate("DevsimOptions", "--baud needs a whole number from 50 to 4000000, not '%1'").arg(Value));
}

bool SetTurnaround(const QString &Value, DevsimSettings &Out, QString *Error)
{
    return ParseWholeNumber(Value, 0, 60000, &Out.Line.TurnaroundMs)
        || Refuse(Error, QCoreApplication::translate("DevsimOptions", "--turnaround needs a whole number of milliseconds from 0 to 60000, not '%1'")
                             .arg(Value));
}

bool SetDeviceBaud(const QString &Value, DevsimSettings &Out, QString *Error)
{
    using ParamRegisters::BaudRates;
    int Baud = 0;
    if (ParseWholeNumber(Value, 1, 4000000, &Baud)
        && std::find(std::begin(BaudRates), std::end(BaudRates), Baud) != std::end(BaudRates)) {
        Out.Line.DeviceBaud = Baud;
        return true;
    }
    return Refuse(Error, QCoreApplication::translate("DevsimOptions", "--device-baud needs one of %1, not '%2'")
                             .arg(ParamRegisters::BaudRateTexts().join(QStringLiteral(", ")), Value));
}

bool SetDevices(const QString &Value, DevsimSettings &Out, QString *Error)
{
    for (const QString &Text : Value.split(QLatin1Char(','))) {
        int Address = 0;
        if (!ParseWholeNumber(Text, 1, 247, &Address))
            return Refuse(Error, QCoreApplication::translate("DevsimOptions", "--devices needs addresses from 1 to 247, separated by commas, not '%1'")
                                     .arg(Value));
        Out.Addresses << Address;
    }
    return true;
}

bool SetState(const QString &Value, DevsimSettings &Out, QString *Error)
{
    Out.Line.StatePath = Value;
    return !Value.isEmpty() || Refuse(Error, QCoreApplication::translate("DevsimOptions", "--state needs a file name"));
}

bool AddFault(const QString &Value, DevsimSettings &Out, QString *Error)
{
    DeviceFault Fault;
    if (!DeviceFault::Parse(Value, Fault, Error))
        return false;
    Out.Faults << Fault;
    return true;
}

bool SetHelp(const QString &, DevsimSettings &Out, QString *)
{
    Out.Help = true;
    return true;
}

bool SetVersion(const QString &, DevsimSettings &Out, QString *)
{
    Out.Version = true;
    return true;
}

bool SetPty(const QString &, DevsimSettings &Out, QString *)
{
    Out.UsePty = true;
    return true;
}

bool SetBaudAfterRestart(const QString &, DevsimSettings &Out, QString *)
{
    Out.Line.BaudAfterRestart = true;
    return true;
}

bool SetVerbose(const QString &, DevsimSettings &Out, QString *)
{
    Out.Line.Verbose = true;
    return true;
}

struct OptionRule
{
    const char *Name;
    const char *Short;     // or nullptr
    const char *ValueName; // nullptr: a switch, set once however often given
    bool Repeatable;
    Setter Set;
};

// In the order they are checked, which is the order their errors come in.
const OptionRule Rules[] = {
    {"help", "h", nullptr, true, SetHelp},
    {"version", nullptr, nullptr, true, SetVersion},
    {"pty", nullptr, nullptr, true, SetPty},
    {"port", nullptr, "PATH", false, SetPort},
    {"baud", nullptr, "N", false, SetBaud},
    {"turnaround", nullptr, "MS", false, SetTurnaround},
    {"device-baud", nullptr, "N", false, SetDeviceBaud},
    {"baud-after-restart", nullptr, nullptr, true, SetBaudAfterRestart},
    {"devices", nullptr, "A[,B...]", false, SetDevices},
    {"state", nullptr, "FILE", false, SetState},
    {"fault", nullptr, "FAULT", true, AddFault},
    {"verbose", "v", nullptr, true, SetVerbose},
};

QCommandLineOption OptionOf(const OptionRule &Rule)
{
    QStringList Names;
    if (Rule.Short)
        Names << QLatin1String(Rule.Short);
    Names << QLatin1String(Rule.Name);
    return Rule.ValueName ? QCommandLineOption(Names, QString(), QLatin1String(Rule.ValueName))
                          : QCommandLineOption(Names);
}

bool ApplyRule(const OptionRule &Rule, const QCommandLineParser &Parser, DevsimSettings &Out, QString *Error)
{
    const QString Name = QLatin1String(Rule.Name);
    if (!Parser.isSet(Name))
        return true;
    if (!Rule.ValueName)
        return Rule.Set(QString(), Out, Error);
    const QStringList Values = Parser.values(Name);
    if (!Rule.Repeatable && Values.size() > 1)
        return Refuse(Error, QCoreApplication::translate("DevsimOptions", "--%1 given more than once").arg(Name));
    for (const QString &Value : Values) {
        if (!Rule.Set(Value, Out, Error))
            return false;
    }
    return true;
}

// What the options say together.
bool CheckTogether(DevsimSettings &Out, QString *Error)
{
    if (Out.UsePty == Out.UsePort)
        return Refuse(Error, QCoreApplication::translate("DevsimOptions", "give either --pty or --port PATH"));
    SerialLine::Options &Line = Out.Line;
    if (Out.UsePort && Line.Baud && SerialLine::SpeedConstant(Line.Baud) == 0)
        return Refuse(Error, QCoreApplication::translate("DevsimOptions", "--baud %1 is no speed a serial line can be set to "
                                            "(1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400 ...)")
                                 .arg(Line.Baud));
    if (Out.UsePort && Line.DeviceBaud) {
        // A serial device's line has one speed, which the device listens at.
        if (Line.Baud && Line.Baud != Line.DeviceBaud)
            return Refuse(Error, QCoreApplication::translate("DevsimOptions", "with --port, --baud and --device-baud must be the same speed"));
        Line.Baud = Line.DeviceBaud;
    }
    if (Line.BaudAfterRestart && !Line.DeviceBaud)
        return Refuse(Error, QCoreApplication::translate("DevsimOptions", "--baud-after-restart needs --device-baud"));
    return true;
}

} // namespace

bool ParseDevsimArguments(const QStringList &Arguments, DevsimSettings &Out, QString *Error)
{
    QCommandLineParser Parser;
    for (const OptionRule &Rule : Rules)
        Parser.addOption(OptionOf(Rule));
    if (!Parser.parse(Arguments))
        return Refuse(Error, Parser.errorText());
    // Help and version are answered whatever else the line holds.
    for (const OptionRule &Rule : {Rules[0], Rules[1]})
        ApplyRule(Rule, Parser, Out, Error);
    if (Out.Help || Out.Version)
        return true;
    if (!Parser.positionalArguments().isEmpty())
        return Refuse(Error, QCoreApplication::translate("DevsimOptions", "unexpected argument '%1'").arg(Parser.positionalArguments().first()));
    for (const OptionRule &Rule : Rules) {
        if (!ApplyRule(Rule, Parser, Out, Error))
            return false;
    }
    return CheckTogether(Out, Error);
}

// ---------------------------------------------------------------------------

namespace {

// Usage and the options.
QString OptionsHelp()
{
    return QCoreApplication::translate("DevsimOptions",
        "Usage: korvel-devsim (--pty | --port PATH) [options]\n"
        "\n"
        "Stands in for the LoRa radio device on a serial line: a Modbus RTU slave\n"
        "that answers requests addressed to 0x00 and to its own RS-485 address.\n"
        "\n"
        "Line:\n"
        "  --pty            create a pseudo-terminal pair and serve it; the path that\n"
        "                   the tool should open is the first line printed on stdout\n"
        "  --port PATH      serve an existing serial line (a USB adapter, one end of a\n"
        "                   virtual null-modem pair), set to raw 8N1\n"
        "  --baud N         pace replies at N baud, 10 bits a byte (default: no\n"
        "                   pacing); with --port the line is set to N (default 9600)\n"
        "  --turnaround MS  delay between a request and its reply (default 3)\n"
        "  --device-baud N  the device plays its line speed, N out of the factory (4800,\n"
        "                   9600, 19200, 38400, 57600 or 115200; BaudRate starts at its\n"
        "                   index): a request that arrives while the line is at another\n"
        "                   speed gets no reply. On a pseudo-terminal the line's speed\n"
        "                   is the one the tool set on its end; with --port the line is\n"
        "                   set to the device's speed. A committed BaudRate is taken\n"
        "                   over from the next request on; a --state file holds the\n"
        "                   speed over N (default: any speed, BaudRate not played)\n"
        "  --baud-after-restart\n"
        "                   with --device-baud: a committed BaudRate is taken over only\n"
        "                   when the simulator is started again (with --state, from the\n"
        "                   file); until then the device hears at its old speed\n"
        "  --devices A[,B...]\n"
        "                   devices on the line at these RS-485 addresses (1 to 247),\n"
        "                   each with its own image holding its address in ModbusID;\n"
        "                   an address given twice is two devices answering at once,\n"
        "                   whose replies collide into one frame with a bad CRC; 0x00\n"
        "                   is answered by the first device (default: one device)\n"
        "  --state FILE     keep the committed image in FILE as JSON: loaded at start\n"
        "                   when it exists, written after every commit and at the end;\n"
        "                   checked at start to be writable; with several --devices\n"
        "                   one image each, {\"Version\": 1, \"Devices\": [...]}, in\n"
        "                   the order of --devices\n"
        "  --fault FAULT    play a fault on demand; may be repeated (see Faults)\n"
        "  -v, --verbose    log every frame to stderr as it goes, one line each:\n"
        "                   milliseconds since the start, '<' received or '>' sent,\n"
        "                   the bytes in hex (12.345 < 11 03 9C 43 00 01 59 1E);\n"
        "                   bytes dropped or ignored, faults played and a speed taken\n"
        "                   over are named after them in brackets\n"
        "  -h, --help       show this help\n"
        "  --version        show the version\n");
}

// The device, its faults, examples and exit status.
QString DeviceHelp()
{
    QString Starts;
    for (const DeviceCore::Param &P : DeviceCore::Params())
        Starts += QStringLiteral("    %1 %2 = %3\n").arg(P.Register).arg(QString::fromLatin1(P.Name), -16).arg(P.Start);
    return QCoreApplication::translate("DevsimOptions",
               "\n"
               "Device:\n"
               "  Holding registers, numbered as they go on the wire (no base subtracted):\n"
               "    40001..40320   parameter block, one contiguous block; registers that hold\n"
               "                   no parameter of the tool are plain storage, 0 at the start\n"
               "    40001          command register: 6 takes the parameters over, 8 the EIDs;\n"
               "                   other codes get exception 0x03; it always reads 0\n"
               "    47001..47400   EID block: 200 EIDs of two registers, high half first\n"
               "  Functions 0x03 (read 1 to 125 registers), 0x06 (write one register) and\n"
               "  0x10 (write 1 to 123 registers, byte count 2 x count). A request must lie\n"
               "  inside one block. Exception replies: 0x01 unknown function, 0x02 register\n"
               "  outside the blocks, 0x03 bad count, byte count or command code. Frames with\n"
               "  a bad CRC or for another address get no reply; after noise the simulator\n"
               "  drops a byte at a time until a frame starts. A frame ends where the length\n"
               "  its function implies ends (8 bytes for 0x03 and 0x06, 9 + byte count for\n"
               "  0x10); for another function, at the first CRC that checks.\n"
               "  Writes change the working image, which reads return; a commit takes it\n"
               "  over into the committed image, which --state keeps. Writes that were not\n"
               "  committed are lost when the simulator ends.\n"
               "  Own address: the committed value of 40003 (ModbusID), %1 at the start.\n"
               "  The reply to a commit goes out from the old address (and at the old\n"
               "  speed); a new ModbusID (and, with --device-baud, a new BaudRate; one whose\n"
               "  index names no speed is not taken over) counts from the next request on.\n"
               "  Start values (EIDs are 0):\n"
               "%2"
               "\n"
               "Faults: --fault KIND[=VALUE[,VALUE2]][@N]\n"
               "  Without @N the fault is played on every request addressed to the device;\n"
               "  with @N only on the Nth such request, counted from 1. A fault that does not\n"
               "  fit that request (echo-value on a read) leaves it alone. Numbers may be\n"
               "  given in hex (0x...). Kinds:\n"
               "%3"
               "\n"
               "Examples:\n"
               "  korvel-devsim --pty -v\n"
               "  korvel-devsim --port /dev/ttyUSB0 --baud 9600 --state device.json\n"
               "  korvel-devsim --pty --fault bad-crc@3 --fault chunks=3,40\n"
               "  korvel-devsim --pty --device-baud 9600 --baud-after-restart --state unit.json\n"
               "\n"
               "Exit status: 0 after SIGINT or SIGTERM and after a hang-up fault; 1 when the\n"
               "line cannot be used or the state cannot be saved at the end; 2 for bad\n"
               "arguments and for a state file that, at the start, cannot be read, is not a\n"
               "valid state or cannot be written (it is then left as it is).\n")
        .arg(DeviceCore::Params().at(0).Start)
        .arg(Starts, DeviceFault::Usage());
}

} // namespace

QString DevsimHelpText()
{
    return OptionsHelp() + DeviceHelp();
}
