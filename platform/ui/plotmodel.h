// The plot model of a graph control: plots as data (kind, points, colour,
// style), axes and four cursors. The headless back-end keeps it for tests to
// inspect; the Qt graph widget paints it.
#pragma once

#include <string>
#include <vector>

namespace ui {

struct Plot {
    int handle = 0;
    int kind = 0;            // VAL_PLOT_Y, _XY, _POINT, _TEXT, _RECT
    std::vector<double> x, y;   // PlotY: x = 0..n-1; rectangles: two corners
    int style = 0;           // VAL_THIN_LINE, VAL_VERTICAL_BAR, VAL_SCATTER ...
    int pointStyle = 0;
    int lineStyle = 0;
    int color = 0;
    int fillColor = 0x1000000;   // rectangles and text background
    std::string text;
    int font = 0;
};

struct Axis {
    int mode = 1;            // VAL_AUTOSCALE
    double min = 0, max = 10;
    int map = 0;             // VAL_LINEAR / VAL_LOG
    std::string name;
};

struct Cursor {
    double x = 0, y = 0;
    int plot = 0;            // snapped plot, 0 = none
    int index = -1;          // snapped point index
    int color = 0xFF0000;
    int mode = 1;            // VAL_SNAP_TO_POINT
    int crossHair = 0;       // VAL_LONG_CROSS
    int pointStyle = 0;
};

struct Graph {
    std::vector<Plot> plots;
    int nextHandle = 1;
    Axis x, y;
    Cursor cursors[4];
    int active = 1;
    int numCursors = 4;
    Plot* find(int handle);
};

struct Range { double min, max; };

// The axis ranges a graph shows: manual ranges as set, automatic ranges from
// the data (bars include 0; an empty or flat range is widened). A
// logarithmic axis keeps only positive values.
Range XRange(const Graph& g);
Range YRange(const Graph& g);

// Min/max decimation of a curve to about `buckets` columns: each bucket
// yields the first, minimum, maximum and last point in x order, so peaks
// survive. Indices into the plot's arrays are returned.
std::vector<int> Decimate(const Plot& p, double xmin, double xmax, int buckets);

}  // namespace ui
