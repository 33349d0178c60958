// The toolkit API over the panel model; the back-end is told what changed.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>
#include <unistd.h>

#include "platform/ui/model.h"

namespace ui {

std::unique_ptr<Backend> MakeHeadlessBackend();

namespace {

struct Frame {
    int panel, control;
    int inProcess = 0;
};

struct State {
    std::map<int, std::unique_ptr<Panel>> panels;
    int nextPanel = 1;
    std::map<int, Bitmap> bitmaps;
    int nextBitmap = 1;
    std::vector<Frame> stack;
    int popupDepth = 0;
    std::deque<Event> pending;
    std::string resourceDir;
    std::map<std::string, std::map<int, PanelSpec>> resources;   // dir -> panels
    std::string printOutput, printDocument;
    int printOrientation = VAL_PORTRAIT, printFontSize = 10;
    std::unique_ptr<Backend> backend;
};

State& S()
{
    static State s;
    return s;
}

std::map<std::string, CtrlCallbackPtr>& CtrlRegistry()
{
    static std::map<std::string, CtrlCallbackPtr> m;
    return m;
}
std::map<std::string, PanelCallbackPtr>& PanelRegistry()
{
    static std::map<std::string, PanelCallbackPtr> m;
    return m;
}

Backend& B() { return CurrentBackend(); }

void Changed(int panel, Control& c)
{
    if (Panel* p = FindPanel(panel)) B().ctrlChanged(*p, c);
}

std::string Lower(std::string s)
{
    for (auto& ch : s) ch = char(std::tolower((unsigned char)ch));
    return s;
}

bool ParseDouble(const std::string& s, double* out)
{
    const char* b = s.data();
    const char* e = b + s.size();
    while (b < e && std::isspace((unsigned char)*b)) ++b;
    while (e > b && std::isspace((unsigned char)e[-1])) --e;
    if (b == e) return false;
    if (*b == '+') ++b;
    auto r = std::from_chars(b, e, *out);
    return r.ec == std::errc() && r.ptr == e;
}

std::vector<std::string> SplitList(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == sep) { out.push_back(cur); cur.clear(); }
        else cur += c;
    }
    out.push_back(cur);
    return out;
}

std::vector<std::string> SplitLines(const std::string& s)
{
    std::vector<std::string> out;
    if (s.empty()) return out;
    out = SplitList(s, '\n');
    for (auto& l : out)
        if (!l.empty() && l.back() == '\r') l.pop_back();
    return out;
}

bool IsTrue(const std::string& s) { return s == "true" || s == "1"; }

Control MakeControl(const CtrlSpec& cs)
{
    Control c;
    c.id = cs.id;
    c.name = cs.name;
    c.cls = cs.cls;
    c.callbackName = cs.prop("callback");
    c.attrs[ATTR_LABEL_TEXT] = Value::ofStr(cs.label);
    c.attrs[ATTR_DIMMED] = Value::ofInt(cs.has("enabled") && !IsTrue(cs.prop("enabled")));
    c.attrs[ATTR_VISIBLE] = Value::ofInt(!IsTrue(cs.prop("hidden", "false")));
    c.attrs[ATTR_CONSTANT_NAME] = Value::ofStr(cs.name);
    c.attrs[ATTR_CALLBACK_NAME] = Value::ofStr(c.callbackName);
    c.attrs[ATTR_CTRL_MODE] = Value::ofInt(IsTrue(cs.prop("readOnly", "false")) ? VAL_INDICATOR : VAL_HOT);
    c.attrs[ATTR_TEXT_BGCOLOR] = Value::ofInt(VAL_TRANSPARENT);
    const std::string& k = cs.cls;
    double lo = -1e300, hi = 1e300;
    if (k == "QSpinBox" || k == "QProgressBar" || k == "QSlider") {
        c.kind = k == "QSpinBox" ? Kind::Numeric : Kind::Slide;
        c.integer = true;
        lo = -2147483648.0; hi = 2147483647.0;
        c.value = Value::ofInt(std::atoll(cs.prop("value", "0").c_str()));
    } else if (k == "QDoubleSpinBox") {
        c.kind = Kind::Numeric;
        double v = 0;
        ParseDouble(cs.prop("value", "0"), &v);
        c.value = Value::ofReal(v);
        c.attrs[ATTR_PRECISION] = Value::ofInt(std::atoi(cs.prop("decimals", "2").c_str()));
    } else if (k == "QLineEdit") {
        c.kind = Kind::String;
        c.value = Value::ofStr(cs.prop("text"));
        c.attrs[ATTR_MAX_VALUE] = Value::ofInt(std::atoi(cs.prop("maxLength", "32767").c_str()));
    } else if (k == "QLabel") {
        c.kind = IsTrue(cs.prop("picture", "false")) ? Kind::Picture : Kind::TextMsg;
        c.value = Value::ofStr(cs.prop("text"));
        c.attrs[ATTR_CTRL_MODE] = Value::ofInt(VAL_INDICATOR);
    } else if (k == "QComboBox" || k == "QListWidget") {
        c.kind = k == "QComboBox" ? Kind::Ring : Kind::ListBox;
        std::vector<std::string> vals;
        if (cs.has("values")) vals = SplitList(cs.prop("values"), ';');
        for (size_t i = 0; i < cs.items.size(); ++i) {
            Item it;
            it.label = cs.items[i];
            double d;
            if (i < vals.size() && ParseDouble(vals[i], &d))
                it.value = d == std::floor(d) && std::fabs(d) < 9e15 ? Value::ofInt((long long)d) : Value::ofReal(d);
            else if (i < vals.size()) it.value = Value::ofStr(vals[i]);
            else it.value = Value::ofInt((long long)i);
            c.items.push_back(it);
        }
        c.index = c.items.empty() ? -1 : std::clamp(std::atoi(cs.prop("currentIndex", "0").c_str()), 0, int(c.items.size()) - 1);
    } else if (k == "QCheckBox" || k == "QRadioButton") {
        c.kind = Kind::CheckBox;
        c.integer = true;
        c.value = Value::ofInt(IsTrue(cs.prop("checked", "false")));
    } else if (k == "QPushButton" || k == "QToolButton") {
        c.kind = IsTrue(cs.prop("checkable", "false")) ? Kind::Toggle : Kind::Command;
        c.integer = true;
        c.value = Value::ofInt(IsTrue(cs.prop("checked", "false")));
    } else if (k == "QPlainTextEdit" || k == "QTextEdit" || k == "QTextBrowser") {
        c.kind = Kind::TextBox;
        c.lines = SplitLines(cs.prop("plainText"));
    } else if (k == "QTableWidget") {
        c.kind = Kind::Table;
        int rows = std::max(int(cs.rows.size()), std::atoi(cs.prop("rowCount", "0").c_str()));
        int cols = std::max(int(cs.columns.size()), std::atoi(cs.prop("columnCount", "0").c_str()));
        c.columnLabels = cs.columns;
        c.columnLabels.resize(size_t(cols));
        c.rowLabels = cs.rows;
        c.rowLabels.resize(size_t(rows));
        c.cells.assign(size_t(rows), std::vector<Cell>(size_t(cols)));
        c.defRows = rows;
        c.defColumns = cols;
    } else if (k == "OrivanGraph") {
        c.kind = Kind::Graph;
        c.graph.x.name = cs.prop("xname");
        c.graph.y.name = cs.prop("yname");
        double a, b;
        if (ParseDouble(cs.prop("xmin"), &a) && ParseDouble(cs.prop("xmax"), &b)) { c.graph.x.mode = VAL_MANUAL; c.graph.x.min = a; c.graph.x.max = b; }
        if (ParseDouble(cs.prop("ymin"), &a) && ParseDouble(cs.prop("ymax"), &b)) { c.graph.y.mode = VAL_MANUAL; c.graph.y.min = a; c.graph.y.max = b; }
        c.attrs[ATTR_PLOT_BGCOLOR] = Value::ofInt(std::atoi(cs.prop("bgcolor", "16777215").c_str()));
        c.attrs[ATTR_GRID_COLOR] = Value::ofInt(VAL_LT_GRAY);
        c.attrs[ATTR_XGRID_VISIBLE] = Value::ofInt(1);
        c.attrs[ATTR_YGRID_VISIBLE] = Value::ofInt(1);
        for (int i = 0; i < 4; ++i) { c.graph.cursors[i].color = i == 1 ? VAL_BLACK : VAL_RED; }
        c.graph.numCursors = std::atoi(cs.prop("cursors", "0").c_str());
        c.attrs[ATTR_NUM_CURSORS] = Value::ofInt(c.graph.numCursors);
    } else if (k == "OrivanTimer") {
        c.kind = Kind::Timer;
        double iv = 1;
        ParseDouble(cs.prop("interval", "1"), &iv);
        c.attrs[ATTR_INTERVAL] = Value::ofReal(iv);
        c.attrs[ATTR_ENABLED] = Value::ofInt(IsTrue(cs.prop("timer_enabled", "false")));
    } else if (k == "OrivanLed") {
        c.kind = Kind::Led;
        c.integer = true;
        c.value = Value::ofInt(IsTrue(cs.prop("on", "false")));
        c.attrs[ATTR_ON_COLOR] = Value::ofInt(std::atoi(cs.prop("on_color", "65280").c_str()));
        c.attrs[ATTR_OFF_COLOR] = Value::ofInt(std::atoi(cs.prop("off_color", "4210752").c_str()));
        c.attrs[ATTR_LABEL_TEXT] = Value::ofStr(cs.prop("text"));
        c.attrs[ATTR_CTRL_MODE] = Value::ofInt(VAL_INDICATOR);
    } else if (k == "QTabWidget") {
        c.kind = Kind::Tab;
    } else {
        c.kind = Kind::Deco;
        if (cs.has("title")) c.value = Value::ofStr(cs.prop("title"));
    }
    if (cs.has("minimum")) ParseDouble(cs.prop("minimum"), &lo);
    if (cs.has("maximum")) ParseDouble(cs.prop("maximum"), &hi);
    if (c.kind == Kind::Numeric || c.kind == Kind::Slide) {
        c.attrs[ATTR_MIN_VALUE] = Value::ofReal(lo);
        c.attrs[ATTR_MAX_VALUE] = Value::ofReal(hi);
    }
    c.defValue = c.value;
    c.defItems = c.items;
    c.defIndex = c.index;
    c.defLines = c.lines;
    return c;
}

