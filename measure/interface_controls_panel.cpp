// Callbacks of the interface controls and of the analog-input dialog.
#include "measure/interface_controls.h"
#include "state/panels.h"

#include <string>

#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "state/para.h"

namespace {

int Group(int panel, int analyser)
{
    int on = 0;
    GetCtrlVal(panel, PANELIO_GROUP_ID[analyser], &on);
    ai_on[analyser] = on ? 1 : 0;
    for (int k = 0; k < 4; ++k)
        for (int c : {PANELIO_NAME_ID[analyser][k], PANELIO_LOW_ID[analyser][k], PANELIO_HIGH_ID[analyser][k]})
            SetCtrlAttribute(panel, c, ATTR_DIMMED, on ? 0 : 1);
    return 0;
}

// Mirrors input k's name typed on one analyser's part into the parts of the
// other analysers whose switch is on.
int Name(int panel, int analyser, int k, int event)
{
    if (event != EVENT_VAL_CHANGED && event != EVENT_COMMIT) return 0;
    std::string name;
    GetCtrlVal(panel, PANELIO_NAME_ID[analyser][k], &name);
    for (int a = 0; a < 3; ++a)
        if (a != analyser && ai_on[a]) SetCtrlVal(panel, PANELIO_NAME_ID[a][k], name);
    return 0;
}

}  // namespace

int cbIFType(int panel, int control, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int gpib = 1;
    GetCtrlVal(panel, control, &gpib);
    SetIFPanel(gpib);
    return 0;
}
UI_CALLBACK(cbIFType);

int cbSetupIO(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) InstallPopup(panelIO);
    return 0;
}
UI_CALLBACK(cbSetupIO);

int CALLSAVEIO(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    for (int a = 0; a < 3; ++a) {
        para.ai_on[a] = ai_on[a];
        for (int k = 0; k < 4; ++k) {
            GetCtrlVal(panel, PANELIO_LOW_ID[a][k], &para.ai_low[k][a]);
            GetCtrlVal(panel, PANELIO_HIGH_ID[a][k], &para.ai_high[k][a]);
        }
    }
    for (int k = 0; k < 4; ++k) GetCtrlVal(panel, PANELIO_NAME_ID[0][k], para.ai_name[k]);
    RemovePopup(panel);
    return 0;
}
UI_CALLBACK(CALLSAVEIO);

int CALLCANCELIO(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) RemovePopup(panel);
    return 0;
}
UI_CALLBACK(CALLCANCELIO);

int cbGroup1(int panel, int, int event, void*, int, int) { return event == EVENT_VAL_CHANGED ? Group(panel, 0) : 0; }
UI_CALLBACK(cbGroup1);
int cbGroup2(int panel, int, int event, void*, int, int) { return event == EVENT_VAL_CHANGED ? Group(panel, 1) : 0; }
UI_CALLBACK(cbGroup2);
int cbGroup3(int panel, int, int event, void*, int, int) { return event == EVENT_VAL_CHANGED ? Group(panel, 2) : 0; }
UI_CALLBACK(cbGroup3);

#define ORIVAN_NAME_CB(fn, a, k)                                                         \
    int fn(int panel, int, int event, void*, int, int) { return Name(panel, a, k, event); } \
    UI_CALLBACK(fn)
ORIVAN_NAME_CB(cbName1, 0, 0);
ORIVAN_NAME_CB(cbName2, 0, 1);
ORIVAN_NAME_CB(cbName3, 0, 2);
ORIVAN_NAME_CB(cbName4, 0, 3);
ORIVAN_NAME_CB(cbName1_1, 1, 0);
ORIVAN_NAME_CB(cbName1_2, 1, 1);
ORIVAN_NAME_CB(cbName1_3, 1, 2);
ORIVAN_NAME_CB(cbName1_4, 1, 3);
ORIVAN_NAME_CB(cbName2_1, 2, 0);
ORIVAN_NAME_CB(cbName2_2, 2, 1);
ORIVAN_NAME_CB(cbName2_3, 2, 2);
ORIVAN_NAME_CB(cbName2_4, 2, 3);

UI_CALLBACK_FILE(interface_controls_panel);
