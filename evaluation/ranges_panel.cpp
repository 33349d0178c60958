// Callbacks of the range and sensor controls of the settings page (the
// analyser and phase choices, which also switch the interface controls, are
// in app/equipment_panel.cpp).
#include "evaluation/ranges.h"

#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "state/panels.h"
#include "state/para.h"

namespace {

int PhaseOf(const int (&ids)[3], int control)
{
    for (int p = 0; p < 3; ++p)
        if (ids[p] == control) return p;
    return -1;
}

int CurrentAnalyser()
{
    int a = para.analyser;
    GetCtrlVal(setting, SETTING_ANALYSER, &a);
    return a;
}

// External-sensor box of one phase, on a value change.
int ExtChanged(int panel, int phase)
{
    int on = 0;
    GetCtrlVal(panel, SETTING_EXT_ID[phase], &on);
    SetCtrlAttribute(panel, SETTING_CLAMP_ID[phase], ATTR_DIMMED, on ? 0 : 1);
    if (on) {
        SelectRangeValue(panel, SETTING_CLAMP_ID[phase], double(para.ext_sensor_value[phase]));
        CallCtrlCallback(panel, SETTING_CLAMP_ID[phase], EVENT_COMMIT, 0, 0, nullptr);
        SelectRangeValue(panel, SETTING_IRANGE_ID[phase], double(para.i_range[phase]));
    } else {
        // Without a sensor the phase offers the analyser's own current ranges.
        AdaptIRanges(panel, SETTING_IRANGE_ID[phase], CurrentAnalyser());
    }
    return 0;
}

}  // namespace

int cbExt1(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_VAL_CHANGED) ExtChanged(panel, 0);
    return 0;
}
UI_CALLBACK(cbExt1);

int cbExt2(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_VAL_CHANGED) ExtChanged(panel, 1);
    return 0;
}
UI_CALLBACK(cbExt2);

int cbExt3(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_VAL_CHANGED) ExtChanged(panel, 2);
    return 0;
}
UI_CALLBACK(cbExt3);

int cbClamp1(int panel, int control, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int p = PhaseOf(SETTING_CLAMP_ID, control);
    if (p < 0) return 0;
    double v = 0;
    if (GetCtrlVal(panel, control, &v) < 0) {   // empty clamp list: no ranges
        ClearListCtrl(panel, SETTING_IRANGE_ID[p]);
        return 0;
    }
    FillClampRanges(panel, SETTING_IRANGE_ID[p], v);
    return 0;
}
UI_CALLBACK(cbClamp1);

int cbIRange(int, int, int, void*, int, int) { return 0; }
UI_CALLBACK(cbIRange);
int cbURange(int, int, int, void*, int, int) { return 0; }
UI_CALLBACK(cbURange);
int cbIScale(int, int, int, void*, int, int) { return 0; }
UI_CALLBACK(cbIScale);
int cbUScale(int, int, int, void*, int, int) { return 0; }
UI_CALLBACK(cbUScale);
int cbSystem(int, int, int, void*, int, int) { return 0; }
UI_CALLBACK(cbSystem);

UI_CALLBACK_FILE(ranges_panel);
