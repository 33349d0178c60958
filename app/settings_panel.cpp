// The settings record on the settings page and back.
#include "app/settings_panel.h"
#include "state/records.h"
#include "state/channels.h"
#include "state/workmode.h"

#include <cstring>
#include <string>

#include "app/startup.h"
#include "display/live_display.h"
#include "evaluation/user_limits_panel.h"
#include "evaluation/class_wizard.h"
#include "evaluation/flicker_limits.h"
#include "evaluation/ranges.h"
#include "measure/interface_controls.h"
#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"
#include "state/panels.h"


namespace {

// The control-value fields per phase, known to the rest of the program.
const bool kSollIds = [] {
    const int p[3] = {SETTING_P_SOLL1, SETTING_P_SOLL2, SETTING_P_SOLL3};
    const int pf[3] = {SETTING_PF_SOLL1, SETTING_PF_SOLL2, SETTING_PF_SOLL3};
    const int i[3] = {SETTING_I_SOLL1, SETTING_I_SOLL2, SETTING_I_SOLL3};
    for (int k = 0; k < 3; ++k) {
        A14_P_SOLL[k] = p[k];
        A14_PF_SOLL[k] = pf[k];
        A14_I_SOLL[k] = i[k];
    }
    return true;
}();

void Callback(int panel, int control, int event) { CallCtrlCallback(panel, control, event, 0, 0, nullptr); }

// Results-panel fields of the rated and measured control values, six per phase.
const int kRatedFields[3][6] = {
    {RESULTS_RATED_P1, RESULTS_RATED_PF1, RESULTS_RATED_I1, RESULTS_MEAS_P1, RESULTS_MEAS_PF1, RESULTS_MEAS_I1},
    {RESULTS_RATED_P2, RESULTS_RATED_PF2, RESULTS_RATED_I2, RESULTS_MEAS_P2, RESULTS_MEAS_PF2, RESULTS_MEAS_I2},
    {RESULTS_RATED_P3, RESULTS_RATED_PF3, RESULTS_RATED_I3, RESULTS_MEAS_P3, RESULTS_MEAS_PF3, RESULTS_MEAS_I3}};

void Show(int panel, int control, bool on) { SetCtrlAttribute(panel, control, ATTR_VISIBLE, on ? 1 : 0); }

// Measurement and results panels after a set-up: the controls of the other
// test kind hidden, phases 2 and 3 only for three phases.
void AdaptMeasurementPanels()
{
    const bool flicker = para.test_kind == 1;
    const bool three = para.phases == 3;
    const int hgroup[3] = {MEASURE_HGROUP1, MEASURE_HGROUP2, MEASURE_HGROUP3};
    const int fgroup[3] = {MEASURE_FGROUP1, MEASURE_FGROUP2, MEASURE_FGROUP3};
    const int graph[3] = {MEASURE_GRAPH1, MEASURE_GRAPH2, MEASURE_GRAPH3};
    for (int p = 0; p < 3; ++p) {
        Show(measure, hgroup[p], !flicker);
        Show(measure, fgroup[p], flicker);
        // The harmonic orders 0..40, or one bar per observation period.
        SetAxisScalingMode(measure, graph[p], VAL_XAXIS, VAL_MANUAL, 0.0,
                           flicker ? (para.fl_periods > 0 ? para.fl_periods : 1) + 0.5 : 40.0);
    }
    for (int c : {MEASURE_COLUMN2, MEASURE_COLUMN3}) Show(measure, c, three);
    for (int c : {RESULTS_COLUMN2, RESULTS_COLUMN3}) Show(results, c, three);
    const int harmResults[3][14] = {
        {RESULTS_IALL1, RESULTS_I1001, RESULTS_U1001, RESULTS_UALL1, RESULTS_AMP1, RESULTS_FREQ1, RESULTS_CREST1,
         RESULTS_PHI1, RESULTS_THD1, RESULTS_PWHD1, RESULTS_ACDC_ALL1, RESULTS_ACDC_MAX1, RESULTS_ACDC_MIN1,
         RESULTS_ACDC_POW1},
        {RESULTS_IALL2, RESULTS_I1002, RESULTS_U1002, RESULTS_UALL2, RESULTS_AMP2, RESULTS_FREQ2, RESULTS_CREST2,
         RESULTS_PHI2, RESULTS_THD2, RESULTS_PWHD2, RESULTS_ACDC_ALL2, RESULTS_ACDC_MAX2, RESULTS_ACDC_MIN2,
         RESULTS_ACDC_POW2},
        {RESULTS_IALL3, RESULTS_I1003, RESULTS_U1003, RESULTS_UALL3, RESULTS_AMP3, RESULTS_FREQ3, RESULTS_CREST3,
         RESULTS_PHI3, RESULTS_THD3, RESULTS_PWHD3, RESULTS_ACDC_ALL3, RESULTS_ACDC_MAX3, RESULTS_ACDC_MIN3,
         RESULTS_ACDC_POW3}};
    const int flkResults[3][6] = {
        {RESULTS_PST1, RESULTS_PLT1, RESULTS_DC1, RESULTS_DMAX1, RESULTS_DT1, RESULTS_FOVER1},
        {RESULTS_PST2, RESULTS_PLT2, RESULTS_DC2, RESULTS_DMAX2, RESULTS_DT2, RESULTS_FOVER2},
        {RESULTS_PST3, RESULTS_PLT3, RESULTS_DC3, RESULTS_DMAX3, RESULTS_DT3, RESULTS_FOVER3}};
    for (int p = 0; p < 3; ++p) {
        for (int c : harmResults[p]) Show(results, c, !flicker);
        for (int c : flkResults[p]) Show(results, c, flicker);
    }
}

bool StorePath(char* field, size_t size, const char* path, const char* what)
{
    std::string p = path ? path : "";
    if (p.size() >= size) {
        std::string msg;
        Fmt(msg, "The path of the %s is too long (%i characters, at most %i):\n%s", what, int(p.size()),
            int(size - 1), p);
        MessagePopup("Error", msg.c_str());
        return false;
    }
    std::memset(field, 0, size);
    std::memcpy(field, p.data(), p.size());
    return true;
}

}  // namespace

