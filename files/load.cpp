// Loading a stored measurement into the program's working state.
#include "files/load.h"

#include <csetjmp>
#include <csignal>
#include <cmath>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <string>

#include "app/para.h"
#include "app/startup.h"
#include "evaluation/flicker_limits.h"
#include "evaluation/records.h"
#include "files/load_links.h"
#include "files/logfile.h"
#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"

// ---- frame lists ------------------------------------------------------------

FrameList* ListCreate(size_t itemSize)
{
    auto* l = new FrameList;
    l->item_size = itemSize;
    return l;
}

void ListDispose(FrameList* list) { delete list; }

namespace {
void Grow(FrameList* list, size_t need)
{
    if (need <= list->capacity) return;
    size_t cap = list->capacity ? list->capacity * 2 : 64;
    if (cap < need) cap = need;
    std::unique_ptr<unsigned char[]> b(new unsigned char[cap * list->item_size]);
    if (list->count) std::memcpy(b.get(), list->bytes.get(), list->count * list->item_size);
    list->bytes = std::move(b);
    list->capacity = cap;
}
}  // namespace

int ListInsertItem(FrameList* list, const void* item, int position)
{
    if (!list || !item) return -1;
    if (position != END_OF_LIST && size_t(position) != list->count + 1) return -1;
    Grow(list, list->count + 1);
    std::memcpy(list->bytes.get() + list->count * list->item_size, item, list->item_size);
    ++list->count;
    return 0;
}

unsigned char* ListReserveItems(FrameList* list, size_t items)
{
    Grow(list, list->count + items);
    return list->bytes.get() + list->count * list->item_size;
}

void ListCommitItems(FrameList* list, size_t items)
{
    if (list->count + items <= list->capacity) list->count += items;
}

const unsigned char* ListGetPtrToItem(const FrameList* list, int position)
{
    if (!list || position < 1 || size_t(position) > list->count) return nullptr;
    return list->bytes.get() + size_t(position - 1) * list->item_size;
}

int ListGetItem(const FrameList* list, void* item, int position)
{
    const unsigned char* p = ListGetPtrToItem(list, position);
    if (!p || !item) return -1;
    std::memcpy(item, p, list->item_size);
    return 0;
}

int ListNumItems(const FrameList* list) { return list ? int(list->count) : 0; }

void ListPreallocate(FrameList* list, size_t items)
{
    if (list) Grow(list, items);
}

// ---- state ----------------------------------------------------------------------

FrameList* listbuf[3] = {nullptr, nullptr, nullptr};
int32_t size = 0;
double firstframe = 0;
double lastframe = 0;
int fid = -1;
FlickerPeriodStats fl_stats;

// Results-panel indicators. Weak so that the display's tables, when it
// defines them, take precedence.
#define ORV_WEAK __attribute__((weak))
ORV_WEAK int FHR_IALL[3] = {RESULTS_IALL1, RESULTS_IALL2, RESULTS_IALL3};
ORV_WEAK int FHR_I100[3] = {RESULTS_I1001, RESULTS_I1002, RESULTS_I1003};
ORV_WEAK int FHR_U100[3] = {RESULTS_U1001, RESULTS_U1002, RESULTS_U1003};
ORV_WEAK int FHR_UALL[3] = {RESULTS_UALL1, RESULTS_UALL2, RESULTS_UALL3};
ORV_WEAK int FHR_AMP[3] = {RESULTS_AMP1, RESULTS_AMP2, RESULTS_AMP3};
ORV_WEAK int FHR_FREQ[3] = {RESULTS_FREQ1, RESULTS_FREQ2, RESULTS_FREQ3};
ORV_WEAK int FHR_CREST[3] = {RESULTS_CREST1, RESULTS_CREST2, RESULTS_CREST3};
ORV_WEAK int FHR_PHI[3] = {RESULTS_PHI1, RESULTS_PHI2, RESULTS_PHI3};
ORV_WEAK int FHR_THD[3] = {RESULTS_THD1, RESULTS_THD2, RESULTS_THD3};
ORV_WEAK int FHR_PWHD[3] = {RESULTS_PWHD1, RESULTS_PWHD2, RESULTS_PWHD3};
ORV_WEAK int ACDC_MIN[3] = {RESULTS_ACDC_MIN1, RESULTS_ACDC_MIN2, RESULTS_ACDC_MIN3};
ORV_WEAK int ACDC_MAX[3] = {RESULTS_ACDC_MAX1, RESULTS_ACDC_MAX2, RESULTS_ACDC_MAX3};
ORV_WEAK int ACDC_POW[3] = {RESULTS_ACDC_POW1, RESULTS_ACDC_POW2, RESULTS_ACDC_POW3};
ORV_WEAK int ACDC_ALL[3] = {RESULTS_ACDC_ALL1, RESULTS_ACDC_ALL2, RESULTS_ACDC_ALL3};

