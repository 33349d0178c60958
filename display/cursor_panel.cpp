// Callbacks of the cursor and zoom tools on the graph panel.
#include "display/diagnos_controls.h"
#include "display/cursors.h"
#include "display/plot.h"
#include "display/views.h"
#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "state/workmode.h"
#include "state/panels.h"
#include "state/para.h"

namespace {

int MeasuringCursorSwitched(int cursor, int onoff, int x, int y, int minb, int maxb)
{
    const int on = DiagnosSwitch(onoff);
    DiagnosDim(x, !on);
    DiagnosDim(y, !on);
    DiagnosDim(minb, !(on && PlotListCount() > 0));
    DiagnosDim(maxb, !(on && PlotListCount() > 0));
    if (!on) {
        SetCtrlVal(diagnos, x, "");
        SetCtrlVal(diagnos, y, "");
        SetCtrlVal(diagnos, DIAGNOS_DIFFERENCE, 0);
        ShowDifference();
    }
    if (cursor == CURSOR_RED) SwitchRedCursor(on);
    else SwitchBlackCursor(on);
    return 0;
}

int Extreme(int event, int cursor, bool maximum)
{
    if (event == EVENT_COMMIT) CursorToExtreme(cursor, maximum);
    return 0;
}

// One zoom switch on turns the other two off.
int ZoomSwitched(int event, int self, int mode)
{
    if (event != EVENT_COMMIT) return 0;
    if (!DiagnosSwitch(self)) {
        SwitchZoomCursors(ZOOM_OFF);
        return 0;
    }
    for (int c : {DIAGNOS_ZOOMX, DIAGNOS_ZOOMY, DIAGNOS_ZOOMXY})
        if (c != self) SetCtrlVal(diagnos, c, 0);
    SwitchZoomCursors(mode);
    return 0;
}

}  // namespace

int cbRedCursor(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    return MeasuringCursorSwitched(CURSOR_RED, DIAGNOS_REDCURSOR, DIAGNOS_RED_X, DIAGNOS_RED_Y, DIAGNOS_REDMIN,
                                   DIAGNOS_REDMAX);
}
UI_CALLBACK(cbRedCursor);

int cbBlackCursor(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    return MeasuringCursorSwitched(CURSOR_BLACK, DIAGNOS_BLACKCURSOR, DIAGNOS_BLACK_X, DIAGNOS_BLACK_Y,
                                   DIAGNOS_BLACKMIN, DIAGNOS_BLACKMAX);
}
UI_CALLBACK(cbBlackCursor);

int cbDifference(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) ShowDifference();
    return 0;
}
UI_CALLBACK(cbDifference);

int cbRedMin(int, int, int event, void*, int, int) { return Extreme(event, CURSOR_RED, false); }
int cbRedMax(int, int, int event, void*, int, int) { return Extreme(event, CURSOR_RED, true); }
int cbBlackMin(int, int, int event, void*, int, int) { return Extreme(event, CURSOR_BLACK, false); }
int cdBlackMax(int, int, int event, void*, int, int) { return Extreme(event, CURSOR_BLACK, true); }
UI_CALLBACK(cbRedMin);
UI_CALLBACK(cbRedMax);
UI_CALLBACK(cbBlackMin);
UI_CALLBACK(cdBlackMax);

int cbZoomX(int, int, int event, void*, int, int) { return ZoomSwitched(event, DIAGNOS_ZOOMX, ZOOM_X); }
int cbZoomY(int, int, int event, void*, int, int) { return ZoomSwitched(event, DIAGNOS_ZOOMY, ZOOM_Y); }
int cbZoomXY(int, int, int event, void*, int, int) { return ZoomSwitched(event, DIAGNOS_ZOOMXY, ZOOM_XY); }
UI_CALLBACK(cbZoomX);
UI_CALLBACK(cbZoomY);
UI_CALLBACK(cbZoomXY);

int cbZoom(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT && my_dummy == VIEW_PLOTS) ZoomGraph();
    return 0;
}
UI_CALLBACK(cbZoom);

int cbRestore(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT && my_dummy == VIEW_PLOTS) RestoreGraph();
    return 0;
}
UI_CALLBACK(cbRestore);
