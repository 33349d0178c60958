// Loading a stored measurement into the program's working state.
#include "files/load.h"

#include <cstring>
#include <string>

#include "evaluation/flicker_limits.h"
#include "evaluation/flicker_periods.h"
#include "evaluation/maxima.h"
#include "evaluation/verdicts.h"
#include "files/frame_reader.h"
#include "files/load_links.h"
#include "files/logfile.h"
#include "panel_ids.h"
#include "platform/fixed_text.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"
#include "state/framelist.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/reset.h"

// The choices of the introduction page come with the loading.
UI_LINK_CALLBACK_FILE(files_load_panel);

namespace {

LoadReport g_report;

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
    ClearMaxima();
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

// Harmonic frames: lists, maxima, then the result records.
void LoadHarmonic(LogFrameReader& reader, const LogLayout& L)
{
    const int P = L.phases;
    SetExportChoicesDimmed(1);
    NewLists(sizeof(HarmFrame), L.frames);
    int rc = 0;
    if (L.format != LOG_OLD) {
        rc = ReadHarmonicSets(reader.fd, L, ShowProgress);
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
    MarkOrdersWithoutLimit();

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
    DrawData(phase >= 0 && phase < P ? phase : 0);
    for (int p = 0; p < P; ++p) createTableResultNew(results, kResultTables[p], buf_result[p], MAX_ORDER, p);
    createTable(diagnos, DIAGNOS_FRAMETABLE, buf[0], MAX_ORDER);
    SetHarmonicVerdicts();
}

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
    if (TakeRunPara) TakeRunPara();   // the graphs drawn while loading show this run

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
    if (TakeRunPara) TakeRunPara();   // with the limits derived above
    if (g_report.interrupted) MessagePopup("Warning", LOG_INTERRUPTED_TEXT);
    else if (g_report.short_read) MessagePopup("Warning", LogErrorText());
    return 0;
}

int load_old_measurement() { return 0; }
int RecalculateResults() { return 0; }

void reset_load_state()
{
    reset_frame_lists();
    ClearLoadedState();
    // The records as at program start, whichever reset runs first (the
    // loading's own clearing marks every order as without a limit).
    reset_records();
    g_report = LoadReport{};
}
REGISTER_STATE_RESET(reset_load_state);
