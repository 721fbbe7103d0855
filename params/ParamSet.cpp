#include "OrvaneUI.h"

// Placeholder until the parameter set is built.
QJsonObject OrvaneUI::CollectParamSet() const { return QJsonObject(); }
void OrvaneUI::ApplyParamSet(const QJsonObject &) {}
