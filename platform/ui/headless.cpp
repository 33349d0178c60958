// The headless back-end: the model alone, driven by tests or batch runs.
#include "platform/ui/headless.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <sys/stat.h>

namespace ui {

namespace {

struct Answer {
    std::string kind;
    int value = 0;
    std::string path;
    During during;
};

struct TimerClock {
    double now = 0;
    std::map<std::pair<int, int>, double> due;
};

struct HeadlessState {
    HeadlessMode mode = HeadlessMode::Test;
    PopupFailure failure;
    std::deque<Answer> answers;
    std::vector<PopupRecord> log;
    std::string printed;
    int printFailure = 0, printOkJobs = 0, printJobs = 0;
    Bitmap clipboard;
    bool hasClipboard = false;
    int cursor = VAL_DEFAULT_CURSOR;
    int beeps = 0;
    bool quit = false;
    int quitCode = 0;
    TimerClock timers;
};

HeadlessState& H()
{
    static HeadlessState h;
    return h;
}

void Unexpected(const std::string& what)
{
    if (H().failure) { H().failure(what); return; }
    std::fprintf(stderr, "unexpected popup: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

bool TakeAnswer(const std::string& kind, const std::string& title, const std::string& text, Answer* out)
{
    if (!H().answers.empty() && H().answers.front().kind == kind) {
        *out = std::move(H().answers.front());
        H().answers.pop_front();
        return true;
    }
    if (H().mode == HeadlessMode::Test) {
        std::string what = kind + " popup \"" + title + "\": " + text;
        if (!H().answers.empty()) what += " (next queued answer is for a " + H().answers.front().kind + " popup)";
        Unexpected(what);
    }
    return false;
}

bool WriteFileAppend(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out) return false;
    out << text;
    return bool(out);
}

std::string Describe(Panel& p, Control& c)
{
    std::string s = c.name + " (" + KindName(c.kind) + ")";
    if (c.kind == Kind::Graph) {
        Range xr = XRange(c.graph), yr = YRange(c.graph);
        const std::string title = c.attrStr(ATTR_LABEL_TEXT);
        if (!title.empty()) s += " \"" + title + "\"";
        s += ": x " + Value::ofReal(xr.min).text() + ".." + Value::ofReal(xr.max).text() + " \"" + c.graph.x.name +
             "\", y " + Value::ofReal(yr.min).text() + ".." + Value::ofReal(yr.max).text() + " \"" + c.graph.y.name +
             "\", " + std::to_string(c.graph.plots.size()) + " plots";
        for (const auto& pl : c.graph.plots)
            s += "\n  plot " + std::to_string(pl.handle) + " kind " + std::to_string(pl.kind) + " points " +
                 std::to_string(pl.y.size()) + " colour " + std::to_string(pl.color);
    } else if (c.kind == Kind::TextBox) {
        for (const auto& l : c.lines) s += "\n  " + l;
    } else if (c.kind == Kind::Ring || c.kind == Kind::ListBox) {
        if (c.index >= 0 && c.index < int(c.items.size())) s += ": " + c.items[size_t(c.index)].label;
    } else {
        s += ": " + c.value.text();
    }
    (void)p;
    return s;
}

struct HeadlessBackend : Backend {
    const char* name() const override { return "headless"; }

    int messagePopup(const std::string& title, const std::string& text) override
    {
        PopupRecord r{"message", title, text, {}, 0};
        H().log.push_back(r);
        Answer a;
        if (TakeAnswer("message", title, text, &a)) { if (a.during) a.during(); }
        else if (H().mode == HeadlessMode::Batch) std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return 0;
    }

    int confirmPopup(const std::string& title, const std::string& text) override
    {
        PopupRecord r{"confirm", title, text, {}, 0};
        Answer a;
        int v = 0;
        if (TakeAnswer("confirm", title, text, &a)) { if (a.during) a.during(); v = a.value ? 1 : 0; }
        else if (H().mode == HeadlessMode::Batch) std::fprintf(stderr, "%s: %s [answered no]\n", title.c_str(), text.c_str());
        r.answer = v;
        H().log.push_back(r);
        return v;
    }

    int fileSelect(const FileRequest& req, std::string* path) override
    {
        PopupRecord r{"file", req.title, req.directory + " " + req.defaultSpec, req, 0};
        Answer a;
        int v = VAL_NO_FILE_SELECTED;
        if (TakeAnswer("file", req.title, r.text, &a)) {
            if (a.during) a.during();
            if (!a.path.empty()) {
                *path = a.path;
                struct stat st;
                v = stat(a.path.c_str(), &st) == 0 ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
            }
        }
        r.answer = v;
        H().log.push_back(r);
        return v;
    }

    int runLoop() override
    {
        // Nothing waits for a user: the loop ends at once unless quit was asked.
        return H().quitCode;
    }

    void quitLoop(int code) override
    {
        H().quit = true;
        H().quitCode = code;
    }

    int print(const PrintJob& job) override
    {
        std::string text;
        if (job.what == PrintJob::Text) text = job.text;
        else {
            Panel* p = FindPanel(job.panel);
            if (!p) return UIE_InvalidPanel;
            text = "[" + p->name + " \"" + p->title + "\"]\n";
            if (job.what == PrintJob::CtrlImage) text += Describe(*p, *p->find(job.control)) + "\n";
            else
                for (auto& c : p->controls)
                    if (c.attrInt(ATTR_VISIBLE, 1)) text += Describe(*p, c) + "\n";
        }
        if (job.outputFile.empty()) {
            if (H().printFailure != 0) {
                if (H().printOkJobs <= 0) return H().printFailure;
                --H().printOkJobs;
            }
            H().printed += text;
            ++H().printJobs;
            return 0;
        }
        return WriteFileAppend(job.outputFile, text) ? 0 : UIE_CouldNotOpenFile;
    }

    int renderCtrl(Panel& p, Control& c, Bitmap* b) override
    {
        b->width = c.attrInt(ATTR_WIDTH, 400);
        b->height = c.attrInt(ATTR_HEIGHT, 300);
        b->description = Describe(p, c);
        return 0;
    }

    int loadBitmap(const std::string& path, Bitmap* b) override
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) return UIE_CouldNotOpenFile;
        unsigned char h[26] = {};
        in.read(reinterpret_cast<char*>(h), sizeof h);
        b->path = path;
        if (in.gcount() == 26 && h[0] == 'B' && h[1] == 'M') {
            b->width = int(h[18] | h[19] << 8 | h[20] << 16 | unsigned(h[21]) << 24);
            int hh = int(h[22] | h[23] << 8 | h[24] << 16 | unsigned(h[25]) << 24);
            b->height = hh < 0 ? -hh : hh;
        }
        return 0;
    }

