#include "reports/advanced.h"

#include <algorithm>
#include <string>
#include <vector>

#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "reports/protocol_data.h"
#include "state/para.h"
#include "state/panels.h"
#include "state/para_text.h"

namespace {

const int kGraphs[3] = {ADVANCED2_GRAPH1, ADVANCED2_GRAPH2, ADVANCED2_GRAPH3};
const char* const kColumns[3] = {"\033p120c", "\033p165c", "\033p210c"};

// A list row: the label, then one value per phase at 120, 165 and 210 pixels.
std::string Row(const std::string& label, const std::vector<std::string>& values)
{
    std::string s = label;
    for (size_t p = 0; p < values.size() && p < 3; ++p) s += kColumns[p] + values[p];
    return s;
}

void Add(int panel, int list, const std::string& line) { InsertListItem(panel, list, -1, line.c_str(), 0); }

void InfoLine(int line, const std::string& text)
{
    std::string t = text;
    while (!t.empty() && t.back() == '\n') t.pop_back();
    ReplaceTextBoxLine(advanced, ADVANCED_INFO, line, t.c_str());
}

template <class F>
std::vector<std::string> PerPhase(F f)
{
    std::vector<std::string> v;
    for (int p = 0; p < ReportPhases(); ++p) v.push_back(f(p));
    return v;
}

bool Sel23() { return para.h_standard == 2 || para.h_standard == 3; }

void HarmonicInfo()
{
    const int P = ReportPhases();
    std::string t;
    Put(t, "Compliance was tested against %s limits, according to the standard %s", HarmonicStandardText(para.h_standard),
        std::string(MeasuringMethodText(para.h_standard)) + (para.h_standard <= 1 ? "." : ""));
    InfoLine(8, t);
    static const char* const classes[13] = {"Class A", "Class B", "Class C", "Class D", "Class C (Table 3)",
                                            "Class C (specific waveform)", "", "", "", "", "Table 2", "Table 3",
                                            "Table 4"};
    const char* cls = para.h_class >= 0 && para.h_class <= 12 ? classes[para.h_class] : "";
    t.clear();
    Put(t, "The smoothing filter was switched %s. %s was chosen. Grouping %s", para.smoothing == 1 ? "on" : "off", cls,
        GroupingText(para.h_standard));
    InfoLine(9, t);
    t.clear();
    if (para.user_stopped) Put(t, " Measuring time was  : %s (terminated by user)", HmsText(para.meas_time));
    else Put(t, "Measuring time was : %i[w2p0]:%i[w2p0]:%i[w2p0]", para.h_hours, para.h_minutes, para.h_seconds);
    if (para.frame_window == 1) Put(t, ". Frames from %i till %i were analysed", para.first_frame, para.last_frame);
    InfoLine(10, t);

    std::string l11, l12, l13;
    if (Sel23() && para.h_class == 3) {
        l11 = "The control values of power: ";
        for (int p = 0; p < P; ++p) Put(l11, "  P%i=%f[w8p3] W. ", p + 1, double(para.ctrl_power[p]));
        if (P == 1)
            Put(l12,
                ClassDMeasuredPower(0) ? "The limits were calculated according the measured value of the power: %f[w8p3] W."
                                       : "The limits were calculated according to the control value %f[w8p3] W.",
                double(ClassDMeasuredPower(0) ? buf_result[0].hpm : para.ctrl_power[0]));
        else {
            l12 = "The limits were calculated according the power values :";
            for (int p = 0; p < P; ++p)
                Put(l12, ": %f[w8p3] W.", double(ClassDMeasuredPower(p) ? buf_result[p].hpm : para.ctrl_power[p]));
        }
    } else if (Sel23() && para.h_class == 2) {
        l11 = "The control values: ";
        for (int p = 0; p < P; ++p)
            Put(l11, "  PF%i=%f[w8p3] , I%i=%f[w8p3] A. ", p + 1, double(para.ctrl_pf[p]), p + 1,
                double(para.ctrl_current[p]));
        if (P == 1) {
            if (ClassCMeasuredValues(0))
                Put(l12, "The limits was calculated according the PF=%f[w9p4], I=%f[w9p4] A.", double(buf_result[0].hpfm),
                    double(buf_result[0].hifm));
            else
                Put(l12, "The limits were calculated according to PF=%f[w9p4], I=%f[w9p4] A.", double(para.ctrl_pf[0]),
                    double(para.ctrl_current[0]));
        } else {
            l12 = "The limits were calculated according to";
            for (int p = 0; p < P; ++p) {
                const bool m = ClassCMeasuredValues(p);
                Put(l12, " PF=%f[w8p3] and I=%f[w9p3] A; ", double(m ? buf_result[p].hpfm : para.ctrl_pf[p]),
                    double(m ? buf_result[p].hifm : para.ctrl_current[p]));
            }
        }
    } else if (para.h_class >= 10 && para.h_class <= 12) {
        auto any = [](int32_t bit) { return AnyPhase(&HarmResult::higf, bit); };
        if (para.h_class != 10)
            l11 = any(HIGF_H3) ? "Informative: Third harmonics<5%: fail" : "Informative: Third harmonics<5%: pass";
        if (para.h_class == 12) {
            l12 = any(HIGF_PHASE5) ? "             Phase of the fifth harmonics 90\u00b0-150\u00b0: fail"
                                   : "             Phase of the fifth harmonics 90\u00b0-150\u00b0: pass";
            l13 = any(HIGF_H5H7) ? "              Fifth and seventh harmonics<5%: fail"
                                 : "              Fifth and seventh harmonics<5%: pass";
        }
    }
    InfoLine(11, l11);
    InfoLine(12, l12);
    InfoLine(13, l13);
}

void FlickerInfo()
{
    std::string t;
    Put(t, "Compliance was tested against %s limits, according to the standard EN61000-4-15", FixedText(para.fl_standard));
    InfoLine(8, t);
    t.clear();
    if (ImpedanceLines())
        Put(t,
            para.z_ref ? "Test impedance: Ztest=%f Ohm. Reference impedance: Zref=0,4+j0,25 Ohm"
                       : "Test impedance: Ztest=%f Ohm. Reference impedance: Zref=0,24+j0,15 Ohm",
            double(para.z_test));
    InfoLine(9, t);
    t.clear();
    Put(t, "Short time: %i[w2p0]:%i[w2p0]:%i[w2p0]. Number of periods: %i.", para.fl_hours, para.fl_minutes,
        para.fl_seconds, para.fl_periods);
    if (para.user_stopped) Put(t, ". Measuring time was %s (terminated by user)", HmsText(para.meas_time));
    InfoLine(10, t);
    for (int l = 11; l <= 13; ++l) InfoLine(l, "");
}

void DescriptionList(bool harmonic)
{
    const int L = ADVANCED_DESCRIPTION;
    Add(advanced, L, Row("Measuring instrument", PerPhase([](int p) { return FixedText(para.model[p]); })));
    Add(advanced, L, Row("Serial number", PerPhase([](int p) { return FixedText(para.serial_no[p]); })));
    Add(advanced, L, Row("Software version", PerPhase([](int p) { return FixedText(para.revision[p]); })));
    Add(advanced, L, Row("Voltage range", PerPhase([](int p) { return Formatted("%f V", para.u_range[p]); })));
    Add(advanced, L, Row("Voltage scale", PerPhase([](int p) { return Formatted("%f", para.u_scale[p]); })));
    Add(advanced, L, Row("Current range", PerPhase([](int p) { return Formatted("%f A", para.i_range[p]); })));
    Add(advanced, L, Row("Current scale", PerPhase([](int p) { return Formatted("%f", para.i_scale[p]); })));
    if (!harmonic || !Sel23()) return;
    auto used = [](bool measured) { return std::string(measured ? "measured" : "control"); };
    if (para.h_class == 3) {
        Add(advanced, L, Row("Control value of power", PerPhase([](int p) { return Formatted("%f[w8p3] W", para.ctrl_power[p]); })));
        Add(advanced, L, Row("Measured value of power", PerPhase([](int p) { return Formatted("%f[w8p3] W", buf_result[p].hpm); })));
        Add(advanced, L, Row("Power values used:", PerPhase([&](int p) { return used(ClassDMeasuredPower(p)); })));
    } else if (para.h_class == 2) {
        Add(advanced, L, Row("Control value of current", PerPhase([](int p) { return Formatted("%f[w8p3] A", para.ctrl_current[p]); })));
        Add(advanced, L, Row("Control value of power factor", PerPhase([](int p) { return Formatted("%f[w8p3]", para.ctrl_pf[p]); })));
        Add(advanced, L, Row("Measured value of current", PerPhase([](int p) { return Formatted("%f[w8p3] A", buf_result[p].hifm); })));
        Add(advanced, L, Row("Measured value of power factor", PerPhase([](int p) { return Formatted("%f[w8p3]", buf_result[p].hpfm); })));
        Add(advanced, L, Row("Power factor values used:", PerPhase([&](int p) { return used(ClassCMeasuredValues(p)); })));
        Add(advanced, L, Row("Current values used:", PerPhase([&](int p) { return used(ClassCMeasuredValues(p)); })));
    }
}

void ResultsList(bool harmonic)
{
    const int L = ADVANCED_RESULTS;
    const int P = ReportPhases();
    if (!harmonic) {
        auto flre = [](int32_t bit) { return PerPhase([bit](int p) { return std::string(OkFail(flkbuf[p].flre & bit)); }); };
        if (DmaxOnlyTest()) {
            std::string label;
            Put(label, P == 1 ? "dmax always%<%f" : "dmax%<%f", double(para.dmax_limit));
            Add(advanced, L, Row(label, PerPhase([](int p) { return std::string(OkFail(DmaxIndicator(p))); })));
            return;
        }
        Add(advanced, L, Row("Pst always<1.0", flre(FLRE_PST)));
        Add(advanced, L, Row(para.fl_periods < 3 ? "Plt<0.65 informative" : "Plt<0.65", flre(FLRE_PLT)));
        std::string label;
        Put(label, "dmax%<%f%%", double(para.dmax_limit));
        Add(advanced, L, Row(label, flre(FLRE_DMAX)));
        label.clear();
        Put(label, "d(t)%<%f%%for %ims", double(para.dt_limit), para.dt_time);
        Add(advanced, L, Row(label, flre(FLRE_DT)));
        label.clear();
        Put(label, "dc%<%f%%", double(para.dc_limit));
        Add(advanced, L, Row(label, flre(FLRE_DC)));
        return;
    }
    auto bit = [](int32_t HarmResult::*word, int32_t b) {
        return PerPhase([word, b](int p) { return std::string(OkFail4(buf_result[p].*word & b)); });
    };
    Add(advanced, L, Row("Voltage harmonics < lim", bit(&HarmResult::hugf, HUGF_U100)));
    Add(advanced, L, Row("Voltage +/-2% of nominal value", bit(&HarmResult::hugf, HUGF_AMP)));
    Add(advanced, L, Row("Frequency within +/-0.5%", bit(&HarmResult::hugf, HUGF_FREQ)));
    if (para.h_class > 1) {
        Add(advanced, L, Row("Crestfactor", bit(&HarmResult::hugf, HUGF_CREST)));
        Add(advanced, L, Row("Phi", bit(&HarmResult::hugf, HUGF_PHI)));
    }
    Add(advanced, L, Row("Current harmonics<limit", bit(&HarmResult::higf, HIGF_AVG_OVER)));
    Add(advanced, L, Row("All fluctuating harmonics<limit", bit(&HarmResult::higf, HIGF_FLUCT)));
    if (para.h_class == 3 && (para.h_standard == 0 || para.h_standard == 1))
        Add(advanced, L, Row("Class D check", bit(&HarmResult::hens, HENS_ALL)));
}

void ValuesList(bool harmonic)
{
    const int L = ADVANCED_VALUES;
    const int fltr = harmonic ? buf[0].fltr : flkbuf[0].fltr;
    std::string label;
    Put(label, "Values at %s before end of measuring (informative)", HmsText(fltr));
    SetCtrlAttribute(advanced, ADVANCED_VALUES_GROUP, ATTR_LABEL_TEXT, label.c_str());
    SetCtrlAttribute(advanced, L, ATTR_LABEL_TEXT, label.c_str());
    struct Item { const char* label; const char* format; float HarmFrame::*h; float FlkFrame::*f; };
    static const Item flicker[] = {{"Pst", "%f[w9p3]", nullptr, &FlkFrame::flst},     {"Plt", "%f[w9p3]", nullptr, &FlkFrame::fllt},
                                   {"dmax=", "%f[w9p3]", nullptr, &FlkFrame::fldx},   {"dc=", "%f[w9p3]", nullptr, &FlkFrame::fldc},
                                   {"U=", "%f[w9p3] V", nullptr, &FlkFrame::utrms},   {"I=", "%f[w9p3] A", nullptr, &FlkFrame::itrms},
                                   {"P=", "%f[w9p3] W", nullptr, &FlkFrame::p},       {"PF=", "%f[w9p3]", nullptr, &FlkFrame::pf},
                                   {"f=", "%f[w9p3]", nullptr, &FlkFrame::freq}};
    static const Item harm[] = {{"U=", "%f[w9p3] V", &HarmFrame::utrms, nullptr}, {"I=", "%f[w9p3] A", &HarmFrame::itrms, nullptr},
                                {"P=", "%f[w9p3] W", &HarmFrame::p, nullptr},     {"S=", "%f[w9p3]", &HarmFrame::s, nullptr},
                                {"Q=", "%f[w9p3]", &HarmFrame::q, nullptr},       {"PF=", "%f[w9p3]", &HarmFrame::pf, nullptr},
                                {"f=", "%f[w9p3]", &HarmFrame::freq, nullptr}};
    if (harmonic)
        for (const Item& it : harm)
            Add(advanced, L, Row(it.label, PerPhase([&](int p) { return Formatted(it.format, buf[p].*it.h); })));
    else
        for (const Item& it : flicker)
            Add(advanced, L, Row(it.label, PerPhase([&](int p) { return Formatted(it.format, flkbuf[p].*it.f); })));
}

// Page 2: the table list.
void HarmonicTable()
{
    const int P = ReportPhases();
    const bool fluct = para.h_standard <= 1;
    const int L = ADVANCED2_TABLE;
    if (P == 1)
        Add(advanced2, L, fluct ? "n\033p25cIaver\033p50cfluc%\033p55cIall\033p80cI/Imax%\033p105cUmax"
                                : "n\033p25cIaver\033p50cImax\033p75cImax/Ilim%\033p100cFrame\033p115cUmax");
    else
        Add(advanced2, L,
            fluct ? "n\033p20cIaver\033p40cfluc%\033p55cIall\033p80cI/Imax%\033p105cUmax\033p135cIaver\033p155cfluc%"
                    "\033p170cIall\033p195cI/Imax%\033p220cUmax\033p245cIaver\033p265cfluc%\033p280cIall\033p305cI/Imax%"
                    "\033p330cUmax"
                  : "n\033p20cIaver\033p40cImax\033p65cImax/Ilim%\033p90cFrame\033p115cUmax\033p145cIaver\033p165cImax"
                    "\033p180cImax/Ilim%\033p205cFrame\033p230cUmax\033p255cIaver\033p275cImax\033p290cImax/Ilim%"
                    "\033p315cFrame\033p340cUmax");
    // Column positions per phase, from the headers (one phase: as its rows are written).
    static const int one01[5] = {23, 48, 55, 80, 105}, one24[5] = {23, 53, 80, 100, 115};
    static const int three01[3][5] = {{20, 40, 55, 80, 105}, {135, 155, 170, 195, 220}, {245, 265, 280, 305, 330}};
    static const int three24[3][5] = {{20, 40, 65, 90, 115}, {145, 165, 180, 205, 230}, {255, 275, 290, 315, 340}};
    for (int n = 0; n < ORDERS; ++n) {
        std::string line;
        Put(line, "%i[w2]", n);
        for (int p = 0; p < P; ++p) {
            const int* at = P == 1 ? (fluct ? one01 : one24) : (fluct ? three01[p] : three24[p]);
            const HarmResult& r = buf_result[p];
            const float ratio = max[p][n];
            std::string ratioText = "---", frameText = "---";
            if (!IsNaN(ratio)) {
                ratioText.clear();
                Put(ratioText, "%f[w6p2]", double(ratio));
                frameText = std::to_string(fr_max[p][n]);
            }
            if (fluct)
                Put(line, "\033p%ic%f[w8p6]\033p%ic%f[w6p2]%s\033p%ic%f[w8p6]%s\033p%ic%s\033p%ic%f[w7p3]%s", at[0],
                    double(r.hiav[n]), at[1], 100.0 * double(r.hfmx[n]), OrderMark(r.hifl, n), at[2],
                    double(h_max[p][n]), OrderMark(r.hilt, n), at[3], ratioText, at[4], double(r.humx[n]),
                    OrderMark(r.hult, n));
            else
                Put(line, "\033p%ic%f[w8p6]\033p%ic%f[w8p6]%s\033p%ic%s\033p%ic%s\033p%ic%f[w7p3]%s", at[0],
                    double(r.hiav[n]), at[1], double(h_max[p][n]), OrderMark(r.hilt, n), at[2], ratioText, at[3],
                    frameText, at[4], double(r.humx[n]), OrderMark(r.hult, n));
        }
        Add(advanced2, L, line);
    }
}

void FlickerTable()
{
    const int P = ReportPhases();
    const bool dmaxOnly = DmaxOnlyTest();
    const int L = ADVANCED2_TABLE;
    if (dmaxOnly) Add(advanced2, L, P == 1 ? "n\033p20cdmax" : "n\033p20cdmax1\033p45cdmax2\033p70cdmax3");
    else
        Add(advanced2, L,
            P == 1 ? "n\033p20cPst\033p45cPlt\033p70cd(t)max\033p95cd(t)min"
                   : "n\033p20cPst1\033p45cPlt1\033p70cd1(t)max\033p95cd1(t)min\033p120cPst2\033p145cPlt2\033p170cd2(t)max"
                     "\033p195cd2(t)min\033p220cPst3\033p245cPlt3\033p270cd3(t)max\033p295cd3(t)min");
    for (const FlickerTableRow& r : FlickerTableRows()) {
        std::string line;
        Put(line, "%i", r.number);
        for (int p = 0; p < P; ++p) {
            const FlkFrame& f = r.entry[p];
            if (dmaxOnly) {
                Put(line, "\033p%ic%f[w9p4]", 20 + 25 * p, double(f.fldx));
                continue;
            }
            const int x = 20 + 100 * p;
            Put(line, "\033p%ic%f[w9p4]\033p%ic", x, double(f.flst), x + 25);
            if (r.number == para.fl_periods) Put(line, "%f[w9p4]", double(f.fllt));
            Put(line, "\033p%ic%f[w6p3]\033p%ic%f[w6p3]", x + 50, double(r.dtMax[p]), x + 75, double(r.dtMin[p]));
        }
        Add(advanced2, L, line);
    }
}

}  // namespace

