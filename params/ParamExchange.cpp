// The parameter exchanges of the window: the tab's request document run
// through the window's port, the widgets updated only when every
// transaction passed (OrvaneUI::RunExchange).

#include "OrvaneUI.h"

#include "DocumentExchange.h"

bool OrvaneUI::ExchangeParamRead(const QJsonObject &Request)
{
    return RunExchange(&DocumentExchange::ParamRead, Request, &OrvaneUI::ApplyParamSet);
}

bool OrvaneUI::ExchangeParamWrite(const QJsonObject &Request)
{
    return RunExchange(&DocumentExchange::ParamWrite, Request, &OrvaneUI::ApplyParamSet);
}
