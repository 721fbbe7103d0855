#ifndef KORVEL_PARAMMAP_H
#define KORVEL_PARAMMAP_H

// The widget that holds each of the device's parameters, row for row with
// the register map (ParamRegisters), which gives the names, registers and
// ranges. A row names either a spin box (its value) or a combo box (the
// index of its current item).

#include "OrvaneUI.h"
#include "ParamRegisters.h"

class QComboBox;
class QSpinBox;

namespace ParamMap {

struct Row
{
    int Register;
    QSpinBox *OrvaneUI::*SpinBox;
    QComboBox *OrvaneUI::*ComboBox;

    const ParamRegisters::Param &Param() const { return *ParamRegisters::Find(Register); }
};

// A name missing from the register map does not compile.
constexpr int RegisterOf(const char *Name)
{
    return ParamRegisters::Map[ParamRegisters::IndexOf(Name)].Register;
}

constexpr Row Rows[] = {
    {RegisterOf("ModbusID"), &OrvaneUI::QSpinBox_Param_ModbusID, nullptr},
    {RegisterOf("BaudRate"), nullptr, &OrvaneUI::QComboBox_Param_BaudRate},
    {RegisterOf("OffLineTime"), &OrvaneUI::QSpinBox_Param_OffLineTime, nullptr},
    {RegisterOf("DataUplinkCycle"), &OrvaneUI::QSpinBox_Param_DataUplinkCycle, nullptr},
    {RegisterOf("LocalNet"), &OrvaneUI::QSpinBox_Param_LocalNet, nullptr},
    {RegisterOf("TimeMark"), nullptr, &OrvaneUI::QComboBox_Param_TimeMark},
    {RegisterOf("RfTxPower"), &OrvaneUI::QSpinBox_Param_RfTxPower, nullptr},
    {RegisterOf("RfFrequency"), &OrvaneUI::QSpinBox_Param_RfFrequency, nullptr},
    {RegisterOf("RfBandWidth"), nullptr, &OrvaneUI::QComboBox_Param_RfBandWidth},
    {RegisterOf("RfSf"), &OrvaneUI::QSpinBox_Param_RfSf, nullptr},
    {RegisterOf("RfLeadCode"), &OrvaneUI::QSpinBox_Param_RfLeadCode, nullptr},
    {RegisterOf("TxTimeout"), &OrvaneUI::QSpinBox_Param_TxTimeout, nullptr},
    {RegisterOf("RxTimeout"), &OrvaneUI::QSpinBox_Param_RxTimeout, nullptr},
    {RegisterOf("RssiOut"), nullptr, &OrvaneUI::QComboBox_Param_RssiOut},
};

constexpr int Count = int(sizeof Rows / sizeof Rows[0]);

constexpr bool InMapOrder()
{
    for (int I = 0; I < Count; ++I) {
        if (Rows[I].Register != ParamRegisters::Map[I].Register)
            return false;
    }
    return Count == ParamRegisters::Count;
}
static_assert(InMapOrder(), "one widget for every parameter, in register-map order");

} // namespace ParamMap

#endif
