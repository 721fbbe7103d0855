#include "ReplyCheck.h"

#include "ModbusRtu.h"

namespace ReplyCheck {

namespace {

using Kind = Transaction::Kind;

using ModbusRtu::ByteAt;
using ModbusRtu::WordAt;

bool CountInBlock(int Count)
{
    return Count >= 1 && Count <= ModbusRtu::EidsPerBlock;
}

ExchangeFault Fault(FaultCode Code, int Got = 0, int Expected = 0)
{
    ExchangeFault Found;
    Found.Code = Code;
    Found.Got = Got;
    Found.Expected = Expected;
    return Found;
}

// Why a reply is not of its fixed length: nothing, an exception reply
// instead, too few bytes or too many.
ExchangeFault LengthFault(const QByteArray &Reply, int Expected)
{
    if (Reply.isEmpty())
        return Fault(FaultCode::NoReply);
    if (ModbusRtu::IsExceptionReply(Reply))
        return Fault(FaultCode::Exception, ModbusRtu::ExceptionCode(Reply));
    if (Reply.size() < Expected)
        return Fault(FaultCode::Short, Reply.size(), Expected);
    return Fault(FaultCode::TooLong, Reply.size(), Expected);
}

// A reply of no fixed length whose CRC does not hold: cut short within the
// wait, a whole reply with bytes after it (named as for a reply of fixed
// length), or garbled.
ExchangeFault CrcFault(const QByteArray &Reply, int Expected)
{
    if (Reply.size() < Expected)
        return Fault(FaultCode::Short, Reply.size(), Expected);
    if (Reply.size() > Expected && ModbusRtu::CrcResidueOk(Reply.left(Expected)))
        return Fault(FaultCode::TooLong, Reply.size(), Expected);
    return Fault(FaultCode::BadCrc);
}

// The tests of each kind up to the address, which is the same for all.
ExchangeFault ContentFault(const QByteArray &Reply, const Transaction &Where)
{
    const int Expected = ExpectedLength(Where);
    const bool FixedLength = Where.What != Kind::EidRead && Where.What != Kind::EidWrite;
    if (FixedLength && Reply.size() != Expected)
        return LengthFault(Reply, Expected);
    if (Reply.isEmpty())
        return Fault(FaultCode::NoReply);
    if (!ModbusRtu::CrcResidueOk(Reply))
        return FixedLength ? Fault(FaultCode::BadCrc) : CrcFault(Reply, Expected);
    const bool Exception = ModbusRtu::IsExceptionReply(Reply);
    const auto Refused = [&](FaultCode Code, int Got, int Want) {
        return Exception ? Fault(FaultCode::Exception, ModbusRtu::ExceptionCode(Reply)) : Fault(Code, Got, Want);
    };
    switch (Where.What) {
    case Kind::ParamRead:
        if (ByteAt(Reply, 2) != 2)
            return Fault(FaultCode::WrongCount, ByteAt(Reply, 2), 2);
        break;
    case Kind::ParamWrite:
        break;
    case Kind::Commit:
        if (WordAt(Reply, 4) != quint32(Where.Count))
            return Fault(FaultCode::CommitRefused, WordAt(Reply, 4), Where.Count);
        break;
    case Kind::EidRead:
        if (Reply.size() <= 2)
            return Fault(FaultCode::Unreadable, Reply.size());
        // No block of another size is ever sent, so no reply can match one.
        if (!CountInBlock(Where.Count) || ByteAt(Reply, 2) != quint32(4 * Where.Count))
            return Refused(FaultCode::WrongCount, ByteAt(Reply, 2), 4 * Where.Count);
        break;
    case Kind::EidWrite:
        if (Reply.size() <= 1)
            return Fault(FaultCode::Unreadable, Reply.size());
        if (ByteAt(Reply, 1) != ModbusRtu::FuncWriteMultiple)
            return Refused(FaultCode::WrongEcho, ByteAt(Reply, 1), ModbusRtu::FuncWriteMultiple);
        if (Reply.size() <= 4)
            return Fault(FaultCode::Unreadable, Reply.size());
        // A 5-byte reply has no byte 5; it reads as 0 rather than past the end.
        if (!CountInBlock(Where.Count) || WordAt(Reply, 4) != quint32(2 * Where.Count))
            return Fault(FaultCode::WrongCount, WordAt(Reply, 4), 2 * Where.Count);
        break;
    }
    return Fault(FaultCode::None);
}

} // namespace

quint8 ExpectedLength(const Transaction &Where)
{
    switch (Where.What) {
    case Kind::ParamRead: return ModbusRtu::ParamReadReplyLength;
    case Kind::ParamWrite: return ModbusRtu::ParamWriteReplyLength;
    case Kind::Commit: return ModbusRtu::CommitReplyLength;
    case Kind::EidRead: return ModbusRtu::EidReadReplyLength(Where.Count);
    case Kind::EidWrite: return ModbusRtu::EidWriteReplyLength;
    }
    return 0;
}

ExchangeFault Check(const QByteArray &Reply, const Transaction &Where, quint8 Address)
{
    ExchangeFault Found = ContentFault(Reply, Where);
    // Only a device addressed by its own address is held to answering as it.
    const int From = int(ByteAt(Reply, 0));
    if (!Found.Failed() && Address != ModbusRtu::DeviceAddress && From != Address)
        Found = Fault(FaultCode::OtherAddress, From, Address);
    Found.Where = Where;
    return Found;
}

} // namespace ReplyCheck

namespace ModbusRtu {

namespace {

bool Passes(const QByteArray &Reply, Transaction::Kind What, int Count)
{
    Transaction Where;
    Where.What = What;
    Where.Count = Count;
    return !ReplyCheck::Check(Reply, Where, DeviceAddress).Failed();
}

} // namespace

bool ParamReadReplyOk(const QByteArray &Reply)
{
    return Passes(Reply, Transaction::Kind::ParamRead, 1);
}

bool ParamWriteReplyOk(const QByteArray &Reply)
{
    return Passes(Reply, Transaction::Kind::ParamWrite, 1);
}

bool CommitReplyOk(const QByteArray &Reply, quint16 Code)
{
    return Passes(Reply, Transaction::Kind::Commit, Code);
}

bool EidReadReplyOk(const QByteArray &Reply, int Count)
{
    return Passes(Reply, Transaction::Kind::EidRead, Count);
}

bool EidWriteReplyOk(const QByteArray &Reply, int Count)
{
    return Passes(Reply, Transaction::Kind::EidWrite, Count);
}

} // namespace ModbusRtu