int PrepareAdvancedProtocol(int phases)
{
    ResetTextBox(advanced, ADVANCED_INFO, "");
    ResetTextBox(advanced, ADVANCED_HEADER, "");
    for (int l : {ADVANCED_DESCRIPTION, ADVANCED_RESULTS, ADVANCED_VALUES}) ClearListCtrl(advanced, l);
    ClearListCtrl(advanced2, ADVANCED2_TABLE);
    const bool three = phases == 3;
    const char* heading = three ? "Phase                   1             2             3" : "";
    SetCtrlVal(advanced, ADVANCED_PHASES, heading);
    SetCtrlVal(advanced2, ADVANCED2_PHASES, heading);
    for (int p = 0; p < 3; ++p) {
        DeleteGraphPlot(advanced2, kGraphs[p], -1, 1);
        SetCtrlAttribute(advanced2, kGraphs[p], ATTR_VISIBLE, p == 0 || three);
        static const char* const names[3] = {"Phase 1", "Phase 2", "Phase 3"};
        SetCtrlAttribute(advanced2, kGraphs[p], ATTR_LABEL_TEXT, three ? names[p] : "");
    }
    return 0;
}

int DrawResultGraph(int phase)
{
    if (phase < 0 || phase > 2) return -1;
    const int g = kGraphs[phase];
    DeleteGraphPlot(advanced2, g, -1, 1);
    if (LoadedTestKind() == 1) {
        const bool dmaxOnly = DmaxOnlyTest();
        SetCtrlVal(advanced2, ADVANCED2_GRAPHTITLE, dmaxOnly ? "dmax values, %" : "Short-time flicker values, p.u");
        SetCtrlAttribute(advanced2, g, ATTR_XNAME, "Periods");
        SetCtrlAttribute(advanced2, g, ATTR_YNAME, dmaxOnly ? "dmax, %" : "Pst");
        const int periods = std::max(0, para.fl_periods);
        SetAxisScalingMode(advanced2, g, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0);
        SetAxisScalingMode(advanced2, g, VAL_XAXIS, VAL_MANUAL, 0, periods);
        SetCtrlAttribute(advanced2, g, ATTR_XPRECISION, 0);   // whole periods
        // The series: 0, then each rising dmax event or each change of Pst.
        std::vector<double> series(size_t(periods) + 1, 0.0);
        size_t n = 1;
        const int count = EntryCount(phase);
        bool latched = false;
        double previous = 0;          // the series starts with 0
        bool previousNumber = true;
        for (int k = 1; k <= count && n < series.size(); ++k) {
            FlkFrame e{};
            if (!FlickerEntry(phase, k, &e)) break;
            if (dmaxOnly) {
                const bool flag = FlickerEvent(e);
                if (flag && !latched) series[n++] = e.fldx;
                latched = flag;
            } else {
                const bool number = !IsNaN(e.flst);
                if (number && (!previousNumber || double(e.flst) != previous)) series[n++] = e.flst;
                previousNumber = number;
                if (number) previous = e.flst;
            }
        }
        PlotY(advanced2, g, series.data(), int(series.size()), VAL_DOUBLE, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1,
              VAL_BLUE);
        return 0;
    }
    double values[ORDERS];
    for (int n = 0; n < ORDERS; ++n) values[n] = IsNaN(max[phase][n]) ? 0.0 : double(max[phase][n]);
    SetCtrlVal(advanced2, ADVANCED2_GRAPHTITLE, "Maximum usage of the limits, %");
    SetCtrlAttribute(advanced2, g, ATTR_XNAME, "Harmonics");
    SetCtrlAttribute(advanced2, g, ATTR_YNAME, "I/Ilim,%");
    SetAxisScalingMode(advanced2, g, VAL_XAXIS, VAL_MANUAL, 0, 40);
    SetCtrlAttribute(advanced2, g, ATTR_XPRECISION, 0);   // whole orders
    SetAxisScalingMode(advanced2, g, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0);
    PlotY(advanced2, g, values, ORDERS, VAL_DOUBLE, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, VAL_BLUE);
    return 0;
}

