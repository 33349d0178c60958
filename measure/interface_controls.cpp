// Interface controls and the analog-input dialog.
#include "measure/interface_controls.h"

#include <cstring>
#include <string>

#include "app/para.h"
#include "app/settings_panel.h"
#include "app/startup.h"
#include "instrument/iftest.h"
#include "panel_ids.h"
#include "platform/ui/ui.h"

int32_t ai_on[3] = {0, 0, 0};

const int PANELIO_NAME_ID[3][4] = {{PANELIO_NAME1_1, PANELIO_NAME1_2, PANELIO_NAME1_3, PANELIO_NAME1_4},
                                   {PANELIO_NAME2_1, PANELIO_NAME2_2, PANELIO_NAME2_3, PANELIO_NAME2_4},
                                   {PANELIO_NAME3_1, PANELIO_NAME3_2, PANELIO_NAME3_3, PANELIO_NAME3_4}};
const int PANELIO_LOW_ID[3][4] = {{PANELIO_LOW1_1, PANELIO_LOW1_2, PANELIO_LOW1_3, PANELIO_LOW1_4},
                                  {PANELIO_LOW2_1, PANELIO_LOW2_2, PANELIO_LOW2_3, PANELIO_LOW2_4},
                                  {PANELIO_LOW3_1, PANELIO_LOW3_2, PANELIO_LOW3_3, PANELIO_LOW3_4}};
const int PANELIO_HIGH_ID[3][4] = {{PANELIO_HIGH1_1, PANELIO_HIGH1_2, PANELIO_HIGH1_3, PANELIO_HIGH1_4},
                                   {PANELIO_HIGH2_1, PANELIO_HIGH2_2, PANELIO_HIGH2_3, PANELIO_HIGH2_4},
                                   {PANELIO_HIGH3_1, PANELIO_HIGH3_2, PANELIO_HIGH3_3, PANELIO_HIGH3_4}};
const int PANELIO_GROUP_ID[3] = {PANELIO_GROUP1, PANELIO_GROUP2, PANELIO_GROUP3};

namespace {

void Visible(int control, bool on) { SetCtrlAttribute(setting, control, ATTR_VISIBLE, on ? 1 : 0); }

// Range and scale fields of phases 2 and 3.
void SecondaryPhaseFields(bool on)
{
    for (int c : {SETTING_URANGE2, SETTING_URANGE3, SETTING_IRANGE2, SETTING_IRANGE3, SETTING_USCALE2,
                  SETTING_USCALE3, SETTING_ISCALE2, SETTING_ISCALE3})
        Visible(c, on);
}

int Group(int panel, int analyser)
{
    int on = 0;
    GetCtrlVal(panel, PANELIO_GROUP_ID[analyser], &on);
    ai_on[analyser] = on ? 1 : 0;
    for (int k = 0; k < 4; ++k)
        for (int c : {PANELIO_NAME_ID[analyser][k], PANELIO_LOW_ID[analyser][k], PANELIO_HIGH_ID[analyser][k]})
            SetCtrlAttribute(panel, c, ATTR_DIMMED, on ? 0 : 1);
    return 0;
}

// Mirrors input k's name typed on one analyser's part into the parts of the
// other analysers whose switch is on.
int Name(int panel, int analyser, int k, int event)
{
    if (event != EVENT_VAL_CHANGED && event != EVENT_COMMIT) return 0;
    std::string name;
    GetCtrlVal(panel, PANELIO_NAME_ID[analyser][k], &name);
    for (int a = 0; a < 3; ++a)
        if (a != analyser && ai_on[a]) SetCtrlVal(panel, PANELIO_NAME_ID[a][k], name);
    return 0;
}

}  // namespace

void SetIFPanel(int gpib)
{
    SetCtrlAttribute(setting, SETTING_COMPORT, ATTR_DIMMED, gpib ? 1 : 0);
    SetCtrlAttribute(setting, SETTING_BAUDRATE, ATTR_DIMMED, gpib ? 1 : 0);
    SetCtrlAttribute(setting, SETTING_GPIB, ATTR_DIMMED, gpib ? 0 : 1);
    for (int c : {SETTING_DATABITS, SETTING_PARITY, SETTING_STOPBITS}) SetCtrlAttribute(setting, c, ATTR_DIMMED, 1);
}

void StandardIFSet()
{
    GetCtrlVal(setting, SETTING_IFTYPE, &para.if_gpib);
    if (para.if_gpib) {
        int address = 0;
        GetCtrlVal(setting, SETTING_GPIB, &address);
        for (int& a : para.gpib_address) a = address;
    }
    GetCtrlVal(setting, SETTING_BAUDRATE, &para.baudrate);
    GetCtrlVal(setting, SETTING_COMPORT, &para.com_port);
}

