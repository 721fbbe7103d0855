// The EID exchanges of the window: the list to and from the device in
// blocks of up to 25 EIDs as DeviceExchange runs them, through the window's
// port; the fields change only when every transaction passed.

#include "OrvaneUI.h"

#include "DeviceExchange.h"
#include "SerialPortLine.h"

bool OrvaneUI::ExchangeEidRead(const QJsonObject &Request)
{
    SerialPortLine Line(*SerialPort);
    QJsonObject Reply;
    if (!DeviceExchange(Line).EidRead(Request, &Reply))
        return false;
    ApplyEidSet(Reply);
    return true;
}

bool OrvaneUI::ExchangeEidWrite(const QJsonObject &Request)
{
    SerialPortLine Line(*SerialPort);
    QJsonObject Reply;
    if (!DeviceExchange(Line).EidWrite(Request, &Reply))
        return false;
    ApplyEidSet(Reply);
    return true;
}