std::string VersionFromTitle(const std::string& title)
{
    size_t v = title.rfind('V');
    if (v == std::string::npos) return std::string();
    return title.substr(v + 1, 5);
}

bool SetLogoFile(const char* path) { return StorePath(para.logo_file, sizeof para.logo_file, path, "logo file"); }

bool SetLogFile(const char* path) { return StorePath(para.log_file, sizeof para.log_file, path, "logging file"); }

void set_parameter(Para record)
{
    para = record;   // the callbacks below read the record being shown
    TerminateTexts(para);
    const Para& r = para;

    // 1. interface
    SetCtrlVal(setting, SETTING_IFTYPE, r.if_gpib ? 1 : 0);
    SetCtrlVal(setting, SETTING_BAUDRATE, r.baudrate);
    SetCtrlVal(setting, SETTING_COMPORT, r.com_port);
    SetCtrlVal(setting, SETTING_GPIB1, r.gpib_address[0]);
    SetCtrlVal(setting, SETTING_GPIB2, r.gpib_address[1]);
    SetCtrlVal(setting, SETTING_GPIB3, r.gpib_address[2]);
    SetCtrlVal(setting, SETTING_GPIB, r.gpib_address[0]);

    // 2. test kind specific fields
    if (r.test_kind == 0) {
        SetCtrlVal(setting, SETTING_H_HOURS, r.h_hours);
        SetCtrlVal(setting, SETTING_H_MINUTES, r.h_minutes);
        SetCtrlVal(setting, SETTING_H_SECONDS, r.h_seconds);
        SetCtrlVal(setting, SETTING_SMOOTHING, r.smoothing ? 1 : 0);
        SetCtrlVal(setting, SETTING_VERSION, r.h_standard);
        InsertClassItems(setting, SETTING_CLASS, r.h_standard != 4);
        SetCtrlVal(setting, SETTING_CLASS, r.h_class);
        std::string label;
        int index = -1;
        GetCtrlIndex(setting, SETTING_CLASS, &index);
        if (index >= 0) GetLabelFromIndex(setting, SETTING_CLASS, index, &label);
        SetCtrlVal(measure, MEASURE_CLASS, label);
        SetCtrlVal(setting, SETTING_HMODE, r.h_mode ? 1 : 0);
        SetCtrlVal(setting, SETTING_RSCE, r.rsce);
        for (int p = 0; p < 3; ++p) {
            SetCtrlVal(setting, A14_P_SOLL[p], r.ctrl_power[p]);
            SetCtrlVal(setting, A14_PF_SOLL[p], r.ctrl_pf[p]);
            SetCtrlVal(setting, A14_I_SOLL[p], r.ctrl_current[p]);
        }
    } else {
        SetCtrlVal(setting, SETTING_HMODE, 0);
        SetCtrlVal(setting, SETTING_FL_PERIODS, r.fl_periods);
        SetCtrlVal(setting, SETTING_FL_MINUTES, r.fl_minutes);
        SetCtrlVal(setting, SETTING_FL_SECONDS, r.fl_seconds);
        SetCtrlVal(setting, SETTING_DMAX, r.dmax_limit);
        SetCtrlVal(setting, SETTING_ZTEST, r.z_test);
        SetCtrlVal(setting, SETTING_ZREF, r.z_ref ? 1 : 0);
        SetCtrlVal(setting, SETTING_FL_STANDARD, FlickerChoiceFromStandard(r.fl_standard, r.switching));
        Callback(setting, SETTING_FL_STANDARD, EVENT_COMMIT);
        // The record's own period count and length, not the choice's presets.
        SetCtrlVal(setting, SETTING_FL_PERIODS, r.fl_periods);
        SetCtrlVal(setting, SETTING_FL_MINUTES, r.fl_minutes);
        SetCtrlVal(setting, SETTING_SWITCH_INTERVAL, r.switch_interval);
    }

    // 3. comment lines and test data
    ResetTextBox(setting, SETTING_COMMENT, "");
    for (int i = 0; i < 7; ++i) InsertTextBoxLine(setting, SETTING_COMMENT, -1, FixedText(r.comment[i]).c_str());
    for (int i = 0; i < 7; ++i) SetCtrlVal(setting, kTestDataSettingControls[i], FixedText(r.test_data[i]));

    // 4. printer port and external sensors
    SetCtrlVal(setting, SETTING_PRINTER, FixedText(r.printer_port));
    for (int p = 0; p < 3; ++p) SetCtrlVal(setting, SETTING_EXT_ID[p], r.ext_sensor[p] ? 1 : 0);
    for (int p = 0; p < 3; ++p) Callback(setting, SETTING_EXT_ID[p], EVENT_VAL_CHANGED);

    // 5. ranges, set-up and test kind, then their callbacks
    for (int p = 0; p < 3; ++p) {
        SelectRangeValue(setting, SETTING_URANGE_ID[p], double(r.u_range[p]));
        SelectRangeValue(setting, SETTING_IRANGE_ID[p], double(r.i_range[p]));
        SetCtrlVal(setting, SETTING_USCALE_ID[p], double(r.u_scale[p]));
        SetCtrlVal(setting, SETTING_ISCALE_ID[p], double(r.i_scale[p]));
    }
    SetCtrlVal(setting, SETTING_SYSCODE, r.sys_code);
    SetCtrlVal(setting, SETTING_ANALYSER, r.analyser);
    SetCtrlVal(setting, SETTING_PHASES, r.phases == 3 ? 3 : 1);
    SetCtrlVal(setting, SETTING_MODE, r.test_kind == 1 ? 1 : 0);
    Callback(setting, SETTING_ANALYSER, EVENT_VAL_CHANGED);
    Callback(setting, SETTING_PHASES, EVENT_COMMIT);
    Callback(setting, SETTING_IFTYPE, EVENT_COMMIT);
    Callback(setting, SETTING_MODE, EVENT_COMMIT);
    if (r.test_kind == 1) {
        // The test kind's callback runs the flicker variant's again, whose
        // presets would replace the record's own period count and length.
        SetCtrlVal(setting, SETTING_FL_PERIODS, r.fl_periods);
        SetCtrlVal(setting, SETTING_FL_MINUTES, r.fl_minutes);
        SetCtrlVal(setting, SETTING_FL_SECONDS, r.fl_seconds);
    }
    ProcessDrawEvents();

    // 6. rated-value fields of the results panel
    if (!(r.h_class == 3 && (r.h_standard == 0 || r.h_standard == 1 || r.h_standard == 4)))
        for (const auto& phase : kRatedFields)
            for (int c : phase) SetCtrlAttribute(results, c, ATTR_VISIBLE, 0);

    // 7. analog inputs
    ShowAnalogInputs();

    // own limit table switch
    SetCtrlVal(setting, SETTING_LIMITS_ON, r.custom_limits ? 1 : 0);
    Callback(setting, SETTING_LIMITS_ON, EVENT_COMMIT);

    // 8. smoothing and harmonic mode
    if (r.test_kind == 0) {
        if (r.h_standard == 2 || r.h_standard == 3) {
            SetCtrlAttribute(setting, SETTING_SMOOTHING, ATTR_DIMMED, 1);
            SetCtrlVal(setting, SETTING_SMOOTHING, 1);
        } else {
            SetCtrlAttribute(setting, SETTING_SMOOTHING, ATTR_DIMMED, r.h_standard == 4 ? 1 : 0);
        }
        SetCtrlAttribute(setting, SETTING_HMODE, ATTR_VISIBLE, 0);
    } else {
        SetCtrlAttribute(setting, SETTING_SMOOTHING, ATTR_DIMMED, 1);
    }

    // 9. logo
    long long size = 0;
    if (r.logo_file[0] && FileExists(r.logo_file, &size) == 1) {
        SetCtrlVal(panelEdit, EDIT_LOGO, r.logo_file);
        SetCtrlVal(setting, SETTING_LOGO, r.logo_file);
    }
}