bool Ok(int panel, int control, Control** c)
{
    *c = FindCtrl(panel, control);
    return *c != nullptr;
}

#define CTRL_OR_FAIL(panel, control)                         \
    Control* c = nullptr;                                    \
    if (!FindPanel(panel)) return UIE_InvalidPanel;          \
    if (!Ok(panel, control, &c)) return UIE_InvalidControl;

bool HasItems(const Control* c) { return c->kind == Kind::Ring || c->kind == Kind::ListBox; }

double Clamp(const Control* c, double v)
{
    auto lo = c->attrs.find(ATTR_MIN_VALUE), hi = c->attrs.find(ATTR_MAX_VALUE);
    if (lo != c->attrs.end() && v < lo->second.num()) v = lo->second.num();
    if (hi != c->attrs.end() && v > hi->second.num()) v = hi->second.num();
    return v;
}

bool SameValue(const Value& a, double v)
{
    if (!a.numeric()) return false;
    double x = a.num();
    return x == v || std::fabs(x - v) <= 1e-9 * std::max(std::fabs(x), std::fabs(v));
}

// Whole-number view of a value; false for NaN and values outside int.
bool ToInt(double d, int* out)
{
    if (!std::isfinite(d) || d > 2147483647.0 || d < -2147483648.0) return false;
    *out = int(std::llround(d));
    return true;
}

int SetNumber(int panel, Control* c, double v, bool isInt, long long iv)
{
    if (!isInt && std::isnan(v) && c->integer) return UIE_OperationNotAllowed;
    switch (c->kind) {
    case Kind::Numeric: case Kind::Slide: case Kind::CheckBox: case Kind::Toggle:
    case Kind::Led: case Kind::Command:
        if (c->kind == Kind::CheckBox || c->kind == Kind::Toggle || c->kind == Kind::Led)
            c->value = Value::ofInt(v != 0);
        else if (c->integer) {
            double d = Clamp(c, isInt ? double(iv) : v);
            if (!std::isfinite(d)) return UIE_OperationNotAllowed;
            c->value = Value::ofInt((long long)std::llround(d));
        }
        else c->value = Value::ofReal(Clamp(c, v));
        break;
    case Kind::Ring: case Kind::ListBox: {
        for (size_t i = 0; i < c->items.size(); ++i)
            if (SameValue(c->items[i].value, v)) { c->index = int(i); Changed(panel, *c); return 0; }
        return UIE_ItemNotFound;
    }
    default:
        return UIE_OperationNotAllowed;
    }
    Changed(panel, *c);
    return 0;
}

void PushFrame(int panel, int control) { S().stack.push_back(Frame{panel, control}); }
void PopFrame() { S().stack.pop_back(); }

bool OnStack(int panel, int control)
{
    for (const auto& f : S().stack)
        if (f.panel == panel && f.control == control) return true;
    return false;
}

int RunCallback(const Event& e)
{
    Panel* p = FindPanel(e.panel);
    if (!p) return 0;
    if (e.control == 0) {
        if (!p->callback && !p->callbackName.empty()) {
            auto it = PanelRegistry().find(p->callbackName);
            if (it != PanelRegistry().end()) p->callback = it->second;
        }
        if (!p->callback) return 0;
        PushFrame(e.panel, 0);
        int r = p->callback(e.panel, e.event, p->callbackData, e.data1, e.data2);
        PopFrame();
        return r;
    }
    Control* c = p->find(e.control);
    if (!c) return 0;
    if (!c->callback && !c->callbackName.empty()) {
        auto it = CtrlRegistry().find(c->callbackName);
        if (it != CtrlRegistry().end()) c->callback = it->second;
    }
    if (!c->callback) return 0;
    PushFrame(e.panel, e.control);
    int r = c->callback(e.panel, e.control, e.event, c->callbackData, e.data1, e.data2);
    PopFrame();
    return r;
}

bool MayRunNow(const Event& e)
{
    State& s = S();
    if (s.popupDepth > 0) return false;
    if (s.stack.empty()) return true;
    return s.stack.back().inProcess > 0 && !OnStack(e.panel, e.control);
}

void Hold(const Event& e)
{
    if (e.event == EVENT_TIMER_TICK)
        for (const auto& h : S().pending)
            if (h.panel == e.panel && h.control == e.control && h.event == EVENT_TIMER_TICK) return;
    S().pending.push_back(e);
}

void Drain()
{
    State& s = S();
    for (size_t guard = 0; guard < 100000 && !s.pending.empty(); ++guard) {
        size_t i = 0;
        while (i < s.pending.size() && !MayRunNow(s.pending[i])) ++i;
        if (i == s.pending.size()) return;
        Event e = s.pending[i];
        s.pending.erase(s.pending.begin() + long(i));
        RunCallback(e);
    }
}

int Popup(const std::function<int()>& f)
{
    ++S().popupDepth;
    int r = f();
    --S().popupDepth;
    if (S().stack.empty() && S().popupDepth == 0) Drain();
    return r;
}

