// The echo of a commit request, as arbitrary bytes from the line, tested
// against both commit codes and against a code taken from the bytes.

#include "FuzzSupport.h"
#include "ModbusRtu.h"

using FuzzSupport::ByteAt;
using FuzzSupport::Check;

namespace {
void CheckCode(const QByteArray &Reply, quint16 Code)
{
    const bool Expected = Reply.size() == 8 && FuzzSupport::ReferenceResidueOk(Reply)
        && ((ByteAt(Reply, 4) << 8) | ByteAt(Reply, 5)) == Code;
    Check(ModbusRtu::CommitReplyOk(Reply, Code) == Expected, "CommitReplyOk");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArray Reply = FuzzSupport::Bytes(Data, Size);
    CheckCode(Reply, ModbusRtu::CommitParamCode);
    CheckCode(Reply, ModbusRtu::CommitEidCode);
    CheckCode(Reply, static_cast<quint16>((ByteAt(Reply, 0) << 8) | ByteAt(Reply, 1)));

    // The two commit frames are their own good echoes.
    for (const quint16 Code : {ModbusRtu::CommitParamCode, ModbusRtu::CommitEidCode})
        Check(ModbusRtu::CommitReplyOk(ModbusRtu::BuildCommit(Code), Code), "commit frame echo");
    return 0;
}