int SetAdvancedPanel()
{
    if (advanced <= 0 || advanced2 <= 0) return 0;
    const int P = ReportPhases();
    const int kind = LoadedTestKind();
    PrepareAdvancedProtocol(P);
    if (kind != 0 && kind != 1) return 0;
    const bool harmonic = kind == 0;
    std::string title;
    if (!harmonic) Put(title, "Flicker testing according %s", FixedText(para.fl_standard));
    else title = para.h_standard == 4 ? "Harmonics testing according EN61000-3-12" : "Harmonics testing according EN61000-3-2";
    SetCtrlVal(advanced, ADVANCED_TITLE, title);

    std::string date, time, header;
    LogFileDateTime(&date, &time);
    Put(header, "Measuring protocol printed at %s %s\nMeasuring loggfile %s is dated %s %s", TodayText(), NowText(),
        FixedText(para.log_file), date, time);
    ResetTextBox(advanced, ADVANCED_HEADER, header.c_str());

    static const int eut[7] = {ADVANCED_NAME, ADVANCED_DEPARTMENT, ADVANCED_COMPANY, ADVANCED_DEVICE,
                               ADVANCED_MANUFACTURER, ADVANCED_TYPE, ADVANCED_SERIAL};
    for (int i = 0; i < 7; ++i) SetCtrlVal(advanced, eut[i], EutField(i));
    std::string info;
    for (int i = 0; i < 14; ++i) info += (i ? "\n" : "") + (i < 7 ? CommentLine(i) : std::string());
    ResetTextBox(advanced, ADVANCED_INFO, info.c_str());
    std::string version;
    Put(version, "%s Version %s from QEL KORVEL Darezorovi Systems was used.", ProgramName(), RunVersion());
    InfoLine(7, version);
    if (harmonic) HarmonicInfo();
    else FlickerInfo();
    DescriptionList(harmonic);
    ResultsList(harmonic);
    ValuesList(harmonic);

    if (harmonic) HarmonicTable();
    else FlickerTable();
    for (int p = 0; p < P; ++p) DrawResultGraph(p);
    return 0;
}
