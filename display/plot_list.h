// The plot selection of the graph panel: the phase and quantity lists of the
// loaded run, and the plot list with its two operand lists.
#pragma once

// Fills the phase list ("1" .. phases) and the quantity list of the loaded
// run's kind and keeps the run's settings (RunPara). Called at the end of
// every loading. Plot lists built for a run of the other kind are emptied.
void setup_plot_list();

// Results of InsertPlot besides a code (>= 0).
enum {
    PLOT_REFUSED_NO_RUN = -1,        // nothing loaded, or no such phase or quantity
    PLOT_REFUSED_INPUT_OFF = -2,     // analogue input of a phase whose inputs were off
    PLOT_REFUSED_STANDARD = -3,      // "Ithc" and "Pwhd"/"Ipoh" before EN61000-3-2:2006
};
// Adds the quantity of a phase to the plot list and both operand lists
// unless its code is there already, and selects it in the plot list. The
// code, or a refusal (nothing changed).
int InsertPlot(int phase, int quantity);
// Removes the plot list's line `index` and its code from the operand lists.
// True when the list became empty.
bool DeletePlotLine(int index);

// Clears the label, minimum and maximum fields.
void ClearPlotFields();
// The state of an empty plot list: kind 0, the kind selector and the
// combined-plot controls dimmed, fields cleared; with `clear_graph` the
// graph's plots and title as well.
void EmptyPlotSelection(bool clear_graph);

void reset_plot_list_state();
