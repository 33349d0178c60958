// Taking over the EUT data edited for the protocol: the settings page, the
// chosen stored frame, the protocol, and (when asked) the logging file's
// settings record.
#include <string>

#include "state/records.h"
#include "files/load.h"
#include "files/logfile.h"
#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "reports/protocol.h"
#include "reports/protocol_data.h"
#include "state/para.h"
#include "state/panels.h"
#include "platform/fixed_text.h"
#include "state/framelist.h"

namespace {


// Copies list entry `position` of each measured phase into its record; a
// position the lists do not hold changes nothing.
void TakeEntry(int position)
{
    for (int p = 0; p < ReportPhases(); ++p)
        if (!HarmonicEntry(p, position, &buf[p])) FlickerEntry(p, position, &flkbuf[p]);
}

}  // namespace

int cbOK_Edit(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int lines = 0;
    GetNumTextBoxLines(panelEdit, EDIT_COMMENT, &lines);
    std::string comments;
    for (int i = 0; i < 7; ++i) {
        std::string line;
        if (i < lines) GetTextBoxLine(panelEdit, EDIT_COMMENT, i, &line);
        CopyFixed(para.comment[i], line.c_str());
        comments += (i ? "\n" : "") + std::string(para.comment[i]);
    }
    for (int i = 0; i < 7; ++i) {
        std::string v;
        GetCtrlVal(panelEdit, kTestDataEditControls[i], &v);
        CopyFixed(para.test_data[i], v.c_str());
    }
    int entry = 0;
    GetCtrlVal(panelEdit, EDIT_FRAME, &entry);
    ResetTextBox(setting, SETTING_COMMENT, comments.c_str());
    for (int i = 0; i < 7; ++i) SetCtrlVal(setting, kTestDataSettingControls[i], para.test_data[i]);
    TakeEntry(entry + 1);
    RemovePopup(panelEdit);
    HidePanel(panelEdit);
    CreateProtocol();
    if (edited && ConfirmPopup("The settings were changed", "You have changed the protocol.\nDo You wish to save the new settings?")) {
        // The file's own header rewrite: an old single-phase file is refused
        // (its block is not a settings record), a missing file is not created.
        if (LogRewritePara(para.log_file, para) != LOG_OK) {
            MessagePopup("Error", (std::string("The protocol data were not saved: ") + LogErrorText()).c_str());
            return -1;
        }
        edited = 0;
    }
    return 0;
}
UI_CALLBACK(cbOK_Edit);
