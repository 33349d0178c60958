// The graph of the graph panel: cursor moves, the reload of the stored run
// with zoom X on (the loading is a floor above the display) and copying the
// graph's image.
#include "app/startup.h"
#include "display/cursors.h"
#include "files/load.h"
#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"
#include "state/panels.h"

int cbGraph(int panel, int control, int event, void*, int eventData1, int)
{
    if (event == EVENT_COMMIT) {
        int cursor = 0;
        GetActiveGraphCursor(panel, control, &cursor);
        ShowCursorFields(cursor);
        return 0;
    }
    if (event == EVENT_KEYPRESS) {
        if (eventData1 != (VAL_MENUKEY_MODIFIER | 'C') && eventData1 != (VAL_MENUKEY_MODIFIER | 'c')) return 0;
        int bitmap = 0;
        if (GetCtrlDisplayBitmap(panel, control, 1, &bitmap) < 0) return 0;
        ClipboardPutBitmap(bitmap);
        DiscardBitmap(bitmap);
        return 0;
    }
    if (event == EVENT_RIGHT_CLICK) {
        int zoom_x = 0;
        GetCtrlVal(diagnos, DIAGNOS_ZOOMX, &zoom_x);
        if (!zoom_x) return 0;
        char path[MAX_PATHNAME_LEN] = "";
        GetCtrlVal(diagnos, DIAGNOS_FILE, path);
        int mode = 0;
        double lo = 0, hi = 0;
        GetAxisScalingMode(panel, control, VAL_XAXIS, &mode, &lo, &hi);
        if (path[0]) load_measurement(path, int(lo), int(hi));
        return 0;
    }
    return 0;
}
UI_CALLBACK(cbGraph);
