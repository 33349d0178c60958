// The class list of the settings page and the class-finding wizard.
#pragma once

// Fills the class list: EN61000-3-2 classes (is_3_2) or the EN61000-3-12
// tables; the first item is selected.
void InsertClassItems(int panel, int control, int is_3_2);
// Shows the text of wizard question `number` (1..5) for the edition chosen
// on the settings page.
void question(int number);

int cbWizard(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbNext(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbPrev(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbFinish(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbWisardSwitch(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
