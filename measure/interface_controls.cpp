// Interface controls of the settings page and the analog-input dialog
// (its callbacks are in interface_controls_panel.cpp).
#include "measure/interface_controls.h"

#include <cstring>
#include <string>

#include "panel_ids.h"
#include "platform/fixed_text.h"
#include "platform/ui/ui.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/reset.h"

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

void reset_interface_state()
{
    for (int& a : ai_on) a = 0;
}
REGISTER_STATE_RESET(reset_interface_state);
