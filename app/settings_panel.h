// The settings page: the record shown on the panels (set_parameter), the
// panels read back into the record (SetSettings), the defaults, and the
// callbacks of the settings dialog.
#pragma once

#include <string>

#include "state/para.h"

// Record -> panels; the callbacks of rings and check boxes that enable or dim
// other controls run, so the page ends as after a user's choice.
void set_parameter(Para record);
// Panels -> record.
void SetSettings();
// Resets the settings and measurement panels to their defaults.
void set_default_para();

// Version after the last "V" of a window title, at most five characters;
// a title without a "V" gives an empty version.
std::string VersionFromTitle(const std::string& title);

// Stores a path into the record's logo or logging-file field. A path that
// does not fit (more than 719 / 255 characters) is refused with a message
// and leaves the field unchanged; returns false then.
bool SetLogoFile(const char* path);
bool SetLogFile(const char* path);

int cbOK_Settings(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbNew_Settings(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbSettings(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbMode(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbVersion(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbClass(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbFlVersion(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbInsertLogo(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// Control ids of the settings page per phase.
extern const int SETTING_P_SOLL_ID[3];
extern const int SETTING_PF_SOLL_ID[3];
extern const int SETTING_I_SOLL_ID[3];
