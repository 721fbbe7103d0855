#include "Mbap.h"

#include "ModbusRtu.h"

#include <QCoreApplication>

namespace Mbap {

namespace {

quint16 WordAt(const QByteArray &Bytes, int At)
{
    return quint16(ModbusRtu::WordAt(Bytes, At));
}

void AppendWord(QByteArray *Bytes, quint16 Word)
{
    *Bytes += char(Word >> 8);
    *Bytes += char(Word & 0xFF);
}

} // namespace

QByteArray Wrap(const QByteArray &RtuFrame, quint16 Transaction)
{
    // Address and PDU: the frame less its two CRC bytes.
    const QByteArray UnitAndPdu = RtuFrame.left(qMax(0, RtuFrame.size() - 2));
    QByteArray Frame;
    AppendWord(&Frame, Transaction);
    AppendWord(&Frame, 0);
    AppendWord(&Frame, quint16(UnitAndPdu.size()));
    return Frame + UnitAndPdu;
}

void Decoder::Expect(quint16 NewTransaction, quint8 NewUnit)
{
    Transaction = NewTransaction;
    Unit = NewUnit;
    Buffer.clear();
    Whole.clear();
    Refusal.clear();
    Delivered = false;
    DroppedCount = 0;
}

int Decoder::Promised() const
{
    return Buffer.size() < HeaderLength ? 0 : HeaderLength - 1 + WordAt(Buffer, 4);
}

QByteArray Decoder::Feed(const QByteArray &In)
{
    if (Done())
        return QByteArray(); // the request is answered or refused; the rest belongs to none
    Buffer += In;
    while (Buffer.size() >= HeaderLength) {
        const quint16 Id = WordAt(Buffer, 0);
        const quint16 Protocol = WordAt(Buffer, 2);
        const int Length = WordAt(Buffer, 4);
        if (Length < MinLength || Length > MaxLength) {
            // No frame can be found after a length that is none.
            Refusal = QCoreApplication::translate("Mbap", "a Modbus TCP header giving a length of %1, not %2 to %3")
                          .arg(Length)
                          .arg(MinLength)
                          .arg(MaxLength);
            Buffer.clear();
            return QByteArray();
        }
        const int Size = HeaderLength - 1 + Length;
        if (Buffer.size() < Size)
            return QByteArray();
        const QByteArray Frame = Buffer.left(Size);
        Buffer.remove(0, Size);
        if (Id != Transaction) {
            // A reply to an earlier request that came after its wait: it
            // must never be taken for this one's.
            ++DroppedCount;
            DroppedTransaction = Id;
            continue;
        }
        const quint8 From = quint8(Frame.at(HeaderLength - 1));
        if (Protocol != 0)
            Refusal = QCoreApplication::translate("Mbap", "a Modbus TCP reply with protocol identifier %1, not 0").arg(Protocol);
        else if (From != Unit)
            Refusal = QCoreApplication::translate("Mbap", "a Modbus TCP reply from unit %1 instead of %2").arg(From).arg(Unit);
        if (!Refusal.isEmpty()) {
            Buffer.clear();
            return QByteArray();
        }
        QByteArray Rtu = Frame.mid(HeaderLength - 1);
        ModbusRtu::AppendCrc(Rtu);
        Whole = Frame;
        Delivered = true;
        Buffer.clear(); // what follows the reply belongs to no request
        return Rtu;
    }
    return QByteArray();
}

} // namespace Mbap
