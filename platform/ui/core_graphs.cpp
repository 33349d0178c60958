// Toolkit API: graphs, plots and cursors.
#include "platform/ui/core_internal.h"

using namespace ui;
using namespace ui::core;

// ---- graphs -----------------------------------------------------------------------------------

#define GRAPH_OR_FAIL(panel, control)  \
    CTRL_OR_FAIL(panel, control);      \
    if (c->kind != Kind::Graph) return UIE_OperationNotAllowed;

static bool ReadArray(const void* data, int n, int type, std::vector<double>* out)
{
    out->resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        switch (type) {
        case VAL_DOUBLE: (*out)[size_t(i)] = static_cast<const double*>(data)[i]; break;
        case VAL_FLOAT: (*out)[size_t(i)] = static_cast<const float*>(data)[i]; break;
        case VAL_INTEGER: (*out)[size_t(i)] = static_cast<const int*>(data)[i]; break;
        case VAL_SHORT_INTEGER: (*out)[size_t(i)] = static_cast<const short*>(data)[i]; break;
        default: return false;
        }
    }
    return true;
}

static int AddPlot(int panel, Control* c, Plot p)
{
    p.handle = c->graph.nextHandle++;
    c->graph.plots.push_back(std::move(p));
    Changed(panel, *c);
    return c->graph.plots.back().handle;
}

int PlotY(int panel, int control, const void* y, int n, int yType, int style, int pointStyle,
          int lineStyle, int, int color)
{
    GRAPH_OR_FAIL(panel, control);
    if (n < 0 || (n > 0 && !y)) return UIE_OperationNotAllowed;
    Plot p;
    p.kind = VAL_PLOT_Y;
    if (!ReadArray(y, n, yType, &p.y)) return UIE_OperationNotAllowed;
    p.x.resize(size_t(n));
    for (int i = 0; i < n; ++i) p.x[size_t(i)] = i;
    p.style = style;
    p.pointStyle = pointStyle;
    p.lineStyle = lineStyle;
    p.color = color;
    return AddPlot(panel, c, std::move(p));
}

int PlotXY(int panel, int control, const void* x, const void* y, int n, int xType, int yType,
           int style, int pointStyle, int lineStyle, int, int color)
{
    GRAPH_OR_FAIL(panel, control);
    if (n < 0 || (n > 0 && (!x || !y))) return UIE_OperationNotAllowed;
    Plot p;
    p.kind = VAL_PLOT_XY;
    if (!ReadArray(x, n, xType, &p.x) || !ReadArray(y, n, yType, &p.y)) return UIE_OperationNotAllowed;
    p.style = style;
    p.pointStyle = pointStyle;
    p.lineStyle = lineStyle;
    p.color = color;
    return AddPlot(panel, c, std::move(p));
}

int PlotPoint(int panel, int control, double x, double y, int pointStyle, int color)
{
    GRAPH_OR_FAIL(panel, control);
    Plot p;
    p.kind = VAL_PLOT_POINT;
    p.x = {x};
    p.y = {y};
    p.style = VAL_SCATTER;
    p.pointStyle = pointStyle;
    p.color = color;
    return AddPlot(panel, c, std::move(p));
}

int PlotText(int panel, int control, double x, double y, const char* text, int font, int textColor,
             int backColor)
{
    GRAPH_OR_FAIL(panel, control);
    Plot p;
    p.kind = VAL_PLOT_TEXT;
    p.x = {x};
    p.y = {y};
    p.text = text ? text : "";
    p.font = font;
    p.color = textColor;
    p.fillColor = backColor;
    return AddPlot(panel, c, std::move(p));
}

int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2, int color,
                  int fillColor)
{
    GRAPH_OR_FAIL(panel, control);
    Plot p;
    p.kind = VAL_PLOT_RECT;
    p.x = {x1, x2};
    p.y = {y1, y2};
    p.color = color;
    p.fillColor = fillColor;
    return AddPlot(panel, c, std::move(p));
}

int DeleteGraphPlot(int panel, int control, int plot, int)
{
    GRAPH_OR_FAIL(panel, control);
    auto& v = c->graph.plots;
    if (plot == -1) v.clear();
    else {
        auto it = std::find_if(v.begin(), v.end(), [&](const Plot& p) { return p.handle == plot; });
        if (it == v.end()) return UIE_OperationNotAllowed;
        v.erase(it);
    }
    for (auto& cur : c->graph.cursors)
        if (cur.plot && !c->graph.find(cur.plot)) { cur.plot = 0; cur.index = -1; }
    Changed(panel, *c);
    return 0;
}

int RefreshGraph(int panel, int control)
{
    GRAPH_OR_FAIL(panel, control);
    Changed(panel, *c);
    return 0;
}

int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max)
{
    GRAPH_OR_FAIL(panel, control);
    if (axis != VAL_XAXIS && axis != VAL_LEFT_YAXIS) return UIE_OperationNotAllowed;
    if (mode == VAL_MANUAL && !(max > min)) return UIE_OperationNotAllowed;
    Axis& a = axis == VAL_XAXIS ? c->graph.x : c->graph.y;
    if (mode == VAL_LOCK) {
        Range r = axis == VAL_XAXIS ? XRange(c->graph) : YRange(c->graph);
        a.min = r.min; a.max = r.max; a.mode = VAL_MANUAL;
    } else {
        a.mode = mode;
        if (mode == VAL_MANUAL) { a.min = min; a.max = max; }
    }
    Changed(panel, *c);
    return 0;
}

