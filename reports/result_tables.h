// Result tables and graph titles: the frame table of the display panel, the
// harmonic and flicker result tables of the results panel and the title line
// of every graph.
#pragma once

#include "state/records.h"

// Text box: the per-order table of one frame (orders 0 .. min(highest, 31),
// then 32 .. 40 when highest exceeds 31).
int createTable(int panel, int control, HarmFrame record, int highest);
// Table control: the harmonic result table of one phase (41 rows, orders 0..40).
int createTableResultNew(int panel, int control, HarmResult record, int highest, int phase);
// Table control: the Pst/Plt (or dmax) table of one phase, one row per interval.
int createPstTableNew(int panel, int control, int phase);
// Composes the title line of a graph from the view (`my_dummy` 4: the plot
// view), the test kind, the phase, the frame or plot
// selection and the logging file's name, and sets it as the graph's label. A
// plot view without plots leaves the title unchanged.
int PlotTextOfGraph(int panel, int graph);
