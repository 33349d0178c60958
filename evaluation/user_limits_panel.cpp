// The user's own limit table.
#include "evaluation/user_limits_panel.h"

#include <cstring>
#include <string>

#include "state/records.h"
#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/ui/ui.h"
#include "state/para.h"
#include "state/panels.h"

namespace {
const char kTab[] = "\033p80l";   // list-box escape: next text at 80 pixels, left aligned
}

void FormatLimitLine(char* line, unsigned size, int order, double limit)
{
    FmtN(line, size, "%s<%i%s%f", order, kTab, limit);
}

bool UserLimitTableFilled()
{
    for (float l : limits)
        if (!IsNaN(l)) return true;
    return false;
}

int cbLimits(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) InstallPopup(panelLimits);
    return 0;
}
UI_CALLBACK(cbLimits);

int cbInsert(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int order = 0;
    double limit = 0;
    GetCtrlVal(panel, LIMITS_ORDER, &order);
    GetCtrlVal(panel, LIMITS_VALUE, &limit);
    if (order < 0 || order >= ORDERS) return 0;
    char line[96];
    FormatLimitLine(line, sizeof line, order, limit);
    int index = -1;
    if (GetIndexFromValue(panel, LIMITS_LIST, &index, double(order)) >= 0 && index >= 0)
        ReplaceListItem(panel, LIMITS_LIST, index, line, double(order));
    else
        InsertListItem(panel, LIMITS_LIST, 0, line, order);
    return 0;
}
UI_CALLBACK(cbInsert);

int cbDelete(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int count = 0, index = -1;
    GetNumListItems(panel, LIMITS_LIST, &count);
    if (count == 0) return 0;
    GetCtrlIndex(panel, LIMITS_LIST, &index);
    if (index >= 0 && index < count) DeleteListItem(panel, LIMITS_LIST, index, 1);
    return 0;
}
UI_CALLBACK(cbDelete);

int cbHarmOK(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    for (float& l : limits) l = NoLimit();
    int count = 0;
    GetNumListItems(panel, LIMITS_LIST, &count);
    for (int i = 0; i < count; ++i) {
        int order = -1;
        std::string label;
        if (GetValueFromIndex(panel, LIMITS_LIST, i, &order) < 0 || order < 0 || order >= ORDERS) continue;
        GetLabelFromIndex(panel, LIMITS_LIST, i, &label);
        size_t l = label.find('l');
        double value = 0;
        if (l == std::string::npos || Scan(label.substr(l + 1), "%s>%f", &value) != 1) continue;
        limits[order] = float(value);
    }
    RemovePopup(panel);
    return 0;
}
UI_CALLBACK(cbHarmOK);

int cbHarmCancel(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) RemovePopup(panel);
    return 0;
}
UI_CALLBACK(cbHarmCancel);

int cbLimitsOn(int panel, int control, int event, void*, int, int)
{
    if (event != EVENT_COMMIT && event != EVENT_VAL_CHANGED) return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    LIM_ON = on ? 1 : 0;
    para.custom_limits = LIM_ON;
    for (int c : {SETTING_VERSION, SETTING_CLASS, SETTING_WIZARD}) SetCtrlAttribute(panel, c, ATTR_DIMMED, on ? 1 : 0);
    SetCtrlAttribute(panel, SETTING_LIMITS, ATTR_DIMMED, on ? 0 : 1);
    return 0;
}
UI_CALLBACK(cbLimitsOn);