void SetSettings()
{
    // 1. set-up
    viewmode = 3;
    GetCtrlVal(setting, SETTING_GPIB1, &para.gpib_address[0]);
    GetCtrlVal(setting, SETTING_GPIB2, &para.gpib_address[1]);
    GetCtrlVal(setting, SETTING_GPIB3, &para.gpib_address[2]);
    GetCtrlVal(setting, SETTING_ANALYSER, &para.analyser);
    GetCtrlVal(setting, SETTING_PHASES, &para.phases);
    if (para.analyser == 4) para.phases = 1;
    GetCtrlVal(setting, SETTING_PRINTER, para.printer_port);
    for (int p = 0; p < 3; ++p) instrument[p] = para.phases == 1 ? (p == 0) : 1;

    // 2. interface
    if (para.analyser == 0) {
        para.if_gpib = 1;
        // one phase of the three: its address is the single field the page shows
        if (para.phases == 1) GetCtrlVal(setting, SETTING_GPIB, &para.gpib_address[0]);
        GetCtrlVal(setting, SETTING_BAUDRATE, &para.baudrate);
        GetCtrlVal(setting, SETTING_COMPORT, &para.com_port);
    } else {
        StandardIFSet();
    }

    // 3./4. test kind
    GetCtrlVal(setting, SETTING_MODE, &para.test_kind);
    if (para.test_kind == 1) {
        GetCtrlVal(setting, SETTING_FL_PERIODS, &para.fl_periods);
        GetCtrlVal(setting, SETTING_FL_MINUTES, &para.fl_minutes);
        GetCtrlVal(setting, SETTING_FL_SECONDS, &para.fl_seconds);
        GetCtrlVal(setting, SETTING_DMAX, &para.dmax_limit);
        int index = 0, value = 0;
        GetCtrlIndex(setting, SETTING_FL_STANDARD, &index);
        GetCtrlVal(setting, SETTING_FL_STANDARD, &value);
        GetCtrlVal(setting, SETTING_ZTEST, &para.z_test);
        GetCtrlVal(setting, SETTING_ZREF, &para.z_ref);
        GetCtrlVal(setting, SETTING_SWITCH_INTERVAL, &para.switch_interval);
        para.switching = value == 2 ? 1 : 0;
        std::string label, standard;
        GetLabelFromIndex(setting, SETTING_FL_STANDARD, index, &label);
        Fmt(standard, "EN61000%s", label);
        CopyFixed(para.fl_standard, standard.c_str());
        CalculateFlLimits(index, para.dmax_limit);
        para.h_mode = 0;
        para.meas_time = (para.fl_minutes * 60 + para.fl_seconds) * para.fl_periods;
    } else {
        para.switch_aux = 0;
        GetCtrlVal(setting, SETTING_H_HOURS, &para.h_hours);
        GetCtrlVal(setting, SETTING_H_MINUTES, &para.h_minutes);
        GetCtrlVal(setting, SETTING_H_SECONDS, &para.h_seconds);
        para.meas_time = para.h_hours * 3600 + para.h_minutes * 60 + para.h_seconds;
        GetCtrlVal(setting, SETTING_SMOOTHING, &para.smoothing);
        GetCtrlVal(setting, SETTING_VERSION, &para.h_standard);
        GetCtrlVal(setting, SETTING_CLASS, &para.h_class);
        GetCtrlVal(setting, SETTING_RSCE, &para.rsce);
        for (int p = 0; p < 3; ++p) {
            GetCtrlVal(setting, A14_P_SOLL[p], &para.ctrl_power[p]);
            GetCtrlVal(setting, A14_PF_SOLL[p], &para.ctrl_pf[p]);
            GetCtrlVal(setting, A14_I_SOLL[p], &para.ctrl_current[p]);
        }
        para.h_mode = 1;
        std::string label;
        int index = -1;
        GetCtrlIndex(setting, SETTING_CLASS, &index);
        if (index >= 0) GetLabelFromIndex(setting, SETTING_CLASS, index, &label);
        SetCtrlVal(measure, MEASURE_CLASS, label);
    }

    // 5. ranges and sensors
    GetCtrlVal(setting, SETTING_SYSCODE, &para.sys_code);
    for (int p = 0; p < 3; ++p) {
        GetCtrlVal(setting, SETTING_IRANGE_ID[p], &para.i_range[p]);
        GetCtrlVal(setting, SETTING_URANGE_ID[p], &para.u_range[p]);
        GetCtrlVal(setting, SETTING_ISCALE_ID[p], &para.i_scale[p]);
        GetCtrlVal(setting, SETTING_USCALE_ID[p], &para.u_scale[p]);
        GetCtrlVal(setting, SETTING_EXT_ID[p], &para.ext_sensor[p]);
        GetCtrlVal(setting, SETTING_CLAMP_ID[p], &para.ext_sensor_value[p]);
    }

    // 6. comment lines and test data
    ReadComments();
    for (int i = 0; i < 7; ++i) GetCtrlVal(setting, kTestDataSettingControls[i], para.test_data[i]);

    // 7. measurement and results panels
    AdaptMeasurementPanels();
}

