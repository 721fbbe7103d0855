// korvel-devsim: stands in for the LoRa radio device on a serial line.

#include "DeviceBus.h"
#include "ParamRegisters.h"
#include "WholeNumber.h"
#include "SerialLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <iterator>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char *const Program = "korvel-devsim";

int SignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char Byte = 1;
    const ssize_t Ignored = ::write(SignalPipe[1], &Byte, 1);
    (void)Ignored;
}

QString HelpText()
{
    QString Starts;
    for (const DeviceCore::Param &P : DeviceCore::Params())
        Starts += QStringLiteral("    %1 %2 = %3\n").arg(P.Register).arg(QString::fromLatin1(P.Name), -16).arg(P.Start);

    return QStringLiteral(
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
               "  --device-baud N  the device listens at N baud only (4800, 9600, 19200, 38400,\n"
               "                   57600 or 115200): a request that arrives while the line is\n"
               "                   at another speed gets no reply (default: any speed)\n"
               "  --devices A[,B...]\n"
               "                   devices on the line at these RS-485 addresses (1 to 247),\n"
               "                   each with its own image holding its address in ModbusID;\n"
               "                   an address given twice is two devices answering at once,\n"
               "                   whose replies collide into one frame with a bad CRC; 0x00\n"
               "                   is answered by the first device (default: one device)\n"
               "  --state FILE     keep the committed image in FILE as JSON: loaded at start\n"
               "                   when it exists, written after every commit and at the end;\n"
               "                   checked at start to be writable\n"
               "  --fault FAULT    play a fault on demand; may be repeated (see Faults)\n"
               "  -v, --verbose    log every request and reply as hex, with a time stamp,\n"
               "                   to stderr\n"
               "  -h, --help       show this help\n"
               "  --version        show the version\n"
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
               "\n"
               "Exit status: 0 after SIGINT or SIGTERM and after a hang-up fault; 1 when the\n"
               "line cannot be used or the state cannot be saved at the end; 2 for bad\n"
               "arguments and for a state file that, at the start, cannot be read, is not a\n"
               "valid state or cannot be written (it is then left as it is).\n")
        .arg(DeviceCore::Params().at(0).Start)
        .arg(Starts, DeviceFault::Usage());
}

int BadStateFile(const QString &Path, const QString &Error)
{
    std::fprintf(stderr, "%s: state file %s: %s\n", Program, Path.toLocal8Bit().constData(),
                 Error.toLocal8Bit().constData());
    return 2;
}

int BadArguments(const QString &Message)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", Program,
                 Message.toLocal8Bit().constData(), Program);
    return 2;
}

