// Export of the loaded measurement and the frame-range cut.
#include "files/export.h"

#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "evaluation/harmonic_eval.h"
#include "state/records.h"
#include "files/reevaluation.h"
#include "files/load.h"
#include "files/logfile.h"
#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"
#include "state/para.h"
#include "state/panels.h"
#include "platform/fixed_text.h"
#include "state/names.h"
#include "state/framelist.h"
#include "state/reset.h"

namespace {
// Removes a partly written output, but only a regular file: a device such as
// /dev/full (or anything else that is not a plain file) is never unlinked.
void RemovePartialOutput(const char* path)
{
    struct stat st;
    if (::lstat(path, &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path);
}
}  // namespace

char export_file[1024] = "";
namespace {
void reset_export_file() { export_file[0] = '\0'; }
REGISTER_STATE_RESET(reset_export_file);
}  // namespace

namespace {

// A real as "%f[pN]" writes it: fixed point, NaN, Inf, -Inf.
void AppendReal(std::string& out, double v, int prec)
{
    if (std::isnan(v)) {
        out += "NaN";
        return;
    }
    if (std::signbit(v)) out += '-';
    if (std::isinf(v)) {
        out += "Inf";
        return;
    }
    char tmp[400];
    auto r = std::to_chars(tmp, tmp + sizeof tmp, std::fabs(v), std::chars_format::fixed, prec);
    if (r.ec != std::errc()) out += "NaN";
    else out.append(tmp, size_t(r.ptr - tmp));
}

void AppendInt2(std::string& out, long long v)
{
    if (v < 10) out += '0';
    char tmp[24];
    auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    out.append(tmp, size_t(r.ptr - tmp));
}

// Seconds as h:mm:ss ("%i[w2p0]:%i[w2p0]:%i[w2p0]").
void AppendTime(std::string& out, int32_t t)
{
    const long long h = t / 3600, m = (t % 3600) / 60, s = t % 60;
    if (t >= 0) {
        AppendInt2(out, h);
        out += ':';
        AppendInt2(out, m);
        out += ':';
        AppendInt2(out, s);
        return;
    }
    char tmp[64];
    Fmt(tmp, "%i[w2p0]:%i[w2p0]:%i[w2p0]", h, m, s);
    out += tmp;
}

// Buffered writer of the export file.
struct TextOut {
    int handle = -1;
    std::string pending;
    std::string line;
    bool comma = false;
    bool failed = false;
    long long lines = 0;