void set_default_para()
{
    DefaultPanel(setting);
    Callback(setting, SETTING_ANALYSER, EVENT_VAL_CHANGED);
    Callback(setting, SETTING_PHASES, EVENT_COMMIT);
    Callback(setting, SETTING_IFTYPE, EVENT_COMMIT);
    Callback(setting, SETTING_MODE, EVENT_COMMIT);
    for (int g : {MEASURE_GRAPH1, MEASURE_GRAPH2, MEASURE_GRAPH3}) DeleteGraphPlot(measure, g, -1, 1);
    DefaultPanel(measure);
    DefaultPanel(setting);
    // controls that the reset cleared: their dependants follow
    Callback(setting, SETTING_LIMITS_ON, EVENT_COMMIT);
    for (int p = 0; p < 3; ++p) SetCtrlAttribute(setting, SETTING_CLAMP_ID[p], ATTR_DIMMED, 1);
    SetCtrlAttribute(setting, SETTING_MODE, ATTR_DIMMED, 0);
}

// ---- settings dialog ---------------------------------------------------------------------

int cbOK_Settings(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) {
        workmode = 2;
        if (para.custom_limits == 1) {
            int yes = ConfirmPopup("Warning", "Custom limits are active. Would you like to use it?");
            para.custom_limits = yes ? 1 : 0;
            if (yes && !UserLimitTableFilled()) {
                MessagePopup("Warning", "The own limit table is empty: the limits of the standard are used.");
                para.custom_limits = 0;
            }
            if (!para.custom_limits) {
                LIM_ON = 0;
                SetCtrlVal(setting, SETTING_LIMITS_ON, 0);
                Callback(setting, SETTING_LIMITS_ON, EVENT_COMMIT);
            }
        }
        SetPanelsToMode(2);
        SetSettings();
        SetCtrlAttribute(setting, SETTING_MODE, ATTR_DIMMED, 0);

        std::string title;
        GetPanelAttribute(panelHandle, ATTR_TITLE, &title);
        CopyFixed(para.sw_version, VersionFromTitle(title).c_str());

        // The class C/D fields under the 2006 limits, PWHD and THD under EN61000-3-12.
        const bool harmonic = para.test_kind == 0;
        const bool fluct = harmonic && (para.h_standard == 2 || para.h_standard == 3);
        const bool en3_12 = harmonic && para.h_standard == 4;
        for (int c : {MEASURE_ITHC1, MEASURE_ITHC2, MEASURE_ITHC3, MEASURE_IPOH1, MEASURE_IPOH2, MEASURE_IPOH3})
            Show(measure, c, fluct);
        for (int c : {MEASURE_PWHD_OK1, MEASURE_PWHD_OK2, MEASURE_PWHD_OK3, MEASURE_THD_OK1, MEASURE_THD_OK2,
                      MEASURE_THD_OK3, MEASURE_PWHD1, MEASURE_PWHD2, MEASURE_PWHD3})
            Show(measure, c, en3_12);
        Show(measure, MEASURE_CLASS, harmonic);
        Show(measure, MEASURE_PERIOD, !harmonic);
        EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, measure);

        const char* xname = "Harmonics";
        const char* yname = "I,A";
        if (para.test_kind == 1) {
            xname = "Number of measurement";
            yname = para.switching ? "dmax %" : "Pst";
            for (int c : {MEASURE_SWITCH_COUNT, MEASURE_PERIOD_COUNT}) Show(measure, c, false);
        }
        for (int g : {MEASURE_GRAPH1, MEASURE_GRAPH2, MEASURE_GRAPH3}) {
            SetCtrlAttribute(measure, g, ATTR_XNAME, xname);
            SetCtrlAttribute(measure, g, ATTR_YNAME, yname);
        }
        ReadComments();
    }
    int analyser = 0;
    if (GetCtrlVal(setting, SETTING_ANALYSER, &analyser) == 0 && analyser == 4) para.phases = 1;
    return 0;
}
UI_CALLBACK(cbOK_Settings);

