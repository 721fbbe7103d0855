// The EID exchanges of the window: the tab's request document run
// through the window's port, the fields changed only when every
// transaction passed (OrvaneUI::RunExchange).

#include "OrvaneUI.h"

#include "DocumentExchange.h"

bool OrvaneUI::ExchangeEidRead(const QJsonObject &Request)
{
    return RunExchange(&DocumentExchange::EidRead, Request, &OrvaneUI::ApplyEidSet);
}

bool OrvaneUI::ExchangeEidWrite(const QJsonObject &Request)
{
    return RunExchange(&DocumentExchange::EidWrite, Request, &OrvaneUI::ApplyEidSet);
}