int GetAxisScalingMode(int panel, int control, int axis, int* mode, double* min, double* max)
{
    GRAPH_OR_FAIL(panel, control);
    if (axis != VAL_XAXIS && axis != VAL_LEFT_YAXIS) return UIE_OperationNotAllowed;
    const Axis& a = axis == VAL_XAXIS ? c->graph.x : c->graph.y;
    Range r = axis == VAL_XAXIS ? XRange(c->graph) : YRange(c->graph);
    if (mode) *mode = a.mode;
    if (min) *min = r.min;
    if (max) *max = r.max;
    return 0;
}

int GetAxisRange(int panel, int control, int* xMode, double* xMin, double* xMax, int* yMode,
                 double* yMin, double* yMax)
{
    int r = GetAxisScalingMode(panel, control, VAL_XAXIS, xMode, xMin, xMax);
    if (r < 0) return r;
    return GetAxisScalingMode(panel, control, VAL_LEFT_YAXIS, yMode, yMin, yMax);
}

int GetPlotAttribute(int panel, int control, int plot, int attr, int* value)
{
    GRAPH_OR_FAIL(panel, control);
    Plot* p = c->graph.find(plot);
    if (!p) return UIE_OperationNotAllowed;
    switch (attr) {
    case ATTR_TRACE_COLOR: *value = p->color; return 0;
    case ATTR_PLOT_STYLE: *value = p->style; return 0;
    case ATTR_TRACE_POINT_STYLE: *value = p->pointStyle; return 0;
    case ATTR_NUM_POINTS: *value = int(p->y.size()); return 0;
    case ATTR_PLOT_KIND: *value = p->kind; return 0;
    default: return UIE_OperationNotAllowed;
    }
}

int SetPlotAttribute(int panel, int control, int plot, int attr, int value)
{
    GRAPH_OR_FAIL(panel, control);
    Plot* p = c->graph.find(plot);
    if (!p) return UIE_OperationNotAllowed;
    switch (attr) {
    case ATTR_TRACE_COLOR: p->color = value; break;
    case ATTR_PLOT_STYLE: p->style = value; break;
    case ATTR_TRACE_POINT_STYLE: p->pointStyle = value; break;
    default: return UIE_OperationNotAllowed;
    }
    Changed(panel, *c);
    return 0;
}

#define CURSOR_OR_FAIL(cursor)                                   \
    if ((cursor) < 1 || (cursor) > 4) return UIE_IndexOutOfRange; \
    Cursor& cur = c->graph.cursors[(cursor) - 1];

int GetGraphCursor(int panel, int control, int cursor, double* x, double* y)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    *x = cur.x;
    *y = cur.y;
    return 0;
}

int SetGraphCursor(int panel, int control, int cursor, double x, double y)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    cur.x = x;
    cur.y = y;
    SnapCursor(c->graph, cur);
    Changed(panel, *c);
    return 0;
}

int SetGraphCursorIndex(int panel, int control, int cursor, int plot, int index)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    Plot* p = c->graph.find(plot);
    if (!p || p->kind == VAL_PLOT_TEXT || p->kind == VAL_PLOT_RECT) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(std::min(p->x.size(), p->y.size()))) return UIE_IndexOutOfRange;
    cur.plot = plot;
    cur.index = index;
    cur.x = p->x[size_t(index)];
    cur.y = p->y[size_t(index)];
    Changed(panel, *c);
    return 0;
}

int GetGraphCursorIndex(int panel, int control, int cursor, int* plot, int* index)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    *plot = cur.plot ? cur.plot : -1;
    *index = cur.index;
    return 0;
}

int SetActiveGraphCursor(int panel, int control, int cursor)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    (void)cur;
    c->graph.active = cursor;
    Changed(panel, *c);
    return 0;
}

int GetActiveGraphCursor(int panel, int control, int* cursor)
{
    GRAPH_OR_FAIL(panel, control);
    *cursor = c->graph.active;
    return 0;
}

int SetCursorAttribute(int panel, int control, int cursor, int attr, int value)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    switch (attr) {
    case ATTR_CURSOR_COLOR: cur.color = value; break;
    case ATTR_CURSOR_MODE: cur.mode = value; break;
    case ATTR_CROSS_HAIR_STYLE: cur.crossHair = value; break;
    case ATTR_CURSOR_POINT_STYLE: cur.pointStyle = value; break;
    default: return UIE_OperationNotAllowed;
    }
    Changed(panel, *c);
    return 0;
}

int GetCursorAttribute(int panel, int control, int cursor, int attr, int* value)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    switch (attr) {
    case ATTR_CURSOR_COLOR: *value = cur.color; return 0;
    case ATTR_CURSOR_MODE: *value = cur.mode; return 0;
    case ATTR_CROSS_HAIR_STYLE: *value = cur.crossHair; return 0;
    case ATTR_CURSOR_POINT_STYLE: *value = cur.pointStyle; return 0;
    default: return UIE_OperationNotAllowed;
    }
}