int cbNew_Settings(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    set_default_para();
    workmode = 2;
    SetPanelsToMode(2);
    EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, setting);
    return 0;
}
UI_CALLBACK(cbNew_Settings);

int cbSettings(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    workmode = 2;
    SetPanelsToMode(2);
    SetCtrlAttribute(setting, SETTING_MODE, ATTR_DIMMED, 0);
    return 0;
}
UI_CALLBACK(cbSettings);

int cbMode(int panel, int control, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetCtrlAttribute(panel, control, ATTR_DIMMED, workmode == 1 ? 1 : 0);
    Callback(panel, SETTING_FL_STANDARD, EVENT_COMMIT);
    int kind = 0;
    GetCtrlVal(panel, control, &kind);
    Show(panel, SETTING_HARM_GROUP, kind == 0);
    Show(panel, SETTING_FLK_GROUP, kind == 1);
    SetResultsPanel(kind);
    return 0;
}
UI_CALLBACK(cbMode);

int cbVersion(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int edition = 0, cls = 0, phases = 1, analyser = 0;
    GetCtrlVal(panel, SETTING_VERSION, &edition);
    GetCtrlVal(panel, SETTING_CLASS, &cls);
    GetCtrlVal(panel, SETTING_PHASES, &phases);
    GetCtrlVal(panel, SETTING_ANALYSER, &analyser);
    const bool three = phases == 3 && analyser != 4;
    InsertClassItems(panel, SETTING_CLASS, edition != 4);
    SetCtrlVal(panel, SETTING_CLASS, cls);   // kept when the new list has it
    GetCtrlVal(panel, SETTING_CLASS, &cls);

    bool power = false, pfCurrent = false;
    if (edition == 4) {
        Show(panel, SETTING_RSCE, true);
        SetCtrlAttribute(panel, SETTING_SMOOTHING, ATTR_DIMMED, 1);
    } else if (edition == 2 || edition == 3) {
        Show(panel, SETTING_RSCE, false);
        pfCurrent = cls == 2;
        power = cls == 3 || cls == 4;
        SetCtrlAttribute(panel, SETTING_SMOOTHING, ATTR_DIMMED, 1);
        SetCtrlVal(panel, SETTING_SMOOTHING, 1);
        para.smoothing = 1;
    } else {
        Show(panel, SETTING_RSCE, false);
        SetCtrlAttribute(panel, SETTING_SMOOTHING, ATTR_DIMMED, 0);
    }
    const int column[3] = {SETTING_CV_L1, SETTING_CV_L2, SETTING_CV_L3};
    for (int p = 0; p < 3; ++p) {
        const bool phaseOn = p == 0 || three;
        Show(panel, A14_P_SOLL[p], power && phaseOn);
        Show(panel, A14_PF_SOLL[p], pfCurrent && phaseOn);
        Show(panel, A14_I_SOLL[p], pfCurrent && phaseOn);
        Show(panel, column[p], (power || pfCurrent) && phaseOn);
    }
    Show(panel, SETTING_CV_HEADER, power || pfCurrent);
    return 0;
}
UI_CALLBACK(cbVersion);

