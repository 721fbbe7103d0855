#include "ExchangeFault.h"

#include "EidRegisters.h"
#include "ModbusRtu.h"

namespace {

// "1.5 s" for 1500 ms: seconds with as few decimals as they need.
QString WaitText(int Ms)
{
    return QStringLiteral("%1 s").arg(QString::number(Ms / 1000.0));
}

QString InsteadOf(const char *What, int Got, int Expected)
{
    return QStringLiteral("%1 %2 instead of %3").arg(QLatin1String(What)).arg(Got).arg(Expected);
}

// One wording whatever the transaction: a read's byte count, a multiple
// write's echoed register count.
QString CountText(const ExchangeFault &Fault)
{
    if (Fault.Where.What == Transaction::Kind::EidWrite)
        return QStringLiteral("wrong count: echo of %1 registers instead of %2").arg(Fault.Got).arg(Fault.Expected);
    return QStringLiteral("wrong count: ") + InsteadOf("byte count", Fault.Got, Fault.Expected);
}

// A function or exception code as Modbus tools print it: "0x03", "0x90".
QString CodeText(int Code)
{
    return QStringLiteral("0x") + QString::number(Code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QString EchoText(const ExchangeFault &Fault)
{
    if (Fault.EchoOfRegister)
        return QStringLiteral("wrong echo: ") + InsteadOf("register", Fault.Got, Fault.Expected);
    // A single write echoed otherwise ends the exchange before its commit.
    return QStringLiteral("sent %1, the device echoed %2; nothing committed").arg(Fault.Expected).arg(Fault.Got);
}

QString ExceptionText(int Code)
{
    const QString Meaning = ModbusRtu::ExceptionMeaning(quint8(Code));
    return QStringLiteral("Modbus exception %1%2")
        .arg(CodeText(Code), Meaning.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(Meaning));
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

QString TransactionText(const Transaction &Where)
{
    const QLatin1String Verb(Where.IsWrite() ? "writing" : "reading");
    switch (Where.What) {
    case Transaction::Kind::ParamRead:
    case Transaction::Kind::ParamWrite:
        return QStringLiteral("%1 %2 (register %3)").arg(Verb, Where.Name).arg(Where.Register);
    case Transaction::Kind::Commit:
        return QStringLiteral("commit with code %1 (register %2)").arg(Where.Count).arg(Where.Register);
    case Transaction::Kind::EidRead:
    case Transaction::Kind::EidWrite:
        break;
    }
    const int First = EidRegisters::SlotOf(Where.Register) + 1;
    return QStringLiteral("%1 EID block %2 (entries %3 to %4, registers %5 to %6)")
        .arg(Verb)
        .arg(Where.Block + 1)
        .arg(First)
        .arg(First + Where.Count - 1)
        .arg(Where.Register)
        .arg(Where.Register + EidRegisters::PerSlot * Where.Count - 1);
}

QString FaultText(const ExchangeFault &Fault)
{
    switch (Fault.Code) {
    case FaultCode::None: return QString();
    case FaultCode::InvalidRequest: return Fault.Reason;
    case FaultCode::PortRefused:
        return Fault.Reason.isEmpty() ? QStringLiteral("the port refused the request") : Fault.Reason;
    case FaultCode::NoReply: return QStringLiteral("no reply within %1").arg(WaitText(Fault.WaitMs));
    case FaultCode::Short:
        return QStringLiteral("only %1 of %2 bytes within %3").arg(Fault.Got).arg(Fault.Expected).arg(WaitText(Fault.WaitMs));
    case FaultCode::TooLong: return QStringLiteral("%1 bytes instead of %2").arg(Fault.Got).arg(Fault.Expected);
    case FaultCode::BadCrc: return QStringLiteral("bad CRC");
    case FaultCode::Exception: return ExceptionText(Fault.Got);
    case FaultCode::OtherAddress: return QStringLiteral("reply from ") + InsteadOf("address", Fault.Got, Fault.Expected);
    case FaultCode::WrongCount: return CountText(Fault);
    case FaultCode::WrongFunction:
        return QStringLiteral("wrong function: %1 instead of %2")
            .arg(CodeText(Fault.Got), CodeText(Fault.Expected));
    case FaultCode::WrongEcho: return EchoText(Fault);
    case FaultCode::CommitRefused: return QStringLiteral("wrong echo: ") + InsteadOf("code", Fault.Got, Fault.Expected);
    case FaultCode::Unreadable: return QStringLiteral("reply of %1 bytes refused").arg(Fault.Got);
    case FaultCode::Framing: return Fault.Reason;
    }
    return QString();
}

QString Describe(const ExchangeFault &Fault)
{
    if (!Fault.InTransaction)
        return FaultText(Fault);
    return TransactionText(Fault.Where) + QStringLiteral(": ") + FaultText(Fault);
}
