#include "OrvaneUI.h"

// Placeholder until the parameter exchanges are built.
bool OrvaneUI::ExchangeParamRead(const QJsonObject &) { return false; }
bool OrvaneUI::ExchangeParamWrite(const QJsonObject &) { return false; }
