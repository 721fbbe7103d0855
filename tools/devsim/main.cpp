// korvel-devsim: stands in for the LoRa radio device on a serial line.

#include "Console.h"
#include "DeviceBus.h"
#include "DeviceState.h"
#include "DevsimOptions.h"
#include "Language.h"
#include "SerialLine.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
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

int BadStateFile(const QString &Path, const QString &Error)
{
    std::fprintf(stderr, "%s: %s\n", Program,
                 Console::Bytes(QCoreApplication::translate("main", "state file %1: %2").arg(Path, Error)).constData());
    return 2;
}

int BadArguments(const QString &Message)
{
    std::fprintf(stderr, "%s: %s\n%s\n", Program, Console::Bytes(Message).constData(),
                 Console::Bytes(QCoreApplication::translate("main", "Try '%1 --help' for more information.")
                                    .arg(QLatin1String(Program)))
                     .constData());
    return 2;
}

// SIGINT and SIGTERM end the event loop through a pipe, so that the state
// is written and the line closed outside the signal handler.
bool CatchSignals(QObject *Owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalPipe) != 0) {
        std::perror(Program);
        return false;
    }
    auto *Notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, Owner);
    QObject::connect(Notifier, &QSocketNotifier::activated, Owner, [] {
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
    return true;
}

// The devices the options describe, with their faults and kept state;
// 0 or the exit code of a refusal.
int SetUpDevices(DeviceBus &Bus, const DevsimSettings &Settings)
{
    const SerialLine::Options &Line = Settings.Line;
    for (int I = 0; I < Bus.Count(); ++I) {
        // --device-baud is the speed out of the factory, which BaudRate shows.
        if (Line.DeviceBaud)
            Bus.Device(I).SetRegister(DeviceCore::BaudRegister, quint16(DeviceCore::SpeedIndex(Line.DeviceBaud)));
    }
    for (const DeviceFault &Fault : Settings.Faults)
        Bus.AddFault(Fault);
    const QString &Path = Line.StatePath;
    QString Error;
    if (!Path.isEmpty() && !LoadStateFile(Bus, Path, &Error))
        return BadStateFile(Path, Error);
    // An address given on the command line holds over the file's; the
    // speed is the device's own, kept in the file like its other values.
    for (int I = 0; !Path.isEmpty() && I < Settings.Addresses.size(); ++I)
        Bus.Device(I).SetRegister(DeviceCore::AddressRegister, quint16(Settings.Addresses[I]), DeviceCore::Both);
    for (int I = 0; I < Bus.Count() && Line.DeviceBaud; ++I)
        Bus.Device(I).ListenAtOwnSpeed(Line.DeviceBaud, Line.BaudAfterRestart);
    return 0;
}

bool OpenLine(SerialLine &Line, const DevsimSettings &Settings)
{
    QString Error;
    QString SlavePath;
    const bool Opened = Settings.UsePty ? Line.OpenPty(&SlavePath, &Error) : Line.OpenPort(Settings.PortPath, &Error);
    if (!Opened) {
        std::fprintf(stderr, "%s: %s\n", Program, Error.toLocal8Bit().constData());
        return false;
    }
    if (Settings.UsePty) {
        std::printf("%s\n", SlavePath.toLocal8Bit().constData());
        std::fflush(stdout);
    }
    return true;
}

void Announce(DeviceBus &Bus, const DevsimSettings &Settings)
{
    std::fprintf(stderr, "%s: serving as address %s (and 0x00)", Program, Bus.Addresses().toLocal8Bit().constData());
    if (Settings.Line.DeviceBaud)
        std::fprintf(stderr, ", at %s Bd only%s", Bus.Speeds().toLocal8Bit().constData(),
                     Settings.Line.BaudAfterRestart ? " (a new speed after a restart)" : "");
    for (const DeviceFault &Fault : Settings.Faults)
        std::fprintf(stderr, ", fault %s", Fault.ToString().toLocal8Bit().constData());
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication App(argc, argv);
    // The operator's language for the help and the refusals; the log
    // lines and the state file stay English.
    Console::SetUp();
    Language::Install(QString::fromLatin1(Program));
    QCoreApplication::setApplicationName(QString::fromLatin1(Program));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEL_DEVSIM_VERSION));

    DevsimSettings Settings;
    QString Error;
    if (!ParseDevsimArguments(QCoreApplication::arguments(), Settings, &Error))
        return BadArguments(Error);
    if (Settings.Help) {
        std::fputs(Console::Bytes(DevsimHelpText()).constData(), stdout);
        return 0;
    }
    if (Settings.Version) {
        std::printf("%s %s\n", Program, KORVEL_DEVSIM_VERSION);
        return 0;
    }
    DeviceBus Bus(Settings.Addresses);
    if (const int Refused = SetUpDevices(Bus, Settings))
        return Refused;
    if (!CatchSignals(&App))
        return 1;

    SerialLine Line(Bus, Settings.Line);
    QObject::connect(&Line, &SerialLine::Finished, &App, [](int Code) { QCoreApplication::exit(Code); });
    if (!OpenLine(Line, Settings))
        return 1;
    if (Settings.Line.Verbose)
        Announce(Bus, Settings);
    const int Code = App.exec();
    Line.Close();
    if (!Line.SaveState(&Error)) {
        std::fprintf(stderr, "%s: %s\n", Program, Error.toLocal8Bit().constData());
        return 1;
    }
    return Code;
}
