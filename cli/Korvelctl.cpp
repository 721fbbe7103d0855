// korvelctl's run: the command chosen, the files in and out, and the
// commands that move a parameter file or an EID file.

#include "Korvelctl.h"

#include "CtlFiles.h"
#include "CtlRunner.h"
#include "ParamRegisters.h"
#include "PortStatus.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSerialPortInfo>
#include <QTextStream>

namespace Korvelctl {

namespace {

const QString Program = QStringLiteral("korvelctl");

} // namespace

using CtlCommands::Kind;

namespace {

// The rows of the ports table under its lower-cased headings; a field the
// table shows as "-" is empty.
QJsonObject PortsJson(const QVector<QStringList> &Rows)
{
    QJsonArray Ports;
    for (int R = 1; R < Rows.size(); ++R) {
        QJsonObject Port;
        for (int C = 0; C < Rows[R].size(); ++C)
            Port.insert(Rows[0][C].toLower(), Rows[R][C] == QLatin1String("-") ? QString() : Rows[R][C]);
        Ports.append(Port);
    }
    return QJsonObject {{QStringLiteral("ports"), Ports}};
}

} // namespace

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

// The last exchange's fault, with the exit code its kind gives: a port
// that did not take the bytes is the port's fault, not the device's.
int Runner::DeviceFault(const QString &Prefix)
{
    const ExchangeFault &Fault = Exchange.Failure();
    int Code = DeviceFailed;
    if (Fault.Code == FaultCode::PortRefused)
        Code = PortFailed;
    else if (Fault.Code == FaultCode::InvalidRequest)
        Code = BadUsage;
    // A connection that went away is what ended the transaction.
    if (Fault.InTransaction && !Line.Lost().isEmpty())
        return Fail(Code, Prefix + TransactionText(Fault.Where) + QStringLiteral(": ") + Line.Lost());
    return Fail(Code, Prefix + Describe(Fault));
}

bool Runner::OpenLine(int *Code)
{
    QString Error;
    Line.SetWaitLimitMs(Set.WaitMs);
    Line.SetQueue(Set.LineWaitS * 1000, Program + QLatin1Char(' ') + CtlCommands::CommandText(Set));
    if (Line.Open(Set.Line, Set.Baud, &Error)) {
        Exchange.SetAddress(quint8(Set.Address));
        Exchange.SetRetries(Set.Retries);
        return true;
    }
    *Code = Fail(PortFailed, Error);
    return false;
}

bool Runner::ReadInput(QByteArray *Text, int *Code)
{
    QString Error;
    if (CtlFiles::ReadFile(Set.Input, Text, &Error))
        return true;
    *Code = Fail(BadUsage, Error);
    return false;
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
        return Set.Json ? PrintJson(QJsonObject {{QStringLiteral("ports"), QJsonArray()}}) : Done;
    }
    QVector<QStringList> Rows {{QStringLiteral("PORT"), QStringLiteral("STATE"), QStringLiteral("DESCRIPTION"),
                                QStringLiteral("MANUFACTURER"), QStringLiteral("SERIAL")}};
    for (const QSerialPortInfo &Info : Found) {
        const QString State = PortStatus::Text(PortStatus::Probe(Info.systemLocation()));
        const auto Or = [](const QString &Text) { return Text.isEmpty() ? QStringLiteral("-") : Text; };
        Rows.append({Info.portName(), State, Or(Info.description()), Or(Info.manufacturer()),
                     Or(Info.serialNumber())});
    }
    if (Set.Json)
        return PrintJson(PortsJson(Rows));
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
    ParamList Params = CtlFiles::AllParams();
    if (!Exchange.ReadParams(&Params))
        return DeviceFault();
    return FinishOutput(CtlFiles::FormatParams(Params));
}

int Runner::WriteParams()
{
    int Code = Done;
    ParamList Wanted;
    if (!ReadParamFile(&Wanted, &Code))
        return Code;
    return WriteFollowing(Wanted);
}

