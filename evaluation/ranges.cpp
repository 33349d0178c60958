// Measuring ranges, sensors and clamps of the settings page.
#include "evaluation/ranges.h"

#include <cmath>
#include <cstring>
#include <string>

#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"
#include "state/panels.h"
#include "state/para.h"

const int SETTING_URANGE_ID[3] = {SETTING_URANGE1, SETTING_URANGE2, SETTING_URANGE3};
const int SETTING_IRANGE_ID[3] = {SETTING_IRANGE1, SETTING_IRANGE2, SETTING_IRANGE3};
const int SETTING_USCALE_ID[3] = {SETTING_USCALE1, SETTING_USCALE2, SETTING_USCALE3};
const int SETTING_ISCALE_ID[3] = {SETTING_ISCALE1, SETTING_ISCALE2, SETTING_ISCALE3};
const int SETTING_EXT_ID[3] = {SETTING_EXT1, SETTING_EXT2, SETTING_EXT3};
const int SETTING_CLAMP_ID[3] = {SETTING_CLAMP1, SETTING_CLAMP2, SETTING_CLAMP3};

namespace {

struct Range {
    const char* label;
    double value;
};

const Range kURangesC[] = {{"1 kV", 1000}, {"600 V", 600}, {"400 V", 400}, {"250 V", 250}, {"130 V", 130},
                           {"60 V", 60},   {"25 V", 25},   {"12.5 V", 12.5}, {"6 V", 6},   {"3 V", 3}};
const Range kURanges[] = {{"600 V", 600}, {"400 V", 400}, {"250 V", 250},   {"130 V", 130},
                          {"60 V", 60},   {"25 V", 25},   {"12.5 V", 12.5}, {"6 V", 6}};
const Range kIRangesC[] = {{"32 A", 32},       {"20 A", 20},       {"10 A", 10},        {"5 A", 5},
                           {"2.5 A", 2.5},     {"1.2 A", 1.2},     {"600 mA", 0.6},     {"300 mA", 0.3},
                           {"150 mA", 0.15},   {"80 mA", 0.08},    {"20 mA", 0.02},     {"10 mA", 0.01}};
const Range kIRangesB[] = {{"16 A", 16}, {"10 A", 10}, {"5 A", 5}, {"2.5 A", 2.5}, {"1.2 A", 1.2}, {"600 mA", 0.6}};
const Range kIRangesA[] = {{"20 A", 20},   {"10 A", 10},   {"5 A", 5},       {"2.5 A", 2.5},
                           {"1.2 A", 1.2}, {"600 mA", 0.6}, {"300 mA", 0.3}, {"150 mA", 0.15}};
const Range kDefaultIRanges[] = {{"600 mA", 0.6}, {"1,2 A", 1.2}, {"2,5 A", 2.5}, {"5 A", 5}, {"10 A", 10}, {"16 A", 16}};

template <size_t N>
int Fill(int panel, int control, const Range (&r)[N])
{
    int e = ClearListCtrl(panel, control);
    if (e < 0) return e;
    for (const Range& x : r) e = InsertListItem(panel, control, -1, x.label, x.value);
    return e;
}

}  // namespace

int SelectRangeValue(int panel, int control, double value)
{
    int n = 0;
    if (GetNumListItems(panel, control, &n) < 0) return -1;
    for (int i = 0; i < n; ++i) {
        double v = 0;
        if (GetValueFromIndex(panel, control, i, &v) < 0) continue;
        if (std::fabs(v - value) <= 1e-6 * std::fabs(v)) return SetCtrlIndex(panel, control, i);
    }
    return -1;
}

void AdaptTypeOfAnalyser(int, int panel, int control)
{
    ClearListCtrl(panel, control);
    InsertListItem(panel, control, -1, "1 x PAM-A", 4);
    InsertListItem(panel, control, -1, "3 x PAM-A", 0);
    InsertListItem(panel, control, -1, "1 x PAM-C", 1);
    InsertListItem(panel, control, -1, "1 x PAM-B", 2);
    SetCtrlVal(panel, control, para.analyser);
}

