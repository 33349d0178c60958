#include "reports/protocol_data.h"

#include <algorithm>
#include <cstring>

#include "panel_ids.h"
#include "platform/clock.h"
#include "platform/ui/ui.h"
#include "state/para.h"
#include "state/panels.h"
#include "platform/fixed_text.h"
#include "state/para_text.h"
#include "state/names.h"
#include "state/framelist.h"

int ReportPhases() { return para.phases == 3 ? 3 : 1; }

int LoadedTestKind()
{
    const FrameList* l = listbuf[0];
    if (l && l->item_size == sizeof(FlkFrame)) return 1;
    if (l && l->item_size == sizeof(HarmFrame)) return 0;
    return para.test_kind;
}

std::string EutField(int index)
{
    if (index < 0 || index > 6) return "";
    std::string v;
    if (setting > 0 && GetCtrlVal(setting, kTestDataSettingControls[index], &v) >= 0) return v;
    return FixedText(para.test_data[index]);
}

std::string CommentLine(int index)
{
    if (index < 0 || index > 6) return "";
    return FixedText(para.comment[index]);
}

int Date2Asc(int day, int month, int year, std::string* out)
{
    static const char* const names[12] = {"January", "February", "March", "April", "May", "June", "July",
                                          "August", "September", "October", "November", "December"};
    std::string s;
    Put(s, "%i[w2p0]. ", day);
    if (month >= 1 && month <= 12) Put(s, "%s ", names[month - 1]);
    Put(s, "%i[w4p0]", year);
    *out = s;
    return 0;
}

std::string HmsText(int seconds)
{
    if (seconds < 0) seconds = 0;
    std::string s;
    Put(s, "%i[w2p0]:%i[w2p0]:%i[w2p0]", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return s;
}

std::string TodayText()
{
    int month = 0, day = 0, year = 0;
    GetSystemDate(&month, &day, &year);
    std::string s;
    Date2Asc(day, month, year, &s);
    return s;
}

std::string NowText() { return TimeStr(); }

void LogFileDateTime(std::string* date, std::string* time)
{
    std::string path = FixedText(para.log_file);
    int month = 0, day = 0, year = 0, h = 0, m = 0, s = 0;
    date->clear();
    time->clear();
    if (GetFileDate(path.c_str(), &month, &day, &year) < 0 || GetFileTime(path.c_str(), &h, &m, &s) < 0) return;
    Date2Asc(day, month, year, date);
    *time = HmsText(h * 3600 + m * 60 + s);
}

std::string ProgramName() { return program_name[0] ? FixedText(program_name) : std::string("ORIVAN"); }
std::string RunVersion() { return FixedText(para.sw_version); }

const char* OrderMark(const int32_t words[2], int order)
{
    if (order < 0 || order > 63) return " ";
    return (OrderMask(words) & OrderBit(order)) ? "!" : " ";
}

bool AnyPhase(int32_t HarmResult::*word, int32_t bits)
{
    for (int p = 0; p < ReportPhases(); ++p)
        if (buf_result[p].*word & bits) return true;
    return false;
}

int PrintError(int code, const char* what)
{
    std::string text;
    Put(text, "Error %i. Cannot print %s", code, what);
    MessagePopup("Error", text.c_str());
    return -1;
}

bool ClassDMeasuredPower(int phase)
{
    return (buf_result[phase].higf & (HIGF_D_POWER_MEASURED_1 | HIGF_D_POWER_MEASURED_2)) != 0;
}

bool ClassCMeasuredValues(int phase) { return (buf_result[phase].higf & HIGF_C_MEASURED_MASK) != 0; }

bool ClassDCheckFailed(int phase) { return (buf_result[phase].hens & HENS_ALL) != 0; }

std::string ClassWithRsce()
{
    std::string s = ClassText(para.h_class);
    if (para.h_class >= 10 && para.h_class <= 12) Put(s, "%f", double(para.rsce));
    return s;
}

bool DmaxOnlyTest() { return para.switching == 1; }

bool ImpedanceLines() { return FixedText(para.fl_standard).find("3-11") != std::string::npos; }

std::string ReferenceImpedanceText() { return para.z_ref ? "0,4+j0,25" : "0,24+j0,15"; }

bool DmaxIndicator(int phase)
{
    static const int lamps[3] = {RESULTS_DMAX1, RESULTS_DMAX2, RESULTS_DMAX3};
    int v = 0;
    if (phase < 0 || phase > 2) return false;
    if (results > 0 && GetCtrlVal(results, lamps[phase], &v) >= 0) return v != 0;
    return (flkbuf[phase].flre & FLRE_DMAX) != 0;
}

int EntryCount(int phase)
{
    if (phase < 0 || phase > 2 || !listbuf[phase]) return 0;
    return ListNumItems(listbuf[phase]);
}

bool FlickerEntry(int phase, int position, FlkFrame* out) { return FrameRecordAt(phase, position, out); }
bool HarmonicEntry(int phase, int position, HarmFrame* out) { return FrameRecordAt(phase, position, out); }

std::vector<int> FlickerRowEntries(int phase)
{
    std::vector<int> rows;
    const int count = EntryCount(phase);
    FlkFrame e{};
    if (count < 1 || !FlickerEntry(phase, 1, &e)) return rows;
    if (DmaxOnlyTest()) {
        bool latched = FlickerEvent(e);
        for (int k = 2; k <= count; ++k) {
            FlickerEntry(phase, k, &e);
            const bool flag = FlickerEvent(e);
            if (flag && !latched) rows.push_back(k);
            latched = flag;
        }
        return rows;
    }
    const long long T = (long long)para.fl_minutes * 60 + para.fl_seconds;
    const long long N = para.fl_periods;
    // The remaining-time counter counts down; a row is made once per second
    // (a change of the counter), never twice for the entries of one second.
    long long previous = 0;
    for (int k = 2; k <= count; ++k) {
        FlickerEntry(phase, k, &e);
        const bool periodStart = e.fstr == T - 1 && T * N - 1 > e.fltr && e.fltr != previous;
        const bool finished = e.fsta == 3 && (long long)rows.size() < N;
        if (periodStart || finished) {
            rows.push_back(k);
            previous = e.fltr;
        }
    }
    return rows;
}

std::vector<FlickerTableRow> FlickerTableRows()
{
    std::vector<FlickerTableRow> rows;
    const std::vector<int> entries = FlickerRowEntries(0);
    const int P = ReportPhases(), count = EntryCount(0);
    const bool dmaxOnly = DmaxOnlyTest();   // its rows show no d(t) extremes
    FlickerTableRow r;
    bool tracking = false;
    size_t next = 0;
    for (int e = 2; e <= count && next < entries.size(); ++e) {
        for (int p = 0; p < P; ++p) {
            FlickerEntry(p, e, &r.entry[p]);
            if (dmaxOnly) continue;
            const float* dt = r.entry[p].fldt;
            const float hi = *std::max_element(dt, dt + 32), lo = *std::min_element(dt, dt + 32);
            r.dtMax[p] = tracking ? std::max(r.dtMax[p], hi) : hi;
            r.dtMin[p] = tracking ? std::min(r.dtMin[p], lo) : lo;
        }
        tracking = true;
        if (entries[next] != e) continue;
        ++next;
        r.number = int(rows.size()) + 1;
        rows.push_back(r);
        tracking = false;
    }
    return rows;
}
