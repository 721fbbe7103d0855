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

// The window's tests of each kind: the length, the CRC and the counts its
// replies are documented to pass.
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
            return Refused(FaultCode::WrongFunction, ByteAt(Reply, 1), ModbusRtu::FuncWriteMultiple);
        if (Reply.size() <= 4)
            return Fault(FaultCode::Unreadable, Reply.size());
        // A 5-byte reply has no byte 5; it reads as 0 rather than past the end.
        if (!CountInBlock(Where.Count) || WordAt(Reply, 4) != quint32(2 * Where.Count))
            return Fault(FaultCode::WrongCount, WordAt(Reply, 4), 2 * Where.Count);
        break;
    }
    return Fault(FaultCode::None);
}

quint8 FunctionOf(Kind What)
{
    switch (What) {
    case Kind::ParamRead:
    case Kind::EidRead: return ModbusRtu::FuncReadHolding;
    case Kind::ParamWrite:
    case Kind::Commit: return ModbusRtu::FuncWriteSingle;
    case Kind::EidWrite: return ModbusRtu::FuncWriteMultiple;
    }
    return 0;
}

// A single write's echoed value; a commit's value is its code, tested with
// the content.
ExchangeFault ValueFault(const QByteArray &Reply, const Transaction &Where)
{
    if (Where.What == Kind::ParamWrite && WordAt(Reply, 4) != quint16(Where.Value))
        return Fault(FaultCode::WrongEcho, WordAt(Reply, 4), Where.Value);
    return Fault(FaultCode::None);
}

// A device asked by its own address is held to answering that request:
// from that address, with its function (or that function's exception), a
// write's register echoed, the counts, the length asked, a write's value.
// Content is the window's verdict on the same reply; a reply it cannot read
// as a whole frame stays refused as such.
ExchangeFault AnswerFault(const QByteArray &Reply, const Transaction &Where, quint8 Address,
                          const ExchangeFault &Content)
{
    switch (Content.Code) {
    case FaultCode::NoReply:
    case FaultCode::Short:
    case FaultCode::TooLong:
    case FaultCode::BadCrc:
    case FaultCode::Unreadable: return Content;
    default: break;
    }
    const int From = int(ByteAt(Reply, 0));
    if (From != Address)
        return Fault(FaultCode::OtherAddress, From, Address);
    const int Function = FunctionOf(Where.What);
    const int Answered = int(ByteAt(Reply, 1));
    if (ModbusRtu::IsExceptionReply(Reply) && Answered == (Function | 0x80))
        return Fault(FaultCode::Exception, ModbusRtu::ExceptionCode(Reply));
    if (Answered != Function)
        return Fault(FaultCode::WrongFunction, Answered, Function);
    const bool Read = Where.What == Kind::ParamRead || Where.What == Kind::EidRead;
    if (!Read && WordAt(Reply, 2) != quint16(Where.Register)) {
        ExchangeFault Found = Fault(FaultCode::WrongEcho, WordAt(Reply, 2), quint16(Where.Register));
        Found.EchoOfRegister = true;
        return Found;
    }
    if (Content.Failed())
        return Content;
    const int Expected = ExpectedLength(Where);
    if (Reply.size() != Expected)
        return LengthFault(Reply, Expected);
    return ValueFault(Reply, Where);
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

// At 0x00 a reply is held to the window's documented tests and no more:
// the radio answers a request to 0x00 with its own ModbusID or a fixed byte
// where the address goes, so that byte names nobody, and the operator's
// radio is known to pass those tests; more would refuse radios that work.
// A device named by its own address answers as any Modbus server does.
ExchangeFault Check(const QByteArray &Reply, const Transaction &Where, quint8 Address)
{
    ExchangeFault Found = ContentFault(Reply, Where);
    if (Address != ModbusRtu::DeviceAddress)
        Found = AnswerFault(Reply, Where, Address, Found);
    else if (!Found.Failed() && Where.StrictEcho)
        Found = ValueFault(Reply, Where);
    Found.Where = Where;
    return Found;
}

} // namespace ReplyCheck
