// Callback of the display timer of a run.
#include "display/live_display.h"
#include "measure/run.h"
#include "platform/ui/ui.h"
#include "state/channels.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/workmode.h"

// Remaining times of the running test, once a second.
int cbTimer1(int, int, int event, void*, int, int)
{
    if (event != EVENT_TIMER_TICK) return 0;
    if (RunActive()) {
        if (para.test_kind == 1) display_time(flkbuf[0].fstr, flkbuf[0].fltr);
        else display_time(0, buf[0].fltr);
    }
    ProcessDrawEvents();
    return 0;
}
UI_CALLBACK(cbTimer1);
