// The load button of the diagnosis page: asks for a logging file (or takes
// the one in the file field), loads it and switches to the results work mode.
#pragma once

int cbLoadFile(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