    void EndLine()
    {
        if (comma)
            for (char& c : line)
                if (c == '.') c = ',';
        pending += line;
        pending += '\n';
        line.clear();
        ++lines;
        if (pending.size() >= (1u << 20)) Flush();
    }
    void Flush()
    {
        if (failed || pending.empty()) return;
        if (WriteFile(handle, pending.data(), (long long)pending.size()) != (long long)pending.size()) failed = true;
        pending.clear();
    }
};

void ExportHarmonics(TextOut& o, int P, bool header, const ExportOptions& opt, int32_t frames)
{
    std::string& l = o.line;
    if (header) {
        l = "Time\t";
        for (int p = 1; p <= P; ++p) {
            for (int n = 0; n <= MAX_ORDER; ++n) Fmt(l, "%s[a]<%sI(%i)%i,A\tIlim(%i)%i,A\t", "", p, n, p, n);
            Fmt(l, "%s[a]<%sI%i/A\tU%i/V\tP%i/W\tPF%i\tS%i/VA\tQ%i/VAr\t,THD(U)%i/%%\tTHD(I)%i/%%\t", "", p, p, p, p,
                p, p, p, p);
        }
        o.EndLine();
    }
    for (int32_t k = 1; k <= frames && !o.failed; ++k) {
        HarmFrame f[3];
        for (int p = 0; p < P; ++p) ListGetItem(listbuf[p], &f[p], k);
        AppendTime(l, f[0].fltr);
        l += '\t';
        for (int p = 0; p < P; ++p) {
            for (int n = 0; n <= MAX_ORDER; ++n) {
                AppendReal(l, f[p].hiam[n], 6);
                l += '\t';
                AppendReal(l, f[p].limit[n], 6);
                l += '\t';
            }
            const float v[8] = {f[p].itrms, f[p].utrms, f[p].p, f[p].pf, f[p].s, f[p].q, f[p].huhd, f[p].hihd};
            for (int i = 0; i < 8; ++i) {
                AppendReal(l, v[i], i == 7 ? 4 : 6);
                l += '\t';
            }
        }
        o.EndLine();
        if (opt.progress_panel && k % 256 == 0) SetCtrlVal(opt.progress_panel, opt.progress_control, k);
    }
}

void ExportFlicker(TextOut& o, int P, bool header, const ExportOptions& opt, int32_t frames)
{
    std::string& l = o.line;
    const int c = opt.kind;
    if (header) {
        l = c == EXPORT_PST_DATA ? "Long time\t" : "Long time\tShort time\t";
        for (int p = 1; p <= P; ++p) {
            if (c == EXPORT_10MS_DATA) Fmt(l, "%s[a]<%sPmom%i\tU10ms%i/V\tdt\t", "", p, p);
            else if (c == EXPORT_FRAME_DATA)
                Fmt(l, "%s[a]<%sI%i/A\tU%i/V\tP%i/W\tPF%i\tS%i/VA\tQ%i/VAr\tf%i/Hz\tPm%i\tdc%i\tdmax%i/%%\tPst%i\t", "", p,
                    p, p, p, p, p, p, p, p, p, p);
            else Fmt(l, "%s[a]<%sPst%i\t", "", p);
        }
        o.EndLine();
    }
    // Period length and the FLTR? of the first second, in 64 bits: a record
    // from a foreign file may hold any values.
    const int64_t L = int64_t(para.fl_minutes) * 60 + para.fl_seconds;
    const int32_t periods = para.fl_periods;
    const int64_t start_fltr =
        (L > 0 && periods > 0 && L < INT64_MAX / periods) ? L * periods - 1 : INT64_MIN;
    int32_t last_fltr = 0;
    int32_t written = 0;
    if (c == EXPORT_PST_DATA && frames > 0) {
        FlkFrame f0;
        ListGetItem(listbuf[0], &f0, 1);
        last_fltr = f0.fltr;
    }
    FlkFrame f[3];
    for (int32_t k = 1; k <= frames && !o.failed; ++k) {
        if (c == EXPORT_PST_DATA && k < 3) continue;
        for (int p = 0; p < P; ++p) ListGetItem(listbuf[p], &f[p], k);
        if (c == EXPORT_10MS_DATA) {
            if (f[0].fsta == 3) continue;
            for (int j = 0; j < 32; ++j) {
                AppendTime(l, f[0].fltr);
                l += '\t';
                AppendTime(l, f[0].fstr);
                l += '\t';
                for (int p = 0; p < P; ++p) {
                    for (float v : {f[p].flms[j], f[p].flrm[j], f[p].fldt[j]}) {
                        AppendReal(l, v, 6);
                        l += '\t';
                    }
                }
                o.EndLine();
            }
        } else if (c == EXPORT_FRAME_DATA) {
            AppendTime(l, f[0].fltr);
            l += '\t';
            AppendTime(l, f[0].fstr);
            l += '\t';
            for (int p = 0; p < P; ++p) {
                const float pst = k == 1 ? NoLimit() : f[p].flst;
                const float v[11] = {f[p].itrms, f[p].utrms, f[p].p, f[p].pf, f[p].s, f[p].q,
                                     f[p].freq, f[p].flmo, f[p].fldc, f[p].fldx, pst};
                for (float x : v) {
                    AppendReal(l, x, 6);
                    l += '\t';
                }
            }
            o.EndLine();
        } else {
            const bool period_end = f[0].fstr == L - 1 && f[0].fltr != start_fltr && f[0].fltr != last_fltr;
            const bool final_state = f[0].fsta == 3 && written < periods;
            if (period_end || final_state) {
                AppendTime(l, f[0].fltr);
                l += '\t';
                for (int p = 0; p < P; ++p) {
                    AppendReal(l, f[p].flst, 6);
                    l += '\t';
                }
                o.EndLine();
                last_fltr = f[0].fltr;
                ++written;
            }
        }
        if (opt.progress_panel && k % 64 == 0) SetCtrlVal(opt.progress_panel, opt.progress_control, k);
    }
}

std::string SysError(const std::string& what)
{
    return what + ": " + std::strerror(errno ? errno : EIO);
}

}  // namespace

long long ExportFrames(const char* path, const ExportOptions& opt, std::string* error)
{
    const int P = para.phases == 3 ? 3 : 1;
    int32_t frames = ListNumItems(listbuf[0]);
    for (int p = 1; p < P; ++p)
        if (ListNumItems(listbuf[p]) < frames) frames = ListNumItems(listbuf[p]);
    const size_t want = para.test_kind == 1 ? sizeof(FlkFrame) : sizeof(HarmFrame);
    for (int p = 0; p < P; ++p)
        if (frames > 0 && (!listbuf[p] || listbuf[p]->item_size != want)) frames = 0;
    if (opt.progress_panel) SetCtrlAttribute(opt.progress_panel, opt.progress_control, ATTR_MAX_VALUE, frames > 0 ? frames : 1);

    TextOut o;
    o.comma = opt.comma;
    o.handle = OpenFile(path, VAL_READ_WRITE, VAL_TRUNCATE, VAL_ASCII);
    if (o.handle < 0) {
        if (error) *error = SysError(std::string("Unable to create the export file ") + path);
        return -1;
    }
    if (para.test_kind == 1) {
        ExportOptions f = opt;
        if (f.kind < EXPORT_10MS_DATA || f.kind > EXPORT_PST_DATA) f.kind = EXPORT_10MS_DATA;
        ExportFlicker(o, P, opt.header, f, frames);
    } else {
        ExportHarmonics(o, P, opt.header, opt, frames);
    }
    o.Flush();
    const bool failed = o.failed;
    const int saved = errno;
    if (CloseFile(o.handle) < 0 || failed) {
        errno = failed ? saved : errno;
        if (error) *error = SysError(std::string("Unable to write the export file ") + path);
        RemovePartialOutput(path);
        return -1;
    }
    if (opt.progress_panel) SetCtrlVal(opt.progress_panel, opt.progress_control, frames);
    return o.lines;
}

int export_data(const char* path)
{
    ExportOptions opt;
    int comma = 0, header = 0, c10 = 0, cframe = 0, cpst = 0;
    GetCtrlVal(panExport, EXPORT_DECIMAL, &comma);
    GetCtrlVal(panExport, EXPORT_HEADER, &header);
    GetCtrlVal(panExport, EXPORT_10MS, &c10);
    GetCtrlVal(panExport, EXPORT_FRAME, &cframe);
    GetCtrlVal(panExport, EXPORT_PST, &cpst);
    opt.comma = comma != 0;
    opt.header = header != 0;
    opt.kind = para.test_kind != 1 ? EXPORT_HARMONICS
               : c10                ? EXPORT_10MS_DATA
               : cframe             ? EXPORT_FRAME_DATA
               : cpst               ? EXPORT_PST_DATA
                                    : EXPORT_10MS_DATA;
    opt.progress_panel = panExport;
    opt.progress_control = EXPORT_PROGRESS;
    std::string err;
    if (ExportFrames(path, opt, &err) < 0) {
        MessagePopup("Error", err.c_str());
        return -1;
    }
    return 0;
}

std::string ExportNameFor(const char* log_file)
{
    std::string f = log_file ? log_file : "";
    const size_t slash = f.rfind('/');
    const size_t dot = f.find('.', slash == std::string::npos ? 0 : slash + 1);
    if (dot != std::string::npos) f.erase(dot);
    return f + ".txt";
}

int cbExport(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    std::string proposed = ExportNameFor(para.log_file);
    std::string dir = PathDir(proposed);
    std::string name = PathFile(proposed);
    char path[MAX_PATHNAME_LEN];
    if (FileSelectPopup(dir.c_str(), name.c_str(), "*.txt", "Select text file!", VAL_SAVE_BUTTON, 0, 0, 1, 1, path) ==
        VAL_NO_FILE_SELECTED)
        return -1;
    CopyFixed(export_file, path);
    InstallPopup(panExport);
    return 0;
}
UI_CALLBACK(cbExport);

namespace {
// The three data choices: exactly one stays on.
void ChooseData(int panel, int self)
{
    int v = 0;
    GetCtrlVal(panel, self, &v);
    if (!v) {
        SetCtrlVal(panel, self, 1);
        return;
    }
    for (int c : {EXPORT_10MS, EXPORT_FRAME, EXPORT_PST})
        if (c != self) SetCtrlVal(panel, c, 0);
}
}  // namespace

int cbData10ms(int panel, int control, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) ChooseData(panel, control);
    return 0;
}
UI_CALLBACK(cbData10ms);

