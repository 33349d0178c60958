#include "display/diagnos_controls.h"
#include "display/cursors.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "display/plot.h"
#include "display/views.h"
#include "display/plot_quantities.h"
#include "panel_ids.h"
#include "platform/analysis.h"
#include "platform/fmt.h"
#include "platform/ui/model.h"
#include "platform/ui/ui.h"
#include "state/workmode.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/reset.h"

int ZOMMED = 0;
double x_min = 0, x_max = 0, y_min = 0, y_max = 0;

namespace {

constexpr int OFF_COLOR = 0xE0E0E0;

struct Fields { int onoff, x, y; };
Fields FieldsOf(int cursor)
{
    return cursor == CURSOR_RED ? Fields{DIAGNOS_REDCURSOR, DIAGNOS_RED_X, DIAGNOS_RED_Y}
                                : Fields{DIAGNOS_BLACKCURSOR, DIAGNOS_BLACK_X, DIAGNOS_BLACK_Y};
}

void SetLook(int cursor, int color, int cross, int point)
{
    SetCursorAttribute(diagnos, DIAGNOS_GRAPH, cursor, ATTR_CURSOR_COLOR, color);
    SetCursorAttribute(diagnos, DIAGNOS_GRAPH, cursor, ATTR_CROSS_HAIR_STYLE, cross);
    SetCursorAttribute(diagnos, DIAGNOS_GRAPH, cursor, ATTR_CURSOR_POINT_STYLE, point);
}

void SwitchMeasuring(int cursor, int on, int color)
{
    if (on) SetLook(cursor, color, VAL_SHORT_CROSS, VAL_NO_POINT);
    else SetLook(cursor, OFF_COLOR, VAL_NO_CROSS, VAL_SMALL_SOLID_SQUARE);
    if (!on) return;
    double x = 0, y = 0;
    GetGraphCursor(diagnos, DIAGNOS_GRAPH, cursor, &x, &y);
    char t[64];
    Fmt(t, "%s<%f", x);
    SetCtrlVal(diagnos, FieldsOf(cursor).x, t);
    Fmt(t, "%s<%f", y);
    SetCtrlVal(diagnos, FieldsOf(cursor).y, t);
}

// x of a cursor: whole frames in the standard view and for time curves.
std::string XText(double x)
{
    char t[64];
    if (my_dummy == VIEW_STANDARD || CurrentPlotKind() == PLOT_TIME) Fmt(t, "%s<%i", int(std::lround(x)));
    else Fmt(t, "%s<%f", x);
    return t;
}

std::string YText(double y)
{
    char t[64];
    Fmt(t, "%s<%f", y);
    return t;
}

// The points of a plot of the graph.
bool PlotPoints(int plot, std::vector<double>* x, std::vector<double>* y)
{
    ui::Control* c = ui::FindCtrl(diagnos, DIAGNOS_GRAPH);
    if (!c) return false;
    const ui::Plot* p = c->graph.find(plot);
    if (!p || p->kind == VAL_PLOT_TEXT || p->kind == VAL_PLOT_RECT) return false;
    *x = p->x;
    *y = p->y;
    return !y->empty();
}

}  // namespace

void SwitchRedCursor(int on) { SwitchMeasuring(CURSOR_RED, on, VAL_RED); }
void SwitchBlackCursor(int on) { SwitchMeasuring(CURSOR_BLACK, on, VAL_BLACK); }

void SwitchZoomCursors(int mode)
{
    int cross, point, color = VAL_BLACK;
    switch (mode) {
    case ZOOM_OFF: cross = VAL_NO_CROSS; point = VAL_SMALL_SOLID_SQUARE; color = OFF_COLOR; break;
    case ZOOM_X: cross = VAL_VERTICAL_LINE; point = VAL_DOTTED_EMPTY_SQUARE; break;
    case ZOOM_Y: cross = VAL_HORIZONTAL_LINE; point = VAL_DOTTED_EMPTY_SQUARE; break;
    case ZOOM_XY: cross = VAL_LONG_CROSS; point = VAL_NO_POINT; break;
    default: return;
    }
    for (int c : {CURSOR_ZOOM1, CURSOR_ZOOM2}) {
        SetLook(c, color, cross, point);
        SetCursorAttribute(diagnos, DIAGNOS_GRAPH, c, ATTR_CURSOR_MODE, VAL_FREE_FORM);
    }
}

