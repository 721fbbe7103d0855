#include "Korvelctl.h"

#include "ConfigDocument.h"
#include "CtlFiles.h"
#include "CtlLine.h"
#include "DeviceExchange.h"
#include "ParamRegisters.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSaveFile>
#include <QSerialPortInfo>
#include <QTextStream>

#include <algorithm>

#ifndef KORVEL_VERSION
#define KORVEL_VERSION "unknown"
#endif

namespace Korvelctl {

namespace {

const QString Program = QStringLiteral("korvelctl");

// probe tries the speeds of the panel, the factory setting first.
const int ProbeRates[] = {9600, 4800, 19200, 38400, 57600, 115200};
constexpr int MaxRetries = 100;

const char *const HelpText =
    "Usage: korvelctl COMMAND [options]\n"
    "\n"
    "Reads and writes the parameters and the EID list of the LoRa radio device\n"
    "on a serial line (Modbus RTU), through files.\n"
    "\n"
    "Commands:\n"
    "  ports                                  list the serial ports; a port another\n"
    "                                         program holds is marked busy\n"
    "  read params --port PORT [-o FILE]      the 14 parameters into a parameter file\n"
    "  write params --port PORT -i FILE [--verify]\n"
    "                                         write the parameters the file names, then\n"
    "                                         the commit request (code 6)\n"
    "  read eids --port PORT [-o FILE] [--csv]\n"
    "                                         the 200 EIDs into an EID file\n"
    "  write eids --port PORT -i FILE [--column N|NAME] [--verify]\n"
    "                                         write the EID list, then the commit\n"
    "                                         request (code 8)\n"
    "  probe --port PORT                      find the speed the device answers at and\n"
    "                                         print it with the device's RS-485 address\n"
    "\n"
    "Options:\n"
    "  --port PORT      a name as 'ports' lists it (ttyUSB0, COM3) or a path\n"
    "  --baud N         4800, 9600, 19200, 38400, 57600 or 115200 (default 9600)\n"
    "  --address N      talk to the device with RS-485 address N (1 to 247) and\n"
    "                   refuse replies from any other; default: address 0x00\n"
    "  --retries N      send a transaction again up to N times when it gets no valid\n"
    "                   reply (default 0)\n"
    "  -o, --output FILE  write to FILE instead of standard output; the file is\n"
    "                   replaced only when the whole read succeeded\n"
    "  -i, --input FILE the file to write from\n"
    "  --verify         read the written values back and compare them\n"
    "  --column N|NAME  the CSV column holding the EIDs: its number from 1 or its\n"
    "                   heading; default: the column headed EID, else the first\n"
    "  --csv            write the EIDs as CSV: entry,eid with a heading row\n"
    "  -h, --help       show this help\n"
    "  --version        show the version\n"
    "\n"
    "Parameter file: one JSON object, {\"ModbusID\": 17, \"BaudRate\": 1, ...}, with the\n"
    "register values as the device holds them (a list field holds its item index:\n"
    "BaudRate 1 is 9600). read writes all 14; write takes any of them.\n"
    "EID file: one EID a line in list order, 0 to 10000000, -1 for an unprogrammed\n"
    "entry; '#' starts a comment. Or CSV as a spreadsheet saves it (comma, semicolon\n"
    "or tab; a first row that is no number is a heading). write takes up to 200,\n"
    "writes 0 for the rest and warns of an EID given twice.\n"
    "\n"
    "Exit status: 0 done; 1 the device did not answer or refused; 2 bad arguments\n"
    "or input file (nothing sent); 3 the port cannot be opened.\n";

struct Settings
{
    QString Command;
    QString Kind; // "params" or "eids"
    QString Port;
    QString Output;
    QString Input;
    int Baud = 9600;
    int Address = 0;
    int Retries = 0;
    bool Verify = false;
    bool Csv = false;
    EidListFile::Column EidColumn;
};

class Runner
{
public:
    Runner(QTextStream &Out, QTextStream &Err) : Out(Out), Err(Err) {}

    int Main(const QStringList &Arguments);

private:
    int Usage(const QString &Message);
    int Fail(int Code, const QString &Message);
    int DeviceFault(const QString &Prefix, const ExchangeFailure &Failure);
    bool ParseArguments(const QStringList &Arguments, Settings *Set, int *Code);
    bool OpenLine(int *Code);
    bool ReadInput(QByteArray *Text, int *Code);
    bool OpenOutput(int *Code);
    int FinishOutput(const QByteArray &Text);