std::string ExeDir()
{
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    buf[n] = 0;
    std::string p(buf);
    size_t slash = p.find_last_of('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

bool IsDir(const std::string& d) { return access((d + "/.").c_str(), F_OK) == 0; }

const std::map<int, PanelSpec>* Resources(const char* file, int* err)
{
    State& s = S();
    std::string f = file ? file : "";
    std::string base = f.substr(f.find_last_of("/\\") + 1);
    std::string dir;
    if (Lower(base) == "orv3.uir" || f.empty()) dir = ResourceDir();
    else if (IsDir(f)) dir = f;
    else { *err = UIE_CouldNotOpenFile; return nullptr; }
    auto it = s.resources.find(dir);
    if (it != s.resources.end()) return &it->second;
    std::map<int, PanelSpec> panels;
    std::string e;
    if (!ReadResourceDir(dir, &panels, &e)) {
        *err = e.find("cannot open the panel resource") != std::string::npos ? UIE_CouldNotOpenFile : UIE_BadFileFormat;
        std::fprintf(stderr, "panel resource: %s\n", e.c_str());
        return nullptr;
    }
    return &(s.resources[dir] = std::move(panels));
}

}  // namespace

// ---- model access -------------------------------------------------------------

std::string Value::text() const
{
    if (type == Str) return s;
    if (type == Int) return std::to_string(i);
    if (type == Real) {
        char b[64];
        auto r = std::to_chars(b, b + sizeof b, d);
        return std::string(b, r.ptr);
    }
    return "";
}

const char* KindName(Kind k)
{
    static const char* n[] = {"numeric", "string", "text message", "ring", "list box", "check box",
                              "toggle", "command button", "text box", "table", "graph", "picture",
                              "timer", "led", "slide", "tab", "decoration"};
    return n[int(k)];
}

int Control::attrInt(int a, int fallback) const
{
    auto it = attrs.find(a);
    if (it == attrs.end() || !it->second.numeric()) return fallback;
    double d = std::clamp(it->second.num(), -2147483648.0, 2147483647.0);
    return std::isfinite(d) ? int(std::llround(d)) : fallback;
}
double Control::attrReal(int a, double fallback) const
{
    auto it = attrs.find(a);
    return it == attrs.end() ? fallback : it->second.num();
}
std::string Control::attrStr(int a) const
{
    auto it = attrs.find(a);
    return it == attrs.end() ? std::string() : it->second.text();
}

Control* Panel::find(int id)
{
    if (id < 2 || id - 2 >= int(controls.size())) return nullptr;
    return &controls[size_t(id - 2)];
}

Backend& CurrentBackend()
{
    if (!S().backend) S().backend = MakeHeadlessBackend();
    return *S().backend;
}

void SetBackend(std::unique_ptr<Backend> b) { S().backend = std::move(b); }

Panel* FindPanel(int handle)
{
    auto it = S().panels.find(handle);
    return it == S().panels.end() ? nullptr : it->second.get();
}

Control* FindCtrl(int panel, int control)
{
    Panel* p = FindPanel(panel);
    return p ? p->find(control) : nullptr;
}

std::vector<int> PanelHandles()
{
    std::vector<int> v;
    for (const auto& [h, p] : S().panels) v.push_back(h);
    return v;
}

const Bitmap* FindBitmap(int id)
{
    auto it = S().bitmaps.find(id);
    return it == S().bitmaps.end() ? nullptr : &it->second;
}

int AddBitmap(Bitmap b)
{
    int id = S().nextBitmap++;
    S().bitmaps[id] = std::move(b);
    return id;
}

bool Deliver(const Event& e)
{
    if (!MayRunNow(e)) { Hold(e); return false; }
    RunCallback(e);
    if (S().stack.empty()) Drain();
    return true;
}

int CallbackDepth() { return int(S().stack.size()); }
size_t PendingEvents() { return S().pending.size(); }
bool InPopup() { return S().popupDepth > 0; }

void SetResourceDir(const std::string& dir) { S().resourceDir = dir; }

std::string ResourceDir()
{
    if (!S().resourceDir.empty()) return S().resourceDir;
    std::string beside = ExeDir() + "/resources";
    if (IsDir(beside)) return beside;
#ifdef ORIVAN_RESOURCE_DIR
    return ORIVAN_RESOURCE_DIR;
#else
    return beside;
#endif
}

std::string ProgramDir() { return ExeDir(); }

void ResetModel()
{
    State& s = S();
    std::vector<int> handles = PanelHandles();
    for (int h : handles) CurrentBackend().panelDiscarded(h);
    s.panels.clear();
    s.nextPanel = 1;
    s.bitmaps.clear();
    s.nextBitmap = 1;
    s.stack.clear();
    s.popupDepth = 0;
    s.pending.clear();
    s.printOutput.clear();
    s.printDocument.clear();
    s.printOrientation = VAL_PORTRAIT;
    s.printFontSize = 10;
}

void SnapCursor(Graph& g, Cursor& c)
{
    c.plot = 0;
    c.index = -1;
    if (c.mode != VAL_SNAP_TO_POINT) return;
    Range xr = XRange(g), yr = YRange(g);
    double sx = xr.max > xr.min ? xr.max - xr.min : 1, sy = yr.max > yr.min ? yr.max - yr.min : 1;
    double best = INFINITY;
    for (const auto& p : g.plots) {
        if (p.kind == VAL_PLOT_TEXT || p.kind == VAL_PLOT_RECT) continue;
        size_t n = std::min(p.x.size(), p.y.size());
        for (size_t i = 0; i < n; ++i) {
            double dx = (p.x[i] - c.x) / sx, dy = (p.y[i] - c.y) / sy;
            double d = dx * dx + dy * dy;
            if (d < best) { best = d; c.plot = p.handle; c.index = int(i); }
        }
    }
    if (c.plot) {
        Plot* p = g.find(c.plot);
        c.x = p->x[size_t(c.index)];
        c.y = p->y[size_t(c.index)];
    }
}

}  // namespace ui

using namespace ui;

// ---- callbacks ---------------------------------------------------------------

void RegisterCallback(const char* name, CtrlCallbackPtr fn) { CtrlRegistry()[name] = fn; }
void RegisterPanelCallback(const char* name, PanelCallbackPtr fn) { PanelRegistry()[name] = fn; }

int InstallCtrlCallback(int panel, int control, CtrlCallbackPtr fn, void* data)
{
    CTRL_OR_FAIL(panel, control);
    c->callback = fn;
    c->callbackData = data;
    c->callbackName.clear();
    return 0;
}

int InstallPanelCallback(int panel, PanelCallbackPtr fn, void* data)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    p->callback = fn;
    p->callbackData = data;
    p->callbackName.clear();
    return 0;
}

int CallCtrlCallback(int panel, int control, int event, int d1, int d2, int* ret)
{
    CTRL_OR_FAIL(panel, control);
    int r = RunCallback(Event{panel, control, event, d1, d2});
    if (ret) *ret = r;
    return 0;
}

int CallPanelCallback(int panel, int event, int d1, int d2, int* ret)
{
    if (!FindPanel(panel)) return UIE_InvalidPanel;
    int r = RunCallback(Event{panel, 0, event, d1, d2});
    if (ret) *ret = r;
    return 0;
}

// ---- panels ----------------------------------------------------------------------

int LoadPanel(int parent, const char* file, int number)
{
    int err = 0;
    const auto* res = Resources(file, &err);
    if (!res) return err;
    auto it = res->find(number);
    if (it == res->end()) return UIE_PanelNotFound;
    if (parent && !FindPanel(parent)) return UIE_InvalidPanel;
    const PanelSpec& spec = it->second;
    auto p = std::make_unique<Panel>();
    p->handle = S().nextPanel++;
    p->number = number;
    p->name = spec.name;
    p->file = spec.file;
    p->parent = parent;
    p->title = spec.title;
    p->callbackName = spec.callback;
    for (const auto& cs : spec.controls) p->controls.push_back(MakeControl(cs));
    Panel& ref = *p;
    S().panels[ref.handle] = std::move(p);
    B().panelLoaded(ref);
    return ref.handle;
}

int DiscardPanel(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    std::vector<int> children;
    for (const auto& [h, q] : S().panels)
        if (q->parent == panel) children.push_back(h);
    for (int h : children) DiscardPanel(h);
    B().panelDiscarded(panel);
    S().panels.erase(panel);
    return 0;
}

// Applies a change to a panel and tells the back-end.
template <class Change>
static int ChangePanel(int panel, Change change)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    change(*p);
    B().panelChanged(*p);
    return 0;
}

int DisplayPanel(int panel)
{
    return ChangePanel(panel, [](Panel& p) { p.visible = true; });
}

int HidePanel(int panel)
{
    return ChangePanel(panel, [](Panel& p) {
        p.visible = false;
        p.popup = false;
    });
}

int InstallPopup(int panel)
{
    return ChangePanel(panel, [](Panel& p) {
        p.visible = true;
        p.popup = true;
    });
}

