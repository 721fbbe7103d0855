#include "OrvaneUI.h"

// Placeholder until the EID set is built.
QJsonObject OrvaneUI::CollectEidSet() const { return QJsonObject(); }
void OrvaneUI::ApplyEidSet(const QJsonObject &) {}