int Runner::ReadEids()
{
    int Code = Done;
    if (!OpenOutput(&Code) || !OpenLine(&Code))
        return Code;
    QVector<qint32> Eids;
    if (!Exchange.ReadEids(EidCount, &Eids))
        return DeviceFault();
    return FinishOutput(Set.Csv ? EidListFile::FormatCsv(Eids) : CtlFiles::FormatEids(Eids));
}

// The parameter file of write and diff, checked whole before the port is
// opened.
bool Runner::ReadParamFile(ParamList *Params, int *Code)
{
    QByteArray Text;
    QString Error;
    if (!ReadInput(&Text, Code))
        return false;
    if (!CtlFiles::ParseParams(Text, Params, &Error)) {
        *Code = Fail(BadUsage, Set.Input + QStringLiteral(": ") + Error);
        return false;
    }
    return true;
}

// The EID file of write and diff, checked whole before the port is opened;
// a duplicated EID is a warning, not a fault.
bool Runner::ReadEidFile(QVector<qint32> *Eids, int *Code)
{
    QByteArray Text;
    QString Error;
    QStringList Warnings;
    if (!ReadInput(&Text, Code))
        return false;
    if (!CtlFiles::ParseEids(Text, Eids, &Error, Set.EidColumn, &Warnings)) {
        *Code = Fail(BadUsage, Set.Input + QStringLiteral(": ") + Error);
        return false;
    }
    for (const QString &Warning : Warnings)
        Err << Program << ": warning: " << Set.Input << ": " << Warning << '\n';
    Err.flush();
    return true;
}

int Runner::WriteEids()
{
    int Code = Done;
    QVector<qint32> Eids;
    if (!ReadEidFile(&Eids, &Code) || !OpenLine(&Code))
        return Code;
    if (!Exchange.WriteEids(CtlFiles::WholeList(Eids)))
        return DeviceFault();
    if (Set.Verify) {
        QVector<qint32> Got;
        if (!Exchange.ReadEids(EidCount, &Got))
            return DeviceFault(QStringLiteral("verify: "));
        const QVector<CtlFiles::Difference> Differ = CtlFiles::EidDifferences(Eids, Got);
        if (!Differ.isEmpty())
            return Fail(DeviceFailed, QStringLiteral("verify: %1 of %2 EIDs differ; entry %3 reads %4, the file says %5")
                                          .arg(Differ.size())
                                          .arg(Eids.size())
                                          .arg(Differ.first().Entry)
                                          .arg(Differ.first().Device)
                                          .arg(Differ.first().File));
    }
    Out << Eids.size() << " EIDs written and committed" << (Set.Verify ? ", verified" : "") << '\n';
    return Done;
}

int Runner::Main(const QStringList &Arguments)
{
    ShowFrames(false);
    QString Error;
    switch (CtlCommands::ParseArguments(Arguments, &Set, Out, &Error)) {
    case CtlCommands::Parsed::Done: return Done;
    case CtlCommands::Parsed::Bad: return Usage(Error);
    case CtlCommands::Parsed::Run: break;
    }
    ShowFrames(Set.Verbose);
    const bool Params = Set.What == Kind::Params;
    switch (Set.Which) {
    case CtlCommands::Command::Ports: return Ports();
    case CtlCommands::Command::Probe: return Probe();
    case CtlCommands::Command::Read: return Params ? ReadParams() : ReadEids();
    case CtlCommands::Command::Write: return Params ? WriteParams() : WriteEids();
    case CtlCommands::Command::Scan: return Scan();
    case CtlCommands::Command::Diff: return Params ? DiffParams() : DiffEids();
    case CtlCommands::Command::Set: return SetParams();
    case CtlCommands::Command::Apply: return Params ? ApplyParams() : ApplyEids();
    }
    return Done;
}

int Run(const QStringList &Arguments, QTextStream &Out, QTextStream &Err)
{
    Runner Program(Out, Err);
    const int Code = Program.Main(Arguments);
    Out.flush();
    Err.flush();
    return Code;
}

} // namespace Korvelctl
