// The user's own limit table: the limit-table panel `panelLimits` and the
// switch on the settings page that puts the table in use.
#pragma once

// Line of the list for one order: "%s<%i%s%f" with the tab escape "\033p80l".
void FormatLimitLine(char* line, unsigned size, int order, double limit);
// True when `limits` holds at least one limit.
bool UserLimitTableFilled();

int cbLimits(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbInsert(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbDelete(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbHarmOK(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbHarmCancel(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbLimitsOn(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
