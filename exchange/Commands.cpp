#include "OrvaneUI.h"

// Placeholder until the Read and Write commands are built.
void OrvaneUI::QPushButton_Config_Read_Clicked() {}
void OrvaneUI::QPushButton_Config_Write_Clicked() {}
void OrvaneUI::RunCommand(bool) {}