    int Ports();
    int ReadParams();
    int WriteParams();
    int ReadEids();
    int WriteEids();
    int Probe();

    QTextStream &Out;
    QTextStream &Err;
    Settings Set;
    CtlLine Line;
    DeviceExchange Exchange {Line}; // set up for the device once the line is open
    QSaveFile Output;
};

int Runner::Usage(const QString &Message)
{
    Err << Program << ": " << Message << "\nTry 'korvelctl --help' for more information.\n";
    Err.flush();
    return BadUsage;
}

int Runner::Fail(int Code, const QString &Message)
{
    Err << Program << ": " << Message << '\n';
    Err.flush();
    return Code;
}

int Runner::DeviceFault(const QString &Prefix, const ExchangeFailure &Failure)
{
    QString Message = Prefix;
    if (!Failure.Transaction.isEmpty())
        Message += Failure.Transaction + QStringLiteral(": ");
    return Fail(DeviceFailed, Message + Failure.Fault);
}

bool ReadNumber(const QString &Text, int Min, int Max, int *Value)
{
    bool Ok = false;
    const int Number = Text.toInt(&Ok, 10);
    if (!Ok || Number < Min || Number > Max)
        return false;
    *Value = Number;
    return true;
}

bool Runner::ParseArguments(const QStringList &Arguments, Settings *Result, int *Code)
{
    QCommandLineParser Parser;
    const QCommandLineOption Port(QStringLiteral("port"), QString(), QStringLiteral("PORT"));
    const QCommandLineOption Baud(QStringLiteral("baud"), QString(), QStringLiteral("N"));
    const QCommandLineOption Address(QStringLiteral("address"), QString(), QStringLiteral("N"));
    const QCommandLineOption Retries(QStringLiteral("retries"), QString(), QStringLiteral("N"));
    const QCommandLineOption Output(QStringList {QStringLiteral("o"), QStringLiteral("output")}, QString(), QStringLiteral("FILE"));
    const QCommandLineOption Input(QStringList {QStringLiteral("i"), QStringLiteral("input")}, QString(), QStringLiteral("FILE"));
    const QCommandLineOption Verify(QStringLiteral("verify"));
    const QCommandLineOption Column(QStringLiteral("column"), QString(), QStringLiteral("N|NAME"));
    const QCommandLineOption Csv(QStringLiteral("csv"));
    const QCommandLineOption Help(QStringList {QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption Version(QStringLiteral("version"));
    Parser.addOptions({Port, Baud, Address, Retries, Output, Input, Verify, Column, Csv, Help, Version});

    *Code = Done;
    if (!Parser.parse(QStringList(Program) + Arguments)) {
        *Code = Usage(Parser.errorText());
        return false;
    }
    if (Parser.isSet(Help)) {
        Out << HelpText;
        return false;
    }
    if (Parser.isSet(Version)) {
        Out << Program << ' ' << KORVEL_VERSION << '\n';
        return false;
    }
    for (const QCommandLineOption *Single : {&Port, &Baud, &Address, &Retries, &Output, &Input, &Column}) {
        if (Parser.values(*Single).size() > 1) {
            *Code = Usage(QStringLiteral("--%1 is given more than once").arg(Single->names().last()));
            return false;
        }
    }

    QStringList Words = Parser.positionalArguments();
    if (Words.isEmpty()) {
        *Code = Usage(QStringLiteral("no command given"));
        return false;
    }
    Settings &Set = *Result;
    Set.Command = Words.takeFirst();
    const bool Transfer = Set.Command == QLatin1String("read") || Set.Command == QLatin1String("write");
    if (!Transfer && Set.Command != QLatin1String("ports") && Set.Command != QLatin1String("probe")) {
        *Code = Usage(QStringLiteral("unknown command '%1'").arg(Set.Command));
        return false;
    }
    if (Transfer) {
        if (Words.isEmpty() || (Words.first() != QLatin1String("params") && Words.first() != QLatin1String("eids"))) {
            *Code = Usage(QStringLiteral("%1 needs 'params' or 'eids'").arg(Set.Command));
            return false;
        }
        Set.Kind = Words.takeFirst();
    }
    if (!Words.isEmpty()) {
        *Code = Usage(QStringLiteral("unexpected argument '%1'").arg(Words.first()));
        return false;
    }

    // Which options each command takes.
    const bool Ports = Set.Command == QLatin1String("ports");
    const bool Read = Set.Command == QLatin1String("read");
    const bool Write = Set.Command == QLatin1String("write");
    const bool Probe = Set.Command == QLatin1String("probe");
    const struct {
        const QCommandLineOption &Option;
        bool Allowed;
    } Allowed[] = {
        {Port, !Ports}, {Baud, Transfer}, {Address, !Ports}, {Retries, !Ports},
        {Output, Read}, {Input, Write}, {Verify, Write},
        {Column, Write && Set.Kind == QLatin1String("eids")}, {Csv, Read && Set.Kind == QLatin1String("eids")},
    };
    for (const auto &Rule : Allowed) {
        if (!Rule.Allowed && Parser.isSet(Rule.Option)) {
            const QString Name = Rule.Option.names().last();
            *Code = Usage(QStringLiteral("%1 takes no %2%3")
                              .arg(Set.Command + (Set.Kind.isEmpty() ? QString() : QLatin1Char(' ') + Set.Kind),
                                   Name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), Name));
            return false;
        }
    }
    if (!Ports && Parser.value(Port).isEmpty()) {
        *Code = Usage(QStringLiteral("%1 needs --port PORT").arg(Set.Command));
        return false;
    }
    if (Write && Parser.value(Input).isEmpty()) {
        *Code = Usage(QStringLiteral("write %1 needs -i FILE").arg(Set.Kind));
        return false;
    }
    if (Read && Parser.isSet(Output) && Parser.value(Output).isEmpty()) {
        *Code = Usage(QStringLiteral("-o needs a file name"));
        return false;
    }
    Set.Port = Parser.value(Port);
    Set.Input = Parser.value(Input);
    Set.Output = Parser.value(Output);
    Set.Verify = Parser.isSet(Verify);
    Set.Csv = Parser.isSet(Csv);
    if (Parser.isSet(Column) && !EidListFile::ParseColumn(Parser.value(Column), &Set.EidColumn)) {
        *Code = Usage(QStringLiteral("--column must be a column number from 1 or a heading, not '%1'")
                          .arg(Parser.value(Column)));
        return false;
    }
    if (Parser.isSet(Baud)) {
        const int *const End = ProbeRates + sizeof ProbeRates / sizeof ProbeRates[0];
        if (!ReadNumber(Parser.value(Baud), 1, 4000000, &Set.Baud)
            || std::find(ProbeRates, End, Set.Baud) == End) {
            *Code = Usage(QStringLiteral("--baud must be 4800, 9600, 19200, 38400, 57600 or 115200, not '%1'")
                              .arg(Parser.value(Baud)));
            return false;
        }
    }
    if (Parser.isSet(Address) && !ReadNumber(Parser.value(Address), 1, 247, &Set.Address)) {
        *Code = Usage(QStringLiteral("--address must be a whole number from 1 to 247, not '%1'")
                          .arg(Parser.value(Address)));
        return false;
    }
    if (Parser.isSet(Retries) && !ReadNumber(Parser.value(Retries), 0, MaxRetries, &Set.Retries)) {
        *Code = Usage(QStringLiteral("--retries must be a whole number from 0 to %1, not '%2'")
                          .arg(MaxRetries)
                          .arg(Parser.value(Retries)));
        return false;
    }
    Q_UNUSED(Probe);
    return true;
}

bool Runner::OpenLine(int *Code)
{
    QString Error;
    if (Line.Open(Set.Port, Set.Baud, &Error)) {
        Exchange.SetAddress(quint8(Set.Address));
        Exchange.SetRetries(Set.Retries);
        return true;
    }
    *Code = Fail(PortFailed, Error);
    return false;
}

bool Runner::ReadInput(QByteArray *Text, int *Code)
{
    QFile File(Set.Input);
    if (!File.open(QIODevice::ReadOnly)) {
        *Code = Fail(BadUsage, QStringLiteral("cannot read %1: %2").arg(Set.Input, File.errorString()));
        return false;
    }
    *Text = File.readAll();
    return true;
}

// The output file is opened before anything is sent, so that a place it
// cannot be written to costs no exchange; it appears only on success.
bool Runner::OpenOutput(int *Code)
{
    if (Set.Output.isEmpty())
        return true;
    Output.setFileName(Set.Output);
    if (!Output.open(QIODevice::WriteOnly)) {
        *Code = Fail(BadUsage, QStringLiteral("cannot write %1: %2").arg(Set.Output, Output.errorString()));
        return false;
    }
    return true;
}

int Runner::FinishOutput(const QByteArray &Text)
{
    if (Set.Output.isEmpty()) {
        Out << QString::fromUtf8(Text);
        Out.flush();
        return Done;
    }
    if (Output.write(Text) != Text.size() || !Output.commit())
        return Fail(BadUsage, QStringLiteral("cannot write %1: %2").arg(Set.Output, Output.errorString()));
    return Done;
}

int Runner::Ports()
{
    const QList<QSerialPortInfo> Found = QSerialPortInfo::availablePorts();
    if (Found.isEmpty()) {
        Err << Program << ": no serial ports found\n";
        return Done;
    }
    QVector<QStringList> Rows {{QStringLiteral("PORT"), QStringLiteral("STATE"), QStringLiteral("DESCRIPTION"),
                                QStringLiteral("MANUFACTURER"), QStringLiteral("SERIAL")}};
    for (const QSerialPortInfo &Info : Found) {
        QString State = QStringLiteral("free");
        if (Info.isBusy())
            State = QStringLiteral("busy");
        else if (!QFileInfo(Info.systemLocation()).isReadable() || !QFileInfo(Info.systemLocation()).isWritable())
            State = QStringLiteral("no access");
        const auto Or = [](const QString &Text) { return Text.isEmpty() ? QStringLiteral("-") : Text; };
        Rows.append({Info.portName(), State, Or(Info.description()), Or(Info.manufacturer()),
                     Or(Info.serialNumber())});
    }
    QVector<int> Width(Rows.first().size(), 0);
    for (const QStringList &Row : Rows) {
        for (int C = 0; C < Row.size(); ++C)
            Width[C] = qMax(Width[C], Row[C].size());
    }
    for (const QStringList &Row : Rows) {
        QString Text;
        for (int C = 0; C < Row.size(); ++C)
            Text += C + 1 < Row.size() ? Row[C].leftJustified(Width[C] + 2) : Row[C];
        Out << Text << '\n';
    }
    return Done;
}

int Runner::ReadParams()
{
    int Code = Done;
    if (!OpenOutput(&Code) || !OpenLine(&Code))
        return Code;
    QJsonObject Reply;
    if (!Exchange.ParamRead(CtlFiles::AllParamsRequest(), &Reply))
        return DeviceFault(QString(), Exchange.Failure());
    return FinishOutput(CtlFiles::FormatParams(Reply));
}

int Runner::WriteParams()
{
    int Code = Done;
    QByteArray Text;
    QJsonObject Request;
    QString Error;
    if (!ReadInput(&Text, &Code))
        return Code;
    if (!CtlFiles::ParseParams(Text, &Request, &Error))
        return Fail(BadUsage, Set.Input + QStringLiteral(": ") + Error);
    if (!OpenLine(&Code))
        return Code;
    QJsonObject Reply;
    if (!Exchange.ParamWrite(Request, &Reply))
        return DeviceFault(QString(), Exchange.Failure());
    QVector<QPair<QString, int>> Wanted;
    CtlFiles::ParamValues(Request, &Wanted);
    if (Set.Verify) {
        QJsonObject Back;
        if (!Exchange.ParamRead(Request, &Back))
            return DeviceFault(QStringLiteral("verify: "), Exchange.Failure());
        QVector<QPair<QString, int>> Got;
        CtlFiles::ParamValues(Back, &Got);
        for (int I = 0; I < Wanted.size(); ++I) {
            if (I >= Got.size() || Got[I] != Wanted[I]) {
                const ParamRegisters::Param *Row = ParamRegisters::Find(Wanted[I].first);
                return Fail(DeviceFailed, QStringLiteral("verify: %1 (register %2) reads %3, the file says %4")
                                              .arg(Wanted[I].first)
                                              .arg(Row->Register)
                                              .arg(I < Got.size() ? Got[I].second : 0)
                                              .arg(Wanted[I].second));
            }
        }
    }
    Out << Wanted.size() << (Wanted.size() == 1 ? " parameter" : " parameters")
        << " written and committed" << (Set.Verify ? ", verified" : "") << '\n';
    return Done;
}

int Runner::ReadEids()
{
    int Code = Done;
    if (!OpenOutput(&Code) || !OpenLine(&Code))
        return Code;
    QJsonObject Reply;
    QVector<qint32> Eids;
    if (!Exchange.EidRead(CtlFiles::EidRequest({}), &Reply))
        return DeviceFault(QString(), Exchange.Failure());
    CtlFiles::EidValues(Reply, &Eids);
    return FinishOutput(Set.Csv ? EidListFile::FormatCsv(Eids) : CtlFiles::FormatEids(Eids));
}

int Runner::WriteEids()
{
    int Code = Done;
    QByteArray Text;
    QVector<qint32> Eids;
    QString Error;
    if (!ReadInput(&Text, &Code))
        return Code;
    QStringList Warnings;
    if (!CtlFiles::ParseEids(Text, &Eids, &Error, Set.EidColumn, &Warnings))
        return Fail(BadUsage, Set.Input + QStringLiteral(": ") + Error);
    for (const QString &Warning : Warnings)
        Err << Program << ": warning: " << Set.Input << ": " << Warning << '\n';
    Err.flush();
    if (!OpenLine(&Code))
        return Code;
    QJsonObject Reply;
    const QJsonObject Request = CtlFiles::EidRequest(Eids);
    if (!Exchange.EidWrite(Request, &Reply))
        return DeviceFault(QString(), Exchange.Failure());
    if (Set.Verify) {
        QJsonObject Back;
        QVector<qint32> Got;
        if (!Exchange.EidRead(Request, &Back))
            return DeviceFault(QStringLiteral("verify: "), Exchange.Failure());
        CtlFiles::EidValues(Back, &Got);
        int Differ = 0;
        int First = -1;
        for (int Slot = 0; Slot < Eids.size(); ++Slot) {
            if (Got.value(Slot) != Eids[Slot]) {
                ++Differ;
                if (First < 0)
                    First = Slot;
            }
        }
        if (Differ > 0)
            return Fail(DeviceFailed, QStringLiteral("verify: %1 of %2 EIDs differ; entry %3 reads %4, the file says %5")
                                          .arg(Differ)
                                          .arg(Eids.size())
                                          .arg(First + 1)
                                          .arg(Got.value(First))
                                          .arg(Eids[First]));
    }
    Out << Eids.size() << " EIDs written and committed" << (Set.Verify ? ", verified" : "") << '\n';
    return Done;
}

int Runner::Probe()
{
    int Code = Done;
    if (!OpenLine(&Code))
        return Code;
    const ParamRegisters::Param &Id = ParamRegisters::Map[ParamRegisters::IndexOf("ModbusID")];
    QJsonObject Request = ConfigDocument::NewRequest(ConfigDocument::KindParamSet);
    Request.insert(ConfigDocument::KeyParamArray,
                   QJsonArray {ConfigDocument::MakeEntry(QString::fromLatin1(Id.Name), Id.Register, 0)});
    QStringList Tried;
    for (const int Rate : ProbeRates) {
        if (!Line.SetBaud(Rate))
            return Fail(PortFailed, QStringLiteral("%1: cannot set the speed %2").arg(Set.Port).arg(Rate));
        QJsonObject Reply;
        if (Exchange.ParamRead(Request, &Reply)) {
            QVector<QPair<QString, int>> Values;
            CtlFiles::ParamValues(Reply, &Values);
            Out << Rate << " Bd, RS-485 address " << Values.value(0).second << '\n';
            return Done;
        }
        Tried << QString::number(Rate);
    }
    return Fail(DeviceFailed, QStringLiteral("no device answered a read of %1 (register %2) at %3 Bd")
                                  .arg(QString::fromLatin1(Id.Name))
                                  .arg(Id.Register)
                                  .arg(Tried.join(QStringLiteral(", "))));
}

int Runner::Main(const QStringList &Arguments)
{
    int Code = Done;
    if (!ParseArguments(Arguments, &Set, &Code))
        return Code;
    const bool Params = Set.Kind == QLatin1String("params");
    if (Set.Command == QLatin1String("ports"))
        return Ports();
    if (Set.Command == QLatin1String("probe"))
        return Probe();
    if (Set.Command == QLatin1String("read"))
        return Params ? ReadParams() : ReadEids();
    return Params ? WriteParams() : WriteEids();
}

} // namespace

int Run(const QStringList &Arguments, QTextStream &Out, QTextStream &Err)
{
    Runner Program(Out, Err);
    const int Code = Program.Main(Arguments);
    Out.flush();
    Err.flush();
    return Code;
}

} // namespace Korvelctl