int RemovePopup(int panel)
{
    Panel* target = nullptr;
    if (panel > 0) target = FindPanel(panel);
    else
        for (auto it = S().panels.rbegin(); it != S().panels.rend(); ++it)
            if (it->second->popup) { target = it->second.get(); break; }
    if (!target) return panel > 0 ? UIE_InvalidPanel : 0;
    target->popup = false;
    target->visible = false;
    B().panelChanged(*target);
    return 0;
}

int DefaultPanel(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    for (auto& c : p->controls) DefaultCtrl(panel, c.id);
    return 0;
}

int SetPanelAttribute(int panel, int attr, int value)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    if (attr == ATTR_VISIBLE) p->visible = value != 0;
    else if (attr == ATTR_DIMMED) p->dimmed = value != 0;
    else return UIE_OperationNotAllowed;
    B().panelChanged(*p);
    return 0;
}

int SetPanelAttribute(int panel, int attr, const char* value)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    if (attr != ATTR_TITLE) return UIE_OperationNotAllowed;
    p->title = value ? value : "";
    B().panelChanged(*p);
    return 0;
}

int GetPanelAttribute(int panel, int attr, int* value)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    if (attr == ATTR_VISIBLE) *value = p->visible;
    else if (attr == ATTR_DIMMED) *value = p->dimmed;
    else if (attr == ATTR_NUM_CTRLS) *value = int(p->controls.size());
    else if (attr == ATTR_PANEL_PARENT) *value = p->parent;
    else return UIE_OperationNotAllowed;
    return 0;
}

int GetPanelAttribute(int panel, int attr, std::string* value)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    if (attr == ATTR_TITLE) *value = p->title;
    else if (attr == ATTR_CONSTANT_NAME) *value = p->name;
    else return UIE_OperationNotAllowed;
    return 0;
}

static int g_activePanel = 0;
int GetActivePanel() { return g_activePanel; }
int SetActivePanel(int panel)
{
    if (!FindPanel(panel)) return UIE_InvalidPanel;
    g_activePanel = panel;
    return 0;
}

// ---- event loop --------------------------------------------------------------------

int RunUserInterface() { return B().runLoop(); }
int QuitUserInterface(int code) { B().quitLoop(code); return 0; }

int ProcessSystemEvents()
{
    State& s = S();
    if (!s.stack.empty()) ++s.stack.back().inProcess;
    B().processEvents();
    Drain();
    if (!s.stack.empty()) --s.stack.back().inProcess;
    return 0;
}

int ProcessDrawEvents()
{
    B().processDraw();
    return 0;
}

// ---- values --------------------------------------------------------------------------

int SetCtrlValInt(int panel, int control, long long v)
{
    CTRL_OR_FAIL(panel, control);
    return SetNumber(panel, c, double(v), true, v);
}

int SetCtrlValDouble(int panel, int control, double v)
{
    CTRL_OR_FAIL(panel, control);
    return SetNumber(panel, c, v, false, 0);
}

int SetCtrlValStr(int panel, int control, const char* v)
{
    CTRL_OR_FAIL(panel, control);
    std::string s = v ? v : "";
    switch (c->kind) {
    case Kind::String: {
        int maxLen = c->attrInt(ATTR_MAX_VALUE, 32767);
        if (maxLen > 0 && int(s.size()) > maxLen) s.resize(size_t(maxLen));
        c->value = Value::ofStr(s);
        break;
    }
    case Kind::TextMsg: case Kind::Picture: case Kind::Deco: case Kind::Command: case Kind::Toggle:
        if (c->kind == Kind::Command || c->kind == Kind::Toggle) c->attrs[ATTR_LABEL_TEXT] = Value::ofStr(s);
        else c->value = Value::ofStr(s);
        break;
    case Kind::TextBox:
        // Setting a text box appends the text, as the toolkit does.
        if (c->lines.empty()) c->lines.push_back("");
        for (char ch : s) {
            if (ch == '\n') c->lines.push_back("");
            else c->lines.back() += ch;
        }
        break;
    case Kind::Ring: case Kind::ListBox:
        for (size_t i = 0; i < c->items.size(); ++i)
            if (c->items[i].value.type == Value::Str && c->items[i].value.s == s) { c->index = int(i); Changed(panel, *c); return 0; }
        return UIE_ItemNotFound;
    default:
        return UIE_OperationNotAllowed;
    }
    Changed(panel, *c);
    return 0;
}

static int GetNum(Control* c, double* out)
{
    switch (c->kind) {
    case Kind::Numeric: case Kind::Slide: case Kind::CheckBox: case Kind::Toggle: case Kind::Led:
    case Kind::Command:
        *out = c->value.num();
        return 0;
    case Kind::Ring: case Kind::ListBox:
        if (c->index < 0 || c->index >= int(c->items.size())) return UIE_IndexOutOfRange;
        if (!c->items[size_t(c->index)].value.numeric()) return UIE_OperationNotAllowed;
        *out = c->items[size_t(c->index)].value.num();
        return 0;
    default:
        return UIE_OperationNotAllowed;
    }
}

int GetCtrlVal(int panel, int control, int* v)
{
    CTRL_OR_FAIL(panel, control);
    double d;
    int r = GetNum(c, &d);
    if (r == 0 && !ToInt(d, v)) return UIE_OperationNotAllowed;
    return r;
}

int GetCtrlVal(int panel, int control, double* v)
{
    CTRL_OR_FAIL(panel, control);
    return GetNum(c, v);
}

int GetCtrlVal(int panel, int control, float* v)
{
    CTRL_OR_FAIL(panel, control);
    double d;
    int r = GetNum(c, &d);
    if (r == 0) *v = float(d);
    return r;
}

int GetCtrlVal(int panel, int control, std::string* v)
{
    CTRL_OR_FAIL(panel, control);
    switch (c->kind) {
    case Kind::String: case Kind::TextMsg: case Kind::Picture: case Kind::Deco:
        *v = c->value.s;
        return 0;
    case Kind::TextBox: {
        v->clear();
        for (size_t i = 0; i < c->lines.size(); ++i) *v += (i ? "\n" : "") + c->lines[i];
        return 0;
    }
    case Kind::Ring: case Kind::ListBox:
        if (c->index < 0 || c->index >= int(c->items.size())) return UIE_IndexOutOfRange;
        if (c->items[size_t(c->index)].value.type != Value::Str) return UIE_OperationNotAllowed;
        *v = c->items[size_t(c->index)].value.s;
        return 0;
    default:
        return UIE_OperationNotAllowed;
    }
}

// Copies a text into a caller's buffer of `size` bytes, cut to fit and ended with NUL.
static int CopyToBuffer(const std::string& s, char* buf, size_t size)
{
    if (size == 0) return UIE_OperationNotAllowed;
    size_t n = std::min(s.size(), size - 1);
    std::memcpy(buf, s.data(), n);
    buf[n] = 0;
    return 0;
}

int GetCtrlValStr(int panel, int control, char* buf, size_t size)
{
    std::string s;
    int r = GetCtrlVal(panel, control, &s);
    if (r < 0) return r;
    return CopyToBuffer(s, buf, size);
}

int DefaultCtrl(int panel, int control)
{
    CTRL_OR_FAIL(panel, control);
    switch (c->kind) {
    case Kind::Ring:
        c->index = c->defIndex;
        if (c->index >= int(c->items.size())) c->index = c->items.empty() ? -1 : 0;
        break;
    case Kind::ListBox:
        c->items = c->defItems;
        c->index = c->defIndex;
        break;
    case Kind::TextBox:
        c->lines = c->defLines;
        break;
    case Kind::Table:
        for (auto& row : c->cells)
            for (auto& cell : row) cell.value = Value{};
        break;
    case Kind::Graph: case Kind::Timer: case Kind::Tab:
        return 0;
    default:
        c->value = c->defValue;
        break;
    }
    Changed(panel, *c);
    return 0;
}

int SetCtrlIndex(int panel, int control, int index)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(c->items.size())) return UIE_IndexOutOfRange;
    c->index = index;
    Changed(panel, *c);
    return 0;
}