int cbClass(int panel, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) Callback(panel, SETTING_VERSION, EVENT_COMMIT);
    return 0;
}
UI_CALLBACK(cbClass);

int cbFlVersion(int panel, int control, int event, void*, int, int)
{
    if (event != EVENT_COMMIT && event != EVENT_VAL_CHANGED) return 0;
    int value = 0;
    GetCtrlVal(panel, control, &value);
    // EN61000-3-11: the impedances; the switching procedure: its interval,
    // 24 periods of one minute.
    for (int c : {SETTING_ZTEST, SETTING_ZREF}) {
        SetCtrlAttribute(panel, c, ATTR_DIMMED, 0);
        SetCtrlAttribute(panel, c, ATTR_VISIBLE, value == 3);
    }
    SetCtrlAttribute(panel, SETTING_SWITCH_INTERVAL, ATTR_DIMMED, 0);
    SetCtrlAttribute(panel, SETTING_SWITCH_INTERVAL, ATTR_VISIBLE, value == 2);
    if (value == 2) {
        SetCtrlVal(panel, SETTING_FL_PERIODS, 24);
        SetCtrlVal(panel, SETTING_FL_MINUTES, 1);
    }
    return 0;
}
UI_CALLBACK(cbFlVersion);

int cbInsertLogo(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    char path[4096];
    if (FileSelectPopup("", "*.bmp", "*.bmp", "Select the picture", VAL_SELECT_BUTTON, 0, 0, 1, 0, path) ==
        VAL_NO_FILE_SELECTED)
        return 0;
    if (!SetLogoFile(path)) return 0;
    SetCtrlVal(setting, SETTING_LOGO, para.logo_file);
    SetCtrlVal(panelEdit, EDIT_LOGO, para.logo_file);
    (void)panel;
    return 0;
}
UI_CALLBACK(cbInsertLogo);