void ShowCursorFields(int cursor)
{
    if (cursor != CURSOR_RED && cursor != CURSOR_BLACK) return;
    const Fields f = FieldsOf(cursor);
    if (!DiagnosSwitch(f.onoff)) {
        SetCtrlVal(diagnos, f.x, "");
        SetCtrlVal(diagnos, f.y, "");
        return;
    }
    double x = 0, y = 0;
    GetGraphCursor(diagnos, DIAGNOS_GRAPH, cursor, &x, &y);
    SetCtrlVal(diagnos, f.x, XText(x));
    SetCtrlVal(diagnos, f.y, YText(y));
    ShowDifference();
}

void ShowDifference()
{
    const bool both = DiagnosSwitch(DIAGNOS_REDCURSOR) && DiagnosSwitch(DIAGNOS_BLACKCURSOR);
    const bool on = both && DiagnosSwitch(DIAGNOS_DIFFERENCE);
    for (int c : {DIAGNOS_DIFF_X, DIAGNOS_DIFF_Y}) SetCtrlAttribute(diagnos, c, ATTR_DIMMED, !on);
    if (!on) {
        SetCtrlVal(diagnos, DIAGNOS_DIFF_X, "");
        SetCtrlVal(diagnos, DIAGNOS_DIFF_Y, "");
        return;
    }
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    GetGraphCursor(diagnos, DIAGNOS_GRAPH, CURSOR_RED, &x1, &y1);
    GetGraphCursor(diagnos, DIAGNOS_GRAPH, CURSOR_BLACK, &x2, &y2);
    char t[64];
    Fmt(t, "%s<%f", x2 - x1);
    SetCtrlVal(diagnos, DIAGNOS_DIFF_X, t);
    Fmt(t, "%s<%f", y2 - y1);
    SetCtrlVal(diagnos, DIAGNOS_DIFF_Y, t);
}

bool CursorToExtreme(int cursor, bool maximum)
{
    SetActiveGraphCursor(diagnos, DIAGNOS_GRAPH, cursor);
    int plot = -1, index = -1;
    GetGraphCursorIndex(diagnos, DIAGNOS_GRAPH, cursor, &plot, &index);
    if (plot <= 0) {
        // not attached yet: snap to the plot nearest to where it stands
        double x = 0, y = 0;
        GetGraphCursor(diagnos, DIAGNOS_GRAPH, cursor, &x, &y);
        SetGraphCursor(diagnos, DIAGNOS_GRAPH, cursor, x, y);
        GetGraphCursorIndex(diagnos, DIAGNOS_GRAPH, cursor, &plot, &index);
    }
    std::vector<double> xs, ys;
    if (plot <= 0 || !PlotPoints(plot, &xs, &ys)) return false;
    double mx = 0, mn = 0;
    int imx = -1, imn = -1;
    if (MaxMin1D(ys.data(), int(ys.size()), &mx, &imx, &mn, &imn) != ANALYSIS_OK) return false;
    const int i = maximum ? imx : imn;
    SetGraphCursorIndex(diagnos, DIAGNOS_GRAPH, cursor, plot, i);
    const Fields f = FieldsOf(cursor);
    // the point's index where the plot runs over the indices (frames,
    // orders, offsets); elsewhere its x as the axis reads it
    bool over_index = true;
    for (size_t k = 0; k < xs.size() && over_index; ++k) over_index = xs[k] == double(k);
    char t[32];
    Fmt(t, "%s<%i", i);
    SetCtrlVal(diagnos, f.x, over_index ? std::string(t) : XText(xs[size_t(i)]));
    SetCtrlVal(diagnos, f.y, YText(ys[size_t(i)]));
    if (DiagnosSwitch(DIAGNOS_DIFFERENCE)) ShowDifference();
    return true;
}