int cbDataFrame(int panel, int control, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) ChooseData(panel, control);
    return 0;
}
UI_CALLBACK(cbDataFrame);

int cbDataPst(int panel, int control, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) ChooseData(panel, control);
    return 0;
}
UI_CALLBACK(cbDataPst);

int cbOKExport(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetCtrlAttribute(panExport, EXPORT_PROGRESS, ATTR_VISIBLE, 1);
    export_data(export_file);
    SetCtrlAttribute(panExport, EXPORT_PROGRESS, ATTR_VISIBLE, 0);
    RemovePopup(panExport);
    return 0;
}
UI_CALLBACK(cbOKExport);

int cbpanExport(int panel, int event, void*, int, int)
{
    if (event == EVENT_CLOSE) RemovePopup(panel);
    return 0;
}
UI_PANEL_CALLBACK(cbpanExport);

// ---- frame-range cut ----------------------------------------------------------------

int CutMeasurement(const char* source, const char* target, int32_t first, int32_t last, std::string* error)
{
    auto fail = [&](int rc, const std::string& why) {
        if (error) *error = why;
        return rc;
    };
    if (LogSameFile(source, target))
        return fail(LOG_ERR_ARG, std::string("The cut cannot replace its own source file ") + source);

    int sfd = -1;
    LogLayout L;
    int rc = LogOpenRead(source, &sfd, &L);
    if (rc < 0) return fail(rc, LogErrorText());
    if (first < 0) first = 0;
    if (last > L.frames) last = L.frames;
    if (last < first) last = first;
    const int P = L.phases;

    Para head = L.para;
    TerminateTexts(head);
    head.frame_window = 1;
    head.first_frame = first;
    head.last_frame = last;
    int dfd = -1;
    rc = LogCreate(target, head, &dfd);
    if (rc < 0) {
        LogClose(sfd);
        return fail(rc, LogErrorText());
    }
    auto abandon = [&](int code) {
        std::string why = LogErrorText();
        LogClose(sfd);
        LogClose(dfd);
        RemovePartialOutput(target);
        return fail(code, why);
    };

    LogFrameReader reader;
    LogReaderInit(&reader, sfd, L);
    int32_t count = 0;
    int32_t copied = 0;
    const int32_t n = last - first;
    if (L.test_kind == 0) {
        HarmResult res[3] = {};
        if (LogReadResults(sfd, L, res) < 0) return abandon(LOG_ERR_IO);
        double sumP[3] = {}, sumPF[3] = {}, sumI[3] = {};
        const bool fluct = head.h_standard == 0 && head.h_mode == 1;
        static FluctHistory hist[3];
        bool flagged[3] = {};
        for (int p = 0; p < P; ++p) {
            res[p].higf = 0;
            res[p].hugf = 0;
            ResetFluctHistory(hist[p]);
        }
        HarmFrame recs[3];
        for (int32_t k = 0; k < last; ++k) {
            int got = LogReadNextFrame(&reader, recs);
            if (got < 0) return abandon(LOG_ERR_IO);
            if (got == 0) break;
            if (k < first) continue;
            if ((rc = LogAppendSet(dfd, recs, P, LOG_HARM_RECORD, &count)) < 0) return abandon(rc);
            ++copied;
            for (int p = 0; p < P; ++p) {
                sumP[p] += recs[p].p / n;
                sumPF[p] += recs[p].pf / n;
                sumI[p] += recs[p].itrms / n;
                if (fluct) {
                    HarmFrame f = recs[p];
                    if (EvalFluctHarmonics(hist[p], f, res[p], FluctWindow(head.h_standard))) flagged[p] = true;
                }
            }
        }
        for (int p = 0; p < P; ++p) {
            if (flagged[p]) res[p].higf |= HIGF_FLUCT;
            else res[p].higf &= 0x1FF;
            res[p].hpm = float(sumP[p]);
            res[p].hpfm = float(sumPF[p]);
            res[p].hifm = float(sumI[p]);
        }
        // The re-evaluation works on the program's records; keep the loaded ones.
        const Para saved_para = para;
        HarmResult saved_results[3];
        std::memcpy(saved_results, buf_result, sizeof saved_results);
        std::memcpy(buf_result, res, sizeof res);
        rc = NewLimitsAll(dfd);
        std::memcpy(res, buf_result, sizeof res);
        std::memcpy(buf_result, saved_results, sizeof saved_results);
        para = saved_para;
        if (rc < 0) return abandon(rc);
        for (int p = 0; p < P; ++p)
            if ((rc = LogAppendResult(dfd, res[p])) < 0) return abandon(rc);
    } else {
        // Stored as a run that the analyser ended: the first frame once,
        // every later frame twice, so the count is 2 x frames - 1.
        FlkFrame recs[3];
        for (int32_t k = 0; k < last; ++k) {
            int got = LogReadNextFrame(&reader, recs);
            if (got < 0) return abandon(LOG_ERR_IO);
            if (got == 0) break;
            if (k < first) continue;
            const int copies = copied == 0 ? 1 : 2;
            for (int i = 0; i < copies; ++i)
                if ((rc = LogAppendSet(dfd, recs, P, LOG_FLK_RECORD, &count)) < 0) return abandon(rc);
            ++copied;
        }
    }
    LogClose(sfd);
    if ((rc = LogClose(dfd)) < 0) {
        std::string why = LogErrorText();
        RemovePartialOutput(target);
        return fail(rc, why);
    }
    return copied;
}

