#include "OrvaneUI.h"

// Placeholder until the EID tab is built.
void OrvaneUI::BuildEidTab() {}
void OrvaneUI::pPushButton_Eid_Config_Clicked() {}
void OrvaneUI::pPushButton_Eid_Add_Clicked() {}
