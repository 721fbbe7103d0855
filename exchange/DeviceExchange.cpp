#include "DeviceExchange.h"

#include "CategoryLog.h"
#include "EidRegisters.h"
#include "ModbusRtu.h"
#include "ReplyCheck.h"

namespace {

using Kind = Transaction::Kind;

Transaction BlockTransaction(Kind What, const EidRegisters::Block &Block, int Number)
{
    Transaction Where;
    Where.What = What;
    Where.Register = Block.FirstRegister;
    Where.Count = Block.Count;
    Where.Block = Number;
    return Where;
}

Transaction ParamTransaction(Kind What, const ParamValue &Param)
{
    Transaction Where;
    Where.What = What;
    Where.Register = Param.Register;
    Where.Name = Param.Name;
    return Where;
}

} // namespace

DeviceExchange::DeviceExchange(RequestLine &Line, const QLoggingCategory &Log)
    : Line(Line), Log(Log)
{
}

void DeviceExchange::SetAddress(quint8 NewAddress)
{
    Address = NewAddress;
}

void DeviceExchange::SetRetries(int NewRetries)
{
    Retries = NewRetries < 0 ? 0 : NewRetries;
}

void DeviceExchange::SetStrictEcho(bool Strict)
{
    StrictEcho = Strict;
}

bool DeviceExchange::Refuse(const QString &Why)
{
    LastFailure = {};
    LastFailure.Code = FaultCode::InvalidRequest;
    LastFailure.Reason = Why;
    return false;
}

void DeviceExchange::LogReply(const QByteArray &Reply, Kind What) const
{
    if (What == Kind::ParamRead)
        KORVEL_DEBUG(Log) << Reply.size();
    if (What == Kind::ParamRead || What == Kind::ParamWrite || What == Kind::Commit)
        KORVEL_DEBUG(Log).noquote() << ModbusRtu::HexText(Reply);
}

// One transaction, sent again while its reply fails and retries are left.
bool DeviceExchange::Transact(const QByteArray &Frame, const Transaction &Where, QByteArray *Answer)
{
    LastFailure = {};
    const quint8 Expected = ReplyCheck::ExpectedLength(Where);
    for (int Attempt = 0;; ++Attempt) {
        *Answer = Line.Transact(Frame, Expected);
        LogReply(*Answer, Where.What);
        const QString NotSent = Line.SendFailure();
        const QString Refused = Line.ReplyRefused();
        ExchangeFault Found;
        if (NotSent.isEmpty() && !Refused.isEmpty()) {
            Found.Code = FaultCode::Framing;
            Found.Reason = Refused;
            Found.Where = Where;
        } else if (NotSent.isEmpty()) {
            Found = ReplyCheck::Check(*Answer, Where, Address);
        } else {
            // Bytes the port did not take cannot be answered; no retry helps.
            Found.Code = FaultCode::PortRefused;
            Found.Reason = NotSent;
            Found.Where = Where;
            Attempt = Retries;
        }
        if (!Found.Failed())
            return true;
        if (Attempt >= Retries) {
            Found.InTransaction = true;
            Found.WaitMs = Line.WaitLimitMs();
            LastFailure = Found;
            return false;
        }
    }
}

// The parameter a transaction is about, before its frame: the window's log
// names each one so.
void DeviceExchange::LogParam(const ParamValue &Param) const
{
    KORVEL_DEBUG(Log).noquote() << Param.Name;
    KORVEL_DEBUG(Log) << Param.Value;
    KORVEL_DEBUG(Log) << Param.Register;
}

bool DeviceExchange::ReadParam(ParamValue *Param)
{
    LogParam(*Param);
    QByteArray Answer;
    if (!Transact(ModbusRtu::BuildParamRead(Param->Register, Address),
                  ParamTransaction(Kind::ParamRead, *Param), &Answer))
        return false;
    Param->Value = ModbusRtu::ParamReadValue(Answer);
    return true;
}

bool DeviceExchange::WriteParam(ParamValue *Param)
{
    LogParam(*Param);
    QByteArray Answer;
    Transaction Where = ParamTransaction(Kind::ParamWrite, *Param);
    Where.Value = Param->Value;
    Where.StrictEcho = StrictEcho;
    if (!Transact(ModbusRtu::BuildParamWrite(Param->Register, Param->Value, Address), Where, &Answer))
        return false;
    // What the device kept is what it echoed, not what was sent.
    Param->Value = ModbusRtu::ParamWriteEchoValue(Answer);
    return true;
}