int ZoomMode()
{
    if (DiagnosSwitch(DIAGNOS_ZOOMX)) return ZOOM_X;
    if (DiagnosSwitch(DIAGNOS_ZOOMY)) return ZOOM_Y;
    if (DiagnosSwitch(DIAGNOS_ZOOMXY)) return ZOOM_XY;
    return ZOOM_OFF;
}

bool ZoomGraph()
{
    const int mode = ZoomMode();
    if (mode == ZOOM_OFF) return false;
    const bool zx = mode != ZOOM_Y, zy = mode != ZOOM_X;
    double x3 = 0, y3 = 0, x4 = 0, y4 = 0;
    GetGraphCursor(diagnos, DIAGNOS_GRAPH, CURSOR_ZOOM1, &x3, &y3);
    GetGraphCursor(diagnos, DIAGNOS_GRAPH, CURSOR_ZOOM2, &x4, &y4);
    const double xlo = std::min(x3, x4), xhi = std::max(x3, x4), ylo = std::min(y3, y4), yhi = std::max(y3, y4);
    if ((zx && !(xhi > xlo)) || (zy && !(yhi > ylo))) return false;
    int mode_x = 0, mode_y = 0;
    double cx0 = 0, cx1 = 0, cy0 = 0, cy1 = 0;
    GetAxisRange(diagnos, DIAGNOS_GRAPH, &mode_x, &cx0, &cx1, &mode_y, &cy0, &cy1);
    if (!ZOMMED) {
        x_min = cx0;
        x_max = cx1;
        y_min = cy0;
        y_max = cy1;
        ZOMMED = 1;
    }
    if (zx) {
        SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_MANUAL, xlo, xhi);
        if (LoadedRunKind() == RUN_HARMONIC) SetCtrlAttribute(diagnos, DIAGNOS_USEFILE, ATTR_VISIBLE, 1);
        SetCtrlVal(diagnos, DIAGNOS_USEFILE, 0);
        cx0 = xlo;
        cx1 = xhi;
    }
    if (zy) {
        SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_LEFT_YAXIS, VAL_MANUAL, ylo, yhi);
        cy0 = ylo;
        cy1 = yhi;
    }
    SetGraphCursor(diagnos, DIAGNOS_GRAPH, CURSOR_ZOOM1, cx0, cy0);
    SetGraphCursor(diagnos, DIAGNOS_GRAPH, CURSOR_ZOOM2, cx1, cy1);
    for (int c : {CURSOR_RED, CURSOR_BLACK}) {
        double x = 0, y = 0;
        GetGraphCursor(diagnos, DIAGNOS_GRAPH, c, &x, &y);
        SetGraphCursor(diagnos, DIAGNOS_GRAPH, c, x, y);
    }
    return true;
}

void RestoreGraph()
{
    if (ZOMMED) {
        SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_MANUAL, x_min, x_max);
        SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_LEFT_YAXIS, VAL_MANUAL, y_min, y_max);
        SetCtrlAttribute(diagnos, DIAGNOS_USEFILE, ATTR_VISIBLE, 0);
        SetCtrlVal(diagnos, DIAGNOS_USEFILE, 0);
        SwitchZoomCursors(ZOOM_OFF);
        for (int c : {DIAGNOS_ZOOMX, DIAGNOS_ZOOMY, DIAGNOS_ZOOMXY}) SetCtrlVal(diagnos, c, 0);
    }
    ZOMMED = 0;
}

void reset_cursor_state()
{
    ZOMMED = 0;
    x_min = x_max = y_min = y_max = 0;
}
REGISTER_STATE_RESET(reset_cursor_state);
