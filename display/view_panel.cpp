// Callbacks of the views and the frame selector of the graph panel, and the
// per-phase switches of the measuring panel.
#include "display/live_display.h"
#include "display/plot.h"
#include "display/plot_quantities.h"
#include "display/views.h"
#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "state/workmode.h"
#include "state/panels.h"
#include "state/para.h"


namespace {

int Val(int panel, int control)
{
    int v = 0;
    GetCtrlVal(panel, control, &v);
    return v;
}

int Column(int event, void (*show)(int, int), int graph, int data)
{
    if (event == EVENT_COMMIT) show(Val(measure, graph), Val(measure, data));
    return 0;
}

}  // namespace

int cbViewMode(int, int, int event, void*, int, int)
{
    if (event == EVENT_VAL_CHANGED) SetViewMode(Val(diagnos, DIAGNOS_VIEWMODE));
    return 0;
}
UI_CALLBACK(cbViewMode);

int cbPhase(int, int, int event, void*, int, int)
{
    if (event != EVENT_VAL_CHANGED || my_dummy != VIEW_STANDARD || (workmode != 1 && workmode != 2)) return 0;
    const int phase = SelectedPhase();
    if (LoadedRunKind() == RUN_FLICKER) {
        DrawFlicker(phase);
        return 0;
    }
    DrawData(phase);
    CallCtrlCallback(diagnos, DIAGNOS_FRAME, EVENT_VAL_CHANGED, 0, 0, nullptr);
    return 0;
}
UI_CALLBACK(cbPhase);

int cbFrame(int, int, int event, void*, int, int)
{
    if (event != EVENT_VAL_CHANGED && event != EVENT_RIGHT_CLICK) return 0;
    const int k = Val(diagnos, DIAGNOS_FRAME);
    if (event == EVENT_VAL_CHANGED) ShowFrame(SelectedPhase(), k);
    else ShowFrameValues(SelectedPhase(), k);
    return 0;
}
UI_CALLBACK(cbFrame);

// The frame-values popup (and the other small dialogs with a close button).
int cbClose(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) RemovePopup(panel);
    return 0;
}
UI_CALLBACK(cbClose);

int cbGraphDataA(int, int, int event, void*, int, int) { return Column(event, ShowPanelA, MEASURE_SHOWGRAPH1, MEASURE_SHOWDATA1); }
int cbGraphDataB(int, int, int event, void*, int, int) { return Column(event, ShowPanelB, MEASURE_SHOWGRAPH2, MEASURE_SHOWDATA2); }
int cbGraphDataC(int, int, int event, void*, int, int) { return Column(event, ShowPanelC, MEASURE_SHOWGRAPH3, MEASURE_SHOWDATA3); }
int cbDataA(int, int, int event, void*, int, int) { return Column(event, ShowPanelA, MEASURE_SHOWGRAPH1, MEASURE_SHOWDATA1); }
int cbDataB(int, int, int event, void*, int, int) { return Column(event, ShowPanelB, MEASURE_SHOWGRAPH2, MEASURE_SHOWDATA2); }
int cbDataC(int, int, int event, void*, int, int) { return Column(event, ShowPanelC, MEASURE_SHOWGRAPH3, MEASURE_SHOWDATA3); }
UI_CALLBACK(cbGraphDataA);
UI_CALLBACK(cbGraphDataB);
UI_CALLBACK(cbGraphDataC);
UI_CALLBACK(cbDataA);
UI_CALLBACK(cbDataB);
UI_CALLBACK(cbDataC);

// The show-limits boxes take effect at the next drawing.
int cbLimitsA(int, int, int, void*, int, int) { return 0; }
int cbLimitsB(int, int, int, void*, int, int) { return 0; }
int cbLimitsC(int, int, int, void*, int, int) { return 0; }
UI_CALLBACK(cbLimitsA);
UI_CALLBACK(cbLimitsB);
UI_CALLBACK(cbLimitsC);
