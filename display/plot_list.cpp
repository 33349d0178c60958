#include "display/plot_list.h"

#include "display/plot.h"
#include "display/plot_quantities.h"
#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/ui/ui.h"
#include "state/panels.h"
#include "state/reset.h"

namespace {
int g_list_kind = RUN_NONE;   // kind of run the plot lists were filled for
}

void ClearPlotFields() { SetPlotFields("", "", ""); }

void EmptyPlotSelection(bool clear_graph)
{
    for (int c : {DIAGNOS_KIND, DIAGNOS_OPERAND1, DIAGNOS_OPERAND2, DIAGNOS_OPERATION})
        SetCtrlAttribute(diagnos, c, ATTR_DIMMED, 1);
    SetCtrlVal(diagnos, DIAGNOS_KIND, PLOT_TIME);
    ClearPlotFields();
    if (!clear_graph) return;
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, "");
}

void setup_plot_list()
{
    TakeRunPara();
    int kind = LoadedRunKind();
    if (kind == RUN_NONE) kind = RunPara().test_kind == 1 ? RUN_FLICKER : RUN_HARMONIC;
    ClearListCtrl(diagnos, DIAGNOS_PHASELIST);
    for (int p = 0; p < RunPhases(); ++p) {
        char t[8];
        Fmt(t, "%i", p + 1);
        InsertListItem(diagnos, DIAGNOS_PHASELIST, -1, t, p);
    }
    SetCtrlIndex(diagnos, DIAGNOS_PHASELIST, 0);
    ClearListCtrl(diagnos, DIAGNOS_QUANTITY);
    for (int q = 0; q < QuantityCount(kind); ++q)
        InsertListItem(diagnos, DIAGNOS_QUANTITY, -1, QuantityName(kind, q).c_str(), q);
    SetCtrlIndex(diagnos, DIAGNOS_QUANTITY, 0);
    if (g_list_kind != kind) {
        for (int c : {DIAGNOS_PLOTLIST, DIAGNOS_OPERAND1, DIAGNOS_OPERAND2}) ClearListCtrl(diagnos, c);
        EmptyPlotSelection(false);   // the loading has just drawn the run's own graph
    }
    g_list_kind = kind;
}

int InsertPlot(int phase, int quantity)
{
    const int kind = LoadedRunKind();
    if (kind == RUN_NONE || phase < 0 || phase >= RunPhases() || quantity < 0 || quantity >= QuantityCount(kind))
        return PLOT_REFUSED_NO_RUN;
    PlotCode c{kind, phase, quantity};
    const Para& p = RunPara();
    if (IsAnalogInput(c) && p.ai_on[phase] == 0) return PLOT_REFUSED_INPUT_OFF;
    if (kind == RUN_HARMONIC && (quantity == HQ_ITHC || quantity == HQ_IPOH) && (p.h_standard == 0 || p.h_standard == 1))
        return PLOT_REFUSED_STANDARD;
    const int code = EncodePlotCode(kind, phase, quantity);
    int index = -1;
    if (GetIndexFromValue(diagnos, DIAGNOS_PLOTLIST, &index, code) < 0 || index < 0) {
        const std::string line = PlotLineText(kind, code);
        for (int ctrl : {DIAGNOS_PLOTLIST, DIAGNOS_OPERAND1, DIAGNOS_OPERAND2})
            InsertListItem(diagnos, ctrl, -1, line.c_str(), code);
        GetNumListItems(diagnos, DIAGNOS_PLOTLIST, &index);
        --index;
    }
    SetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, index);
    g_list_kind = kind;
    return code;
}

bool DeletePlotLine(int index)
{
    const int code = PlotListCode(index);
    if (code < 0) return PlotListCount() == 0;
    DeleteListItem(diagnos, DIAGNOS_PLOTLIST, index, 1);
    for (int ctrl : {DIAGNOS_OPERAND1, DIAGNOS_OPERAND2}) {
        int i = -1;
        if (GetIndexFromValue(diagnos, ctrl, &i, code) == 0 && i >= 0) DeleteListItem(diagnos, ctrl, i, 1);
    }
    return PlotListCount() == 0;
}

void reset_plot_list_state() { g_list_kind = RUN_NONE; }
REGISTER_STATE_RESET(reset_plot_list_state);
