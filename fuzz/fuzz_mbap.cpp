// What a Modbus TCP gateway sends back, taken apart by korvelctl's MBAP
// decoder for a request it expects: the same outcome whether it comes whole
// or in pieces; memory bounded whatever comes; a reply taken only with the
// request's transaction and unit and protocol 0, given on as an RTU frame
// whose CRC holds and which carries the unit and PDU that came; a refusal
// named in one line.

#include "FuzzSupport.h"
#include "Mbap.h"
#include "ModbusRtu.h"

using FuzzSupport::Check;

namespace {

struct Outcome
{
    QByteArray Rtu;
    QString Refused;
    bool Done;
    int Dropped;
};

// The first two bytes are the transaction and unit expected; then the
// gateway's bytes, fed in pieces of Step bytes (the whole at once for 0).
Outcome Decode(quint16 Transaction, quint8 Unit, const QByteArray &In, int Step)
{
    Mbap::Decoder D;
    D.Expect(Transaction, Unit);
    Outcome O;
    for (int At = 0; At < In.size(); At += Step > 0 ? Step : In.size()) {
        O.Rtu += D.Feed(In.mid(At, Step > 0 ? Step : -1));
        Check(D.Pending() < Mbap::HeaderLength + Mbap::MaxLength, "at most one frame kept");
    }
    O.Refused = D.Refused();
    O.Done = D.Done();
    O.Dropped = D.Dropped();
    if (!O.Rtu.isEmpty()) {
        const QByteArray Whole = D.Frame();
        Check(Whole.size() >= Mbap::HeaderLength, "a whole frame behind the reply");
        Check((quint8(Whole[0]) << 8 | quint8(Whole[1])) == Transaction && Whole[2] == 0 && Whole[3] == 0
                  && quint8(Whole[6]) == Unit,
              "a reply taken carries the request's transaction and unit, protocol 0");
        Check(O.Rtu.left(O.Rtu.size() - 2) == Whole.mid(6) && ModbusRtu::CrcResidueOk(O.Rtu),
              "the RTU frame is the unit and PDU that came, with a CRC that holds");
    }
    return O;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    if (Size < 3)
        return 0;
    const quint16 Transaction = quint16(Data[0] << 8 | Data[1]);
    const quint8 Unit = Data[2];
    const QByteArray In = FuzzSupport::Bytes(Data + 3, Size - 3);
    const Outcome Whole = Decode(Transaction, Unit, In, 0);
    Check(!Whole.Refused.contains(QLatin1Char('\n')), "a refusal is one line");
    Check(Whole.Rtu.isEmpty() || Whole.Refused.isEmpty(), "a reply or a refusal, not both");
    for (const int Step : {1, 7}) {
        const Outcome Pieces = Decode(Transaction, Unit, In, Step);
        Check(Pieces.Rtu == Whole.Rtu && Pieces.Refused == Whole.Refused && Pieces.Done == Whole.Done,
              "the same in pieces as whole");
    }
    return 0;
}