namespace {

LoadReport g_report;

// Flicker indicators per phase: overall (0x1), Pst, Plt, d(t), dc, dmax.
const int kFlkOver[3] = {RESULTS_FOVER1, RESULTS_FOVER2, RESULTS_FOVER3};
const int kFlkPst[3] = {RESULTS_PST1, RESULTS_PST2, RESULTS_PST3};
const int kFlkPlt[3] = {RESULTS_PLT1, RESULTS_PLT2, RESULTS_PLT3};
const int kFlkDt[3] = {RESULTS_DT1, RESULTS_DT2, RESULTS_DT3};
const int kFlkDc[3] = {RESULTS_DC1, RESULTS_DC2, RESULTS_DC3};
const int kFlkDmax[3] = {RESULTS_DMAX1, RESULTS_DMAX2, RESULTS_DMAX3};
const int kResultTables[3] = {RESULTS_TABLE1, RESULTS_TABLE2, RESULTS_TABLE3};
const int kSettingP[3] = {SETTING_P_SOLL1, SETTING_P_SOLL2, SETTING_P_SOLL3};
const int kSettingPF[3] = {SETTING_PF_SOLL1, SETTING_PF_SOLL2, SETTING_PF_SOLL3};
const int kSettingI[3] = {SETTING_I_SOLL1, SETTING_I_SOLL2, SETTING_I_SOLL3};

// Frames between two refreshes of the progress indicators.
constexpr int32_t kProgressStep = 512;

void ShowProgress(int32_t value)
{
    SetCtrlVal(prepare, PREPARE_PROGRESS, value);
}

// Empty lists for a new load. The storage of the previous lists is kept when
// it fits (same element size, not more than twice the room needed), which
// spares the system from mapping the memory again.
void NewLists(size_t item_size, int32_t frames)
{
    const size_t need = frames > 0 ? size_t(frames) : 0;
    for (auto& l : listbuf) {
        if (l && l->item_size == item_size && l->capacity >= need && l->capacity <= 2 * need + 64) {
            l->count = 0;
            continue;
        }
        ListDispose(l);
        l = ListCreate(item_size);
        if (need) ListPreallocate(l, need);
    }
}

void ClearLoadedState()
{
    firstframe = 0;
    lastframe = 0;
    size = 0;
    edited = 0;
    std::memset(buf, 0, sizeof buf);
    std::memset(flkbuf, 0, sizeof flkbuf);
    std::memset(buf_result, 0, sizeof buf_result);
    for (int p = 0; p < 3; ++p)
        for (int h = 0; h < ORDERS; ++h) {
            max[p][h] = 0;
            fr_max[p][h] = 0;
            h_max[p][h] = 0;
            IsLimNaN[p][h] = 1;
        }
    fl_stats = FlickerPeriodStats{};
}

void SetFrameSelectors(int32_t frames)
{
    SetCtrlAttribute(diagnos, DIAGNOS_FRAME, ATTR_MIN_VALUE, 0);
    SetCtrlAttribute(diagnos, DIAGNOS_FRAME, ATTR_MAX_VALUE, frames > 0 ? frames - 1 : 0);
    SetCtrlVal(diagnos, DIAGNOS_FRAME, 0);
    // The protocol editor's frame: the last one, which the records hold after loading.
    SetCtrlAttribute(panelEdit, EDIT_FRAME, ATTR_MIN_VALUE, 0);
    SetCtrlAttribute(panelEdit, EDIT_FRAME, ATTR_MAX_VALUE, frames > 0 ? frames - 1 : 0);
    SetCtrlVal(panelEdit, EDIT_FRAME, frames > 0 ? frames - 1 : 0);
}

void SetExportChoicesDimmed(int dimmed)
{
    for (int c : {EXPORT_10MS, EXPORT_FRAME, EXPORT_PST}) SetCtrlAttribute(panExport, c, ATTR_DIMMED, dimmed);
}

// Maxima of one harmonic frame record (stored bytes) of phase p, frame k.
// A limit counts when it is neither 0 nor the no-value mark (any NaN).
// Written without branches so that the orders are handled in parallel
// (AVX2 where the processor has it).
__attribute__((target_clones("avx2", "default"))) void HarmonicMaxima(const unsigned char* rec, int p, int32_t k)
{
    const unsigned char* pc = rec + offsetof(HarmFrame, hiam);
    const unsigned char* pl = rec + offsetof(HarmFrame, limit);
    float* hm = h_max[p];
    float* mx = max[p];
    int32_t* fr = fr_max[p];
    int32_t* none = IsLimNaN[p];
    for (int h = 0; h < ORDERS; ++h) {
        float c, l;
        uint32_t b;
        std::memcpy(&c, pc + 4 * h, 4);
        std::memcpy(&l, pl + 4 * h, 4);
        std::memcpy(&b, pl + 4 * h, 4);
        const uint32_t a = b & 0x7FFFFFFFu;
        const int32_t v = -int32_t(a != 0 && a <= 0x7F800000u);   // all ones when usable
        const float u = 100.0f * c / (v ? l : 1.0f);
        const float uu = v ? u : -INFINITY;
        hm[h] = c > hm[h] ? c : hm[h];
        none[h] &= ~v;
        const int32_t gt = -int32_t(uu > mx[h]);
        mx[h] = gt ? uu : mx[h];
        fr[h] = (k & gt) | (fr[h] & ~gt);
    }
}

void FirstFrameFrom(const unsigned char* rec)
{
    if (firstframe != 0) return;
    float c;
    std::memcpy(&c, rec + offsetof(HarmFrame, count), 4);
    firstframe = c;
}

// Copies n sets (P records each) into the lists and takes their maxima.
void TakeHarmonicSets(const unsigned char* sets, int32_t n, int P, int32_t done)
{
    const size_t R = sizeof(HarmFrame);
    const size_t set_bytes = size_t(P) * R;
    unsigned char* dst[3] = {};
    for (int p = 0; p < P; ++p) dst[p] = ListReserveItems(listbuf[p], size_t(n));
    for (int32_t i = 0; i < n; ++i) {
        const unsigned char* set = sets + size_t(i) * set_bytes;
        FirstFrameFrom(set);
        for (int p = 0; p < P; ++p) {
            std::memcpy(dst[p] + size_t(i) * R, set + size_t(p) * R, R);
            HarmonicMaxima(set + size_t(p) * R, p, done + i);
        }
    }
    for (int p = 0; p < P; ++p) {
        ListCommitItems(listbuf[p], size_t(n));
        std::memcpy(&buf[p], dst[p] + size_t(n - 1) * R, R);
    }
}

// A file mapped while it is read: a file cut short by another program in
// the meantime raises SIGBUS, which ends the reading as a failed read.
sigjmp_buf* g_bus_jump = nullptr;
void OnBusError(int)
{
    if (g_bus_jump) siglongjmp(*g_bus_jump, 1);
    std::signal(SIGBUS, SIG_DFL);
    std::raise(SIGBUS);
}

// Current-format harmonic sets straight from the file into the lists: from
// a mapping of the file (no copy through a read buffer), else by reads.
int ReadHarmonicSets(int fd, const LogLayout& L)
{
    const int P = L.phases;
    const size_t set_bytes = size_t(P) * sizeof(HarmFrame);
    constexpr int32_t kChunkSets = 512;  // stays in the cache between read and copy
    if (L.sets <= 0) return 1;

    // Mapped a window at a time, so that the mapped pages and the lists
    // together stay well within 1.5 times the file's size.
    constexpr int32_t kWindowSets = 8192;
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    struct sigaction act {}, old {};
    act.sa_handler = OnBusError;
    sigemptyset(&act.sa_mask);
    ::sigaction(SIGBUS, &act, &old);
    sigjmp_buf jump;
    volatile int32_t done = 0;
    void* volatile map = MAP_FAILED;
    volatile size_t map_len = 0;
    int rc = 1;
    if (sigsetjmp(jump, 1) == 0) {
        g_bus_jump = &jump;
        while (done < L.sets) {
            const int32_t w = L.sets - done < kWindowSets ? L.sets - done : kWindowSets;
            const size_t from = size_t(L.data_offset) + size_t(done) * set_bytes;
            const size_t start = from / page * page;
            map_len = from - start + size_t(w) * set_bytes;
            map = ::mmap(nullptr, map_len, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, off_t(start));
            if (map == MAP_FAILED) break;
            const unsigned char* base = static_cast<const unsigned char*>(map) + (from - start);
            for (int32_t i = 0; i < w;) {
                const int32_t n = w - i < kChunkSets ? w - i : kChunkSets;
                TakeHarmonicSets(base + size_t(i) * set_bytes, n, P, done + i);
                i += n;
                size = done + i;
                ShowProgress(size);
            }
            ::munmap(map, map_len);
            map = MAP_FAILED;
            done = done + w;
        }
    } else {
        rc = LOG_ERR_IO;   // the file was cut short meanwhile: the frames taken so far stay
        size = ListNumItems(listbuf[0]);
    }
    g_bus_jump = nullptr;
    ::sigaction(SIGBUS, &old, nullptr);
    if (map != MAP_FAILED) ::munmap(map, map_len);
    if (rc < 0 || done >= L.sets) return rc;

    // No mapping: by reads.
    static std::unique_ptr<unsigned char[]> chunk(new unsigned char[size_t(kChunkSets) * 3 * sizeof(HarmFrame)]);
    int32_t next = done;
    int64_t offset = L.data_offset + int64_t(next) * int64_t(set_bytes);
    while (next < L.sets) {
        const int32_t n = L.sets - next < kChunkSets ? L.sets - next : kChunkSets;
        if (LogPread(fd, chunk.get(), size_t(n) * set_bytes, offset) < 0) return LOG_ERR_IO;
        TakeHarmonicSets(chunk.get(), n, P, next);
        next += n;
        offset += int64_t(n) * int64_t(set_bytes);
        size = next;
        ShowProgress(size);
    }
    return 1;
}

// Harmonic frames: lists, maxima, then the result records.
void LoadHarmonic(LogFrameReader& reader, const LogLayout& L)
{
    const int P = L.phases;
    SetExportChoicesDimmed(1);
    NewLists(sizeof(HarmFrame), L.frames);
    int rc = 0;
    if (L.format != LOG_OLD) {
        rc = ReadHarmonicSets(reader.fd, L);
    } else {
        HarmFrame recs[3];
        for (int32_t k = 0; (rc = LogReadNextFrame(&reader, recs)) == 1; ++k) {
            for (int p = 0; p < P; ++p) buf[p] = recs[p];
            FirstFrameFrom(reinterpret_cast<const unsigned char*>(&buf[0]));
            ++size;
            if (size % kProgressStep == 0) ShowProgress(size);
            for (int p = 0; p < P; ++p) {
                ListInsertItem(listbuf[p], &buf[p], END_OF_LIST);
                HarmonicMaxima(ListGetPtrToItem(listbuf[p], size), p, k);
            }
        }
    }
    if (rc < 0) g_report.short_read = true;
    for (int p = 0; p < 3; ++p)
        for (int h = 0; h < ORDERS; ++h)
            if (IsLimNaN[p][h]) max[p][h] = NoLimit();

    for (int c : {DIAGNOS_FRAME, DIAGNOS_FRAMETABLE, DIAGNOS_OVERRANGE}) SetCtrlAttribute(diagnos, c, ATTR_VISIBLE, 1);
    SetCtrlAttribute(diagnos, DIAGNOS_FRAME, ATTR_DIMMED, size <= 1 ? 1 : 0);

    HarmResult res[3];
    int n = LogReadResults(reader.fd, L, res);
    if (n < 0) {
        g_report.short_read = true;
        n = 0;
    }
    for (int p = 0; p < n; ++p) buf_result[p] = res[p];
    g_report.results = n;

    SetFrameSelectors(size);
    int phase = 0;
    GetCtrlVal(diagnos, DIAGNOS_PHASE, &phase);
    if (DrawData) DrawData(phase >= 0 && phase < P ? phase : 0);
    for (int p = 0; p < P; ++p) createTableResultNew(results, kResultTables[p], buf_result[p], MAX_ORDER, p);
    createTable(diagnos, DIAGNOS_FRAMETABLE, buf[0], MAX_ORDER);
    SetHarmonicVerdicts();
}

// Period ends of a flicker run, seen on phase L1's frames.
struct PeriodScan {
    int latch = 0;
    int32_t last_fltr = 0;
    int32_t limit = 0;   // fl_periods

