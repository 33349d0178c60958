#include "app/cli_plot.h"

#include <string>
#include <vector>

#include "app/cli.h"
#include "app/startup.h"
#include "display/plot.h"
#include "display/plot_list.h"
#include "display/plot_quantities.h"
#include "display/plot_series.h"
#include "display/views.h"
#include "files/load.h"
#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/graph_file.h"
#include "platform/ui/headless.h"
#include "platform/ui/ui.h"
#include "state/panels.h"
#include "state/para.h"

namespace {

const char* kUsage =
    "plot FILE --list\n"
    "       orivan-cli plot FILE --phase N --quantity CODE [--quantity CODE ...] [--percent]\n"
    "                  [--histogram|--cumulative|--correlation] [--frames A:B] [--size WxH] --out FILE.png|.svg";

int Usage(const std::string& why)
{
    if (!why.empty()) std::fprintf(stderr, "orivan-cli plot: %s\n", why.c_str());
    std::fprintf(stderr, "usage: orivan-cli %s\n", kUsage);
    return CLI_USAGE;
}

int Fail(const std::string& why)
{
    std::fprintf(stderr, "orivan-cli plot: %s\n", why.c_str());
    return CLI_FAILED;
}

// "A:B" or "WxH".
bool Pair(const std::string& s, char sep, int* a, int* b)
{
    const size_t i = s.find(sep);
    return i != std::string::npos && ParseInt(s.substr(0, i), a) && ParseInt(s.substr(i + 1), b);
}

bool EndsWith(const std::string& s, const char* tail)
{
    const std::string t = tail;
    if (s.size() < t.size()) return false;
    for (size_t i = 0; i < t.size(); ++i)
        if (std::tolower((unsigned char)s[s.size() - t.size() + i]) != t[i]) return false;
    return true;
}

struct Request {
    std::string file, out;
    bool list = false, percent = false;
    int phase = 0;   // 1..3, 0 = not given
    std::vector<int> quantities;
    int kind = PLOT_TIME;
    int first = 0, last = -1;
    bool frames = false;
    int width = 1000, height = 600;
};

// Parses the arguments; an empty text when they are usable.
std::string Parse(int argc, char** argv, Request* r)
{
    int kinds = 0;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string* v) {
            if (i + 1 >= argc) return false;
            *v = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--list") r->list = true;
        else if (a == "--percent") r->percent = true;
        else if (a == "--histogram") { r->kind = PLOT_HISTOGRAM; ++kinds; }
        else if (a == "--cumulative") { r->kind = PLOT_CUMULATIVE; ++kinds; }
        else if (a == "--correlation") { r->kind = PLOT_CORRELATION; ++kinds; }
        else if (a == "--phase") {
            if (!value(&v) || !ParseInt(v, &r->phase) || r->phase < 1 || r->phase > 3) return "--phase takes 1, 2 or 3";
        } else if (a == "--quantity") {
            int q = -1;
            if (!value(&v) || !ParseInt(v, &q) || q < 0) return "--quantity takes a quantity code (see --list)";
            r->quantities.push_back(q);
        } else if (a == "--frames") {
            if (!value(&v) || !Pair(v, ':', &r->first, &r->last) || r->first < 0 || r->last < r->first)
                return "--frames takes FIRST:LAST with FIRST <= LAST (frames counted from 0)";
            r->frames = true;
        } else if (a == "--size") {
            if (!value(&v) || !Pair(v, 'x', &r->width, &r->height) || r->width < 200 || r->height < 150 ||
                r->width > 8000 || r->height > 8000)
                return "--size takes WIDTHxHEIGHT in pixels (200x150 to 8000x8000)";
        } else if (a == "--out") {
            if (!value(&r->out) || r->out.empty()) return "--out takes a file name";
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + a;
        } else if (r->file.empty()) {
            r->file = a;
        } else {
            return "one measurement file only";
        }
    }
    if (r->file.empty()) return "no measurement file";
    if (r->list) return "";
    if (kinds > 1) return "--histogram, --cumulative and --correlation exclude each other";
    if (r->phase == 0) return "--phase is missing";
    if (r->quantities.empty()) return "--quantity is missing";
    if (r->out.empty()) return "--out is missing";
    if (!EndsWith(r->out, ".png") && !EndsWith(r->out, ".svg")) return "--out must name a .png or .svg file";
    return "";
}

