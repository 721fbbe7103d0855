#ifndef KORVEL_MODBUSRTU_H
#define KORVEL_MODBUSRTU_H

// Modbus RTU frames as the tool puts them on the wire, and the values its
// replies carry (ReplyCheck judges them). Pure functions: no widget, no port.

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

// CRC-16/MODBUS over the whole byte string, returned with its two bytes
// exchanged: the high byte of the result is the CRC's low byte, so a caller
// appends (crc >> 8) and then (crc & 0xFF). An empty string gives 0xFFFF.
quint16 ModbusCrc16(const QByteArray &Data);
// One byte of the running CRC-16/MODBUS accumulator (start 0xFFFF, bytes not
// exchanged), for a caller that checks a growing stretch byte by byte: the
// accumulator is 0 exactly where the stretch so far ends in its own CRC.
quint16 ModbusCrc16Step(quint16 Crc, quint8 Byte);

namespace ModbusRtu {

// The window sends every request to this address and never reads the
// address byte of a reply; the command line can name a device's own address.
constexpr quint8 DeviceAddress = 0x00;

constexpr quint8 FuncReadHolding = 0x03;
constexpr quint8 FuncWriteSingle = 0x06;
constexpr quint8 FuncWriteMultiple = 0x10;
// The exception codes of a gateway between Modbus TCP and the bus: no
// path to the unit, and the unit did not answer on the bus.
constexpr quint8 ExceptionGatewayNoPath = 0x0A;
constexpr quint8 ExceptionGatewayNoAnswer = 0x0B;

// Command register and the codes that make the device take a setting over.
constexpr int CommandRegister = 40001;
constexpr quint16 CommitParamCode = 6;
constexpr quint16 CommitEidCode = 8;

// A block carries at most this many EIDs (two registers each).
constexpr int EidsPerBlock = 25;

// Reply lengths handed to MySerialPort::SendAndWait.
constexpr quint8 ParamReadReplyLength = 7;
constexpr quint8 ParamWriteReplyLength = 8;
constexpr quint8 CommitReplyLength = 8;
constexpr quint8 EidWriteReplyLength = 8;
// 4n + 5 for a block of n EIDs (9 to 105).
quint8 EidReadReplyLength(int Count);

// ModbusCrc16 over the whole reply, its own CRC included, is 0.
bool CrcResidueOk(const QByteArray &Reply);
// Appends the CRC of everything in Frame, low byte first.
void AppendCrc(QByteArray &Frame);

// Requests. Register numbers and values are cut to their low 16 bits.
QByteArray BuildParamRead(int Register, quint8 Address = DeviceAddress);
QByteArray BuildParamWrite(int Register, int Value, quint8 Address = DeviceAddress);
QByteArray BuildCommit(quint16 Code, quint8 Address = DeviceAddress);

// EID block requests, whole: a read of Count EIDs (2 * Count registers)
// from FirstRegister, a write of Values from FirstRegister (register count
// and byte count from the number of values, each value high byte first).
QByteArray BuildEidRead(int FirstRegister, int Count, quint8 Address = DeviceAddress);
QByteArray BuildEidWrite(int FirstRegister, const QVector<qint32> &Values,
                         quint8 Address = DeviceAddress);

// The values a reply carries, read whether or not it passed its tests.
quint16 ParamReadValue(const QByteArray &Reply);      // bytes 3..4
quint16 ParamWriteEchoValue(const QByteArray &Reply); // bytes 4..5
// EID m of a block read reply, most significant byte first; positions past
// the end of the reply read as 0.
qint32 EidReadValue(const QByteArray &Reply, int Index);

// A Modbus exception reply: five bytes, the function with its top bit set,
// the exception code, a good CRC. Every request kind may get one instead of
// its reply, so a wait can end on it before the expected length.
constexpr int ExceptionReplyLength = 5;
bool IsExceptionReply(const QByteArray &Reply);
quint8 ExceptionCode(const QByteArray &Reply);
// The standard meaning of an exception code, "" for codes without one.
QString ExceptionMeaning(quint8 Code);

// A byte, and a word high byte first, of a frame; a position outside it
// reads as 0, so that no frame, however short, is read beyond its end.
quint32 ByteAt(const QByteArray &Frame, qint64 Pos);
quint32 WordAt(const QByteArray &Frame, qint64 Pos);

// Bytes as hex text for log lines: two capital digits a byte, no separator.
QString HexText(const QByteArray &Data);

} // namespace ModbusRtu

#endif