int ConvertFile(const char* source, int first, int last)
{
    char path[MAX_PATHNAME_LEN];
    std::string name = std::string("logging") + qel_gsx;
    std::string types = std::string("*") + qel_gsx;
    if (FileSelectPopup(ProjectDir().c_str(), name.c_str(), types.c_str(), "Select data file!", VAL_SAVE_BUTTON, 0,
                        1, 1, 1, path) == VAL_NO_FILE_SELECTED)
        return -1;
    std::string err;
    int rc = CutMeasurement(source, path, first, last, &err);
    if (rc < 0) {
        MessagePopup("Error", err.c_str());
        return rc == -1 ? -2 : rc;
    }
    SetCtrlVal(diagnos, DIAGNOS_FILE, path);
    return 0;
}

int cbSubProject(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    char file[MAX_PATHNAME_LEN] = "";
    GetCtrlVal(diagnos, DIAGNOS_FILE, file);
    int xmode = 0, ymode = 0;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    GetAxisRange(diagnos, DIAGNOS_GRAPH, &xmode, &xmin, &xmax, &ymode, &ymin, &ymax);
    SetWaitCursor(1);
    if (ConvertFile(file, int(xmin), int(xmax)) >= 0) {
        SetCtrlVal(diagnos, DIAGNOS_USEFILE, 1);
        CallCtrlCallback(diagnos, DIAGNOS_LOAD, EVENT_COMMIT, 0, 0, nullptr);
    }
    SetWaitCursor(0);
    return 0;
}
UI_CALLBACK(cbSubProject);