int GetCtrlIndex(int panel, int control, int* index)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    *index = c->index;
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attr, int value)
{
    CTRL_OR_FAIL(panel, control);
    switch (attr) {
    case ATTR_INTERVAL:
        return SetCtrlAttribute(panel, control, attr, double(value));
    case ATTR_MIN_VALUE: case ATTR_MAX_VALUE:
        c->attrs[attr] = Value::ofReal(value);
        break;
    case ATTR_CTRL_INDEX:
        return SetCtrlIndex(panel, control, value);
    case ATTR_XMAP_MODE: c->graph.x.map = value; break;
    case ATTR_YMAP_MODE: c->graph.y.map = value; break;
    case ATTR_NUM_CURSORS: c->graph.numCursors = std::clamp(value, 0, 4); c->attrs[attr] = Value::ofInt(c->graph.numCursors); break;
    case ATTR_LABEL_TEXT: case ATTR_XNAME: case ATTR_YNAME: case ATTR_TITLE:
        return UIE_OperationNotAllowed;
    default:
        c->attrs[attr] = Value::ofInt(value);
    }
    if (attr == ATTR_MIN_VALUE || attr == ATTR_MAX_VALUE) {
        double v;
        if (GetNum(c, &v) == 0 && (c->kind == Kind::Numeric || c->kind == Kind::Slide)) SetNumber(panel, c, v, false, 0);
    }
    if (c->kind == Kind::Timer) { if (Panel* p = FindPanel(panel)) B().timerChanged(*p, *c); }
    else Changed(panel, *c);
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attr, double value)
{
    CTRL_OR_FAIL(panel, control);
    if (attr == ATTR_INTERVAL) {
        if (!(value > 0)) return UIE_OperationNotAllowed;
        c->attrs[attr] = Value::ofReal(value);
        if (Panel* p = FindPanel(panel)) B().timerChanged(*p, *c);
        return 0;
    }
    if (attr == ATTR_MIN_VALUE || attr == ATTR_MAX_VALUE) {
        c->attrs[attr] = Value::ofReal(value);
        double v;
        if (GetNum(c, &v) == 0 && (c->kind == Kind::Numeric || c->kind == Kind::Slide)) SetNumber(panel, c, v, false, 0);
        Changed(panel, *c);
        return 0;
    }
    int iv = 0;
    if (!ToInt(value, &iv)) return UIE_OperationNotAllowed;
    return SetCtrlAttribute(panel, control, attr, iv);
}

int SetCtrlAttribute(int panel, int control, int attr, const char* value)
{
    CTRL_OR_FAIL(panel, control);
    std::string s = value ? value : "";
    if (attr == ATTR_XNAME) c->graph.x.name = s;
    else if (attr == ATTR_YNAME) c->graph.y.name = s;
    else if (attr == ATTR_LABEL_TEXT) c->attrs[attr] = Value::ofStr(s);
    else if (attr == ATTR_CALLBACK_NAME) {
        c->callbackName = s;
        c->callback = nullptr;
        c->attrs[attr] = Value::ofStr(s);
    } else return UIE_OperationNotAllowed;
    Changed(panel, *c);
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attr, int* value)
{
    CTRL_OR_FAIL(panel, control);
    if (attr == ATTR_CTRL_INDEX) return GetCtrlIndex(panel, control, value);
    if (attr == ATTR_XMAP_MODE) { *value = c->graph.x.map; return 0; }
    if (attr == ATTR_YMAP_MODE) { *value = c->graph.y.map; return 0; }
    auto it = c->attrs.find(attr);
    if (it == c->attrs.end()) {
        if (attr == ATTR_TEXT_COLOR || attr == ATTR_FRAME_COLOR) { *value = VAL_BLACK; return 0; }
        return UIE_OperationNotAllowed;
    }
    if (!it->second.numeric() || !ToInt(it->second.num(), value)) return UIE_OperationNotAllowed;
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attr, double* value)
{
    CTRL_OR_FAIL(panel, control);
    auto it = c->attrs.find(attr);
    if (it == c->attrs.end() || !it->second.numeric()) return UIE_OperationNotAllowed;
    *value = it->second.num();
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attr, std::string* value)
{
    CTRL_OR_FAIL(panel, control);
    if (attr == ATTR_XNAME) { *value = c->graph.x.name; return 0; }
    if (attr == ATTR_YNAME) { *value = c->graph.y.name; return 0; }
    auto it = c->attrs.find(attr);
    if (it == c->attrs.end() || it->second.type != Value::Str) return UIE_OperationNotAllowed;
    *value = it->second.s;
    return 0;
}

// ---- bitmaps ----------------------------------------------------------------------------

int GetBitmapFromFile(const char* path, int* bitmap)
{
    Bitmap b;
    int r = B().loadBitmap(path ? path : "", &b);
    if (r < 0) return r;
    *bitmap = AddBitmap(std::move(b));
    return 0;
}

int SetCtrlBitmap(int panel, int control, int, int bitmap)
{
    CTRL_OR_FAIL(panel, control);
    if (bitmap && !FindBitmap(bitmap)) return UIE_OperationNotAllowed;
    c->bitmap = bitmap;
    Changed(panel, *c);
    return 0;
}

int GetCtrlDisplayBitmap(int panel, int control, int, int* bitmap)
{
    CTRL_OR_FAIL(panel, control);
    Bitmap b;
    int r = B().renderCtrl(*FindPanel(panel), *c, &b);
    if (r < 0) return r;
    *bitmap = AddBitmap(std::move(b));
    return 0;
}

int DiscardBitmap(int bitmap)
{
    if (!S().bitmaps.erase(bitmap)) return UIE_OperationNotAllowed;
    return 0;
}

int ClipboardPutBitmap(int bitmap)
{
    const Bitmap* b = FindBitmap(bitmap);
    if (!b) return UIE_OperationNotAllowed;
    return B().clipboardPut(*b);
}

int SaveBitmapToFile(int bitmap, const char* path)
{
    const Bitmap* b = FindBitmap(bitmap);
    if (!b) return UIE_OperationNotAllowed;
    return B().saveBitmap(*b, path ? path : "");
}

// ---- lists ----------------------------------------------------------------------------------

int ClearListCtrl(int panel, int control)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    c->items.clear();
    c->index = -1;
    Changed(panel, *c);
    return 0;
}

static int InsertItem(int panel, int control, int index, const char* label, Value v)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < -1 || index > int(c->items.size())) return UIE_IndexOutOfRange;
    size_t at = index == -1 ? c->items.size() : size_t(index);
    c->items.insert(c->items.begin() + long(at), Item{label ? label : "", std::move(v)});
    if (c->index < 0) c->index = 0;
    else if (int(at) <= c->index && c->items.size() > 1) ++c->index;
    Changed(panel, *c);
    return 0;
}

int InsertListItemInt(int panel, int control, int index, const char* label, long long value)
{ return InsertItem(panel, control, index, label, Value::ofInt(value)); }
int InsertListItemDouble(int panel, int control, int index, const char* label, double value)
{ return InsertItem(panel, control, index, label, Value::ofReal(value)); }
int InsertListItemStr(int panel, int control, int index, const char* label, const char* value)
{ return InsertItem(panel, control, index, label, Value::ofStr(value ? value : "")); }

int ReplaceListItem(int panel, int control, int index, const char* label, double value)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(c->items.size())) return UIE_IndexOutOfRange;
    auto& it = c->items[size_t(index)];
    it.label = label ? label : "";
    it.value = it.value.type == Value::Int && value == std::floor(value) ? Value::ofInt((long long)value) : Value::ofReal(value);
    Changed(panel, *c);
    return 0;
}

int DeleteListItem(int panel, int control, int index, int count)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    int n = int(c->items.size());
    if (index < 0 || index >= n) return UIE_IndexOutOfRange;
    if (count < 0 || index + count > n) count = n - index;
    c->items.erase(c->items.begin() + index, c->items.begin() + index + count);
    if (c->index >= index + count) c->index -= count;
    else if (c->index >= index) c->index = c->items.empty() ? -1 : std::min(index, int(c->items.size()) - 1);
    Changed(panel, *c);
    return 0;
}

int GetNumListItems(int panel, int control, int* count)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    *count = int(c->items.size());
    return 0;
}

