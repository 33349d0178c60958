// Callbacks of a measurement run that change the work mode: the start/stop
// toggle, the acquisition timer, and the pages' "new measurement" and
// "start" buttons.
#include "app/run_panel.h"

#include <string>

#include "app/settings_panel.h"
#include "app/startup.h"
#include "display/live_display.h"
#include "files/load.h"
#include "measure/acquisition.h"
#include "measure/run.h"
#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"
#include "state/channels.h"
#include "state/names.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/workmode.h"

namespace {

void ShowPage(int page) { EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, page); }

void EnterMode(int mode, int page)
{
    ShowPage(page);
    workmode = mode;
    SetPanelsToMode(mode);
}

// The file the run just wrote, into the results.
void LoadRunFile()
{
    const std::string path = para.log_file;
    load_measurement(path.c_str(), -1, -1);
}

}  // namespace

void interrupt_meas(int last)
{
    CloseStartedSessions(last);
    EnterMode(2, setting);
    SetCtrlVal(measure, MEASURE_START, 0);
}

int cbStart(int panel, int control, int event, void*, int, int)
{
    if (event != EVENT_VAL_CHANGED) return 0;
    para.user_stopped = 0;
    int value = 0;
    GetCtrlVal(panel, control, &value);
    if (value == 1) {
        if (RunActive()) return 0;
        char path[MAX_PATHNAME_LEN] = "";
        const std::string name = std::string("logging") + qel_gsx;
        const std::string types = std::string("*") + qel_gsx;
        if (FileSelectPopup(ProjectDir().c_str(), name.c_str(), types.c_str(), "Select data file!", VAL_SAVE_BUTTON,
                            0, 1, 1, 1, path) == VAL_NO_FILE_SELECTED) {
            SetCtrlVal(panel, control, 0);
            return 0;
        }
        if (StartRun(path) < 0) {
            interrupt_meas(2);
            return -1;
        }
        EnterMode(0, measure);
        return 0;
    }
    if (!RunActive()) return 0;
    UserStop();
    EnterMode(2, setting);
    LoadRunFile();
    set_parameter(para);
    return 0;
}
UI_CALLBACK(cbStart);

int cbTimer(int, int, int event, void*, int, int)
{
    if (event != EVENT_TIMER_TICK) return 0;
    const int r = AcquisitionTick();
    if (r == TICK_ENDED) {
        EnterMode(1, results);
        LoadRunFile();
        SetResultsPanel(para.test_kind);
        SetWaitCursor(0);
    } else if (r == TICK_FAILED) {
        EnterMode(2, setting);
    }
    return r == TICK_SKIPPED ? -1 : 0;
}
UI_CALLBACK(cbTimer);

int cbNewMeas(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetCtrlVal(diagnos, DIAGNOS_FILE, "");
    EnterMode(2, setting);
    return 0;
}
UI_CALLBACK(cbNewMeas);

int cbStartMeas(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int load = 0;
    GetCtrlVal(panel, INTRO_CHOICE, &load);
    if (load) {
        SetWaitCursor(1);
        CallCtrlCallback(diagnos, DIAGNOS_LOAD, EVENT_COMMIT, 0, 0, nullptr);
        SetWaitCursor(0);
        return 0;
    }
    EasyTab_SetTabAttribute(panelHandle, tabCtrl, setting, ATTR_EASY_TAB_DIMMED, 0);
    ShowPage(setting);
    SetCtrlVal(setting, SETTING_ANALYSER, para.analyser);
    CallCtrlCallback(setting, SETTING_ANALYSER, EVENT_VAL_CHANGED, 0, 0, nullptr);
    return 0;
}
UI_CALLBACK(cbStartMeas);
