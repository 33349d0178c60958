// In-memory model of the loaded panels, shared by both back-ends: the API
// functions of ui.h act on this model and tell the back-end what changed.
// The headless back-end is the model alone; the Qt back-end mirrors it into
// widgets and feeds user input back through Deliver().
#pragma once

#include <climits>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/plotmodel.h"
#include "platform/ui/ui.h"
#include "platform/ui/uifile.h"

namespace ui {

enum class Kind {
    Numeric, String, TextMsg, Ring, ListBox, CheckBox, Toggle, Command, TextBox, Table,
    Graph, Picture, Timer, Led, Slide, Tab, Deco,
};
const char* KindName(Kind k);

// Integer part of a real, defined for every value: NaN gives 0, a value
// beyond the range of long long the nearest end of the range (a foreign
// record's field can carry anything).
inline long long IntegerPart(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= 9223372036854775808.0) return LLONG_MAX;    // 2^63
    if (v <= -9223372036854775808.0) return LLONG_MIN;
    return (long long)v;
}

struct Value {
    enum Type { None, Int, Real, Str } type = None;
    long long i = 0;   // Real: IntegerPart(d)
    double d = 0;
    std::string s;
    static Value ofInt(long long v) { Value x; x.type = Int; x.i = v; x.d = double(v); return x; }
    static Value ofReal(double v) { Value x; x.type = Real; x.d = v; x.i = IntegerPart(v); return x; }
    static Value ofStr(std::string v) { Value x; x.type = Str; x.s = std::move(v); return x; }
    bool numeric() const { return type == Int || type == Real; }
    double num() const { return type == Int ? double(i) : d; }
    std::string text() const;   // C-locale text of the value
};

struct Item {
    std::string label;
    Value value;
    bool checked = false;
};

struct Cell {
    Value value;
    int type = VAL_CELL_STRING;
    std::map<int, int> attrs;
};

struct Control {
    int id = 0;
    std::string name;
    std::string cls;
    Kind kind = Kind::Deco;
    bool integer = false;            // numeric kinds holding whole numbers
    Value value;
    std::vector<Item> items;
    int index = -1;                  // selected ring/list item
    std::vector<std::string> lines;  // text box
    std::vector<std::vector<Cell>> cells;   // table [row][column]
    std::vector<std::string> columnLabels, rowLabels;
    Point activeCell{1, 1};
    Rect selection{0, 0, 0, 0};
    Graph graph;
    std::map<int, Value> attrs;      // generic attribute store
    CtrlCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    std::string callbackName;
    int bitmap = 0;
    // tab control
    std::vector<int> pages;
    int activePage = 0;
    std::map<int, bool> pageDimmed;
    // defaults from the resource
    Value defValue;
    std::vector<Item> defItems;
    int defIndex = -1;
    std::vector<std::string> defLines;
    int defRows = 0, defColumns = 0;

    int attrInt(int a, int fallback = 0) const;
    double attrReal(int a, double fallback = 0) const;
    std::string attrStr(int a) const;
};

struct Panel {
    int handle = 0;
    int number = 0;
    std::string name;
    std::string file;
    int parent = 0;
    std::string title;
    bool visible = false;
    bool dimmed = false;
    bool popup = false;
    int tabOwner = 0;        // panel holding the tab control this page belongs to
    PanelCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    std::string callbackName;
    std::vector<Control> controls;   // index = id - 2
    Control* find(int id);
};

struct Bitmap {
    int width = 0, height = 0;
    std::vector<unsigned> argb;     // width*height pixels, or empty
    std::string path;               // source file, if any
    std::string description;        // what was rendered (headless)
};

struct FileRequest {
    std::string directory, defaultSpec, fileTypes, title;
    int button = VAL_OK_BUTTON;
    bool restrictDirectory = false, restrictExtension = false, allowCancel = true,
         allowMakeDirectory = false;
};

struct PrintJob {
    enum What { Text, PanelImage, CtrlImage } what = Text;
    std::string text;
    int panel = 0, control = 0;
    std::string outputFile;      // empty = the printer
    std::string documentName;
    int orientation = VAL_PORTRAIT;
    int fontSize = 10;
};

// What a back-end must carry out. Defaults do nothing.
struct Backend {
    virtual ~Backend() = default;
    virtual const char* name() const = 0;
    virtual void panelLoaded(Panel&) {}
    virtual void panelDiscarded(int /*handle*/) {}
    virtual void panelChanged(Panel&) {}
    virtual void ctrlChanged(Panel&, Control&) {}
    virtual void timerChanged(Panel&, Control&) {}
    virtual void tabChanged(Panel&, Control&) {}
    virtual int messagePopup(const std::string& title, const std::string& text) = 0;
    virtual int confirmPopup(const std::string& title, const std::string& text) = 0;
    virtual int fileSelect(const FileRequest& r, std::string* path) = 0;
    virtual int runLoop() = 0;
    virtual void quitLoop(int code) = 0;
    virtual void processEvents() {}
    virtual void processDraw() {}
    virtual int print(const PrintJob& job) = 0;
    virtual int renderCtrl(Panel&, Control&, Bitmap*) { return 0; }
    virtual int renderPanel(Panel&, Bitmap*) { return 0; }
    virtual int loadBitmap(const std::string& path, Bitmap* b) = 0;
    virtual int saveBitmap(const Bitmap&, const std::string& /*path*/) { return UIE_OperationNotAllowed; }
    virtual int clipboardPut(const Bitmap&) = 0;
    virtual void setMouseCursor(int /*shape*/) {}
    virtual void beep() {}
};

// The back-end in use (the headless one unless another was installed).
Backend& CurrentBackend();
void SetBackend(std::unique_ptr<Backend> b);

// Model access for back-ends and tests.
Panel* FindPanel(int handle);
Control* FindCtrl(int panel, int control);
std::vector<int> PanelHandles();
const Bitmap* FindBitmap(int id);
int AddBitmap(Bitmap b);

// One user or timer event. Deliver() runs its callback unless a callback is
// already running (then it is held back and delivered when the running
// callback has returned; timer ticks of one timer are merged). Returns true
// when delivered now.
struct Event {
    int panel = 0;
    int control = 0;     // 0 = panel event
    int event = 0;
    int data1 = 0, data2 = 0;
};
bool Deliver(const Event& e);
// Callbacks currently running (outermost first), and events held back.
int CallbackDepth();
size_t PendingEvents();
// True while a popup is up inside a callback.
bool InPopup();

// Resource location ("ORV3.uir" names this directory of .ui files).
void SetResourceDir(const std::string& dir);
std::string ResourceDir();
// Directory of the running program.
std::string ProgramDir();

// Discards every panel, bitmap and held event (tests start clean).
void ResetModel();

// Graph helpers of the model (also used by the painter).
void SnapCursor(Graph& g, Cursor& c);

}  // namespace ui
