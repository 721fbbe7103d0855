// The reply to a parameter read, as arbitrary bytes from the line: the
// reply test and the value decoder must agree with the protocol and never
// read past the reply.

#include "FuzzSupport.h"
#include "ModbusRtu.h"

using FuzzSupport::ByteAt;
using FuzzSupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArray Reply = FuzzSupport::Bytes(Data, Size);

    // The CRC under test is the plain CRC with its two bytes exchanged.
    const quint16 Plain = FuzzSupport::ReferenceCrc(Reply);
    Check(ModbusCrc16(Reply) == static_cast<quint16>((Plain << 8) | (Plain >> 8)),
          "ModbusCrc16 differs from CRC-16/MODBUS");
    Check(ModbusRtu::CrcResidueOk(Reply) == (Plain == 0), "CRC residue test");

    const bool Expected = Reply.size() == 7 && Plain == 0 && ByteAt(Reply, 2) == 0x02;
    Check(ModbusRtu::ParamReadReplyOk(Reply) == Expected, "ParamReadReplyOk");

    const unsigned Value = (ByteAt(Reply, 3) << 8) | ByteAt(Reply, 4);
    Check(ModbusRtu::ParamReadValue(Reply) == Value, "ParamReadValue");
    return 0;
}
