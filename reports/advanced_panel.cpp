// Callbacks of the detailed protocol: paging between its two pages, closing
// and printing them.
#include <string>

#include "panel_ids.h"
#include "platform/clock.h"
#include "platform/ui/ui.h"
#include "reports/protocol_data.h"
#include "state/panels.h"

namespace {

void Show(int page)
{
    RemovePopup(VAL_REMOVE_TOPMOST);
    InstallPopup(page);
}

}  // namespace

int cbPage1(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) Show(advanced);
    return 0;
}
UI_CALLBACK(cbPage1);

int cbAdvPage2(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) Show(advanced2);
    return 0;
}
UI_CALLBACK(cbAdvPage2);

int cbAdvCanc(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) RemovePopup(VAL_REMOVE_TOPMOST);
    return 0;
}
UI_CALLBACK(cbAdvCanc);

int cbAdvPrint(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetPrintAttribute(ATTR_PRINT_ORIENTATION, VAL_PORTRAIT);
    SetPrintAttributeEx(ATTR_PRINT_DOCUMENT_NAME, "Detailed protocol");
    const int buttons[2][2] = {{advanced, ADVANCED_PRINT}, {advanced2, ADVANCED2_PRINT}};
    for (const auto& b : buttons) SetCtrlAttribute(b[0], b[1], ATTR_DIMMED, 1);
    int rc = PrintPanel(advanced, "", 1, VAL_FULL_PANEL, 0);
    int result = 0;
    if (rc < 0) result = PrintError(rc, "page 1");
    else {
        Delay(10.0);
        rc = PrintPanel(advanced2, "", 1, VAL_FULL_PANEL, 0);
        if (rc < 0) result = PrintError(rc, "page 2");
    }
    for (const auto& b : buttons) SetCtrlAttribute(b[0], b[1], ATTR_DIMMED, 0);
    return result;
}
UI_CALLBACK(cbAdvPrint);
