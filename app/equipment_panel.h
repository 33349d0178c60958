// Callbacks of the settings page that need the interface controls, the
// ranges and the settings page together.
#pragma once

// Analyser set-up and phase count: interface controls and ranges follow.
int cbConfig(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbEquipment(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
// Interface-test button: SetSettings, then the interface test of every
// analyser; 0 when all answered, -1 otherwise.
int cbSetupIFTest(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