    int clipboardPut(const Bitmap& b) override
    {
        H().clipboard = b;
        H().hasClipboard = true;
        return 0;
    }

    void setMouseCursor(int shape) override { H().cursor = shape; }
    void beep() override { ++H().beeps; }
};

bool PageOperable(Panel* p)
{
    for (int guard = 0; p && guard < 16; ++guard) {
        if (p->dimmed || !p->visible) return false;
        if (!p->parent) return true;
        p = FindPanel(p->parent);
    }
    return p != nullptr;
}

}  // namespace

std::unique_ptr<Backend> MakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

void SetHeadlessMode(HeadlessMode m) { H().mode = m; }
HeadlessMode GetHeadlessMode() { return H().mode; }
void SetUnexpectedPopupHandler(PopupFailure f) { H().failure = std::move(f); }

void QueueMessageAck(During d) { H().answers.push_back(Answer{"message", 0, "", std::move(d)}); }
void QueueConfirm(int answer, During d) { H().answers.push_back(Answer{"confirm", answer, "", std::move(d)}); }
void QueueFileSelect(const std::string& path, During d) { H().answers.push_back(Answer{"file", 0, path, std::move(d)}); }
size_t QueuedAnswers() { return H().answers.size(); }
void ClearQueuedAnswers() { H().answers.clear(); }
const std::vector<PopupRecord>& PopupLog() { return H().log; }
void ClearPopupLog() { H().log.clear(); }

bool Operable(int panel, int control)
{
    Panel* p = FindPanel(panel);
    Control* c = FindCtrl(panel, control);
    if (!p || !c) return false;
    if (c->attrInt(ATTR_DIMMED) || !c->attrInt(ATTR_VISIBLE, 1)) return false;
    if (c->attrInt(ATTR_CTRL_MODE) == VAL_INDICATOR && c->kind != Kind::Graph) return false;
    return PageOperable(p);
}

bool Commit(int panel, int control)
{
    if (!Operable(panel, control)) return false;
    Deliver(Event{panel, control, EVENT_COMMIT});
    return true;
}

static bool Changed2(int panel, int control)
{
    Deliver(Event{panel, control, EVENT_VAL_CHANGED});
    Deliver(Event{panel, control, EVENT_COMMIT});
    return true;
}

bool UserSetValue(int panel, int control, double value)
{
    if (!Operable(panel, control)) return false;
    if (SetCtrlVal(panel, control, value) < 0) return false;
    return Changed2(panel, control);
}

