// The toolkit API over the panel model; the back-end is told what changed.
// The model's state and shared helpers; the API's sections are in
// core_panels.cpp, core_values.cpp, core_lists.cpp, core_tables.cpp,
// core_graphs.cpp, core_tabs.cpp and core_popups.cpp.
#include <unistd.h>

#include "platform/ui/core_internal.h"

namespace ui {
namespace core {

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
        if (cs.has("xprecision")) c.attrs[ATTR_XPRECISION] = Value::ofInt(std::atoi(cs.prop("xprecision").c_str()));
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

// Copies a text into a caller's buffer of `size` bytes, cut to fit and ended with NUL.
int CopyToBuffer(const std::string& s, char* buf, size_t size)
{
    if (size == 0) return UIE_OperationNotAllowed;
    size_t n = std::min(s.size(), size - 1);
    std::memcpy(buf, s.data(), n);
    buf[n] = 0;
    return 0;
}

}  // namespace core

using namespace core;

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
using namespace ui::core;

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
