// The parameter exchanges of the window: the device's transactions as
// DeviceExchange runs them, through the window's port, and the widgets
// updated only when every transaction passed.

#include "OrvaneUI.h"

#include "DeviceExchange.h"
#include "SerialPortLine.h"

bool OrvaneUI::ExchangeParamRead(const QJsonObject &Request)
{
    SerialPortLine Line(*SerialPort);
    QJsonObject Reply;
    if (!DeviceExchange(Line).ParamRead(Request, &Reply))
        return false;
    ApplyParamSet(Reply);
    return true;
}

bool OrvaneUI::ExchangeParamWrite(const QJsonObject &Request)
{
    SerialPortLine Line(*SerialPort);
    QJsonObject Reply;
    if (!DeviceExchange(Line).ParamWrite(Request, &Reply))
        return false;
    ApplyParamSet(Reply);
    return true;
}
