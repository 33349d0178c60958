// Toolkit API: popups, printing and cursor shapes.
#include "platform/ui/core_internal.h"

using namespace ui;
using namespace ui::core;

// ---- popups ----------------------------------------------------------------------------------------

int MessagePopup(const char* title, const char* message)
{
    std::string t = title ? title : "", m = message ? message : "";
    return Popup([&] { return B().messagePopup(t, m); });
}

int ConfirmPopup(const char* title, const char* message)
{
    std::string t = title ? title : "", m = message ? message : "";
    return Popup([&] { return B().confirmPopup(t, m); });
}

int FileSelectPopupStr(const char* directory, const char* defaultSpec, const char* fileTypes,
                       const char* title, int button, int restrictDirectory, int restrictExtension,
                       int allowCancel, int allowMakeDirectory, char* path, size_t size)
{
    FileRequest r;
    r.directory = directory ? directory : "";
    r.defaultSpec = defaultSpec ? defaultSpec : "";
    r.fileTypes = fileTypes ? fileTypes : "";
    r.title = title ? title : "";
    r.button = button;
    r.restrictDirectory = restrictDirectory != 0;
    r.restrictExtension = restrictExtension != 0;
    r.allowCancel = allowCancel != 0;
    r.allowMakeDirectory = allowMakeDirectory != 0;
    std::string chosen;
    int res = Popup([&] { return B().fileSelect(r, &chosen); });
    if (size) path[0] = 0;
    if (res <= 0) return res < 0 ? res : VAL_NO_FILE_SELECTED;
    if (chosen.size() + 1 > size) {
        // A path that does not fit the caller's buffer is refused, never cut.
        Popup([&] { return B().messagePopup("Error", "The path is too long:\n" + chosen); });
        return VAL_NO_FILE_SELECTED;
    }
    std::memcpy(path, chosen.c_str(), chosen.size() + 1);
    return res;
}

// ---- printing ------------------------------------------------------------------------------------

static PrintJob Job(PrintJob::What what)
{
    PrintJob j;
    j.what = what;
    j.outputFile = S().printOutput;
    j.documentName = S().printDocument;
    j.orientation = S().printOrientation;
    j.fontSize = S().printFontSize;
    return j;
}

int PrintPanel(int panel, const char* file, int, int, int)
{
    if (!FindPanel(panel)) return UIE_InvalidPanel;
    PrintJob j = Job(PrintJob::PanelImage);
    j.panel = panel;
    if (file && *file) j.outputFile = file;
    return B().print(j);
}

int PrintCtrl(int panel, int control, const char* file, int, int)
{
    if (!FindPanel(panel)) return UIE_InvalidPanel;
    if (!FindCtrl(panel, control)) return UIE_InvalidControl;
    PrintJob j = Job(PrintJob::CtrlImage);
    j.panel = panel;
    j.control = control;
    if (file && *file) j.outputFile = file;
    return B().print(j);
}

int PrintTextBuffer(const char* text, const char* outputFile)
{
    PrintJob j = Job(PrintJob::Text);
    j.text = text ? text : "";
    if (outputFile && *outputFile) j.outputFile = outputFile;
    return B().print(j);
}

int SetPrintAttribute(int attr, int value)
{
    if (attr == ATTR_PRINT_ORIENTATION) S().printOrientation = value;
    else if (attr == ATTR_PRINT_FONT_SIZE) S().printFontSize = value > 0 ? value : 10;
    else return UIE_OperationNotAllowed;
    return 0;
}

int SetPrintAttributeEx(int attr, const char* value)
{
    if (attr == ATTR_PRINT_OUTPUT_FILE) S().printOutput = value ? value : "";
    else if (attr == ATTR_PRINT_DOCUMENT_NAME) S().printDocument = value ? value : "";
    else return UIE_OperationNotAllowed;
    return 0;
}

// ---- cursor shapes ------------------------------------------------------------------------------------

static int g_wait = 0;
int SetWaitCursor(int on)
{
    int old = g_wait;
    g_wait = on != 0;
    B().setMouseCursor(g_wait ? VAL_HOUR_GLASS_CURSOR : VAL_DEFAULT_CURSOR);
    return old;
}

int SetMouseCursor(int shape)
{
    B().setMouseCursor(shape);
    return 0;
}

void Beep() { B().beep(); }
