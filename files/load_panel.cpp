#include "files/load_panel.h"

#include "panel_ids.h"
#include "platform/ui/ui.h"

namespace {
// The two choices of the introduction page: exactly one is on.
void Choose(int panel, int self, int partner)
{
    int v = 0;
    GetCtrlVal(panel, self, &v);
    v = v ? 1 : 0;
    SetCtrlVal(panel, self, v);
    SetCtrlVal(panel, partner, 1 - v);
}
}  // namespace

int cbChoiceLoad(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_VAL_CHANGED) Choose(panel, INTRO_CHOICE, INTRO_CHOICE_MEAS);
    return 0;
}
UI_CALLBACK(cbChoiceLoad);

int cbChoiceMeas(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_VAL_CHANGED) Choose(panel, INTRO_CHOICE_MEAS, INTRO_CHOICE);
    return 0;
}
UI_CALLBACK(cbChoiceMeas);

UI_CALLBACK_FILE(files_load_panel);
