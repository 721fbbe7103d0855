#include "ModbusRtu.h"

#include <QCoreApplication>

quint16 ModbusCrc16Step(quint16 Crc, quint8 Byte)
{
    Crc ^= Byte;
    for (int Bit = 0; Bit < 8; ++Bit) {
        const bool Out = (Crc & 0x0001) != 0;
        Crc >>= 1;
        if (Out)
            Crc ^= 0xA001;
    }
    return Crc;
}

quint16 ModbusCrc16(const QByteArray &Data)
{
    quint16 Crc = 0xFFFF;
    for (int i = 0; i < Data.size(); ++i)
        Crc = ModbusCrc16Step(Crc, static_cast<quint8>(Data.at(i)));
    // Exchanged so that the CRC's low byte, which goes on the wire first,
    // is the high byte of the result.
    return static_cast<quint16>((Crc << 8) | (Crc >> 8));
}

namespace ModbusRtu {

namespace {

// Places Value at Pos, growing the frame with zeros to reach it.
void PutByte(QByteArray &Frame, int Pos, quint32 Value)
{
    if (Pos >= Frame.size())
        Frame.append(QByteArray(Pos + 1 - Frame.size(), '\0'));
    Frame[Pos] = static_cast<char>(Value & 0xFF);
}

void PutWord(QByteArray &Frame, int Pos, quint32 Value)
{
    PutByte(Frame, Pos, (Value >> 8) & 0xFF);
    PutByte(Frame, Pos + 1, Value & 0xFF);
}


// Header of a request for one register range: address, function, register.
void OpenFrame(QByteArray &Frame, quint8 Address, quint8 Function, int Register)
{
    Frame.clear();
    PutByte(Frame, 0, Address);
    PutByte(Frame, 1, Function);
    PutWord(Frame, 2, static_cast<quint32>(Register));
}

// A request whose register is followed by one word: a value to write, a
// commit code or a register count.
QByteArray WordFrame(quint8 Address, quint8 Function, int Register, int Word)
{
    QByteArray Frame;
    OpenFrame(Frame, Address, Function, Register);
    PutWord(Frame, 4, static_cast<quint32>(Word));
    AppendCrc(Frame);
    return Frame;
}

} // namespace

quint32 ByteAt(const QByteArray &Reply, qint64 Pos)
{
    if (Pos < 0 || Pos >= Reply.size())
        return 0;
    return static_cast<quint8>(Reply.at(static_cast<int>(Pos)));
}

quint32 WordAt(const QByteArray &Reply, qint64 Pos)
{
    return (ByteAt(Reply, Pos) << 8) | ByteAt(Reply, Pos + 1);
}

quint8 EidReadReplyLength(int Count)
{
    // A block holds 1 to EidsPerBlock EIDs; anything else is held to that
    // range so the length always fits the byte SendAndWait stores it in.
    const int N = Count < 1 ? 1 : (Count > EidsPerBlock ? EidsPerBlock : Count);
    return static_cast<quint8>(4 * N + 5);
}

bool CrcResidueOk(const QByteArray &Reply)
{
    return ModbusCrc16(Reply) == 0;
}

void AppendCrc(QByteArray &Frame)
{
    const quint16 Crc = ModbusCrc16(Frame);
    const int End = Frame.size();
    PutByte(Frame, End, Crc >> 8);
    PutByte(Frame, End + 1, Crc & 0xFF);
}

QByteArray BuildParamRead(int Register, quint8 Address)
{
    return WordFrame(Address, FuncReadHolding, Register, 1);
}

QByteArray BuildParamWrite(int Register, int Value, quint8 Address)
{
    return WordFrame(Address, FuncWriteSingle, Register, Value);
}

QByteArray BuildCommit(quint16 Code, quint8 Address)
{
    return WordFrame(Address, FuncWriteSingle, CommandRegister, Code);
}

QByteArray BuildEidRead(int FirstRegister, int Count, quint8 Address)
{
    return WordFrame(Address, FuncReadHolding, FirstRegister, 2 * Count);
}

QByteArray BuildEidWrite(int FirstRegister, const QVector<qint32> &Values, quint8 Address)
{
    QByteArray Frame;
    OpenFrame(Frame, Address, FuncWriteMultiple, FirstRegister);
    const quint32 N = static_cast<quint32>(Values.size());
    PutWord(Frame, 4, N * 2u);
    PutByte(Frame, 6, N * 4u);
    for (const qint32 Value : Values) {
        const quint32 Bits = static_cast<quint32>(Value);
        const int End = Frame.size();
        PutByte(Frame, End, Bits >> 24);
        PutByte(Frame, End + 1, Bits >> 16);
        PutByte(Frame, End + 2, Bits >> 8);
        PutByte(Frame, End + 3, Bits);
    }
    AppendCrc(Frame);
    return Frame;
}


quint16 ParamReadValue(const QByteArray &Reply)
{
    return static_cast<quint16>(WordAt(Reply, 3));
}


quint16 ParamWriteEchoValue(const QByteArray &Reply)
{
    return static_cast<quint16>(WordAt(Reply, 4));
}



qint32 EidReadValue(const QByteArray &Reply, int Index)
{
    if (Index < 0)
        return 0;
    const qint64 Pos = 3 + 4 * static_cast<qint64>(Index);
    const quint32 Bits = (ByteAt(Reply, Pos) << 24) | (ByteAt(Reply, Pos + 1) << 16)
        | (ByteAt(Reply, Pos + 2) << 8) | ByteAt(Reply, Pos + 3);
    return static_cast<qint32>(Bits);
}


bool IsExceptionReply(const QByteArray &Reply)
{
    return Reply.size() == ExceptionReplyLength && (ByteAt(Reply, 1) & 0x80) != 0
        && CrcResidueOk(Reply);
}

quint8 ExceptionCode(const QByteArray &Reply)
{
    return static_cast<quint8>(ByteAt(Reply, 2));
}

QString ExceptionMeaning(quint8 Code)
{
    const char *Meaning = nullptr;
    switch (Code) {
    case 0x01: Meaning = QT_TRANSLATE_NOOP("ModbusRtu", "illegal function"); break;
    case 0x02: Meaning = QT_TRANSLATE_NOOP("ModbusRtu", "illegal data address"); break;
    case 0x03: Meaning = QT_TRANSLATE_NOOP("ModbusRtu", "illegal data value"); break;
    case 0x04: Meaning = QT_TRANSLATE_NOOP("ModbusRtu", "server device failure"); break;
    case 0x05: Meaning = QT_TRANSLATE_NOOP("ModbusRtu", "acknowledge"); break;
    case 0x06: Meaning = QT_TRANSLATE_NOOP("ModbusRtu", "server device busy"); break;
    case 0x08: Meaning = QT_TRANSLATE_NOOP("ModbusRtu", "memory parity error"); break;
    case ExceptionGatewayNoPath: Meaning = QT_TRANSLATE_NOOP("ModbusRtu", "the gateway has no path to that unit"); break;
    case ExceptionGatewayNoAnswer:
        Meaning = QT_TRANSLATE_NOOP("ModbusRtu", "the gateway's target did not answer");
        break;
    default: return QString();
    }
    return QCoreApplication::translate("ModbusRtu", Meaning);
}

QString HexText(const QByteArray &Data)
{
    return QString::fromLatin1(Data.toHex().toUpper());
}

} // namespace ModbusRtu