int GetLabelFromIndex(int panel, int control, int index, std::string* label)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(c->items.size())) return UIE_IndexOutOfRange;
    *label = c->items[size_t(index)].label;
    return 0;
}

int GetLabelFromIndexStr(int panel, int control, int index, char* buf, size_t size)
{
    std::string s;
    int r = GetLabelFromIndex(panel, control, index, &s);
    if (r < 0) return r;
    return CopyToBuffer(s, buf, size);
}

static int ItemAt(int panel, int control, int index, const Item** it)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(c->items.size())) return UIE_IndexOutOfRange;
    *it = &c->items[size_t(index)];
    return 0;
}

int GetValueFromIndex(int panel, int control, int index, int* value)
{
    const Item* it;
    int r = ItemAt(panel, control, index, &it);
    if (r < 0) return r;
    if (!it->value.numeric() || !ToInt(it->value.num(), value)) return UIE_OperationNotAllowed;
    return 0;
}

int GetValueFromIndex(int panel, int control, int index, double* value)
{
    const Item* it;
    int r = ItemAt(panel, control, index, &it);
    if (r < 0) return r;
    if (!it->value.numeric()) return UIE_OperationNotAllowed;
    *value = it->value.num();
    return 0;
}

int GetValueFromIndex(int panel, int control, int index, std::string* value)
{
    const Item* it;
    int r = ItemAt(panel, control, index, &it);
    if (r < 0) return r;
    *value = it->value.text();
    return 0;
}

int GetIndexFromValue(int panel, int control, int* index, double value)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    for (size_t i = 0; i < c->items.size(); ++i)
        if (SameValue(c->items[i].value, value)) { *index = int(i); return 0; }
    *index = -1;
    return UIE_ItemNotFound;
}

int GetIndexFromValueStr(int panel, int control, int* index, const char* value)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    for (size_t i = 0; i < c->items.size(); ++i)
        if (c->items[i].value.type == Value::Str && c->items[i].value.s == (value ? value : "")) { *index = int(i); return 0; }
    *index = -1;
    return UIE_ItemNotFound;
}

int IsListItemChecked(int panel, int control, int index, int* checked)
{
    const Item* it;
    int r = ItemAt(panel, control, index, &it);
    if (r < 0) return r;
    *checked = it->checked;
    return 0;
}

int CheckListItem(int panel, int control, int index, int checked)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(c->items.size())) return UIE_IndexOutOfRange;
    c->items[size_t(index)].checked = checked != 0;
    Changed(panel, *c);
    return 0;
}

// ---- text boxes -------------------------------------------------------------------------------

#define TEXTBOX_OR_FAIL(panel, control)  \
    CTRL_OR_FAIL(panel, control);        \
    if (c->kind != Kind::TextBox) return UIE_OperationNotAllowed;

int ResetTextBox(int panel, int control, const char* text)
{
    TEXTBOX_OR_FAIL(panel, control);
    c->lines = SplitLines(text ? text : "");
    Changed(panel, *c);
    return 0;
}

int InsertTextBoxLine(int panel, int control, int index, const char* text)
{
    TEXTBOX_OR_FAIL(panel, control);
    if (index < -1 || index > int(c->lines.size())) return UIE_IndexOutOfRange;
    std::vector<std::string> add = SplitLines(text ? text : "");
    if (add.empty()) add.push_back("");
    size_t at = index == -1 ? c->lines.size() : size_t(index);
    c->lines.insert(c->lines.begin() + long(at), add.begin(), add.end());
    Changed(panel, *c);
    return 0;
}

int ReplaceTextBoxLine(int panel, int control, int index, const char* text)
{
    TEXTBOX_OR_FAIL(panel, control);
    if (index < 0 || index >= int(c->lines.size())) return UIE_IndexOutOfRange;
    c->lines[size_t(index)] = text ? text : "";
    Changed(panel, *c);
    return 0;
}

int DeleteTextBoxLine(int panel, int control, int index)
{
    TEXTBOX_OR_FAIL(panel, control);
    if (index < 0 || index >= int(c->lines.size())) return UIE_IndexOutOfRange;
    c->lines.erase(c->lines.begin() + index);
    Changed(panel, *c);
    return 0;
}

int GetTextBoxLine(int panel, int control, int index, std::string* text)
{
    TEXTBOX_OR_FAIL(panel, control);
    if (index < 0 || index >= int(c->lines.size())) return UIE_IndexOutOfRange;
    *text = c->lines[size_t(index)];
    return 0;
}

int GetTextBoxLineStr(int panel, int control, int index, char* buf, size_t size)
{
    std::string s;
    int r = GetTextBoxLine(panel, control, index, &s);
    if (r < 0) return r;
    return CopyToBuffer(s, buf, size);
}

int GetNumTextBoxLines(int panel, int control, int* count)
{
    TEXTBOX_OR_FAIL(panel, control);
    *count = int(c->lines.size());
    return 0;
}

// ---- tables ------------------------------------------------------------------------------------

#define TABLE_OR_FAIL(panel, control)  \
    CTRL_OR_FAIL(panel, control);      \
    if (c->kind != Kind::Table) return UIE_OperationNotAllowed;

static int Columns(const Control* c) { return int(c->columnLabels.size()); }

int InsertTableRows(int panel, int control, int index, int count, int cellType)
{
    TABLE_OR_FAIL(panel, control);
    int rows = int(c->cells.size());
    if (index == -1) index = rows + 1;
    if (index < 1 || index > rows + 1 || count < 0) return UIE_IndexOutOfRange;
    std::vector<Cell> row(size_t(Columns(c)));
    for (auto& cell : row) cell.type = cellType;
    c->cells.insert(c->cells.begin() + (index - 1), size_t(count), row);
    c->rowLabels.insert(c->rowLabels.begin() + (index - 1), size_t(count), std::string());
    Changed(panel, *c);
    return 0;
}

int DeleteTableRows(int panel, int control, int index, int count)
{
    TABLE_OR_FAIL(panel, control);
    int rows = int(c->cells.size());
    if (rows == 0 && count == -1) return 0;
    if (index < 1 || index > rows) return UIE_IndexOutOfRange;
    if (count < 0 || index - 1 + count > rows) count = rows - index + 1;
    c->cells.erase(c->cells.begin() + (index - 1), c->cells.begin() + (index - 1 + count));
    c->rowLabels.erase(c->rowLabels.begin() + (index - 1), c->rowLabels.begin() + (index - 1 + count));
    Changed(panel, *c);
    return 0;
}

int InsertTableColumns(int panel, int control, int index, int count, int cellType)
{
    TABLE_OR_FAIL(panel, control);
    int cols = Columns(c);
    if (index == -1) index = cols + 1;
    if (index < 1 || index > cols + 1 || count < 0) return UIE_IndexOutOfRange;
    Cell cell;
    cell.type = cellType;
    for (auto& row : c->cells) row.insert(row.begin() + (index - 1), size_t(count), cell);
    c->columnLabels.insert(c->columnLabels.begin() + (index - 1), size_t(count), std::string());
    Changed(panel, *c);
    return 0;
}

int DeleteTableColumns(int panel, int control, int index, int count)
{
    TABLE_OR_FAIL(panel, control);
    int cols = Columns(c);
    if (cols == 0 && count == -1) return 0;
    if (index < 1 || index > cols) return UIE_IndexOutOfRange;
    if (count < 0 || index - 1 + count > cols) count = cols - index + 1;
    for (auto& row : c->cells) row.erase(row.begin() + (index - 1), row.begin() + (index - 1 + count));
    c->columnLabels.erase(c->columnLabels.begin() + (index - 1), c->columnLabels.begin() + (index - 1 + count));
    Changed(panel, *c);
    return 0;
}

int GetNumTableRows(int panel, int control, int* rows)
{
    TABLE_OR_FAIL(panel, control);
    *rows = int(c->cells.size());
    return 0;
}

int GetNumTableColumns(int panel, int control, int* cols)
{
    TABLE_OR_FAIL(panel, control);
    *cols = Columns(c);
    return 0;
}

