#ifndef KORVEL_PARAMMAP_H
#define KORVEL_PARAMMAP_H

// The device's parameter registers and the widget that holds each one, in
// the order a request lists them and a reply is applied. A row names either
// a spin box (its value) or a combo box (the index of its current item); the
// number in the widget is the number in the register, with no scaling.

#include "OrvaneUI.h"

class QComboBox;
class QSpinBox;

namespace ParamMap {

struct Row
{
    const char *Name;
    int Register;
    QSpinBox *OrvaneUI::*SpinBox;
    QComboBox *OrvaneUI::*ComboBox;
};

constexpr Row Rows[] = {
    {"ModbusID", 40003, &OrvaneUI::QSpinBox_Param_ModbusID, nullptr},
    {"BaudRate", 40005, nullptr, &OrvaneUI::QComboBox_Param_BaudRate},
    {"OffLineTime", 40008, &OrvaneUI::QSpinBox_Param_OffLineTime, nullptr},
    {"DataUplinkCycle", 40009, &OrvaneUI::QSpinBox_Param_DataUplinkCycle, nullptr},
    {"LocalNet", 40207, &OrvaneUI::QSpinBox_Param_LocalNet, nullptr},
    {"TimeMark", 40213, nullptr, &OrvaneUI::QComboBox_Param_TimeMark},
    {"RfTxPower", 40301, &OrvaneUI::QSpinBox_Param_RfTxPower, nullptr},
    {"RfFrequency", 40302, &OrvaneUI::QSpinBox_Param_RfFrequency, nullptr},
    {"RfBandWidth", 40303, nullptr, &OrvaneUI::QComboBox_Param_RfBandWidth},
    {"RfSf", 40304, &OrvaneUI::QSpinBox_Param_RfSf, nullptr},
    {"RfLeadCode", 40305, &OrvaneUI::QSpinBox_Param_RfLeadCode, nullptr},
    {"TxTimeout", 40307, &OrvaneUI::QSpinBox_Param_TxTimeout, nullptr},
    {"RxTimeout", 40308, &OrvaneUI::QSpinBox_Param_RxTimeout, nullptr},
    {"RssiOut", 40310, nullptr, &OrvaneUI::QComboBox_Param_RssiOut},
};

constexpr int Count = int(sizeof Rows / sizeof Rows[0]);

} // namespace ParamMap

#endif
