#ifndef KORVEL_EXPECTED_H
#define KORVEL_EXPECTED_H

// What the suites expect of the wire and the window, written out here once
// and independently of the code under test, so that a wrong CRC or a wrong
// register map there cannot hide behind the same mistake in a test.

#include <QByteArray>

class OrvaneUI;

namespace Expected {

// CRC-16/MODBUS of Body appended, low byte first.
QByteArray WithCrc(QByteArray Body);

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

// A parameter widget's number: a spin box's value or a combo box's index.
int ParamValue(OrvaneUI &W, const char *Widget);
void SetParamValue(OrvaneUI &W, const char *Widget, int Value);

} // namespace Expected

#endif