    void See(const FlkFrame* recs, int P)
    {
        const FlkFrame& f = recs[0];
        if (f.fstr != 1) {
            latch = 0;
            return;
        }
        if (latch) return;
        latch = 1;
        if (f.fltr == last_fltr) return;
        last_fltr = f.fltr;
        const int32_t n = fl_stats.periods;
        if (n >= limit || n >= 64) return;
        for (int p = 0; p < P; ++p) {
            const float v = recs[p].fldx;
            fl_stats.dmax[p][n] = v;
            if (n == 0) {
                fl_stats.max[p] = fl_stats.min[p] = v;
                fl_stats.imax[p] = fl_stats.imin[p] = 0;
            } else {
                if (v > fl_stats.max[p]) {
                    fl_stats.max[p] = v;
                    fl_stats.imax[p] = n;
                }
                if (v < fl_stats.min[p]) {
                    fl_stats.min[p] = v;
                    fl_stats.imin[p] = n;
                }
            }
        }
        fl_stats.periods = n + 1;
    }
};

void LoadFlicker(LogFrameReader& reader, const LogLayout& L)
{
    const int P = L.phases;
    SetExportChoicesDimmed(0);
    NewLists(sizeof(FlkFrame), L.frames);
    PeriodScan scan;
    scan.limit = para.fl_periods;
    FlkFrame recs[3];
    int rc;
    while ((rc = LogReadNextFrame(&reader, recs)) == 1) {
        for (int p = 0; p < P; ++p) flkbuf[p] = recs[p];
        if (firstframe == 0) firstframe = flkbuf[0].count;
        scan.See(flkbuf, P);
        for (int p = 0; p < P; ++p) ListInsertItem(listbuf[p], &flkbuf[p], END_OF_LIST);
        ++size;
        if (size % kProgressStep == 0) ShowProgress(size);
    }
    if (rc < 0) g_report.short_read = true;

    for (int p = 0; p < P; ++p) {
        fl_stats.mean[p] = SwitchingMean(fl_stats.dmax[p], fl_stats.periods, fl_stats.imax[p], fl_stats.imin[p]);
        fl_stats.mean_exceeded[p] = fl_stats.mean[p] > para.dmax_limit;
    }
    SetFlickerVerdicts();

    for (int p = 0; p < P; ++p) createPstTableNew(results, kResultTables[p], p);
    for (int c : {DIAGNOS_FRAME, DIAGNOS_FRAMETABLE, DIAGNOS_OVERRANGE}) SetCtrlAttribute(diagnos, c, ATTR_VISIBLE, 0);
    lastframe = firstframe + size;
    SetFrameSelectors(size);
    int phase = 0;
    GetCtrlVal(diagnos, DIAGNOS_PHASE, &phase);
    if (DrawFlicker) DrawFlicker(phase >= 0 && phase < P ? phase : 0);
    SetExportChoicesDimmed(0);
    SetCtrlVal(panExport, EXPORT_10MS, 1);
    SetCtrlVal(panExport, EXPORT_FRAME, 0);
    SetCtrlVal(panExport, EXPORT_PST, 0);
}

int Refuse(int status, const char* title, const std::string& text)
{
    g_report.status = status;
    CopyFixed(g_report.message, text.c_str());
    MessagePopup(title, text.c_str());
    return status;
}

}  // namespace

