// Callbacks of the protocol page and the EUT-data dialog: editing the test
// data, printing the text protocol and the graph, and the PDF report.
#include <string>

#include "panel_ids.h"
#include "platform/state_reset.h"
#include "platform/ui/ui.h"
#include "reports/protocol.h"
#include "reports/protocol_data.h"
#include "reports/report.h"
#include "state/para.h"
#include "state/panels.h"

namespace {

int32_t g_edited_before = 0;   // `edited` when the dialog was opened

int SetEdited(int event)
{
    if (event == EVENT_VAL_CHANGED) edited = 1;
    return 0;
}

void reset_edit_dialog_state() { g_edited_before = 0; }
REGISTER_STATE_RESET(reset_edit_dialog_state);

}  // namespace

int cbEditProtocol(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    g_edited_before = edited;
    std::string comments;
    for (int i = 0; i < 7; ++i) comments += (i ? "\n" : "") + CommentLine(i);
    ResetTextBox(panelEdit, EDIT_COMMENT, comments.c_str());
    for (int i = 0; i < 7; ++i) SetCtrlVal(panelEdit, kTestDataEditControls[i], EutField(i));
    SetCtrlVal(panelEdit, EDIT_LOGO, FixedText(para.logo_file));
    InstallPopup(panelEdit);
    return 0;
}
UI_CALLBACK(cbEditProtocol);

int cbCancel_Edit(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    edited = g_edited_before;   // changes that were not taken over are no changes
    RemovePopup(panelEdit);
    HidePanel(panelEdit);
    return 0;
}
UI_CALLBACK(cbCancel_Edit);

int cbEditName(int, int, int event, void*, int, int) { return SetEdited(event); }
UI_CALLBACK(cbEditName);
int cbEditDepart(int, int, int event, void*, int, int) { return SetEdited(event); }
UI_CALLBACK(cbEditDepart);
int cbEditCompany(int, int, int event, void*, int, int) { return SetEdited(event); }
UI_CALLBACK(cbEditCompany);
int cbEditDevice(int, int, int event, void*, int, int) { return SetEdited(event); }
UI_CALLBACK(cbEditDevice);
int cbEditManuf(int, int, int event, void*, int, int) { return SetEdited(event); }
UI_CALLBACK(cbEditManuf);
int cbEditType(int, int, int event, void*, int, int) { return SetEdited(event); }
UI_CALLBACK(cbEditType);
int cbEditSNummer(int, int, int event, void*, int, int) { return SetEdited(event); }
UI_CALLBACK(cbEditSNummer);
int cbEditUUData(int, int, int event, void*, int, int) { return SetEdited(event); }
UI_CALLBACK(cbEditUUData);

int cbPrintProtocol(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    std::string page1, page2;
    if (!PrintedProtocolPages(&page1, &page2)) return 0;
    SetPrintAttribute(ATTR_PRINT_ORIENTATION, VAL_PORTRAIT);
    SetPrintAttribute(ATTR_PRINT_FONT_SIZE, 9);
    SetPrintAttributeEx(ATTR_PRINT_DOCUMENT_NAME, "Measuring protocol");
    bufTable = page1;
    int rc = PrintTextBuffer(bufTable.c_str(), "");
    if (rc < 0) return PrintError(rc, "page 1");
    bufTable = page2;
    rc = PrintTextBuffer(bufTable.c_str(), "");
    if (rc < 0) return PrintError(rc, "page 2");
    return 0;
}
UI_CALLBACK(cbPrintProtocol);

int cbPrintGraph(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetPrintAttribute(ATTR_PRINT_ORIENTATION, VAL_LANDSCAPE);
    SetPrintAttributeEx(ATTR_PRINT_DOCUMENT_NAME, "Graph");
    const int rc = PrintCtrl(diagnos, DIAGNOS_GRAPH, "", 1, 0);
    if (rc < 0) return PrintError(rc, "the graph");
    return 0;
}
UI_CALLBACK(cbPrintGraph);

int cbAdvPro(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetWaitCursor(1);
    const int rc = MakeReport(true);
    SetWaitCursor(0);
    return rc < 0 ? rc : 0;
}
UI_CALLBACK(cbAdvPro);
