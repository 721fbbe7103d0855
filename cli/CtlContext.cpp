// What the commands share: failing and reporting, the line opened, the
// files in and out.

#include "CtlContext.h"

#include "CtlFiles.h"

#include <QJsonDocument>
#include <QTextStream>

Q_LOGGING_CATEGORY(CtlExchangeLog, "korvel.exchange", QtInfoMsg)

namespace Korvelctl {

namespace {

const QString Program = QStringLiteral("korvelctl");

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

int Context::Usage(const QString &Message)
{
    Say(Message + QLatin1Char('\n') + tr("Try 'korvelctl --help' for more information."));
    return Fail(BadUsage, Message, {{QStringLiteral("quiet"), true}});
}

void Context::Say(const QString &Message)
{
    Err << Program << ": " << Message << '\n';
    Err.flush();
}

int Context::Fail(int Code, const QString &Message, QJsonObject Detail)
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

int Context::Fail(const Outcome &Failed)
{
    return Fail(Failed.Exit, Failed.Message, Failed.Detail);
}

void Context::Warn(const QString &Where, const QStringList &Warnings)
{
    for (const QString &Warning : Warnings)
        Say(Where.isEmpty() ? tr("warning: %1").arg(Warning) : tr("warning: %1: %2").arg(Where, Warning));
}

int Context::PrintJson(const QJsonObject &Document)
{
    Out << QString::fromUtf8(QJsonDocument(Document).toJson(QJsonDocument::Indented));
    Out.flush();
    return Done;
}

// The last exchange's fault, with the exit code its kind gives: a port
// that did not take the bytes is the port's fault, not the device's.
int Context::DeviceFault(const QString &Prefix, const QString &Suffix)
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

bool Context::CommitUncertain() const
{
    const ExchangeFault &Fault = Exchange.Failure();
    if (!Fault.InTransaction || Fault.Where.What != Transaction::Kind::Commit)
        return false;
    // An exception or another code is the device's own answer: not taken.
    return Fault.Code != FaultCode::Exception && Fault.Code != FaultCode::CommitRefused
        && Fault.Code != FaultCode::PortRefused;
}

QString Context::CommitLost(const QString &ReadingBack)
{
    const QString Said = tr("the reply to the commit was lost or garbled (%1); ").arg(FaultText(Exchange.Failure()));
    Say(Said + ReadingBack);
    return Said;
}

QString Context::CommitSent()
{
    return tr("the commit was sent; ");
}

Outcome Context::OpenLine()
{
    QString Error;
    Line.SetWaitLimitMs(Set.WaitMs);
    Line.SetQueue(Set.LineWaitS * 1000, Program + QLatin1Char(' ') + CtlCommands::CommandText(Set));
    if (!Line.Open(Set.Line, Set.Baud, &Error))
        return {PortFailed, Error, {}};
    Exchange.SetAddress(quint8(Set.Address));
    Exchange.SetRetries(Set.Retries);
    return {};
}

Outcome Context::ReadInput(QByteArray *Text)
{
    QString Error;
    if (!CtlFiles::ReadFile(Set.Input, Text, &Error))
        return {BadUsage, Error, {}};
    return {};
}

// The output file is opened before anything is sent, so that a place it
// cannot be written to costs no exchange; it appears only on success.
Outcome Context::OpenOutput()
{
    QString Error;
    if (!Set.Output.isEmpty() && !Output.Open(Set.Output, &Error))
        return {BadUsage, Error, {}};
    return {};
}

// Standard output is checked once, as the run ends (Run).
int Context::FinishOutput(const QByteArray &Text)
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

EidListFile::Range Context::WriteRange() const
{
    return Set.OutOfRange ? EidListFile::Range::Whole : EidListFile::Range::Window;
}

// The parameter file of write and diff, checked whole before the port is
// opened.
Outcome Context::ReadParamFile(ParamList *Params, EidListFile::Range Values)
{
    QByteArray Text;
    QString Error;
    const Outcome Read = ReadInput(&Text);
    if (!Read.Ok())
        return Read;
    if (!CtlFiles::ParseParams(Text, Params, &Error, Values))
        return {BadUsage, CtlIo::Shown(Set.Input) + QStringLiteral(": ") + Error, {}};
    return {};
}

// The EID file of write and diff, checked whole before the port is opened;
// a duplicated EID is a warning, not a fault.
Outcome Context::ReadEidFile(QVector<qint32> *Eids, EidListFile::Range Values)
{
    QByteArray Text;
    QString Error;
    QStringList Warnings;
    const Outcome Read = ReadInput(&Text);
    if (!Read.Ok())
        return Read;
    if (!CtlFiles::ParseEids(Text, Eids, &Error, Set.EidColumn, &Warnings, Values))
        return {BadUsage, CtlIo::Shown(Set.Input) + QStringLiteral(": ") + Error, {}};
    Warn(CtlIo::Shown(Set.Input), Warnings);
    return {};
}

} // namespace Korvelctl