const LoadReport& LastLoadReport() { return g_report; }

float SwitchingMean(const float* v, int n, int imax, int imin)
{
    if (n <= 0) return 0;
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += v[i];
    if (n < 3) return float(sum / n);
    if (imax == imin) {
        imax = 0;
        imin = 1;
    }
    sum -= v[imax];
    sum -= v[imin];
    return float(sum / (n - 2));
}

int HarmonicLamps(int p, VerdictLamp out[HARMONIC_LAMPS])
{
    const int P = para.phases == 3 ? 3 : 1;
    const bool on = p >= 0 && p < P;
    const HarmResult r = on ? buf_result[p] : HarmResult{};
    if (p < 0 || p > 2) p = 0;
    const bool ed2006 = para.h_standard == 2 || para.h_standard == 3;
    const struct { const char* name; const int* ids; int32_t word; int32_t mask; } t[HARMONIC_LAMPS] = {
        {"IALL", FHR_IALL, r.higf, ed2006 ? HIGF_LAMP_2006 : HIGF_FAIL},
        {"I100", FHR_I100, r.higf, HIGF_AVG_OVER},
        {"U100", FHR_U100, r.hugf, HUGF_U100},
        {"AMP", FHR_AMP, r.hugf, HUGF_AMP},
        {"FREQ", FHR_FREQ, r.hugf, HUGF_FREQ},
        {"UALL", FHR_UALL, r.hugf, HUGF_UALL},
        {"CREST", FHR_CREST, r.hugf, HUGF_CREST},
        {"PHI", FHR_PHI, r.hugf, HUGF_PHI},
        {"ACDC_ALL", ACDC_ALL, r.hens, HENS_ALL},
        {"ACDC_MIN", ACDC_MIN, r.hens, HENS_MIN},
        {"ACDC_MAX", ACDC_MAX, r.hens, HENS_MAX},
        {"ACDC_POW", ACDC_POW, r.hens, HENS_POW},
        {"THD", FHR_THD, r.higf, HIGF_THD},
        {"PWHD", FHR_PWHD, r.higf, HIGF_PWHD},
    };
    for (int i = 0; i < HARMONIC_LAMPS; ++i) out[i] = {t[i].name, t[i].ids[p], (t[i].word & t[i].mask) ? 1 : 0};
    return HARMONIC_LAMPS;
}

