// Plots of a stored run on the graph panel: time curves of harmonic and
// flicker runs, the combination of two quantities, the Pst/dmax bar chart of
// a stored flicker run, and the dispatch to histograms and correlations
// (display/histogram.h). Every plot goes to the graph of the graph panel.
#pragma once

#include <string>
#include <vector>

#include "display/convolution.h"

// Kinds of plot (the kind-of-plot selector).
enum {
    PLOT_TIME = 0,
    PLOT_HISTOGRAM = 1,
    PLOT_CUMULATIVE = 2,
    PLOT_CORRELATION = 3,
    PLOT_COMBINED = 4,
};

// Operations of the combined plot (the operation selector).
enum {
    COMBINE_ADD = 0,
    COMBINE_SUBTRACT = 1,
    COMBINE_MULTIPLY = 2,
    COMBINE_DIVIDE = 3,        // a divisor of exactly 0 gives COMBINE_DIV_ZERO
    COMBINE_SCATTER = 4,       // points (B, A)
    COMBINE_CORRELATION = 5,   // circular cross-correlation
};
constexpr double COMBINE_DIV_ZERO = 1e11;

constexpr int PLOT_COLOR = 0x000080;          // dark blue
constexpr int LIMIT_COLOR = 0x00FF00;         // limit curve
constexpr int LIMIT150_COLOR = 0xFF0000;      // 150 % of the limit

// Draws plot `code` of the plot list as `kind` (0..3); `selected` marks the
// plot selected in the plot list (drawn bold, fills the label, minimum and
// maximum fields). Correlations are drawn for the selected plot only.
void DrawPlot(int code, int selected, int kind);
void DrawHPlot(int code, int selected);
void DrawFPlot(int code, int selected);
void DrawCombinedPlot(int codeA, int codeB, int operation, int selected);

// Rebuilds the Pst (or, with the switching procedure, dmax) bar chart of a
// stored flicker run for one phase.
void DrawFlicker(int phase);

// The combined curve of two plot codes: x and y as plotted, with the axis
// labels. False when a code names no quantity of the loaded run.
struct CombinedCurve {
    std::vector<double> x, y;
    std::string xlabel, ylabel;
    bool scatter = false;
};
bool CombinedCurveOf(int codeA, int codeB, int operation, CombinedCurve* out);

// ---- the graph panel's plot list -----------------------------------------------
int PlotListCount();
// Code of the line at `index` (-1 when none) and of the selected line.
int PlotListCode(int index);
int SelectedPlotIndex();
int CurrentPlotKind();
// Deletes every plot and draws every line of the plot list as `kind` (the
// combined plot for PLOT_COMBINED); sets the graph's title.
void RedrawPlotList(int kind);
// Deletes every plot and draws the selected line of the plot list with the
// current kind (the combined plot for PLOT_COMBINED).
void RedrawSelectedPlot();

// Plots a curve, split into separate plots wherever a value is not finite;
// returns the handle of the first plot (0 when nothing was plotted).
int PlotCurve(const std::vector<double>& x, const std::vector<double>& y, size_t begin, size_t end,
              int style, int color);
// Writes the label, minimum and maximum fields of the graph panel.
void SetPlotFields(const std::string& label, const std::string& min, const std::string& max);
// Whether a zoom switch holds the x or the y axis.
bool ZoomHoldsX();
bool ZoomHoldsY();

void reset_plot_state();
