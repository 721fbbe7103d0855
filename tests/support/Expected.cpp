#include "Expected.h"

#include "OrvaneUI.h"

#include <QComboBox>
#include <QSpinBox>

namespace Expected {

QByteArray WithCrc(QByteArray Body)
{
    quint16 Crc = 0xFFFF;
    for (const char Byte : Body) {
        Crc ^= quint8(Byte);
        for (int Bit = 0; Bit < 8; ++Bit)
            Crc = (Crc & 1) ? quint16((Crc >> 1) ^ 0xA001) : quint16(Crc >> 1);
    }
    Body.append(char(Crc & 0xFF));
    Body.append(char(Crc >> 8));
    return Body;
}

const ParamField Params[ParamCount] = {
    {"ModbusID", 40003, "QSpinBox_Param_ModbusID"},
    {"BaudRate", 40005, "QComboBox_Param_BaudRate"},
    {"OffLineTime", 40008, "QSpinBox_Param_OffLineTime"},
    {"DataUplinkCycle", 40009, "QSpinBox_Param_DataUplinkCycle"},
    {"LocalNet", 40207, "QSpinBox_Param_LocalNet"},
    {"TimeMark", 40213, "QComboBox_Param_TimeMark"},
    {"RfTxPower", 40301, "QSpinBox_Param_RfTxPower"},
    {"RfFrequency", 40302, "QSpinBox_Param_RfFrequency"},
    {"RfBandWidth", 40303, "QComboBox_Param_RfBandWidth"},
    {"RfSf", 40304, "QSpinBox_Param_RfSf"},
    {"RfLeadCode", 40305, "QSpinBox_Param_RfLeadCode"},
    {"TxTimeout", 40307, "QSpinBox_Param_TxTimeout"},
    {"RxTimeout", 40308, "QSpinBox_Param_RxTimeout"},
    {"RssiOut", 40310, "QComboBox_Param_RssiOut"},
};

int ParamValue(OrvaneUI &W, const char *Widget)
{
    const QString Name = QString::fromLatin1(Widget);
    if (auto *Spin = W.findChild<QSpinBox *>(Name))
        return Spin->value();
    if (auto *Combo = W.findChild<QComboBox *>(Name))
        return Combo->currentIndex();
    qFatal("no parameter widget %s", Widget);
    return 0;
}

void SetParamValue(OrvaneUI &W, const char *Widget, int Value)
{
    const QString Name = QString::fromLatin1(Widget);
    if (auto *Spin = W.findChild<QSpinBox *>(Name))
        Spin->setValue(Value);
    else if (auto *Combo = W.findChild<QComboBox *>(Name))
        Combo->setCurrentIndex(Value);
    else
        qFatal("no parameter widget %s", Widget);
}

} // namespace Expected
