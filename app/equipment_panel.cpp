// Callbacks of the settings page that reach across subsystems: the analyser
// and phase choices switch both the interface controls and the ranges; the
// interface test takes the page into the record before it talks to the
// analysers.
#include "app/equipment_panel.h"

#include "app/settings_panel.h"
#include "evaluation/ranges.h"
#include "instrument/iftest.h"
#include "measure/interface_controls.h"
#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "state/para.h"

int cbConfig(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT && event != EVENT_VAL_CHANGED) return 0;
    int analyser = 0, phases = 1;
    GetCtrlVal(panel, SETTING_ANALYSER, &analyser);
    if (analyser == 4) {
        SetCtrlAttribute(panel, SETTING_PHASES, ATTR_VISIBLE, 0);
        para.phases = 1;
    } else {
        SetCtrlAttribute(panel, SETTING_PHASES, ATTR_VISIBLE, 1);
        GetCtrlVal(panel, SETTING_PHASES, &phases);
    }
    ChoiceInterface(analyser, phases);
    AdaptRanges(analyser);
    return 0;
}
UI_CALLBACK(cbConfig);

int cbEquipment(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int analyser = 0, phases = 1;
    GetCtrlVal(panel, SETTING_ANALYSER, &analyser);
    GetCtrlVal(panel, SETTING_PHASES, &phases);
    ChoiceInterface(analyser, phases);
    // Sensor controls of phases 2 and 3 follow the range fields just shown or hidden.
    const bool pamA = analyser == 0 || analyser == 4;
    for (int p = 1; p < 3; ++p) {
        int visible = 1;
        GetCtrlAttribute(panel, SETTING_IRANGE_ID[p], ATTR_VISIBLE, &visible);
        for (int c : {SETTING_CLAMP_ID[p], SETTING_EXT_ID[p]})
            SetCtrlAttribute(panel, c, ATTR_VISIBLE, pamA || !visible ? 0 : 1);
    }
    CallCtrlCallback(panel, SETTING_VERSION, EVENT_COMMIT, 0, 0, nullptr);
    return 0;
}
UI_CALLBACK(cbEquipment);

// The settings page's interface test: the page goes into the record first, then
// every analyser of the set-up is opened, reset and asked to identify itself.
int cbSetupIFTest(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetSettings();
    SetWaitCursor(1);
    int rc = InterfaceTest();
    SetWaitCursor(0);
    return rc;
}
UI_CALLBACK(cbSetupIFTest);

UI_CALLBACK_FILE(equipment_panel);
