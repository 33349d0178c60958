#include "display/diagnos_controls.h"
#include "display/views.h"

#include "display/cursors.h"
#include "display/live_display.h"
#include "display/plot.h"
#include "display/plot_list.h"
#include "display/plot_series.h"
#include "state/records.h"
#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/ui/ui.h"
#include "reports/result_tables.h"
#include "state/workmode.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/reset.h"


namespace {

// Tools of the plot view, dimmed in the standard view.
const int kPlotTools[] = {
    DIAGNOS_REDCURSOR, DIAGNOS_RED_X, DIAGNOS_RED_Y, DIAGNOS_REDMIN, DIAGNOS_REDMAX,
    DIAGNOS_BLACKCURSOR, DIAGNOS_BLACK_X, DIAGNOS_BLACK_Y, DIAGNOS_BLACKMIN, DIAGNOS_BLACKMAX,
    DIAGNOS_DIFFERENCE, DIAGNOS_DIFF_X, DIAGNOS_DIFF_Y,
    DIAGNOS_ZOOMX, DIAGNOS_ZOOMY, DIAGNOS_ZOOMXY, DIAGNOS_ZOOM, DIAGNOS_RESTORE, DIAGNOS_SCALEGRAPH,
    DIAGNOS_KIND, DIAGNOS_PERCENT, DIAGNOS_NORMALISE, DIAGNOS_PLOTLIST, DIAGNOS_PHASELIST, DIAGNOS_QUANTITY,
    DIAGNOS_INSERT, DIAGNOS_DELETE,
};

void Show(int control, int visible) { SetCtrlAttribute(diagnos, control, ATTR_VISIBLE, visible); }

}  // namespace

int SelectedPhase()
{
    int p = 0;
    GetCtrlVal(diagnos, DIAGNOS_PHASE, &p);
    return p >= 0 && p < RunPhases() ? p : 0;
}

void SetOverRangeIndicator(double ovri)
{
    const bool over = ovri > 99.9f;
    SetCtrlVal(diagnos, DIAGNOS_OVERRANGE, over ? "Yes" : "No");
    SetCtrlAttribute(diagnos, DIAGNOS_OVERRANGE, ATTR_TEXT_COLOR, over ? VAL_RED : VAL_GREEN);
}

void SetViewMode(int standard)
{
    my_dummy = standard ? VIEW_STANDARD : VIEW_PLOTS;
    for (int c : kPlotTools) DiagnosDim(c, standard);
    if (!standard) {
        // the combined-plot controls and the extreme buttons follow their own switches
        const int combined = CurrentPlotKind() == PLOT_COMBINED;
        for (int c : {DIAGNOS_OPERAND1, DIAGNOS_OPERAND2, DIAGNOS_OPERATION}) DiagnosDim(c, !combined);
        DiagnosDim(DIAGNOS_KIND, PlotListCount() == 0);
        const int red = DiagnosSwitch(DIAGNOS_REDCURSOR), black = DiagnosSwitch(DIAGNOS_BLACKCURSOR);
        for (int c : {DIAGNOS_RED_X, DIAGNOS_RED_Y}) DiagnosDim(c, !red);
        for (int c : {DIAGNOS_REDMIN, DIAGNOS_REDMAX}) DiagnosDim(c, !(red && PlotListCount() > 0));
        for (int c : {DIAGNOS_BLACK_X, DIAGNOS_BLACK_Y}) DiagnosDim(c, !black);
        for (int c : {DIAGNOS_BLACKMIN, DIAGNOS_BLACKMAX}) DiagnosDim(c, !(black && PlotListCount() > 0));
        const int diff = red && black && DiagnosSwitch(DIAGNOS_DIFFERENCE);
        for (int c : {DIAGNOS_DIFF_X, DIAGNOS_DIFF_Y}) DiagnosDim(c, !diff);
    } else {
        for (int c : {DIAGNOS_OPERAND1, DIAGNOS_OPERAND2, DIAGNOS_OPERATION}) DiagnosDim(c, 1);
    }
    // the cursors show only in the plot view, as their switches say
    SwitchRedCursor(!standard && DiagnosSwitch(DIAGNOS_REDCURSOR));
    SwitchBlackCursor(!standard && DiagnosSwitch(DIAGNOS_BLACKCURSOR));
    if (standard) SwitchZoomCursors(ZOOM_OFF);
    for (int c : {DIAGNOS_LABEL, DIAGNOS_MIN, DIAGNOS_MAX}) {
        Show(c, !standard);
        if (standard) SetCtrlVal(diagnos, c, "");
    }
    const int run = LoadedRunKind();
    const bool flicker = run == RUN_FLICKER;
    if (flicker) {
        DiagnosDim(DIAGNOS_SHOWLIMITS, 1);
        DiagnosDim(DIAGNOS_PERCENT, 1);
    }
    Show(DIAGNOS_FRAME, !flicker && standard);
    Show(DIAGNOS_FRAMETABLE, !flicker && standard);
    Show(DIAGNOS_OVERRANGE, !flicker && standard);
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    const int phase = SelectedPhase();
    if (standard) {
        if (flicker) {
            DrawFlicker(phase);
        } else {
            int k = 0;
            GetCtrlVal(diagnos, DIAGNOS_FRAME, &k);
            if (!ShowFrame(phase, k)) DrawData(phase);
        }
    } else if (PlotListCount() > 0) {
        DrawData(phase);   // the plot view: the selected plot
    } else {
        SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, "");
    }
}

bool ShowFrame(int phase, int k)
{
    if (LoadedRunKind() != RUN_HARMONIC || phase < 0 || phase > 2) return false;
    HarmFrame f;
    if (!HarmFrameAt(phase, k, &f)) return false;
    buf[phase] = f;
    WholeXTicks(true);
    DrawData(phase);
    if (my_dummy != VIEW_PLOTS) TitleGraph();
    createTable(diagnos, DIAGNOS_FRAMETABLE, buf[phase], MAX_ORDER);
    SetOverRangeIndicator(f.ovri);
    return true;
}

bool ShowFrameValues(int phase, int k)
{
    if (LoadedRunKind() != RUN_HARMONIC || phase < 0 || phase > 2) return false;
    HarmFrame f;
    if (!HarmFrameAt(phase, k, &f)) return false;
    buf[phase] = f;
    InstallPopup(smallres);
    ShowData(phase);
    return true;
}

void reset_view_state() { my_dummy = 0; }
REGISTER_STATE_RESET(reset_view_state);