int FlickerLamps(int p, VerdictLamp out[FLICKER_LAMPS])
{
    const int P = para.phases == 3 ? 3 : 1;
    const bool on = p >= 0 && p < P;
    if (p < 0 || p > 2) p = 0;
    const int32_t flre = on ? flkbuf[p].flre : 0;
    int dmax = 0;
    if (on) dmax = para.switching == 1 ? (fl_stats.mean_exceeded[p] ? 1 : 0) : ((flre & FLRE_DMAX) ? 1 : 0);
    out[0] = {"FAIL", kFlkOver[p], (flre & FLRE_FAIL) ? 1 : 0};
    out[1] = {"PST", kFlkPst[p], (flre & FLRE_PST) ? 1 : 0};
    out[2] = {"PLT", kFlkPlt[p], (flre & FLRE_PLT) ? 1 : 0};
    out[3] = {"DT", kFlkDt[p], (flre & FLRE_DT) ? 1 : 0};
    out[4] = {"DC", kFlkDc[p], (flre & FLRE_DC) ? 1 : 0};
    out[5] = {"DMAX", kFlkDmax[p], dmax};
    return FLICKER_LAMPS;
}

void SetHarmonicVerdicts()
{
    const bool ed2006 = para.h_standard == 2 || para.h_standard == 3;
    for (int p = 0; p < 3; ++p) {
        VerdictLamp lamps[HARMONIC_LAMPS];
        int n = HarmonicLamps(p, lamps);
        for (int i = 0; i < n; ++i) SetCtrlVal(results, lamps[i].control, lamps[i].value);
        // Indicators that do not apply to the 2006 editions.
        if (ed2006)
            for (const int* ids : {FHR_THD, FHR_PWHD, ACDC_ALL, ACDC_MIN, ACDC_MAX, ACDC_POW})
                SetCtrlAttribute(results, ids[p], ATTR_VISIBLE, 0);
    }
}

