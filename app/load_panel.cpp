#include "app/load_panel.h"

#include <string>

#include "app/startup.h"
#include "files/load.h"
#include "files/load_links.h"
#include "evaluation/verdicts.h"
#include "panel_ids.h"
#include "platform/fixed_text.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"
#include "state/names.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/workmode.h"

int cbLoadFile(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    char path[MAX_PATHNAME_LEN] = "";
    int use_field = 0;
    GetCtrlVal(diagnos, DIAGNOS_USEFILE, &use_field);
    if (use_field) {
        GetCtrlVal(diagnos, DIAGNOS_FILE, path);
    } else {
        SetCtrlVal(diagnos, DIAGNOS_FILE, "");
        char pattern[16];
        std::string spec = std::string("*") + qel_gsx;
        CopyFixed(pattern, spec.c_str());
        if (FileSelectPopup(ProjectDir().c_str(), pattern, pattern, "Select data file", VAL_LOAD_BUTTON, 0, 1, 1, 0,
                            path) == VAL_NO_FILE_SELECTED)
            return 0;
    }
    DefaultPanel(diagnos);
    for (int c : {DIAGNOS_PLOTLIST, DIAGNOS_OPERAND1, DIAGNOS_OPERAND2}) ClearListCtrl(diagnos, c);
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    workmode = 1;
    viewmode = 3;
    if (load_measurement(path, -1, -1) < 0) return 0;

    SetResultsPanel(para.test_kind);
    SetMeasPanel(para.test_kind);
    EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, diagnos);
    SetPanelsToMode(workmode);

    SetCtrlVal(diagnos, DIAGNOS_VIEWMODE, 1);
    CallCtrlCallback(diagnos, DIAGNOS_VIEWMODE, EVENT_VAL_CHANGED, 0, 0, nullptr);
    for (int c : {DIAGNOS_OPERAND1, DIAGNOS_OPERAND2, DIAGNOS_OPERATION}) SetCtrlAttribute(diagnos, c, ATTR_DIMMED, 1);
    for (int c : {DIAGNOS_LABEL, DIAGNOS_MIN, DIAGNOS_MAX}) SetCtrlAttribute(diagnos, c, ATTR_VISIBLE, 0);
    if (para.test_kind == 1) {
        SetCtrlAttribute(diagnos, DIAGNOS_FRAMETABLE, ATTR_VISIBLE, 0);
        SetCtrlAttribute(diagnos, DIAGNOS_SHOWLIMITS, ATTR_DIMMED, 1);
        SetCtrlAttribute(diagnos, DIAGNOS_PERCENT, ATTR_DIMMED, 1);
    }
    // The harmonic graph of L1; the flicker chart stands as the view drew it.
    if (para.test_kind == 0) DrawData(0);
    CallCtrlCallback(diagnos, DIAGNOS_FRAME, EVENT_VAL_CHANGED, 0, 0, nullptr);
    if (set_parameter) set_parameter(para);
    if (para.test_kind == 0 && (para.h_standard == 2 || para.h_standard == 3)) SetHarmonicVerdicts();

    SetCtrlVal(diagnos, DIAGNOS_USEFILE, 0);
    SetCtrlAttribute(diagnos, DIAGNOS_USEFILE, ATTR_VISIBLE, 0);
    if (SwitchZoomCursors) SwitchZoomCursors(0);
    return 0;
}
UI_CALLBACK(cbLoadFile);

UI_CALLBACK_FILE(app_load_panel);