void ChoiceInterface(int analyser, int phases)
{
    const bool separate = analyser == 0 && phases == 3;
    for (int c : {SETTING_GPIB1, SETTING_GPIB2, SETTING_GPIB3}) Visible(c, separate);
    for (int c : {SETTING_IFTYPE, SETTING_COMPORT, SETTING_BAUDRATE, SETTING_GPIB, SETTING_DATABITS,
                  SETTING_PARITY, SETTING_STOPBITS})
        Visible(c, !separate);
    SecondaryPhaseFields(separate || analyser == 2 || (analyser == 1 && phases == 3));
    // three PAM-A are always reached over GPIB
    if (analyser == 0) SetCtrlVal(setting, SETTING_IFTYPE, 1);
    SetCtrlAttribute(setting, SETTING_IFTYPE, ATTR_DIMMED, analyser == 0 ? 1 : 0);
    int gpib = 1;
    GetCtrlVal(setting, SETTING_IFTYPE, &gpib);
    SetIFPanel(gpib);
    Visible(SETTING_NOTE_SEPARATE, analyser == 0 && phases == 1);
    Visible(SETTING_NOTE_SINGLE, analyser != 0 && analyser != 4 && phases == 1);
}

void ShowAnalogInputs()
{
    for (int a = 0; a < 3; ++a) {
        ai_on[a] = para.ai_on[a] ? 1 : 0;
        SetCtrlVal(panelIO, PANELIO_GROUP_ID[a], ai_on[a]);
        for (int k = 0; k < 4; ++k) {
            SetCtrlVal(panelIO, PANELIO_LOW_ID[a][k], para.ai_low[k][a]);
            SetCtrlVal(panelIO, PANELIO_HIGH_ID[a][k], para.ai_high[k][a]);
            char name[sizeof para.ai_name[0] + 1] = {};
            std::memcpy(name, para.ai_name[k], FixedLen(para.ai_name[k], sizeof para.ai_name[k]));
            SetCtrlVal(panelIO, PANELIO_NAME_ID[a][k], name);
        }
    }
    for (int a = 0; a < 3; ++a) CallCtrlCallback(panelIO, PANELIO_GROUP_ID[a], EVENT_VAL_CHANGED, 0, 0, nullptr);
}

int cbIFType(int panel, int control, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int gpib = 1;
    GetCtrlVal(panel, control, &gpib);
    SetIFPanel(gpib);
    return 0;
}
UI_CALLBACK(cbIFType);

// The settings page's interface test: the page goes into the record first, then
// every analyser of the set-up is opened, reset and asked to identify itself.
int cbSetupIFTest(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetSettings();
    SetWaitCursor(1);
    int rc = InterfaceTest();
    SetWaitCursor(0);
    return rc;
}
UI_CALLBACK(cbSetupIFTest);

int cbSetupIO(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) InstallPopup(panelIO);
    return 0;
}
UI_CALLBACK(cbSetupIO);

int CALLSAVEIO(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    for (int a = 0; a < 3; ++a) {
        para.ai_on[a] = ai_on[a];
        for (int k = 0; k < 4; ++k) {
            GetCtrlVal(panel, PANELIO_LOW_ID[a][k], &para.ai_low[k][a]);
            GetCtrlVal(panel, PANELIO_HIGH_ID[a][k], &para.ai_high[k][a]);
        }
    }
    for (int k = 0; k < 4; ++k) GetCtrlVal(panel, PANELIO_NAME_ID[0][k], para.ai_name[k]);
    RemovePopup(panel);
    return 0;
}
UI_CALLBACK(CALLSAVEIO);

int CALLCANCELIO(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) RemovePopup(panel);
    return 0;
}
UI_CALLBACK(CALLCANCELIO);

int cbGroup1(int panel, int, int event, void*, int, int) { return event == EVENT_VAL_CHANGED ? Group(panel, 0) : 0; }
UI_CALLBACK(cbGroup1);
int cbGroup2(int panel, int, int event, void*, int, int) { return event == EVENT_VAL_CHANGED ? Group(panel, 1) : 0; }
UI_CALLBACK(cbGroup2);
int cbGroup3(int panel, int, int event, void*, int, int) { return event == EVENT_VAL_CHANGED ? Group(panel, 2) : 0; }
UI_CALLBACK(cbGroup3);

#define ORIVAN_NAME_CB(fn, a, k)                                                         \
    int fn(int panel, int, int event, void*, int, int) { return Name(panel, a, k, event); } \
    UI_CALLBACK(fn)
ORIVAN_NAME_CB(cbName1, 0, 0);
ORIVAN_NAME_CB(cbName2, 0, 1);
ORIVAN_NAME_CB(cbName3, 0, 2);
ORIVAN_NAME_CB(cbName4, 0, 3);
ORIVAN_NAME_CB(cbName1_1, 1, 0);
ORIVAN_NAME_CB(cbName1_2, 1, 1);
ORIVAN_NAME_CB(cbName1_3, 1, 2);
ORIVAN_NAME_CB(cbName1_4, 1, 3);
ORIVAN_NAME_CB(cbName2_1, 2, 0);
ORIVAN_NAME_CB(cbName2_2, 2, 1);
ORIVAN_NAME_CB(cbName2_3, 2, 2);
ORIVAN_NAME_CB(cbName2_4, 2, 3);

void reset_interface_state()
{
    for (int& a : ai_on) a = 0;
}
