// The reply to an EID block read, as arbitrary bytes from the line, with a
// block size and an EID index that are fuzzed too.
//
// Input layout: the last byte is the block size (signed), the four bytes
// before it the EID index (signed, as libFuzzer's FuzzedDataProvider takes
// integers from the end); everything in front is the reply.

#include "FuzzSupport.h"
#include "ModbusRtu.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <limits>

using FuzzSupport::ByteAt;
using FuzzSupport::Check;

namespace {
qint32 ReferenceValue(const QByteArray &Reply, qint64 Index)
{
    if (Index < 0)
        return 0;
    const qint64 Pos = 3 + 4 * Index;
    return static_cast<qint32>((ByteAt(Reply, Pos) << 24) | (ByteAt(Reply, Pos + 1) << 16)
                               | (ByteAt(Reply, Pos + 2) << 8) | ByteAt(Reply, Pos + 3));
}

bool ReferenceOk(const QByteArray &Reply, int Count)
{
    // No block outside 1 to 25 EIDs is ever sent, so no reply can answer one.
    return Reply.size() > 0 && FuzzSupport::ReferenceResidueOk(Reply) && Reply.size() > 2
        && Count >= 1 && Count <= ModbusRtu::EidsPerBlock
        && ByteAt(Reply, 2) == static_cast<unsigned>(4 * Count);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    FuzzedDataProvider Input(Data, Size);
    const int Count = Input.ConsumeIntegral<int8_t>();
    const int Index = Input.ConsumeIntegral<int32_t>();
    const std::vector<uint8_t> Rest = Input.ConsumeRemainingBytes<uint8_t>();
    const QByteArray Reply = FuzzSupport::Bytes(Rest.data(), Rest.size());

    const quint8 Length = ModbusRtu::EidReadReplyLength(Count);
    Check(Length >= 9 && Length <= 105, "EidReadReplyLength range");
    if (Count >= 1 && Count <= ModbusRtu::EidsPerBlock)
        Check(Length == 4 * Count + 5, "EidReadReplyLength");

    const bool Ok = ModbusRtu::EidReadReplyOk(Reply, Count);
    Check(Ok == ReferenceOk(Reply, Count), "EidReadReplyOk");

    for (const int At : {Index, Index == std::numeric_limits<int>::min() ? 0 : -Index, Index / 4, std::numeric_limits<int>::max(),
                         std::numeric_limits<int>::min()})
        Check(ModbusRtu::EidReadValue(Reply, At) == ReferenceValue(Reply, At), "EidReadValue");
    // What the exchange decodes from an accepted block.
    if (Ok) {
        for (int M = 0; M < Count; ++M)
            Check(ModbusRtu::EidReadValue(Reply, M) == ReferenceValue(Reply, M), "EID of block");
    }
    return 0;
}
