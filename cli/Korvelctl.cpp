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

Q_LOGGING_CATEGORY(CtlExchangeLog, "korvel.exchange", QtInfoMsg)

namespace Korvelctl {

namespace {

const QString Program = QStringLiteral("korvelctl");

using CtlCommands::Kind;

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

// The fault named for machines where the exchange gives none.
QString FaultOfCode(int Code)
{
    switch (Code) {
    case BadUsage: return QStringLiteral("usage");
    case PortFailed: return QStringLiteral("port");
    case Differs: return QStringLiteral("differs");
    case OutputFailed: return QStringLiteral("output");
    default: return QStringLiteral("device");
    }
}

QJsonObject TransactionJson(const Transaction &Where)
{
    QJsonObject Object {{QStringLiteral("kind"), KindName(Where.What)},
                        {QStringLiteral("register"), Where.Register},
                        {QStringLiteral("text"), TransactionText(Where)}};
    if (!Where.Name.isEmpty())
        Object.insert(QStringLiteral("name"), Where.Name);
    if (Where.What == Transaction::Kind::Commit)
        Object.insert(QStringLiteral("code"), Where.Count);
    if (Where.What == Transaction::Kind::EidRead || Where.What == Transaction::Kind::EidWrite) {
        Object.insert(QStringLiteral("block"), Where.Block + 1);
        Object.insert(QStringLiteral("count"), Where.Count);
    }
    return Object;
}

} // namespace

QJsonObject FaultDetail(const ExchangeFault &Fault)
{
    QJsonObject Detail {{QStringLiteral("fault"), FaultName(Fault.Code)}};
    if (Fault.InTransaction)
        Detail.insert(QStringLiteral("transaction"), TransactionJson(Fault.Where));
    return Detail;
}

int Runner::Usage(const QString &Message)
{
    Say(Message + QStringLiteral("\nTry 'korvelctl --help' for more information."));
    return Fail(BadUsage, Message, {{QStringLiteral("quiet"), true}});
}

void Runner::Say(const QString &Message)
{
    Err << Program << ": " << Message << '\n';
    Err.flush();
}

int Runner::Fail(int Code, const QString &Message, QJsonObject Detail)
{
    // Usage has said it already, with its hint.
    if (!Detail.take(QStringLiteral("quiet")).toBool())
        Say(Message);
    if (!Set.Json && !JsonAsked)
        return Code;
    if (!Detail.contains(QStringLiteral("fault")))
        Detail.insert(QStringLiteral("fault"), FaultOfCode(Code));
    Detail.insert(QStringLiteral("exit"), Code);
    Detail.insert(QStringLiteral("message"), Message);
    PrintJson(Detail);
    return Code;
}

void Runner::Warn(const QString &Where, const QStringList &Warnings)
{
    for (const QString &Warning : Warnings)
        Say(QStringLiteral("warning: ") + (Where.isEmpty() ? QString() : Where + QStringLiteral(": ")) + Warning);
}

// The last exchange's fault, with the exit code its kind gives: a port
// that did not take the bytes is the port's fault, not the device's.
int Runner::DeviceFault(const QString &Prefix, const QString &Suffix)
{
    const ExchangeFault &Fault = Exchange.Failure();
    int Code = DeviceFailed;
    if (Fault.Code == FaultCode::PortRefused)
        Code = PortFailed;
    else if (Fault.Code == FaultCode::InvalidRequest)
        Code = BadUsage;
    const QJsonObject Detail = FaultDetail(Fault);
    // A connection that went away is what ended the transaction.
    if (Fault.InTransaction && !Line.Lost().isEmpty())
        return Fail(Code, Prefix + TransactionText(Fault.Where) + QStringLiteral(": ") + Line.Lost() + Suffix, Detail);
    return Fail(Code, Prefix + Describe(Fault) + Suffix, Detail);
}

bool Runner::CommitUncertain() const
{
    const ExchangeFault &Fault = Exchange.Failure();
    if (!Fault.InTransaction || Fault.Where.What != Transaction::Kind::Commit)
        return false;
    // An exception or another code is the device's own answer: not taken.
    return Fault.Code != FaultCode::Exception && Fault.Code != FaultCode::CommitRefused
        && Fault.Code != FaultCode::PortRefused;
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
    QString Error;
    if (!Output.Open(Set.Output, &Error)) {
        *Code = Fail(BadUsage, Error);
        return false;
    }
    return true;
}

// Standard output is checked once, as the run ends (Run).
int Runner::FinishOutput(const QByteArray &Text)
{
    if (Set.Output.isEmpty()) {
        Out << QString::fromUtf8(Text);
        Out.flush();
        return Done;
    }
    QString Error;
    if (!Output.Commit(Text, &Error))
        return Fail(OutputFailed, Error);
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
    // Saved as the device holds them, so that the file puts back what was there.
    Warn(QString(), CtlFiles::RangeWarnings(Params));
    return FinishOutput(CtlFiles::FormatParams(Params));
}

int Runner::WriteParams()
{
    int Code = Done;
    ParamList Wanted;
    if (!ReadParamFile(&Wanted, WriteRange(), &Code))
        return Code;
    const QString Unreachable = CtlFiles::AddressProblem(Wanted);
    if (!Unreachable.isEmpty())
        return Fail(BadUsage, CtlIo::Shown(Set.Input) + QStringLiteral(": ") + Unreachable);
    return WriteFollowing(Wanted);
}

EidListFile::Range Runner::WriteRange() const
{
    return Set.OutOfRange ? EidListFile::Range::Whole : EidListFile::Range::Window;
}

int Runner::ReadEids()
{
    int Code = Done;
    if (!OpenOutput(&Code) || !OpenLine(&Code))
        return Code;
    QVector<qint32> Eids;
    if (!Exchange.ReadEids(EidCount, &Eids))
        return DeviceFault();
    Warn(QString(), CtlFiles::RangeWarnings(Eids));
    return FinishOutput(Set.Csv ? EidListFile::FormatCsv(Eids) : CtlFiles::FormatEids(Eids));
}

// The parameter file of write and diff, checked whole before the port is
// opened.
bool Runner::ReadParamFile(ParamList *Params, EidListFile::Range Values, int *Code)
{
    QByteArray Text;
    QString Error;
    if (!ReadInput(&Text, Code))
        return false;
    if (!CtlFiles::ParseParams(Text, Params, &Error, Values)) {
        *Code = Fail(BadUsage, CtlIo::Shown(Set.Input) + QStringLiteral(": ") + Error);
        return false;
    }
    return true;
}

// The EID file of write and diff, checked whole before the port is opened;
// a duplicated EID is a warning, not a fault.
bool Runner::ReadEidFile(QVector<qint32> *Eids, EidListFile::Range Values, int *Code)
{
    QByteArray Text;
    QString Error;
    QStringList Warnings;
    if (!ReadInput(&Text, Code))
        return false;
    if (!CtlFiles::ParseEids(Text, Eids, &Error, Set.EidColumn, &Warnings, Values)) {
        *Code = Fail(BadUsage, CtlIo::Shown(Set.Input) + QStringLiteral(": ") + Error);
        return false;
    }
    Warn(CtlIo::Shown(Set.Input), Warnings);
    return true;
}

int Runner::WriteEids()
{
    int Code = Done;
    QVector<qint32> Eids;
    if (!ReadEidFile(&Eids, WriteRange(), &Code) || !OpenLine(&Code))
        return Code;
    QString Committed = QStringLiteral("the commit was sent; ");
    if (!Exchange.WriteEids(CtlFiles::WholeList(Eids))) {
        if (!CommitUncertain())
            return DeviceFault();
        if (!Set.Verify)
            return DeviceFault(QString(), QStringLiteral("; the device may have taken the list (--verify reads it back)"));
        Committed = CommitLost(QStringLiteral("list"));
    }
    if (Set.Verify) {
        QVector<qint32> Got;
        if (!Exchange.ReadEids(EidCount, &Got))
            return DeviceFault(Committed + QStringLiteral("verify: "));
        const QVector<CtlFiles::Difference> Differ = CtlFiles::EidDifferences(Eids, Got);
        if (!Differ.isEmpty())
            return Fail(DeviceFailed, Committed + QStringLiteral("verify: %1 of %2 EIDs differ; entry %3 reads %4, "
                                                                 "the file says %5")
                                                      .arg(Differ.size())
                                                      .arg(Eids.size())
                                                      .arg(Differ.first().Entry)
                                                      .arg(QString::fromLatin1(CtlFiles::EidText(Differ.first().Device)),
                                                           QString::fromLatin1(CtlFiles::EidText(Differ.first().File))),
                        {{QStringLiteral("fault"), QStringLiteral("verify")}});
    }
    Out << Eids.size() << " EIDs written and committed" << (Set.Verify ? ", verified" : "") << '\n';
    return Done;
}

int Runner::Main(const QStringList &Arguments)
{
    ShowFrames(false);
    JsonAsked = Arguments.contains(QStringLiteral("--json"));
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
    Runner One(Out, Err);
    int Code = One.Main(Arguments);
    Out.flush();
    // Output that did not reach its reader is no success: a full disk, a
    // closed pipe, a file size limit.
    if (Out.status() != QTextStream::Ok) {
        const QString Reason = Out.device() ? Out.device()->errorString() : QStringLiteral("write failed");
        Err << Program << ": cannot write standard output: " << Reason << '\n';
        Code = Code == Done ? int(OutputFailed) : Code;
    }
    Err.flush();
    return Code;
}

} // namespace Korvelctl