static Cell* CellAt(Control* c, Point p)
{
    if (p.y < 1 || p.y > int(c->cells.size()) || p.x < 1 || p.x > Columns(c)) return nullptr;
    return &c->cells[size_t(p.y - 1)][size_t(p.x - 1)];
}

int SetTableCellValStr(int panel, int control, Point cell, const char* v)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    x->value = Value::ofStr(v ? v : "");
    Changed(panel, *c);
    return 0;
}

int SetTableCellValDouble(int panel, int control, Point cell, double v)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    x->value = Value::ofReal(v);
    Changed(panel, *c);
    return 0;
}

int GetTableCellVal(int panel, int control, Point cell, std::string* v)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    *v = x->value.text();
    return 0;
}

int GetTableCellVal(int panel, int control, Point cell, double* v)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    if (!x->value.numeric()) return UIE_OperationNotAllowed;
    *v = x->value.num();
    return 0;
}

int SetTableCellAttribute(int panel, int control, Point cell, int attr, int value)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    x->attrs[attr] = value;
    if (attr == ATTR_CELL_TYPE) x->type = value;
    Changed(panel, *c);
    return 0;
}

int GetTableCellAttribute(int panel, int control, Point cell, int attr, int* value)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    auto it = x->attrs.find(attr);
    if (attr == ATTR_CELL_TYPE) *value = x->type;
    else if (it != x->attrs.end()) *value = it->second;
    else if (attr == ATTR_TEXT_BGCOLOR) *value = VAL_WHITE;
    else if (attr == ATTR_TEXT_COLOR) *value = VAL_BLACK;
    else if (attr == ATTR_CELL_DIMMED) *value = 0;
    else return UIE_OperationNotAllowed;
    return 0;
}

int SetTableColumnLabel(int panel, int control, int column, const char* label)
{
    TABLE_OR_FAIL(panel, control);
    if (column < 1 || column > Columns(c)) return UIE_IndexOutOfRange;
    c->columnLabels[size_t(column - 1)] = label ? label : "";
    Changed(panel, *c);
    return 0;
}

int SetTableRowLabel(int panel, int control, int row, const char* label)
{
    TABLE_OR_FAIL(panel, control);
    if (row < 1 || row > int(c->rowLabels.size())) return UIE_IndexOutOfRange;
    c->rowLabels[size_t(row - 1)] = label ? label : "";
    Changed(panel, *c);
    return 0;
}

int SetActiveTableCell(int panel, int control, Point cell)
{
    TABLE_OR_FAIL(panel, control);
    if (!CellAt(c, cell)) return UIE_IndexOutOfRange;
    c->activeCell = cell;
    Changed(panel, *c);
    return 0;
}

int GetActiveTableCell(int panel, int control, Point* cell)
{
    TABLE_OR_FAIL(panel, control);
    *cell = c->activeCell;
    return 0;
}

int SetTableSelection(int panel, int control, Rect r)
{
    TABLE_OR_FAIL(panel, control);
    c->selection = r;
    Changed(panel, *c);
    return 0;
}

int GetTableSelection(int panel, int control, Rect* r)
{
    TABLE_OR_FAIL(panel, control);
    *r = c->selection;
    return 0;
}

// ---- graphs -----------------------------------------------------------------------------------

#define GRAPH_OR_FAIL(panel, control)  \
    CTRL_OR_FAIL(panel, control);      \
    if (c->kind != Kind::Graph) return UIE_OperationNotAllowed;

static bool ReadArray(const void* data, int n, int type, std::vector<double>* out)
{
    out->resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        switch (type) {
        case VAL_DOUBLE: (*out)[size_t(i)] = static_cast<const double*>(data)[i]; break;
        case VAL_FLOAT: (*out)[size_t(i)] = static_cast<const float*>(data)[i]; break;
        case VAL_INTEGER: (*out)[size_t(i)] = static_cast<const int*>(data)[i]; break;
        case VAL_SHORT_INTEGER: (*out)[size_t(i)] = static_cast<const short*>(data)[i]; break;
        default: return false;
        }
    }
    return true;
}

static int AddPlot(int panel, Control* c, Plot p)
{
    p.handle = c->graph.nextHandle++;
    c->graph.plots.push_back(std::move(p));
    Changed(panel, *c);
    return c->graph.plots.back().handle;
}

int PlotY(int panel, int control, const void* y, int n, int yType, int style, int pointStyle,
          int lineStyle, int, int color)
{
    GRAPH_OR_FAIL(panel, control);
    if (n < 0 || (n > 0 && !y)) return UIE_OperationNotAllowed;
    Plot p;
    p.kind = VAL_PLOT_Y;
    if (!ReadArray(y, n, yType, &p.y)) return UIE_OperationNotAllowed;
    p.x.resize(size_t(n));
    for (int i = 0; i < n; ++i) p.x[size_t(i)] = i;
    p.style = style;
    p.pointStyle = pointStyle;
    p.lineStyle = lineStyle;
    p.color = color;
    return AddPlot(panel, c, std::move(p));
}

int PlotXY(int panel, int control, const void* x, const void* y, int n, int xType, int yType,
           int style, int pointStyle, int lineStyle, int, int color)
{
    GRAPH_OR_FAIL(panel, control);
    if (n < 0 || (n > 0 && (!x || !y))) return UIE_OperationNotAllowed;
    Plot p;
    p.kind = VAL_PLOT_XY;
    if (!ReadArray(x, n, xType, &p.x) || !ReadArray(y, n, yType, &p.y)) return UIE_OperationNotAllowed;
    p.style = style;
    p.pointStyle = pointStyle;
    p.lineStyle = lineStyle;
    p.color = color;
    return AddPlot(panel, c, std::move(p));
}

int PlotPoint(int panel, int control, double x, double y, int pointStyle, int color)
{
    GRAPH_OR_FAIL(panel, control);
    Plot p;
    p.kind = VAL_PLOT_POINT;
    p.x = {x};
    p.y = {y};
    p.style = VAL_SCATTER;
    p.pointStyle = pointStyle;
    p.color = color;
    return AddPlot(panel, c, std::move(p));
}

int PlotText(int panel, int control, double x, double y, const char* text, int font, int textColor,
             int backColor)
{
    GRAPH_OR_FAIL(panel, control);
    Plot p;
    p.kind = VAL_PLOT_TEXT;
    p.x = {x};
    p.y = {y};
    p.text = text ? text : "";
    p.font = font;
    p.color = textColor;
    p.fillColor = backColor;
    return AddPlot(panel, c, std::move(p));
}

int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2, int color,
                  int fillColor)
{
    GRAPH_OR_FAIL(panel, control);
    Plot p;
    p.kind = VAL_PLOT_RECT;
    p.x = {x1, x2};
    p.y = {y1, y2};
    p.color = color;
    p.fillColor = fillColor;
    return AddPlot(panel, c, std::move(p));
}

int DeleteGraphPlot(int panel, int control, int plot, int)
{
    GRAPH_OR_FAIL(panel, control);
    auto& v = c->graph.plots;
    if (plot == -1) v.clear();
    else {
        auto it = std::find_if(v.begin(), v.end(), [&](const Plot& p) { return p.handle == plot; });
        if (it == v.end()) return UIE_OperationNotAllowed;
        v.erase(it);
    }
    for (auto& cur : c->graph.cursors)
        if (cur.plot && !c->graph.find(cur.plot)) { cur.plot = 0; cur.index = -1; }
    Changed(panel, *c);
    return 0;
}

int RefreshGraph(int panel, int control)
{
    GRAPH_OR_FAIL(panel, control);
    Changed(panel, *c);
    return 0;
}

int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max)
{
    GRAPH_OR_FAIL(panel, control);
    if (axis != VAL_XAXIS && axis != VAL_LEFT_YAXIS) return UIE_OperationNotAllowed;
    if (mode == VAL_MANUAL && !(max > min)) return UIE_OperationNotAllowed;
    Axis& a = axis == VAL_XAXIS ? c->graph.x : c->graph.y;
    if (mode == VAL_LOCK) {
        Range r = axis == VAL_XAXIS ? XRange(c->graph) : YRange(c->graph);
        a.min = r.min; a.max = r.max; a.mode = VAL_MANUAL;
    } else {
        a.mode = mode;
        if (mode == VAL_MANUAL) { a.min = min; a.max = max; }
    }
    Changed(panel, *c);
    return 0;
}