void SetFlickerVerdicts()
{
    const int visible = para.switching == 0 ? 1 : 0;
    for (int p = 0; p < 3; ++p) {
        VerdictLamp lamps[FLICKER_LAMPS];
        int n = FlickerLamps(p, lamps);
        for (int i = 0; i < n; ++i) {
            SetCtrlVal(results, lamps[i].control, lamps[i].value);
            if (i < 5) SetCtrlAttribute(results, lamps[i].control, ATTR_VISIBLE, visible);
        }
    }
}

int load_measurement(const char* path, int, int)
{
    g_report = LoadReport{};
    if (!path || !FileExists(path, nullptr)) return Refuse(-1, "ERROR", "File does not exist!");

    int fd = -1;
    LogLayout L;
    int rc = LogOpenRead(path, &fd, &L);
    if (rc < 0) return Refuse(rc, "Error", LogErrorText());
    g_report.format = L.format;
    g_report.interrupted = L.format == LOG_INTERRUPTED;
    g_report.count = L.count;

    fid = fd;
    ClearLoadedState();
    SetCtrlAttribute(prepare, PREPARE_PROGRESS, ATTR_VISIBLE, 1);
    SetCtrlVal(diagnos, DIAGNOS_FILE, path);

    para = L.para;
    TerminateTexts(para);
    SetCtrlAttribute(prepare, PREPARE_PROGRESS, ATTR_MAX_VALUE, L.frames > 0 ? L.frames : 1);
    ShowProgress(0);
    ProcessDrawEvents();
    CopyFixed(para.log_file, path);

    LogFrameReader reader;
    LogReaderInit(&reader, fd, L);
    if (L.test_kind == 1) LoadFlicker(reader, L);
    else LoadHarmonic(reader, L);

    LogClose(fd);
    fid = -1;
    ShowProgress(size);
    SetCtrlAttribute(prepare, PREPARE_PROGRESS, ATTR_VISIBLE, 0);

    if (setup_plot_list) setup_plot_list();
    if (set_parameter) set_parameter(para);
    if (para.test_kind == 1) {
        int choice = FlickerChoiceFromStandard(para.fl_standard, para.switching);
        if (set_parameter && setting > 0) GetCtrlVal(setting, SETTING_FL_STANDARD, &choice);
        CalculateFlLimits(choice, para.dmax_limit);
    }
    CreateProtocol();
    for (int c : {DIAGNOS_PHASE, DIAGNOS_VIEWMODE, DIAGNOS_SHOWLIMITS}) SetCtrlAttribute(diagnos, c, ATTR_DIMMED, 0);
    if (para.test_kind == 0 && (para.h_standard == 2 || para.h_standard == 3)) {
        for (int p = 0; p < 3; ++p) {
            const int pid = A14_P_SOLL[p] ? A14_P_SOLL[p] : kSettingP[p];
            const int pfid = A14_PF_SOLL[p] ? A14_PF_SOLL[p] : kSettingPF[p];
            const int iid = A14_I_SOLL[p] ? A14_I_SOLL[p] : kSettingI[p];
            if (para.h_class == 2) {
                SetCtrlVal(setting, pfid, double(para.ctrl_pf[p]));
                SetCtrlVal(setting, iid, double(para.ctrl_current[p]));
            } else if (para.h_class == 3) {
                SetCtrlVal(setting, pid, double(para.ctrl_power[p]));
            }
        }
    }
    if (g_report.interrupted) MessagePopup("Warning", LOG_INTERRUPTED_TEXT);
    else if (g_report.short_read) MessagePopup("Warning", LogErrorText());
    return 0;
}