bool UserSetValue(int panel, int control, const std::string& value)
{
    if (!Operable(panel, control)) return false;
    if (SetCtrlVal(panel, control, value) < 0) return false;
    return Changed2(panel, control);
}

bool UserSelectIndex(int panel, int control, int index)
{
    if (!Operable(panel, control)) return false;
    if (SetCtrlIndex(panel, control, index) < 0) return false;
    return Changed2(panel, control);
}

bool Click(int panel, int control)
{
    if (!Operable(panel, control)) return false;
    Control* c = FindCtrl(panel, control);
    if (c->kind == Kind::Command) return Commit(panel, control);
    if (c->kind != Kind::CheckBox && c->kind != Kind::Toggle) return false;
    SetCtrlVal(panel, control, c->value.i ? 0 : 1);
    return Changed2(panel, control);
}

bool RightClick(int panel, int control)
{
    if (!Operable(panel, control)) return false;
    Deliver(Event{panel, control, EVENT_RIGHT_CLICK});
    return true;
}

bool KeyPress(int panel, int control, int key)
{
    if (!Operable(panel, control)) return false;
    Deliver(Event{panel, control, EVENT_KEYPRESS, key});
    return true;
}

bool ClosePanel(int panel)
{
    if (!FindPanel(panel)) return false;
    Deliver(Event{panel, 0, EVENT_CLOSE});
    return true;
}

bool UserMoveCursor(int panel, int control, int cursor, double x, double y)
{
    if (!Operable(panel, control)) return false;
    if (SetGraphCursor(panel, control, cursor, x, y) < 0) return false;
    SetActiveGraphCursor(panel, control, cursor);
    Deliver(Event{panel, control, EVENT_COMMIT});
    return true;
}

bool TickTimer(int panel, int control)
{
    Control* c = FindCtrl(panel, control);
    if (!c || c->kind != Kind::Timer || !c->attrInt(ATTR_ENABLED)) return false;
    Deliver(Event{panel, control, EVENT_TIMER_TICK});
    return true;
}

int AdvanceTimers(double seconds)
{
    TimerClock& t = H().timers;
    double end = t.now + std::max(0.0, seconds);
    int ticks = 0;
    for (int guard = 0; guard < 10000000; ++guard) {
        // the next due tick among enabled timers
        std::pair<int, int> next{0, 0};
        double when = INFINITY;
        for (int h : PanelHandles()) {
            Panel* p = FindPanel(h);
            for (auto& c : p->controls) {
                if (c.kind != Kind::Timer) continue;
                auto key = std::make_pair(h, c.id);
                if (!c.attrInt(ATTR_ENABLED)) { t.due.erase(key); continue; }
                double iv = std::max(1e-3, c.attrReal(ATTR_INTERVAL, 1));
                auto it = t.due.find(key);
                if (it == t.due.end()) it = t.due.emplace(key, t.now + iv).first;
                if (it->second < when) { when = it->second; next = key; }
            }
        }
        if (!(when <= end)) break;
        t.now = when;
        Control* c = FindCtrl(next.first, next.second);
        t.due[next] = when + std::max(1e-3, c->attrReal(ATTR_INTERVAL, 1));
        if (TickTimer(next.first, next.second)) ++ticks;
    }
    t.now = end;
    return ticks;
}

int PanelByNumber(int number)
{
    for (int h : PanelHandles())
        if (FindPanel(h)->number == number) return h;
    return 0;
}

std::string PrintedText() { return H().printed; }
void ClearPrinted() { H().printed.clear(); }
void SetPrinterFailure(int code, int okJobs)
{
    H().printFailure = code;
    H().printOkJobs = okJobs;
}
int PrintJobs() { return H().printJobs; }
const Bitmap* ClipboardBitmap() { return H().hasClipboard ? &H().clipboard : nullptr; }
int MouseCursorShape() { return H().cursor; }
int BeepCount() { return H().beeps; }

bool QuitRequested(int* code)
{
    if (code) *code = H().quitCode;
    return H().quit;
}

void ResetUi()
{
    ResetModel();
    HeadlessState& h = H();
    h.mode = HeadlessMode::Test;
    h.answers.clear();
    h.log.clear();
    h.printed.clear();
    h.printFailure = h.printOkJobs = h.printJobs = 0;
    h.hasClipboard = false;
    h.clipboard = Bitmap{};
    h.cursor = VAL_DEFAULT_CURSOR;
    h.beeps = 0;
    h.quit = false;
    h.quitCode = 0;
    h.timers = TimerClock{};
}

}  // namespace ui
