#ifndef KORVEL_EXPECTED_H
#define KORVEL_EXPECTED_H

// What the suites expect of the wire and the window, written out here once
// and independently of the code under test, so that a wrong CRC or a wrong
// register map there cannot hide behind the same mistake in a test.

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVector>

class MySerialPort;
class OrvaneUI;
class PtyPair;

namespace Expected {

// CRC-16/MODBUS of Body appended, low byte first.
QByteArray WithCrc(QByteArray Body);
// Hex digits, spaces allowed, with the CRC appended.
QByteArray Crc(const char *Hex);
// A frame with byte Pos set to Byte and its CRC made good again: a reply
// no fault of the simulator produces.
QByteArray Altered(QByteArray Frame, int Pos, int Byte);

// The frames of the device protocol, CRC included.
QByteArray Frame(int Function, int Register, int Word); // read one, write one, commit
QByteArray ReadReply(int Value);                        // 00 03 02 value
QByteArray EidRead(int Start, int Count);
QByteArray EidWrite(int Start, const QVector<qint32> &Values);
QByteArray Commit(int Code);
QString HexText(const QByteArray &Bytes);               // as the tool logs frames

// Opens Port on the pty at 9600 baud, 8N1.
bool OpenOn(MySerialPort &Port, const PtyPair &Pair);

// The device's parameter registers and the widget holding each, in the
// order a request lists them.
struct ParamField
{
    const char *Name;
    int Register;
    const char *Widget;
};
constexpr int ParamCount = 14;
extern const ParamField Params[ParamCount];

// What the simulated device holds before a read in the suites: different
// from the tab's start values, from Operator and from the factory values.
extern const QList<int> DeviceValues;
// What the operator has put into the tab before a write.
extern const QList<int> Operator;

// A parameter widget's number: a spin box's value or a combo box's index.
int ParamValue(OrvaneUI &W, const char *Widget);
void SetParamValue(OrvaneUI &W, const char *Widget, int Value);
QList<int> ParamFields(OrvaneUI &W);
void SetParamFields(OrvaneUI &W, const QList<int> &Values);
QStringList EidFields(OrvaneUI &W);
void SetEidFields(OrvaneUI &W, const QStringList &Texts);
// Texts every successful read or apply would change ("007" becomes "7",
// "" becomes "0"), so that "unchanged" cannot pass by accident.
QStringList Untouched();

} // namespace Expected

#endif
