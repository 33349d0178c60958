// Small accessors of the graph panel's controls shared by the display files.
#pragma once

#include <string>

#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/ui/ui.h"
#include "state/panels.h"
#include "reports/result_tables.h"

// The title line of a graph (result tables); every drawing sets it after plotting.
inline void TitleGraph() { PlotTextOfGraph(diagnos, DIAGNOS_GRAPH); }

// Whole-number ticks on the x axis (frames, orders, periods, offsets), or
// ticks the painter chooses (-1: histograms, scatter plots).
inline void WholeXTicks(bool whole) { SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_XPRECISION, whole ? 0 : -1); }

// Value of a switch (check box) of the graph panel.
inline int DiagnosSwitch(int control)
{
    int v = 0;
    GetCtrlVal(diagnos, control, &v);
    return v;
}

inline void DiagnosDim(int control, int dimmed) { SetCtrlAttribute(diagnos, control, ATTR_DIMMED, dimmed); }

// A field text "<prefix><value>" ("%s<%s%f").
inline std::string PrefixedReal(const char* prefix, double v)
{
    char t[80];
    Fmt(t, "%s<%s%f", prefix, v);
    return t;
}
