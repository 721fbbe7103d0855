#include "OrvaneUI.h"

// Placeholder until the EID exchanges are built.
bool OrvaneUI::ExchangeEidRead(const QJsonObject &) { return false; }
bool OrvaneUI::ExchangeEidWrite(const QJsonObject &) { return false; }
