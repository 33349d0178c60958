// Panel handles of the program (0 until the start-up loads them) and the
// tables of per-phase control ids that several subsystems address.
#pragma once

#include <cstdint>

// Panel handles.
extern int panelHandle;   // main window
extern int intro, setting, measure, results, protocol, diagnos;   // tab pages
extern int smallres, prepare, panelWizard, panelLimits, advanced, advanced2, panelIO, panelEdit,
    panExport, panelError;
// The tab control of the main window.
extern int tabCtrl;

// Verdict indicators of the results panel per phase.
extern int FHR_IALL[3], FHR_I100[3], FHR_U100[3], FHR_UALL[3], FHR_AMP[3], FHR_FREQ[3],
    FHR_CREST[3], FHR_PHI[3], FHR_THD[3], FHR_PWHD[3];
extern int ACDC_MIN[3], ACDC_MAX[3], ACDC_POW[3], ACDC_ALL[3];

// Settings-panel control ids of the class C/D control values per phase.
extern int32_t A14_P_SOLL[3];
extern int32_t A14_PF_SOLL[3];
extern int32_t A14_I_SOLL[3];

// Controls of the seven EUT test-data fields, in `test_data` order, on the
// settings page and in the protocol's edit dialog.
extern const int kTestDataSettingControls[7];
extern const int kTestDataEditControls[7];

// Forgets every panel handle (registered with the program-state reset).
void reset_panel_handles();
