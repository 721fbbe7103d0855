#include "ExchangeFault.h"

#include "EidRegisters.h"
#include "Language.h"
#include "ModbusRtu.h"

#include <QCoreApplication>

namespace {

// The texts are for people, in the operator's language where a catalogue
// is installed; fault and kind names stay as machines read them.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ExchangeFault)

public:
    static QString CountOf(const ExchangeFault &Fault);
    static QString EchoOf(const ExchangeFault &Fault);
    static QString ExceptionOf(int Code);
    static QString TransactionOf(const Transaction &Where);
    static QString FaultOf(const ExchangeFault &Fault);
};

// "1.5" for 1500 ms: seconds with as few decimals as they need, written as
// the language writes numbers.
QString Seconds(int Ms)
{
    return Language::Decimal(Ms / 1000.0);
}

// A function or exception code as Modbus tools print it: "0x03", "0x90".
QString CodeText(int Code)
{
    return QStringLiteral("0x") + QString::number(Code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

// One wording whatever the transaction: a read's byte count, a multiple
// write's echoed register count.
QString Texts::CountOf(const ExchangeFault &Fault)
{
    if (Fault.Where.What == Transaction::Kind::EidWrite)
        return tr("wrong count: echo of %1 registers instead of %2").arg(Fault.Got).arg(Fault.Expected);
    return tr("wrong count: byte count %1 instead of %2").arg(Fault.Got).arg(Fault.Expected);
}

QString Texts::EchoOf(const ExchangeFault &Fault)
{
    if (Fault.EchoOfRegister)
        return tr("wrong echo: register %1 instead of %2").arg(Fault.Got).arg(Fault.Expected);
    // A single write echoed otherwise ends the exchange before its commit.
    return tr("sent %1, the device echoed %2; nothing committed").arg(Fault.Expected).arg(Fault.Got);
}

QString Texts::ExceptionOf(int Code)
{
    const QString Meaning = ModbusRtu::ExceptionMeaning(quint8(Code));
    if (Meaning.isEmpty())
        return tr("Modbus exception %1").arg(CodeText(Code));
    return tr("Modbus exception %1 (%2)").arg(CodeText(Code), Meaning);
}

} // namespace

QString FaultName(FaultCode Code)
{
    switch (Code) {
    case FaultCode::None: return QString();
    case FaultCode::InvalidRequest: return QStringLiteral("invalid-request");
    case FaultCode::PortRefused: return QStringLiteral("port-refused");
    case FaultCode::NoReply: return QStringLiteral("no-reply");
    case FaultCode::Short: return QStringLiteral("short");
    case FaultCode::TooLong: return QStringLiteral("too-long");
    case FaultCode::BadCrc: return QStringLiteral("bad-crc");
    case FaultCode::Exception: return QStringLiteral("exception");
    case FaultCode::OtherAddress: return QStringLiteral("other-address");
    case FaultCode::WrongCount: return QStringLiteral("wrong-count");
    case FaultCode::WrongFunction: return QStringLiteral("wrong-function");
    case FaultCode::WrongEcho: return QStringLiteral("wrong-echo");
    case FaultCode::CommitRefused: return QStringLiteral("commit-refused");
    case FaultCode::Unreadable: return QStringLiteral("unreadable");
    case FaultCode::Framing: return QStringLiteral("framing");
    }
    return QString();
}

QString KindName(Transaction::Kind What)
{
    switch (What) {
    case Transaction::Kind::ParamRead: return QStringLiteral("param-read");
    case Transaction::Kind::ParamWrite: return QStringLiteral("param-write");
    case Transaction::Kind::Commit: return QStringLiteral("commit");
    case Transaction::Kind::EidRead: return QStringLiteral("eid-read");
    case Transaction::Kind::EidWrite: return QStringLiteral("eid-write");
    }
    return QString();
}

QString Texts::TransactionOf(const Transaction &Where)
{
    switch (Where.What) {
    case Transaction::Kind::ParamRead: return tr("reading %1 (register %2)").arg(Where.Name).arg(Where.Register);
    case Transaction::Kind::ParamWrite: return tr("writing %1 (register %2)").arg(Where.Name).arg(Where.Register);
    case Transaction::Kind::Commit:
        return tr("commit with code %1 (register %2)").arg(Where.Count).arg(Where.Register);
    case Transaction::Kind::EidRead:
    case Transaction::Kind::EidWrite:
        break;
    }
    const int First = EidRegisters::SlotOf(Where.Register) + 1;
    return (Where.IsWrite() ? tr("writing EID block %1 (entries %2 to %3, registers %4 to %5)")
                            : tr("reading EID block %1 (entries %2 to %3, registers %4 to %5)"))
        .arg(Where.Block + 1)
        .arg(First)
        .arg(First + Where.Count - 1)
        .arg(Where.Register)
        .arg(Where.Register + EidRegisters::PerSlot * Where.Count - 1);
}

QString Texts::FaultOf(const ExchangeFault &Fault)
{
    switch (Fault.Code) {
    case FaultCode::None: return QString();
    case FaultCode::InvalidRequest: return Fault.Reason;
    case FaultCode::PortRefused:
        return Fault.Reason.isEmpty() ? tr("the port refused the request") : Fault.Reason;
    case FaultCode::NoReply: return tr("no reply within %1 s").arg(Seconds(Fault.WaitMs));
    case FaultCode::Short:
        return tr("only %1 of %2 bytes within %3 s").arg(Fault.Got).arg(Fault.Expected).arg(Seconds(Fault.WaitMs));
    case FaultCode::TooLong: return tr("%1 bytes instead of %2").arg(Fault.Got).arg(Fault.Expected);
    case FaultCode::BadCrc: return tr("bad CRC");
    case FaultCode::Exception: return ExceptionOf(Fault.Got);
    case FaultCode::OtherAddress: return tr("reply from address %1 instead of %2").arg(Fault.Got).arg(Fault.Expected);
    case FaultCode::WrongCount: return CountOf(Fault);
    case FaultCode::WrongFunction:
        return tr("wrong function: %1 instead of %2").arg(CodeText(Fault.Got), CodeText(Fault.Expected));
    case FaultCode::WrongEcho: return EchoOf(Fault);
    case FaultCode::CommitRefused: return tr("wrong echo: code %1 instead of %2").arg(Fault.Got).arg(Fault.Expected);
    case FaultCode::Unreadable: return tr("reply of %1 bytes refused").arg(Fault.Got);
    case FaultCode::Framing: return Fault.Reason;
    }
    return QString();
}

QString TransactionText(const Transaction &Where)
{
    return Texts::TransactionOf(Where);
}

QString FaultText(const ExchangeFault &Fault)
{
    return Texts::FaultOf(Fault);
}

QString Describe(const ExchangeFault &Fault)
{
    if (!Fault.InTransaction)
        return FaultText(Fault);
    return TransactionText(Fault.Where) + QStringLiteral(": ") + FaultText(Fault);
}
