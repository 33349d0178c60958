// Callbacks of the introduction page that choose between loading a stored
// measurement and measuring (the load button itself is app/load_panel.h).
#pragma once

int cbChoiceLoad(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbChoiceMeas(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
