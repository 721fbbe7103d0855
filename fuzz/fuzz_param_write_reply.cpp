// The echo of a parameter write, as arbitrary bytes from the line, and the
// request built for a register and value taken from the same bytes.

#include "FuzzSupport.h"
#include "ModbusRtu.h"

using FuzzSupport::ByteAt;
using FuzzSupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArray Reply = FuzzSupport::Bytes(Data, Size);

    const bool Expected = Reply.size() == 8 && FuzzSupport::ReferenceResidueOk(Reply);
    Check(ModbusRtu::ParamWriteReplyOk(Reply) == Expected, "ParamWriteReplyOk");
    const unsigned Echo = (ByteAt(Reply, 4) << 8) | ByteAt(Reply, 5);
    Check(ModbusRtu::ParamWriteEchoValue(Reply) == Echo, "ParamWriteEchoValue");

    // Any register number and value go out cut to 16 bits, high byte first,
    // and the frame carries its own good CRC.
    const int Register = static_cast<int>((ByteAt(Reply, 0) << 24) | (ByteAt(Reply, 1) << 16)
                                          | (ByteAt(Reply, 2) << 8) | ByteAt(Reply, 3));
    const int Value = static_cast<int>((ByteAt(Reply, 4) << 24) | (ByteAt(Reply, 5) << 16)
                                       | (ByteAt(Reply, 6) << 8) | ByteAt(Reply, 7));
    const QByteArray Frame = ModbusRtu::BuildParamWrite(Register, Value);
    Check(Frame.size() == 8, "write request length");
    Check(ByteAt(Frame, 0) == 0x00 && ByteAt(Frame, 1) == 0x06, "write request header");
    Check(((ByteAt(Frame, 2) << 8) | ByteAt(Frame, 3)) == (static_cast<unsigned>(Register) & 0xFFFF),
          "write request register");
    Check(((ByteAt(Frame, 4) << 8) | ByteAt(Frame, 5)) == (static_cast<unsigned>(Value) & 0xFFFF),
          "write request value");
    Check(FuzzSupport::ReferenceResidueOk(Frame), "write request CRC");
    // A device echoing the request back is accepted and reports the value sent.
    Check(ModbusRtu::ParamWriteReplyOk(Frame), "own request as echo");
    Check(ModbusRtu::ParamWriteEchoValue(Frame) == (static_cast<unsigned>(Value) & 0xFFFF),
          "echo of own request");
    return 0;
}