const char* KindText(int kind) { return kind == RUN_FLICKER ? "flicker" : "harmonic"; }

void List(std::FILE* out)
{
    const int kind = LoadedRunKind();
    std::fprintf(out, "%s run, %d phase%s, %d frames\n", KindText(kind), RunPhases(), RunPhases() == 1 ? "" : "s",
                 FrameCount(0));
    std::fprintf(out, "quantity codes (plot code = code + %d x (phase - 1)):\n", PlotCodeStep(kind));
    std::fprintf(out, "code  name        axis label\n");
    for (int q = 0; q < QuantityCount(kind); ++q)
        std::fprintf(out, "%4d  %-10s  %s\n", q, QuantityName(kind, q).c_str(),
                     QuantityLabel(kind, q, 0, false).c_str());
}

}  // namespace

int CliPlot(int argc, char** argv, std::FILE* out)
{
    Request r;
    const std::string bad = Parse(argc, argv, &r);
    if (!bad.empty()) return Usage(bad);
    if (!r.list && !ui::HaveGraphPainter()) return Fail("this orivan-cli was built without the graph painter (Qt 6 Gui and Svg)");
    if (!FileExists(r.file.c_str(), nullptr)) return Fail(r.file + ": File does not exist!");

    ui::SetHeadlessMode(ui::HeadlessMode::Batch);
    if (StartUp(StartOptions{}) < 0) return Fail("the panel resource could not be loaded from " + ui::ResourceDir());
    // loaded as the graph panel's load button does with the file-name field in use
    SetCtrlVal(diagnos, DIAGNOS_USEFILE, 1);
    SetCtrlVal(diagnos, DIAGNOS_FILE, r.file.c_str());
    CallCtrlCallback(diagnos, DIAGNOS_LOAD, EVENT_COMMIT, 0, 0, nullptr);
    if (LastLoadReport().status < 0 || LoadedRunKind() == RUN_NONE) return Fail(LastLoadReport().message);
    if (r.list) {
        List(out);
        return CLI_OK;
    }

    const int kind = LoadedRunKind();
    const int phase = r.phase - 1;
    if (phase >= RunPhases())
        return Fail("the run has " + std::to_string(RunPhases()) + " phase" + (RunPhases() == 1 ? "" : "s"));
    if (r.percent && kind != RUN_HARMONIC) return Fail("--percent applies to the harmonic currents of harmonic runs");
    const int frames = FrameCount(phase);
    if (r.frames && r.first >= frames)
        return Fail("--frames: the run has frames 0 to " + std::to_string(frames - 1));

    SetViewMode(0);
    for (int q : r.quantities) {
        if (q >= QuantityCount(kind))
            return Fail("no quantity " + std::to_string(q) + " in a " + KindText(kind) + " run (see --list)");
        // selected in the phase and quantity lists as a user would before "Add"
        SetCtrlIndex(diagnos, DIAGNOS_PHASELIST, phase);
        SetCtrlIndex(diagnos, DIAGNOS_QUANTITY, q);
        const int code = InsertPlot(phase, q);
        if (code == PLOT_REFUSED_INPUT_OFF)
            return Fail(QuantityName(kind, q) + ": the analogue inputs of phase " + std::to_string(r.phase) + " were off");
        if (code == PLOT_REFUSED_STANDARD)
            return Fail(QuantityName(kind, q) + " is not measured under the run's edition of EN61000-3-2");
        if (code < 0) return Fail("quantity " + std::to_string(q) + " cannot be plotted");
    }
    SetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, 0);
    SetCtrlVal(diagnos, DIAGNOS_PERCENT, r.percent ? 1 : 0);
    SetCtrlVal(diagnos, DIAGNOS_KIND, r.kind);
    if (r.frames) SetPlotFrameWindow(r.first, r.last);
    RedrawPlotList(r.kind);
    SetPlotFrameWindow(0, -1);

    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_NUM_CURSORS, 0);   // a picture without the cursors
    const int st = SaveGraphToFile(diagnos, DIAGNOS_GRAPH, r.out.c_str(), r.width, r.height);
    if (st < 0) return Fail(r.out + ": the picture could not be written");
    std::string title;
    GetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, &title);
    std::fprintf(out, "%s: %s (%dx%d)\n", r.out.c_str(), title.c_str(), r.width, r.height);
    return CLI_OK;
}
