// A reply from the line, as arbitrary bytes, against each reply test and
// decoder; the first input byte picks the test (modulo 5): parameter read,
// parameter write, commit, EID block read, EID block write. For the EID
// tests the last byte is the block size (signed) and, for a read, the four
// bytes before it an EID index, as FuzzedDataProvider takes integers from
// the end; the rest is the reply. Every test is checked against a
// reference written here from the protocol, with its own CRC.

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

qint32 ReferenceEid(const QByteArray &Reply, qint64 Index)
{
    if (Index < 0)
        return 0;
    return static_cast<qint32>((WordAt(Reply, 3 + 4 * Index) << 16) | WordAt(Reply, 5 + 4 * Index));
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
    switch (Test) {
    case 0:
        Check(ModbusRtu::ParamReadReplyOk(Reply) == (Length == 7 && Crc && ByteAt(Reply, 2) == 2), "ParamReadReplyOk");
        Check(ModbusRtu::ParamReadValue(Reply) == WordAt(Reply, 3), "ParamReadValue");
        break;
    case 1:
        Check(ModbusRtu::ParamWriteReplyOk(Reply) == (Length == 8 && Crc), "ParamWriteReplyOk");
        Check(ModbusRtu::ParamWriteEchoValue(Reply) == WordAt(Reply, 4), "ParamWriteEchoValue");
        break;
    case 2:
        for (const quint16 Code : {ModbusRtu::CommitParamCode, ModbusRtu::CommitEidCode, quint16(WordAt(Reply, 0))})
            Check(ModbusRtu::CommitReplyOk(Reply, Code) == (Length == 8 && Crc && WordAt(Reply, 4) == Code),
                  "CommitReplyOk");
        break;
    case 3: {
        const quint8 Expected = ModbusRtu::EidReadReplyLength(Count);
        Check(InBlock ? Expected == 4 * Count + 5 : (Expected == 9 || Expected == 105), "EidReadReplyLength");
        Check(ModbusRtu::EidReadReplyOk(Reply, Count) == (Length > 2 && Crc && InBlock && ByteAt(Reply, 2) == 4u * Count),
              "EidReadReplyOk");
        for (const int At : {Index, Index / 4, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()})
            Check(ModbusRtu::EidReadValue(Reply, At) == ReferenceEid(Reply, At), "EidReadValue");
        break;
    }
    default:
        Check(ModbusRtu::EidWriteReplyOk(Reply, Count)
                  == (Length > 4 && Crc && ByteAt(Reply, 1) == 0x10 && InBlock && WordAt(Reply, 4) == 2u * Count),
              "EidWriteReplyOk");
        break;
    }
    // The same check with an address: taken only from that device, and
    // every refusal in words.
    Transaction Where;
    Where.What = Transaction::Kind(Test);
    Where.Count = Test == 2 ? int(ModbusRtu::CommitParamCode) : (Test >= 3 ? Count : 1);
    const quint8 Address = quint8(Data[0] / 5);
    const ExchangeFault Fault = ReplyCheck::Check(Reply, Where, Address);
    const bool Taken = !ReplyCheck::Check(Reply, Where, ModbusRtu::DeviceAddress).Failed()
        && (Address == ModbusRtu::DeviceAddress || ByteAt(Reply, 0) == Address);
    Check(Fault.Failed() != Taken, "reply from the address asked");
    Check(FaultText(Fault).isEmpty() != Fault.Failed(), "a refusal in words");
    return 0;
}