int GetAxisScalingMode(int panel, int control, int axis, int* mode, double* min, double* max)
{
    GRAPH_OR_FAIL(panel, control);
    if (axis != VAL_XAXIS && axis != VAL_LEFT_YAXIS) return UIE_OperationNotAllowed;
    const Axis& a = axis == VAL_XAXIS ? c->graph.x : c->graph.y;
    Range r = axis == VAL_XAXIS ? XRange(c->graph) : YRange(c->graph);
    if (mode) *mode = a.mode;
    if (min) *min = r.min;
    if (max) *max = r.max;
    return 0;
}

int GetAxisRange(int panel, int control, int* xMode, double* xMin, double* xMax, int* yMode,
                 double* yMin, double* yMax)
{
    int r = GetAxisScalingMode(panel, control, VAL_XAXIS, xMode, xMin, xMax);
    if (r < 0) return r;
    return GetAxisScalingMode(panel, control, VAL_LEFT_YAXIS, yMode, yMin, yMax);
}

int GetPlotAttribute(int panel, int control, int plot, int attr, int* value)
{
    GRAPH_OR_FAIL(panel, control);
    Plot* p = c->graph.find(plot);
    if (!p) return UIE_OperationNotAllowed;
    switch (attr) {
    case ATTR_TRACE_COLOR: *value = p->color; return 0;
    case ATTR_PLOT_STYLE: *value = p->style; return 0;
    case ATTR_TRACE_POINT_STYLE: *value = p->pointStyle; return 0;
    case ATTR_NUM_POINTS: *value = int(p->y.size()); return 0;
    case ATTR_PLOT_KIND: *value = p->kind; return 0;
    default: return UIE_OperationNotAllowed;
    }
}

int SetPlotAttribute(int panel, int control, int plot, int attr, int value)
{
    GRAPH_OR_FAIL(panel, control);
    Plot* p = c->graph.find(plot);
    if (!p) return UIE_OperationNotAllowed;
    switch (attr) {
    case ATTR_TRACE_COLOR: p->color = value; break;
    case ATTR_PLOT_STYLE: p->style = value; break;
    case ATTR_TRACE_POINT_STYLE: p->pointStyle = value; break;
    default: return UIE_OperationNotAllowed;
    }
    Changed(panel, *c);
    return 0;
}

#define CURSOR_OR_FAIL(cursor)                                   \
    if ((cursor) < 1 || (cursor) > 4) return UIE_IndexOutOfRange; \
    Cursor& cur = c->graph.cursors[(cursor) - 1];

int GetGraphCursor(int panel, int control, int cursor, double* x, double* y)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    *x = cur.x;
    *y = cur.y;
    return 0;
}

int SetGraphCursor(int panel, int control, int cursor, double x, double y)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    cur.x = x;
    cur.y = y;
    SnapCursor(c->graph, cur);
    Changed(panel, *c);
    return 0;
}

int SetGraphCursorIndex(int panel, int control, int cursor, int plot, int index)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    Plot* p = c->graph.find(plot);
    if (!p || p->kind == VAL_PLOT_TEXT || p->kind == VAL_PLOT_RECT) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(std::min(p->x.size(), p->y.size()))) return UIE_IndexOutOfRange;
    cur.plot = plot;
    cur.index = index;
    cur.x = p->x[size_t(index)];
    cur.y = p->y[size_t(index)];
    Changed(panel, *c);
    return 0;
}

int GetGraphCursorIndex(int panel, int control, int cursor, int* plot, int* index)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    *plot = cur.plot ? cur.plot : -1;
    *index = cur.index;
    return 0;
}

int SetActiveGraphCursor(int panel, int control, int cursor)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    (void)cur;
    c->graph.active = cursor;
    Changed(panel, *c);
    return 0;
}

int GetActiveGraphCursor(int panel, int control, int* cursor)
{
    GRAPH_OR_FAIL(panel, control);
    *cursor = c->graph.active;
    return 0;
}

int SetCursorAttribute(int panel, int control, int cursor, int attr, int value)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    switch (attr) {
    case ATTR_CURSOR_COLOR: cur.color = value; break;
    case ATTR_CURSOR_MODE: cur.mode = value; break;
    case ATTR_CROSS_HAIR_STYLE: cur.crossHair = value; break;
    case ATTR_CURSOR_POINT_STYLE: cur.pointStyle = value; break;
    default: return UIE_OperationNotAllowed;
    }
    Changed(panel, *c);
    return 0;
}

int GetCursorAttribute(int panel, int control, int cursor, int attr, int* value)
{
    GRAPH_OR_FAIL(panel, control);
    CURSOR_OR_FAIL(cursor);
    switch (attr) {
    case ATTR_CURSOR_COLOR: *value = cur.color; return 0;
    case ATTR_CURSOR_MODE: *value = cur.mode; return 0;
    case ATTR_CROSS_HAIR_STYLE: *value = cur.crossHair; return 0;
    case ATTR_CURSOR_POINT_STYLE: *value = cur.pointStyle; return 0;
    default: return UIE_OperationNotAllowed;
    }
}

// ---- tab control --------------------------------------------------------------------------------

#define TAB_OR_FAIL(panel, control)  \
    CTRL_OR_FAIL(panel, control);    \
    if (c->kind != Kind::Tab) return UIE_OperationNotAllowed;

int EasyTab_ConvertFromCanvas(int panel, int canvas)
{
    CTRL_OR_FAIL(panel, canvas);
    if (c->kind != Kind::Tab && c->kind != Kind::Deco) return UIE_OperationNotAllowed;
    c->kind = Kind::Tab;
    return canvas;
}

int EasyTab_LoadPanel(int panel, int tabCtrl, const char* file, int number, int* page)
{
    {
        TAB_OR_FAIL(panel, tabCtrl);
    }
    int h = LoadPanel(panel, file, number);
    if (h < 0) return h;
    Control* c = FindCtrl(panel, tabCtrl);
    Panel* p = FindPanel(h);
    p->tabOwner = panel;
    p->visible = true;
    c->pages.push_back(h);
    if (!c->activePage) c->activePage = h;
    if (page) *page = h;
    B().tabChanged(*FindPanel(panel), *c);
    return 0;
}

int EasyTab_SetAttribute(int panel, int tabCtrl, int attr, int value)
{
    TAB_OR_FAIL(panel, tabCtrl);
    if (attr != ATTR_EASY_TAB_ACTIVE_PANEL) return UIE_OperationNotAllowed;
    if (std::find(c->pages.begin(), c->pages.end(), value) == c->pages.end()) return UIE_InvalidPanel;
    c->activePage = value;
    B().tabChanged(*FindPanel(panel), *c);
    return 0;
}

int EasyTab_GetAttribute(int panel, int tabCtrl, int attr, int* value)
{
    TAB_OR_FAIL(panel, tabCtrl);
    if (attr != ATTR_EASY_TAB_ACTIVE_PANEL) return UIE_OperationNotAllowed;
    *value = c->activePage;
    return 0;
}

int EasyTab_SetTabAttribute(int panel, int tabCtrl, int page, int attr, int value)
{
    TAB_OR_FAIL(panel, tabCtrl);
    if (std::find(c->pages.begin(), c->pages.end(), page) == c->pages.end()) return UIE_InvalidPanel;
    if (attr != ATTR_EASY_TAB_DIMMED) return UIE_OperationNotAllowed;
    c->pageDimmed[page] = value != 0;
    FindPanel(page)->dimmed = value != 0;
    B().tabChanged(*FindPanel(panel), *c);
    return 0;
}

int EasyTab_GetTabAttribute(int panel, int tabCtrl, int page, int attr, int* value)
{
    TAB_OR_FAIL(panel, tabCtrl);
    if (std::find(c->pages.begin(), c->pages.end(), page) == c->pages.end()) return UIE_InvalidPanel;
    if (attr != ATTR_EASY_TAB_DIMMED) return UIE_OperationNotAllowed;
    *value = c->pageDimmed[page];
    return 0;
}

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
