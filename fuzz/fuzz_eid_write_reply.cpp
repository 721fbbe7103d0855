// The acknowledgement of an EID block write, as arbitrary bytes from the
// line, with a fuzzed block size (the input's last byte, signed); the rest
// of the input is the reply.

#include "FuzzSupport.h"
#include "ModbusRtu.h"

#include <fuzzer/FuzzedDataProvider.h>

using FuzzSupport::ByteAt;
using FuzzSupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    FuzzedDataProvider Input(Data, Size);
    const int Count = Input.ConsumeIntegral<int8_t>();
    const std::vector<uint8_t> Rest = Input.ConsumeRemainingBytes<uint8_t>();
    const QByteArray Reply = FuzzSupport::Bytes(Rest.data(), Rest.size());

    const bool Expected = Reply.size() > 0 && FuzzSupport::ReferenceResidueOk(Reply)
        && Reply.size() > 1 && ByteAt(Reply, 1) == 0x10 && Reply.size() > 4
        && Count >= 1 && Count <= ModbusRtu::EidsPerBlock
        && ((ByteAt(Reply, 4) << 8) | ByteAt(Reply, 5)) == static_cast<unsigned>(2 * Count);
    Check(ModbusRtu::EidWriteReplyOk(Reply, Count) == Expected, "EidWriteReplyOk");

    // A block write request built from the reply's bytes as EID values.
    if (Count >= 1 && Count <= ModbusRtu::EidsPerBlock) {
        QByteArray Frame("stale");
        ModbusRtu::OpenEidBlockWrite(Frame, 47001 + 2 * (static_cast<int>(ByteAt(Reply, 0)) % 200));
        for (int M = 0; M < Count; ++M) {
            const qint64 Pos = 4 * M;
            ModbusRtu::AppendEidValue(Frame, static_cast<qint32>(
                (ByteAt(Reply, Pos) << 24) | (ByteAt(Reply, Pos + 1) << 16)
                | (ByteAt(Reply, Pos + 2) << 8) | ByteAt(Reply, Pos + 3)));
        }
        ModbusRtu::CloseEidBlockWrite(Frame, Count);
        Check(Frame.size() == 9 + 4 * Count, "block write length");
        Check(ByteAt(Frame, 1) == 0x10 && ByteAt(Frame, 4) == 0
                  && ByteAt(Frame, 5) == static_cast<unsigned>(2 * Count)
                  && ByteAt(Frame, 6) == static_cast<unsigned>(4 * Count),
              "block write counts");
        Check(FuzzSupport::ReferenceResidueOk(Frame), "block write CRC");
    }
    return 0;
}
