#ifndef KORVEL_PARAMREGISTERS_H
#define KORVEL_PARAMREGISTERS_H

// The device's fourteen parameters: name, holding register and the values
// the configuration tools accept for it, in the order a request lists them.
// A list field (BaudRate, TimeMark, RfBandWidth, RssiOut) holds the index of
// its item, so its range is 0 to the number of items less one. The number
// in a tool is the number in the register, with no scaling.

#include <QString>
#include <QStringList>

namespace ParamRegisters {

struct Param
{
    const char *Name;
    int Register;
    int Min;
    int Max;
};

constexpr Param Map[] = {
    {"ModbusID", 40003, 1, 255},
    {"BaudRate", 40005, 0, 5},
    {"OffLineTime", 40008, 60, 60000},
    {"DataUplinkCycle", 40009, 10, 60000},
    {"LocalNet", 40207, 1, 255},
    {"TimeMark", 40213, 0, 3},
    {"RfTxPower", 40301, 1, 20},
    {"RfFrequency", 40302, 150, 960},
    {"RfBandWidth", 40303, 0, 2},
    {"RfSf", 40304, 6, 12},
    {"RfLeadCode", 40305, 1, 60000},
    {"TxTimeout", 40307, 10, 60000},
    {"RxTimeout", 40308, 10, 60000},
    {"RssiOut", 40310, 0, 1},
};

constexpr int Count = int(sizeof Map / sizeof Map[0]);

// The six line speeds, slowest first: the items of BaudRate, index for
// index, and the speeds a serial line is opened at.
constexpr int BaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};
constexpr int BaudRateCount = int(sizeof BaudRates / sizeof BaudRates[0]);
// The factory setting of a unit, and the speed a port is first offered at.
constexpr int DefaultBaud = BaudRates[1];

constexpr bool SameName(const char *A, const char *B)
{
    while (*A && *A == *B) {
        ++A;
        ++B;
    }
    return *A == *B;
}

// Position of a parameter in the map, -1 for a name that is not there.
constexpr int IndexOf(const char *Name)
{
    for (int I = 0; I < Count; ++I) {
        if (SameName(Map[I].Name, Name))
            return I;
    }
    return -1;
}

// BaudRates as a list shows them: "4800" to "115200".
QStringList BaudRateTexts();

// The row of a register number or of a name, nullptr when there is none.
const Param *Find(int Register);
const Param *Find(const QString &Name);

} // namespace ParamRegisters

#endif
