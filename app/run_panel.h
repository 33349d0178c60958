// Callbacks of a measurement run that change the work mode (the run's
// logic is measure/run.h).
#pragma once

// Unwinds a start that failed: the sessions this start opened (channels
// 0..last) are closed, the settings page is shown in work mode 2 and the
// start toggle is reset.
void interrupt_meas(int last);

int cbStart(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbTimer(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbNewMeas(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbStartMeas(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
