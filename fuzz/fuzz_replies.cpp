// A reply from the line, as arbitrary bytes, against ReplyCheck::Check and
// the decoders; the first input byte picks the test (modulo 5): parameter
// read, parameter write, commit, EID block read, EID block write, and the
// address asked (divided by 5; 0 is 0x00). For the EID tests the last byte
// is the block size (signed) and, for a read, the four bytes before it an
// EID index, as FuzzedDataProvider takes integers from the end; the rest is
// the reply. The check is compared with a reference written here from the
// protocol, with its own CRC: at 0x00 the window's tests, at an address
// what a device answering that request sends.

#include "FuzzSupport.h"
#include "ModbusRtu.h"
#include "ReplyCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <limits>

using FuzzSupport::ByteAt;
using FuzzSupport::Check;

namespace {

unsigned WordAt(const QByteArray &Reply, qint64 Pos)
{
    return (ByteAt(Reply, Pos) << 8) | ByteAt(Reply, Pos + 1);
}

// The request each test answers: a read of register 40302, a write of 433
// to it, commit code 6, an EID block from 47001.
constexpr int ParamRegister = 40302;
constexpr int Sent = 433;
constexpr int EidRegister = 47001;

Transaction Asked(int Test, int Count)
{
    Transaction Where;
    Where.What = Transaction::Kind(Test);
    Where.Count = Test == 2 ? int(ModbusRtu::CommitParamCode) : (Test >= 3 ? Count : 1);
    Where.Register = Test == 2 ? ModbusRtu::CommandRegister : (Test >= 3 ? EidRegister : ParamRegister);
    Where.Value = Sent;
    return Where;
}

bool Taken(const QByteArray &Reply, const Transaction &Where, quint8 Address)
{
    return !ReplyCheck::Check(Reply, Where, Address).Failed();
}

qint32 ReferenceEid(const QByteArray &Reply, qint64 Index)
{
    if (Index < 0)
        return 0;
    return static_cast<qint32>((WordAt(Reply, 3 + 4 * Index) << 16) | WordAt(Reply, 5 + 4 * Index));
}

// At an address: the whole reply that request has, from that address, with
// its function, counts and echoes; the first difference names the fault.
void CheckAddressed(const QByteArray &Reply, const Transaction &Where, quint8 Address)
{
    if (Address == ModbusRtu::DeviceAddress)
        return;
    using Kind = Transaction::Kind;
    const int Count = Where.Count;
    const bool InBlock = Count >= 1 && Count <= ModbusRtu::EidsPerBlock;
    int Length = 8;
    unsigned Function = 0x06;
    bool Fields = false;
    switch (Where.What) {
    case Kind::ParamRead:
        Length = 7;
        Function = 0x03;
        Fields = ByteAt(Reply, 2) == 2;
        break;
    case Kind::ParamWrite: Fields = WordAt(Reply, 2) == ParamRegister && WordAt(Reply, 4) == Sent; break;
    case Kind::Commit: Fields = WordAt(Reply, 2) == 40001 && WordAt(Reply, 4) == unsigned(Count); break;
    case Kind::EidRead:
        Length = 4 * Count + 5;
        Function = 0x03;
        Fields = InBlock && ByteAt(Reply, 2) == 4u * Count;
        break;
    case Kind::EidWrite:
        Function = 0x10;
        Fields = InBlock && WordAt(Reply, 2) == EidRegister && WordAt(Reply, 4) == 2u * Count;
        break;
    }
    const bool Whole = Reply.size() == Length && FuzzSupport::ReferenceResidueOk(Reply);
    const bool From = ByteAt(Reply, 0) == Address;
    const bool Answers = ByteAt(Reply, 1) == Function;
    const ExchangeFault Fault = ReplyCheck::Check(Reply, Where, Address);
    Check(Fault.Failed() != (Whole && From && Answers && Fields), "addressed: the reply to that request only");
    Check(FaultText(Fault).isEmpty() != Fault.Failed(), "a refusal in words");
    if (Whole && !From)
        Check(Fault.Code == FaultCode::OtherAddress, "addressed: another address named");
    if (Whole && From && !Answers)
        Check(Fault.Code == FaultCode::WrongFunction, "addressed: another function named");
    const bool Exception = Reply.size() == 5 && FuzzSupport::ReferenceResidueOk(Reply) && From
        && ByteAt(Reply, 1) == (Function | 0x80);
    if (Exception)
        Check(Fault.Code == FaultCode::Exception && Fault.Got == int(ByteAt(Reply, 2)), "addressed: its exception");
    const bool Write = Function != 0x03;
    if (Whole && From && Answers && Write && WordAt(Reply, 2) != unsigned(Where.Register))
        Check(Fault.Code == FaultCode::WrongEcho && Fault.EchoOfRegister && Fault.Got == int(WordAt(Reply, 2)),
              "addressed: another register echoed");
    if (Whole && From && Answers && Where.What == Kind::ParamWrite && WordAt(Reply, 2) == ParamRegister
        && WordAt(Reply, 4) != Sent)
        Check(Fault.Code == FaultCode::WrongEcho && !Fault.EchoOfRegister && Fault.Got == int(WordAt(Reply, 4)),
              "addressed: another value echoed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    if (Size == 0)
        return 0;
    FuzzedDataProvider Input(Data + 1, Size - 1);
    const int Test = Data[0] % 5;
    const int Count = Test >= 3 ? Input.ConsumeIntegral<int8_t>() : 0;
    const int Index = Test == 3 ? Input.ConsumeIntegral<int32_t>() : 0;
    const std::vector<uint8_t> Rest = Input.ConsumeRemainingBytes<uint8_t>();
    const QByteArray Reply = FuzzSupport::Bytes(Rest.data(), Rest.size());
    const int Length = Reply.size();
    const bool Crc = FuzzSupport::ReferenceResidueOk(Reply);
    const bool InBlock = Count >= 1 && Count <= ModbusRtu::EidsPerBlock;

    const quint16 Plain = FuzzSupport::ReferenceCrc(Reply);
    Check(ModbusCrc16(Reply) == static_cast<quint16>((Plain << 8) | (Plain >> 8)), "ModbusCrc16");
    const Transaction Where = Asked(Test, Count);
    // At 0x00: the window's tests, a write's value only where asked.
    switch (Test) {
    case 0:
        Check(Taken(Reply, Where, 0) == (Length == 7 && Crc && ByteAt(Reply, 2) == 2), "param read at 0x00");
        Check(ModbusRtu::ParamReadValue(Reply) == WordAt(Reply, 3), "ParamReadValue");
        break;
    case 1: {
        Check(Taken(Reply, Where, 0) == (Length == 8 && Crc), "param write at 0x00");
        Transaction Strict = Where;
        Strict.StrictEcho = true;
        Check(Taken(Reply, Strict, 0) == (Length == 8 && Crc && WordAt(Reply, 4) == Sent), "strict echo at 0x00");
        Check(ModbusRtu::ParamWriteEchoValue(Reply) == WordAt(Reply, 4), "ParamWriteEchoValue");
        break;
    }
    case 2:
        for (const quint16 Code : {ModbusRtu::CommitParamCode, ModbusRtu::CommitEidCode, quint16(WordAt(Reply, 0))}) {
            Transaction Commit = Where;
            Commit.Count = Code;
            Check(Taken(Reply, Commit, 0) == (Length == 8 && Crc && WordAt(Reply, 4) == Code), "commit at 0x00");
        }
        break;
    case 3: {
        const quint8 Expected = ModbusRtu::EidReadReplyLength(Count);
        Check(InBlock ? Expected == 4 * Count + 5 : (Expected == 9 || Expected == 105), "EidReadReplyLength");
        Check(Taken(Reply, Where, 0) == (Length > 2 && Crc && InBlock && ByteAt(Reply, 2) == 4u * Count),
              "EID read at 0x00");
        for (const int At : {Index, Index / 4, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()})
            Check(ModbusRtu::EidReadValue(Reply, At) == ReferenceEid(Reply, At), "EidReadValue");
        break;
    }
    default:
        Check(Taken(Reply, Where, 0)
                  == (Length > 4 && Crc && ByteAt(Reply, 1) == 0x10 && InBlock && WordAt(Reply, 4) == 2u * Count),
              "EID write at 0x00");
        break;
    }
    CheckAddressed(Reply, Where, quint8(Data[0] / 5));
    return 0;
}
