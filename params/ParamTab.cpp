#include "OrvaneUI.h"

// Placeholder until the parameter tab is built.
void OrvaneUI::BuildParamTab() {}
void OrvaneUI::QComboBox_Param_RfBandWidth_Activated(int) {}
void OrvaneUI::QSpinBox_Param_RfSf_ValueChanged(int) {}
