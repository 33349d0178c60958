// Callbacks of the plot selection on the graph panel.
#include "display/diagnos_controls.h"
#include "display/plot.h"
#include "display/plot_list.h"
#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "state/panels.h"

namespace {

int ListValue(int control)
{
    int index = -1, value = -1;
    if (GetCtrlIndex(diagnos, control, &index) < 0 || index < 0) return -1;
    if (GetValueFromIndex(diagnos, control, index, &value) < 0) return -1;
    return value;
}

}  // namespace

int cbDiaInsert(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    const int phase = ListValue(DIAGNOS_PHASELIST), quantity = ListValue(DIAGNOS_QUANTITY);
    if (phase < 0 || quantity < 0 || InsertPlot(phase, quantity) < 0) return 0;
    SetCtrlAttribute(diagnos, DIAGNOS_KIND, ATTR_DIMMED, 0);
    RedrawPlotList(CurrentPlotKind());
    return 0;
}
UI_CALLBACK(cbDiaInsert);

int cbDiaDelete(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int index = -1;
    GetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, &index);
    if (index < 0 || PlotListCount() == 0) return 0;
    if (DeletePlotLine(index)) {
        EmptyPlotSelection(true);
        return 0;
    }
    SetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, 0);
    RedrawPlotList(CurrentPlotKind());
    return 0;
}
UI_CALLBACK(cbDiaDelete);

// The plot list: the line at the current index is the selected plot.
int cbPlot(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT || PlotListCount() == 0) return 0;
    RedrawPlotList(CurrentPlotKind());
    return 0;
}
UI_CALLBACK(cbPlot);

int cbPercent(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT || PlotListCount() == 0) return 0;
    RedrawPlotList(CurrentPlotKind());
    return 0;
}
UI_CALLBACK(cbPercent);

int cbKindOfPlot(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    const int kind = CurrentPlotKind();
    ClearPlotFields();
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    for (int c : {DIAGNOS_SHOWLIMITS, DIAGNOS_PERCENT}) {
        SetCtrlVal(diagnos, c, 0);
        SetCtrlAttribute(diagnos, c, ATTR_DIMMED, kind != PLOT_TIME);
    }
    for (int c : {DIAGNOS_OPERAND1, DIAGNOS_OPERAND2, DIAGNOS_OPERATION})
        SetCtrlAttribute(diagnos, c, ATTR_DIMMED, kind != PLOT_COMBINED);
    RedrawPlotList(kind);
    return 0;
}
UI_CALLBACK(cbKindOfPlot);

// The operands and the operation of the combined plot.
static int CombinedChanged(int event)
{
    if (event == EVENT_VAL_CHANGED) RedrawPlotList(PLOT_COMBINED);
    return 0;
}
int cbPlot1(int, int, int event, void*, int, int) { return CombinedChanged(event); }
int cbSign(int, int, int event, void*, int, int) { return CombinedChanged(event); }
int cbPlot2(int, int, int event, void*, int, int) { return CombinedChanged(event); }
UI_CALLBACK(cbPlot1);
UI_CALLBACK(cbSign);
UI_CALLBACK(cbPlot2);

int cbY_Scale(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_YMAP_MODE, DiagnosSwitch(DIAGNOS_YSCALE) ? VAL_LINEAR : VAL_LOG);
    return 0;
}
UI_CALLBACK(cbY_Scale);

// Back to time curves of every plot.
int cbScaleGraph(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    SetCtrlVal(diagnos, DIAGNOS_SHOWLIMITS, 0);
    SetCtrlVal(diagnos, DIAGNOS_PERCENT, 0);
    SetCtrlVal(diagnos, DIAGNOS_KIND, PLOT_TIME);
    for (int c : {DIAGNOS_OPERAND1, DIAGNOS_OPERAND2, DIAGNOS_OPERATION}) SetCtrlAttribute(diagnos, c, ATTR_DIMMED, 1);
    RedrawPlotList(PLOT_TIME);
    return 0;
}
UI_CALLBACK(cbScaleGraph);
