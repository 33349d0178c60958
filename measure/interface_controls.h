// Interface controls of the settings page (interface type, serial line, GPIB
// addresses) and the analog-input dialog `panelIO`.
#pragma once

#include <cstdint>

// Input switches of the analog-input dialog, one per analyser (kept up to
// date by cbGroup1..cbGroup3, copied into para.ai_on by CALLSAVEIO).
extern int32_t ai_on[3];

// Dims the serial controls for GPIB (gpib 1) or the GPIB address for RS-232.
void SetIFPanel(int gpib);
// Reads the interface controls of a single-analyser set-up into `para`.
void StandardIFSet();
// Shows the interface controls that fit the analyser set-up and phase count.
void ChoiceInterface(int analyser, int phases);
// Shows the record's analog-input settings in `panelIO` (switches too).
void ShowAnalogInputs();

int cbIFType(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbSetupIO(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int CALLSAVEIO(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int CALLCANCELIO(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbGroup1(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbGroup2(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbGroup3(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// Control ids of panelIO: [analyser][input].
extern const int PANELIO_NAME_ID[3][4];
extern const int PANELIO_LOW_ID[3][4];
extern const int PANELIO_HIGH_ID[3][4];
extern const int PANELIO_GROUP_ID[3];

void reset_interface_state();