int load_old_measurement() { return 0; }
int RecalculateResults() { return 0; }

int cbLoadFile(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    char path[MAX_PATHNAME_LEN] = "";
    int use_field = 0;
    GetCtrlVal(diagnos, DIAGNOS_USEFILE, &use_field);
    if (use_field) {
        GetCtrlVal(diagnos, DIAGNOS_FILE, path);
    } else {
        SetCtrlVal(diagnos, DIAGNOS_FILE, "");
        char pattern[16];
        std::string spec = std::string("*") + qel_gsx;
        CopyFixed(pattern, spec.c_str());
        if (FileSelectPopup(ProjectDir().c_str(), pattern, pattern, "Select data file", VAL_LOAD_BUTTON, 0, 1, 1, 0,
                            path) == VAL_NO_FILE_SELECTED)
            return 0;
    }
    DefaultPanel(diagnos);
    for (int c : {DIAGNOS_PLOTLIST, DIAGNOS_OPERAND1, DIAGNOS_OPERAND2}) ClearListCtrl(diagnos, c);
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    workmode = 1;
    viewmode = 3;
    if (load_measurement(path, -1, -1) < 0) return 0;

    if (SetResultsPanel) SetResultsPanel(para.test_kind);
    if (SetMeasPanel) SetMeasPanel(para.test_kind);
    EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, diagnos);
    SetPanelsToMode(workmode);

    SetCtrlVal(diagnos, DIAGNOS_VIEWMODE, 1);
    CallCtrlCallback(diagnos, DIAGNOS_VIEWMODE, EVENT_VAL_CHANGED, 0, 0, nullptr);
    for (int c : {DIAGNOS_OPERAND1, DIAGNOS_OPERAND2, DIAGNOS_OPERATION}) SetCtrlAttribute(diagnos, c, ATTR_DIMMED, 1);
    for (int c : {DIAGNOS_LABEL, DIAGNOS_MIN, DIAGNOS_MAX}) SetCtrlAttribute(diagnos, c, ATTR_VISIBLE, 0);
    if (para.test_kind == 1) {
        SetCtrlAttribute(diagnos, DIAGNOS_FRAMETABLE, ATTR_VISIBLE, 0);
        SetCtrlAttribute(diagnos, DIAGNOS_SHOWLIMITS, ATTR_DIMMED, 1);
        SetCtrlAttribute(diagnos, DIAGNOS_PERCENT, ATTR_DIMMED, 1);
    }
    if (DrawData) DrawData(0);
    CallCtrlCallback(diagnos, DIAGNOS_FRAME, EVENT_VAL_CHANGED, 0, 0, nullptr);
    if (set_parameter) set_parameter(para);
    if (para.test_kind == 0 && (para.h_standard == 2 || para.h_standard == 3)) SetHarmonicVerdicts();

    SetCtrlVal(diagnos, DIAGNOS_USEFILE, 0);
    SetCtrlAttribute(diagnos, DIAGNOS_USEFILE, ATTR_VISIBLE, 0);
    if (SwitchZoomCursors) SwitchZoomCursors(0);
    return 0;
}
UI_CALLBACK(cbLoadFile);

namespace {
// The two choices of the introduction page: exactly one is on.
void Choose(int panel, int self, int partner)
{
    int v = 0;
    GetCtrlVal(panel, self, &v);
    v = v ? 1 : 0;
    SetCtrlVal(panel, self, v);
    SetCtrlVal(panel, partner, 1 - v);
}
}  // namespace

int cbChoiceLoad(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_VAL_CHANGED) Choose(panel, INTRO_CHOICE, INTRO_CHOICE_MEAS);
    return 0;
}
UI_CALLBACK(cbChoiceLoad);

int cbChoiceMeas(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_VAL_CHANGED) Choose(panel, INTRO_CHOICE_MEAS, INTRO_CHOICE);
    return 0;
}
UI_CALLBACK(cbChoiceMeas);

void reset_load_state()
{
    for (auto& l : listbuf) {
        ListDispose(l);
        l = nullptr;
    }
    ClearLoadedState();
    g_report = LoadReport{};
    fid = -1;
}