bool ReadInt(const QString &Text, int Min, int Max, int &Out)
{
    bool Ok = false;
    const qlonglong Value = Text.toLongLong(&Ok, 10);
    if (!Ok || Value < Min || Value > Max)
        return false;
    Out = int(Value);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication App(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(Program));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEL_DEVSIM_VERSION));

    QCommandLineParser Parser;
    const QCommandLineOption PtyOption(QStringLiteral("pty"));
    const QCommandLineOption PortOption(QStringLiteral("port"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption BaudOption(QStringLiteral("baud"), QString(), QStringLiteral("N"));
    const QCommandLineOption TurnaroundOption(QStringLiteral("turnaround"), QString(), QStringLiteral("MS"));
    const QCommandLineOption DeviceBaudOption(QStringLiteral("device-baud"), QString(), QStringLiteral("N"));
    const QCommandLineOption DevicesOption(QStringLiteral("devices"), QString(), QStringLiteral("A[,B...]"));
    const QCommandLineOption StateOption(QStringLiteral("state"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption FaultOption(QStringLiteral("fault"), QString(), QStringLiteral("FAULT"));
    const QCommandLineOption VerboseOption(QStringList {QStringLiteral("v"), QStringLiteral("verbose")});
    const QCommandLineOption HelpOption(QStringList {QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption VersionOption(QStringLiteral("version"));
    Parser.addOptions({PtyOption, PortOption, BaudOption, TurnaroundOption, DeviceBaudOption, DevicesOption,
                       StateOption, FaultOption, VerboseOption, HelpOption, VersionOption});

    if (!Parser.parse(QCoreApplication::arguments()))
        return BadArguments(Parser.errorText());
    if (Parser.isSet(HelpOption)) {
        std::fputs(HelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (Parser.isSet(VersionOption)) {
        std::printf("%s %s\n", Program, KORVEL_DEVSIM_VERSION);
        return 0;
    }
    if (!Parser.positionalArguments().isEmpty())
        return BadArguments(QStringLiteral("unexpected argument '%1'").arg(Parser.positionalArguments().first()));
    for (const QCommandLineOption *Single : {&PortOption, &BaudOption, &TurnaroundOption, &DeviceBaudOption,
                                              &DevicesOption, &StateOption}) {
        if (Parser.values(*Single).size() > 1)
            return BadArguments(QStringLiteral("--%1 given more than once").arg(Single->names().first()));
    }
    const bool UsePty = Parser.isSet(PtyOption);
    const bool UsePort = Parser.isSet(PortOption);
    if (UsePty == UsePort)
        return BadArguments(QStringLiteral("give either --pty or --port PATH"));
    if (UsePort && Parser.value(PortOption).isEmpty())
        return BadArguments(QStringLiteral("--port needs a path"));

    SerialLine::Options Settings;
    if (Parser.isSet(BaudOption)) {
        if (!ReadInt(Parser.value(BaudOption), 50, 4000000, Settings.Baud))
            return BadArguments(QStringLiteral("--baud needs a whole number from 50 to 4000000, not '%1'")
                                    .arg(Parser.value(BaudOption)));
        if (UsePort && SerialLine::SpeedConstant(Settings.Baud) == 0)
            return BadArguments(QStringLiteral("--baud %1 is no speed a serial line can be set to "
                                               "(1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400 ...)")
                                    .arg(Settings.Baud));
    }
    if (Parser.isSet(TurnaroundOption)
        && !ReadInt(Parser.value(TurnaroundOption), 0, 60000, Settings.TurnaroundMs))
        return BadArguments(QStringLiteral("--turnaround needs a whole number of milliseconds from 0 to 60000, not '%1'")
                                .arg(Parser.value(TurnaroundOption)));
    if (Parser.isSet(DeviceBaudOption)) {
        int Baud = 0;
        const bool Known = ParseWholeNumber(Parser.value(DeviceBaudOption), 1, 4000000, &Baud)
            && std::count(std::begin(ParamRegisters::BaudRates), std::end(ParamRegisters::BaudRates), Baud) > 0;
        if (!Known)
            return BadArguments(QStringLiteral("--device-baud needs one of 4800, 9600, 19200, 38400, 57600, 115200, not '%1'")
                                    .arg(Parser.value(DeviceBaudOption)));
        Settings.DeviceBaud = Baud;
    }
    QVector<int> Addresses;
    if (Parser.isSet(DevicesOption)) {
        for (const QString &Text : Parser.value(DevicesOption).split(QLatin1Char(','))) {
            int Address = 0;
            if (!ParseWholeNumber(Text, 1, 247, &Address))
                return BadArguments(QStringLiteral("--devices needs addresses from 1 to 247, separated by commas, not '%1'")
                                        .arg(Parser.value(DevicesOption)));
            Addresses << Address;
        }
    }
    Settings.Verbose = Parser.isSet(VerboseOption);
    Settings.StatePath = Parser.value(StateOption);
    if (Parser.isSet(StateOption) && Settings.StatePath.isEmpty())
        return BadArguments(QStringLiteral("--state needs a file name"));

    if (UsePort && Settings.DeviceBaud) {
        // A serial device's line has one speed, which the device listens at.
        if (Settings.Baud && Settings.Baud != Settings.DeviceBaud)
            return BadArguments(QStringLiteral("with --port, --baud and --device-baud must be the same speed"));
        Settings.Baud = Settings.DeviceBaud;
    }
    if (Addresses.size() > 1 && Parser.isSet(StateOption))
        return BadArguments(QStringLiteral("--state keeps one device; it takes no --devices with several addresses"));

    DeviceBus Bus(Addresses);
    DeviceCore &Core = Bus.Device(0);
    for (const QString &Text : Parser.values(FaultOption)) {
        DeviceFault Fault;
        QString Error;
        if (!DeviceFault::Parse(Text, Fault, &Error))
            return BadArguments(Error);
        Bus.AddFault(Fault);
    }

    // The state file is checked before anything is served: a file found
    // unusable only at the end would lose every commit of the rehearsal, and
    // one that cannot be read must not be overwritten with the start values.
    if (!Settings.StatePath.isEmpty()) {
        const QString &Path = Settings.StatePath;
        if (QFile::exists(Path)) {
            QFile File(Path);
            QString Error;
            if (!File.open(QIODevice::ReadOnly)) {
                Error = File.errorString();
            } else {
                QJsonParseError Parse;
                const QJsonDocument Document = QJsonDocument::fromJson(File.readAll(), &Parse);
                if (Parse.error != QJsonParseError::NoError)
                    Error = QStringLiteral("not valid JSON (%1 at byte %2)").arg(Parse.errorString()).arg(Parse.offset);
                else if (!Document.isObject())
                    Error = QStringLiteral("not a JSON object");
                else
                    Core.LoadState(Document.object(), &Error);
            }
            if (!Error.isEmpty())
                return BadStateFile(Path, Error);
            // An address given on the command line holds over the file's.
            if (!Addresses.isEmpty())
                Core.SetRegister(DeviceCore::AddressRegister, quint16(Addresses.first()), DeviceCore::Both);
        }
        // Written the way every commit writes it, through a temporary file
        // beside it, which is dropped again.
        QSaveFile Probe(Path);
        if (!Probe.open(QIODevice::WriteOnly))
            return BadStateFile(Path, QStringLiteral("cannot be written (%1)").arg(Probe.errorString()));
        Probe.cancelWriting();
    }

    // SIGINT and SIGTERM end the event loop through a pipe, so that the
    // state is written and the line closed outside the signal handler.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalPipe) != 0) {
        std::perror(Program);
        return 1;
    }
    QSocketNotifier SignalNotifier(SignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&SignalNotifier, &QSocketNotifier::activated, &App, [] {
        char Byte = 0;
        const ssize_t Ignored = ::read(SignalPipe[0], &Byte, 1);
        (void)Ignored;
        QCoreApplication::exit(0);
    });
    struct sigaction Action {};
    Action.sa_handler = OnSignal;
    sigemptyset(&Action.sa_mask);
    sigaction(SIGINT, &Action, nullptr);
    sigaction(SIGTERM, &Action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SerialLine Line(Bus, Settings);
    QObject::connect(&Line, &SerialLine::Finished, &App, [](int Code) { QCoreApplication::exit(Code); });
    QString Error;
    if (UsePty) {
        QString SlavePath;
        if (!Line.OpenPty(&SlavePath, &Error)) {
            std::fprintf(stderr, "%s: %s\n", Program, Error.toLocal8Bit().constData());
            return 1;
        }
        std::printf("%s\n", SlavePath.toLocal8Bit().constData());
        std::fflush(stdout);
    } else if (!Line.OpenPort(Parser.value(PortOption), &Error)) {
        std::fprintf(stderr, "%s: %s\n", Program, Error.toLocal8Bit().constData());
        return 1;
    }
    if (Settings.Verbose) {
        std::fprintf(stderr, "%s: serving as address %s (and 0x00)", Program, Bus.Addresses().toLocal8Bit().constData());
        if (Settings.DeviceBaud)
            std::fprintf(stderr, ", at %d Bd only", Settings.DeviceBaud);
        for (const DeviceFault &Fault : Core.Faults())
            std::fprintf(stderr, ", fault %s", Fault.ToString().toLocal8Bit().constData());
        std::fprintf(stderr, "\n");
        std::fflush(stderr);
    }

    const int Code = App.exec();
    Line.Close();
    if (!Line.SaveState(&Error)) {
        std::fprintf(stderr, "%s: %s\n", Program, Error.toLocal8Bit().constData());
        return 1;
    }
    return Code;
}
