// The send button of the power-source controls on the measuring page.
#include "measure/power_source.h"
#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "state/panels.h"

int cbSendSource(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int address = 0;
    std::string text;
    GetCtrlVal(panel, MEASURE_SOURCE_ADDRESS, &address);
    GetCtrlVal(panel, MEASURE_SOURCE_COMMAND, &text);
    return SendToSource(address, text.c_str());
}
UI_CALLBACK(cbSendSource);