bool DeviceExchange::ReadParams(ParamList *Params)
{
    for (ParamValue &Param : *Params) {
        if (!ReadParam(&Param))
            return false;
    }
    return true;
}

bool DeviceExchange::WriteParams(ParamList *Params)
{
    for (ParamValue &Param : *Params) {
        if (!WriteParam(&Param))
            return false;
    }
    // Only the commit makes the device take the written registers over.
    return Commit(ModbusRtu::CommitParamCode);
}

bool DeviceExchange::Commit(quint16 Code)
{
    Transaction Where;
    Where.What = Kind::Commit;
    Where.Register = ModbusRtu::CommandRegister;
    Where.Count = Code;
    QByteArray Answer;
    return Transact(ModbusRtu::BuildCommit(Code, Address), Where, &Answer);
}

// One block, sent whole; a read puts its EIDs at their positions in *Read.
bool DeviceExchange::EidBlock(const Transaction &Where, const QVector<qint32> &Values, QVector<qint32> *Read)
{
    const bool Write = Where.What == Kind::EidWrite;
    const int First = EidRegisters::SlotOf(Where.Register);
    for (int J = First; J < First + Where.Count; ++J) {
        if (Write) {
            KORVEL_DEBUG(Log) << J << Values[J];
            continue;
        }
        KORVEL_DEBUG(Log) << J;
        if (J == First)
            KORVEL_DEBUG(Log).noquote() << "ReadRegisterAddr:" << Where.Register;
    }
    const QByteArray Frame = Write
        ? ModbusRtu::BuildEidWrite(Where.Register, Values.mid(First, Where.Count), Address)
        : ModbusRtu::BuildEidRead(Where.Register, Where.Count, Address);
    KORVEL_DEBUG(Log).noquote() << Where.Block << ModbusRtu::HexText(Frame);
    QByteArray Answer;
    if (!Transact(Frame, Where, &Answer))
        return false;
    for (int M = 0; Read && M < Where.Count; ++M)
        (*Read)[First + M] = ModbusRtu::EidReadValue(Answer, M);
    return true;
}

bool DeviceExchange::ReadEids(int Count, QVector<qint32> *Eids)
{
    const QVector<EidRegisters::Block> Blocks = EidRegisters::Blocks(Count);
    if (Blocks.isEmpty() || Count > EidCount)
        return Refuse(QStringLiteral("not an EID list request"));
    QVector<qint32> Read(Count, 0);
    for (int Number = 0; Number < Blocks.size(); ++Number) {
        const Transaction Where = BlockTransaction(Kind::EidRead, Blocks[Number], Number);
        if (!EidBlock(Where, {}, &Read))
            return false;
    }
    *Eids = Read;
    return true;
}

bool DeviceExchange::WriteEids(const QVector<qint32> &Eids)
{
    const QVector<EidRegisters::Block> Blocks = EidRegisters::Blocks(Eids.size());
    if (Blocks.isEmpty() || Eids.size() > EidCount)
        return Refuse(QStringLiteral("not an EID list request"));
    for (int Number = 0; Number < Blocks.size(); ++Number) {
        const Transaction Where = BlockTransaction(Kind::EidWrite, Blocks[Number], Number);
        if (!EidBlock(Where, Eids, nullptr))
            return false;
    }
    return Commit(ModbusRtu::CommitEidCode);
}

bool DeviceExchange::WriteEidBlocks(const QVector<qint32> &Eids, const QVector<int> &Which, bool ThenCommit)
{
    const QVector<EidRegisters::Block> Blocks = EidRegisters::Blocks(Eids.size());
    if (Blocks.isEmpty() || Eids.size() > EidCount || Which.isEmpty())
        return Refuse(QStringLiteral("not an EID list request"));
    for (const int Number : Which) {
        if (Number < 0 || Number >= Blocks.size())
            return Refuse(QStringLiteral("not an EID list request"));
    }
    for (const int Number : Which) {
        const Transaction Where = BlockTransaction(Kind::EidWrite, Blocks[Number], Number);
        if (!EidBlock(Where, Eids, nullptr))
            return false;
    }
    return !ThenCommit || Commit(ModbusRtu::CommitEidCode);
}
