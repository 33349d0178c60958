// The work modes of the main window's tab pages.
#include "app/optional_links.h"
#include "app/startup.h"
#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "state/panels.h"

namespace {

void Page(int page, bool dimmed)
{
    if (page > 0) EasyTab_SetTabAttribute(panelHandle, tabCtrl, page, ATTR_EASY_TAB_DIMMED, dimmed ? 1 : 0);
}

void Pages(bool introD, bool diagnosD, bool protocolD, bool settingD, bool measureD, bool resultsD)
{
    Page(intro, introD);
    Page(diagnos, diagnosD);
    Page(protocol, protocolD);
    Page(setting, settingD);
    Page(measure, measureD);
    Page(results, resultsD);
}

// The label, minimum and maximum fields of the graph panel, hidden outside the plot view.
void HideDiagnosFields()
{
    for (int c : {DIAGNOS_LABEL, DIAGNOS_MIN, DIAGNOS_MAX}) SetCtrlAttribute(diagnos, c, ATTR_VISIBLE, 0);
}

void EmptyGraphsAndLists()
{
    ClearList();
    ClearGraph();
}

}  // namespace

void SetPanelsToMode(int mode)
{
    SetCtrlAttribute(diagnos, DIAGNOS_SPARE, ATTR_VISIBLE, 0);
    SetCtrlAttribute(intro, INTRO_PARTNER, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panExport, EXPORT_SPARE, ATTR_VISIBLE, 0);
    switch (mode) {
    case 0:
        Pages(true, true, true, true, false, true);
        SetCtrlAttribute(setting, SETTING_OK, ATTR_DIMMED, 1);
        break;
    case 1:
        Pages(false, false, false, false, true, false);
        SetCtrlAttribute(setting, SETTING_OK, ATTR_DIMMED, 1);
        SetCtrlAttribute(diagnos, DIAGNOS_PHASE, ATTR_DIMMED, 0);
        break;
    case 2:
        Pages(false, false, true, false, false, true);
        SetCtrlAttribute(setting, SETTING_OK, ATTR_DIMMED, 0);
        for (int c : {MEASURE_U1, MEASURE_U2, MEASURE_U3, MEASURE_I1, MEASURE_I2, MEASURE_I3})
            SetCtrlAttribute(measure, c, ATTR_TEXT_BGCOLOR, VAL_TRANSPARENT);
        SetCtrlAttribute(diagnos, DIAGNOS_PHASE, ATTR_DIMMED, 0);
        HideDiagnosFields();
        for (int p : {measure, results, diagnos, protocol}) DefaultPanel(p);
        EmptyGraphsAndLists();
        for (int c : {DIAGNOS_PHASELIST, DIAGNOS_QUANTITY, DIAGNOS_PLOTLIST}) SetCtrlAttribute(diagnos, c, ATTR_DIMMED, 1);
        break;
    case 3:
        Pages(false, true, true, true, true, true);
        HideDiagnosFields();
        break;
    default:
        break;
    }
}