void AdaptURanges(int panel, int control, int analyser)
{
    if (analyser == 1) Fill(panel, control, kURangesC);
    else Fill(panel, control, kURanges);
}

void AdaptIRanges(int panel, int control, int analyser)
{
    switch (analyser) {
    case 1: Fill(panel, control, kIRangesC); break;
    case 2: Fill(panel, control, kIRangesB); break;
    case 0: case 4: Fill(panel, control, kIRangesA); break;
    default: SetDefaultRanges(panel, control); break;
    }
}

int SetDefaultRanges(int panel, int control) { return Fill(panel, control, kDefaultIRanges); }

int ReadClampInfo(int panel, int control)
{
    ClearListCtrl(panel, control);
    std::string path = ProjectFile("CLAMPS.INF");
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1;
    char line[512];
    while (std::fgets(line, sizeof line, f)) {
        size_t n = std::strlen(line);
        bool whole = n > 0 && line[n - 1] == '\n';
        while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = 0;
        if (!whole) {   // over-long line: drop the rest of it
            int ch;
            while ((ch = std::fgetc(f)) != EOF && ch != '\n') {}
        }
        if (n == 0) break;   // the list ends at the first empty line
        const char* tab = std::strchr(line, '\t');
        if (!tab) continue;  // not a clamp line
        int value = 0;
        std::string ratio(line, size_t(tab - line));
        if (Scan(ratio, "%s>%i", &value) != 1) continue;
        InsertListItem(panel, control, -1, tab + 1, double(value));
    }
    std::fclose(f);
    return 0;
}

int FillClampRanges(int panel, int control, double v)
{
    int e = ClearListCtrl(panel, control);
    if (e < 0) return e;
    for (int k = 5; k >= 0; --k) {
        double r = v / double(1 << k);
        char label[64];
        if (r < 1.0) Fmt(label, "%f %s", r * 1000.0, "mA");
        else Fmt(label, "%f %s", r, "A");
        e = InsertListItem(panel, control, -1, label, r);
    }
    return e;
}

void AdaptRanges(int analyser)
{
    const bool pamA = analyser == 0 || analyser == 4;
    for (int p = 0; p < 3; ++p) {
        AdaptURanges(setting, SETTING_URANGE_ID[p], analyser);
        AdaptIRanges(setting, SETTING_IRANGE_ID[p], analyser);
        ReadClampInfo(setting, SETTING_CLAMP_ID[p]);
        SelectRangeValue(setting, SETTING_CLAMP_ID[p], double(para.ext_sensor_value[p]));
        SetCtrlVal(setting, SETTING_EXT_ID[p], para.ext_sensor[p] ? 1 : 0);
        // Sensor controls of phases 2 and 3 follow their range fields.
        int visible = 1;
        if (p > 0) GetCtrlAttribute(setting, SETTING_IRANGE_ID[p], ATTR_VISIBLE, &visible);
        if (pamA) SetCtrlVal(setting, SETTING_EXT_ID[p], 0);
        for (int c : {SETTING_CLAMP_ID[p], SETTING_EXT_ID[p]})
            SetCtrlAttribute(setting, c, ATTR_VISIBLE, pamA || !visible ? 0 : 1);
        if (p == 0) SetCtrlAttribute(setting, SETTING_EXT_LABEL, ATTR_VISIBLE, pamA ? 0 : 1);
        CallCtrlCallback(setting, SETTING_EXT_ID[p], EVENT_VAL_CHANGED, 0, 0, nullptr);
        SelectRangeValue(setting, SETTING_URANGE_ID[p], double(para.u_range[p]));
        SelectRangeValue(setting, SETTING_IRANGE_ID[p], double(para.i_range[p]));
    }
}
