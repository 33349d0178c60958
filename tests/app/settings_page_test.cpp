#include <cmath>
#include <cstring>
#include <fstream>

#include "app/config_show.h"
#include "state/channels.h"
#include "state/workmode.h"
#include "evaluation/ranges.h"
#include "tests/support/settings_fixture.h"

using namespace ui;

namespace {

// Offset of the first byte where two records differ, or -1.
long FirstDifference(const Para& a, const Para& b)
{
    const unsigned char* x = reinterpret_cast<const unsigned char*>(&a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(&b);
    for (size_t i = 0; i < sizeof(Para); ++i)
        if (x[i] != y[i]) return long(i);
    return -1;
}

}  // namespace

TEST_F(SettingsTest, AnalyserTypesAndPhaseCountsShowTheControlsThatFit)
{
    Start();
    // three separate analysers: per-analyser addresses, no interface choice
    Choose(SETTING_ANALYSER, 0);
    Choose(SETTING_PHASES, 3);
    for (int c : {SETTING_GPIB1, SETTING_GPIB2, SETTING_GPIB3, SETTING_URANGE2, SETTING_IRANGE3, SETTING_ISCALE2})
        EXPECT_TRUE(Visible(c)) << c;
    for (int c : {SETTING_IFTYPE, SETTING_COMPORT, SETTING_BAUDRATE, SETTING_GPIB, SETTING_EXT1, SETTING_CLAMP1,
                  SETTING_NOTE_SEPARATE, SETTING_NOTE_SINGLE})
        EXPECT_FALSE(Visible(c)) << c;

    // one phase of the three PAM-A
    Choose(SETTING_PHASES, 1);
    EXPECT_TRUE(Visible(SETTING_NOTE_SEPARATE));
    EXPECT_FALSE(Visible(SETTING_NOTE_SINGLE));
    EXPECT_FALSE(Visible(SETTING_URANGE2));
    EXPECT_TRUE(Visible(SETTING_IFTYPE));
    EXPECT_FALSE(Visible(SETTING_GPIB1));

    // a single PAM-A: the phase count disappears, both notes hidden
    Choose(SETTING_ANALYSER, 4);
    EXPECT_FALSE(Visible(SETTING_PHASES));
    EXPECT_FALSE(Visible(SETTING_NOTE_SEPARATE));
    EXPECT_FALSE(Visible(SETTING_NOTE_SINGLE));
    EXPECT_FALSE(Visible(SETTING_EXT1));

    // PAM-C: sensors on phase 1 only for one phase, on all three for three phases
    Choose(SETTING_ANALYSER, 1);
    EXPECT_TRUE(Visible(SETTING_PHASES));
    Choose(SETTING_PHASES, 1);
    EXPECT_TRUE(Visible(SETTING_NOTE_SINGLE));
    EXPECT_TRUE(Visible(SETTING_EXT1));
    EXPECT_FALSE(Visible(SETTING_EXT2));
    EXPECT_FALSE(Visible(SETTING_URANGE3));
    EXPECT_EQ(Items(setting, SETTING_URANGE1), 10);   // 1 kV .. 3 V
    EXPECT_EQ(Label(setting, SETTING_URANGE1, 0), "1 kV");
    EXPECT_EQ(Items(setting, SETTING_IRANGE1), 12);
    Choose(SETTING_PHASES, 3);
    for (int c : {SETTING_URANGE3, SETTING_EXT2, SETTING_EXT3, SETTING_CLAMP3}) EXPECT_TRUE(Visible(c)) << c;

    // PAM-B shows the fields of phases 2 and 3 even for one phase; its current ranges end at 16 A
    Choose(SETTING_ANALYSER, 2);
    Choose(SETTING_PHASES, 1);
    EXPECT_TRUE(Visible(SETTING_URANGE2));
    EXPECT_EQ(Items(setting, SETTING_IRANGE1), 6);
    EXPECT_EQ(Label(setting, SETTING_IRANGE1, 0), "16 A");
    EXPECT_EQ(Items(setting, SETTING_URANGE1), 8);

    // interface type: GPIB dims the serial line, RS-232 the address
    Choose(SETTING_IFTYPE, 1);
    EXPECT_TRUE(Dimmed(SETTING_COMPORT));
    EXPECT_TRUE(Dimmed(SETTING_BAUDRATE));
    EXPECT_FALSE(Dimmed(SETTING_GPIB));
    Choose(SETTING_IFTYPE, 0);
    EXPECT_FALSE(Dimmed(SETTING_COMPORT));
    EXPECT_TRUE(Dimmed(SETTING_GPIB));
    EXPECT_TRUE(Dimmed(SETTING_PARITY));
}

TEST_F(SettingsTest, ConfirmingAHarmonicSetUpFillsTheRecord)
{
    Start();
    para.switch_aux = 7;
    Choose(SETTING_ANALYSER, 0);
    Choose(SETTING_PHASES, 3);
    Choose(SETTING_ANALYSER, 4);   // "1 x PAM-A" with the hidden phase control still at 3
    int shown = 0;
    GetCtrlVal(setting, SETTING_PHASES, &shown);
    EXPECT_EQ(shown, 3);
    Choose(SETTING_IFTYPE, 1);
    ASSERT_TRUE(UserSetValue(setting, SETTING_GPIB, 7.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_H_HOURS, 1.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_H_MINUTES, 2.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_H_SECONDS, 3.0));
    Choose(SETTING_VERSION, 3);
    Choose(SETTING_CLASS, 3);
    ASSERT_TRUE(UserSetValue(setting, SETTING_P_SOLL1, 250.0));
    ASSERT_TRUE(Commit(setting, SETTING_OK));

    EXPECT_EQ(workmode, 2);
    EXPECT_EQ(para.analyser, 4);
    EXPECT_EQ(para.phases, 1);
    EXPECT_EQ((std::vector<int>{instrument[0], instrument[1], instrument[2]}), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(para.if_gpib, 1);
    EXPECT_EQ((std::vector<int>{para.gpib_address[0], para.gpib_address[1], para.gpib_address[2]}),
              (std::vector<int>{7, 7, 7}));
    EXPECT_EQ(para.test_kind, 0);
    EXPECT_EQ(para.meas_time, 3723);
    EXPECT_EQ(para.h_mode, 1);
    EXPECT_EQ(para.switch_aux, 0);
    EXPECT_EQ(para.h_standard, 3);
    EXPECT_EQ(para.h_class, 3);
    EXPECT_EQ(para.smoothing, 1);   // forced on by the 2006 limits
    EXPECT_FLOAT_EQ(para.ctrl_power[0], 250.0f);
    EXPECT_STREQ(para.sw_version, "3.0");
    EXPECT_EQ(Str(measure, MEASURE_CLASS), "Class D");
    EXPECT_EQ(viewmode, 3);
    int active = 0;
    EasyTab_GetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, &active);
    EXPECT_EQ(active, measure);
    // single phase: the columns of phases 2 and 3 and the flicker groups are hidden
    EXPECT_FALSE(Visible(MEASURE_COLUMN2, measure));
    EXPECT_FALSE(Visible(MEASURE_FGROUP1, measure));
    EXPECT_TRUE(Visible(MEASURE_HGROUP1, measure));
    EXPECT_TRUE(Visible(MEASURE_ITHC1, measure));   // fluctuating harmonics of the 2006 editions
    EXPECT_FALSE(Visible(MEASURE_PWHD_OK1, measure));
    std::string xname;
    GetCtrlAttribute(measure, MEASURE_GRAPH1, ATTR_XNAME, &xname);
    EXPECT_EQ(xname, "Harmonics");
}

TEST_F(SettingsTest, ThreePamAAlwaysUseGpibWithTheirOwnAddresses)
{
    Start();
    Choose(SETTING_ANALYSER, 1);
    Choose(SETTING_IFTYPE, 0);   // RS-232 chosen before switching to three analysers
    Choose(SETTING_ANALYSER, 0);
    int gpib = 0;
    GetCtrlVal(setting, SETTING_IFTYPE, &gpib);
    EXPECT_EQ(gpib, 1);
    Choose(SETTING_PHASES, 3);
    ASSERT_TRUE(UserSetValue(setting, SETTING_GPIB1, 4.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_GPIB2, 5.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_GPIB3, 6.0));
    SetCtrlVal(setting, SETTING_IFTYPE, 0);   // even a serial choice left on the hidden control
    ASSERT_TRUE(Commit(setting, SETTING_OK));
    EXPECT_EQ(para.if_gpib, 1);
    EXPECT_EQ(para.phases, 3);
    EXPECT_EQ((std::vector<int>{para.gpib_address[0], para.gpib_address[1], para.gpib_address[2]}),
              (std::vector<int>{4, 5, 6}));
    EXPECT_EQ((std::vector<int>{instrument[0], instrument[1], instrument[2]}), (std::vector<int>{1, 1, 1}));
    EXPECT_TRUE(Visible(MEASURE_COLUMN3, measure));
    EXPECT_TRUE(Visible(RESULTS_COLUMN2, results));

    // one phase of the three: the address field the page shows is the one used
    SetPanelsToMode(2);
    Choose(SETTING_PHASES, 1);
    EXPECT_TRUE(Dimmed(SETTING_IFTYPE));   // shows GPIB, the only choice
    ASSERT_TRUE(UserSetValue(setting, SETTING_GPIB, 12.0));
    ASSERT_TRUE(Commit(setting, SETTING_OK));
    EXPECT_EQ(para.gpib_address[0], 12);
    EXPECT_EQ(para.if_gpib, 1);
}

TEST_F(SettingsTest, ConfirmingAFlickerSetUpDerivesItsLimits)
{
    Start();
    Choose(SETTING_MODE, 1);
    EXPECT_FALSE(Visible(SETTING_HARM_GROUP));
    EXPECT_TRUE(Visible(SETTING_FLK_GROUP));
    EXPECT_FALSE(Visible(SETTING_SWITCH_INTERVAL));
    EXPECT_FALSE(Visible(SETTING_ZTEST));
    ASSERT_TRUE(UserSetValue(setting, SETTING_DMAX, 0.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_FL_PERIODS, 12.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_FL_MINUTES, 10.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_FL_SECONDS, 5.0));
    Choose(SETTING_FL_STANDARD, 0);
    ASSERT_TRUE(Commit(setting, SETTING_OK));
    EXPECT_EQ(para.test_kind, 1);
    EXPECT_FLOAT_EQ(para.dmax_limit, 4.0f);
    EXPECT_FLOAT_EQ(para.dc_limit, 3.0f);
    EXPECT_FLOAT_EQ(para.dt_limit, 3.0f);
    EXPECT_EQ(para.dt_time, 200);
    EXPECT_STREQ(para.fl_standard, "EN61000-3-3");
    EXPECT_EQ(para.switching, 0);
    EXPECT_EQ(para.h_mode, 0);
    EXPECT_EQ(para.meas_time, 605 * 12);
    EXPECT_TRUE(Visible(MEASURE_FGROUP1, measure));
    EXPECT_FALSE(Visible(MEASURE_HGROUP1, measure));
    std::string yname;
    GetCtrlAttribute(measure, MEASURE_GRAPH2, ATTR_YNAME, &yname);
    EXPECT_EQ(yname, "Pst");

    // the switching procedure of the A1 edition
    SetPanelsToMode(2);
    Choose(SETTING_FL_STANDARD, 2);
    EXPECT_TRUE(Visible(SETTING_SWITCH_INTERVAL));
    EXPECT_FALSE(Visible(SETTING_ZREF));
    int periods = 0, minutes = 0;   // the procedure's 24 periods of one minute
    GetCtrlVal(setting, SETTING_FL_PERIODS, &periods);
    GetCtrlVal(setting, SETTING_FL_MINUTES, &minutes);
    EXPECT_EQ(periods, 24);
    EXPECT_EQ(minutes, 1);
    ASSERT_TRUE(UserSetValue(setting, SETTING_DMAX, 6.0));
    ASSERT_TRUE(Commit(setting, SETTING_OK));
    EXPECT_EQ(para.switching, 1);
    EXPECT_NE(std::strstr(para.fl_standard, "A1"), nullptr);
    EXPECT_FLOAT_EQ(para.dmax_limit, 6.0f);
    EXPECT_FLOAT_EQ(para.dc_limit, 3.3f);
    EXPECT_EQ(para.dt_time, 500);
    GetCtrlAttribute(measure, MEASURE_GRAPH2, ATTR_YNAME, &yname);
    EXPECT_EQ(yname, "dmax %");
}

TEST_F(SettingsTest, HarmonicRecordRoundTripsThroughThePage)
{
    CopySampleClamps();
    Start();
    Para r{};
    r.if_gpib = 0;
    r.baudrate = 38400;
    r.com_port = 3;
    r.gpib_address[0] = r.gpib_address[1] = r.gpib_address[2] = 9;
    r.sys_code = 1234;
    r.h_hours = 2;
    r.h_minutes = 15;
    r.h_seconds = 45;
    r.h_standard = 3;
    r.h_class = 2;
    r.smoothing = 1;
    r.rsce = 66.0f;
    for (int i = 0; i < 7; ++i) {
        std::string line = "comment line " + std::to_string(i);
        if (i == 4) line.clear();
        CopyFixed(r.comment[i], line.c_str());
        CopyFixed(r.test_data[i], ("data " + std::to_string(i) + " 1234567890123").c_str());
    }
    CopyFixed(r.printer_port, "LPT2");
    r.analyser = 1;
    r.phases = 3;
    const float u[3] = {1000, 250, 3}, i[3] = {32, 25, 0.01f};
    for (int p = 0; p < 3; ++p) {
        r.u_range[p] = u[p];
        r.i_range[p] = i[p];
        r.u_scale[p] = 1.5f + p;
        r.i_scale[p] = 0.25f * (p + 1);
        r.ctrl_pf[p] = 0.9f - 0.1f * p;
        r.ctrl_current[p] = 1.5f + p;
        r.ctrl_power[p] = 100.0f * (p + 1);
    }
    r.ext_sensor[1] = 1;
    r.ext_sensor_value[0] = 20;   // the clamp list shows a value even when the box is clear
    r.ext_sensor_value[1] = 100;
    r.ext_sensor_value[2] = 20;
    r.meas_time = 2 * 3600 + 15 * 60 + 45;
    r.h_mode = 1;
    r.test_kind = 0;
    r.ai_on[0] = 1;
    r.ai_on[2] = 1;
    for (int k = 0; k < 4; ++k)
        for (int a = 0; a < 3; ++a) {
            r.ai_low[k][a] = -1.0f * (k + a);
            r.ai_high[k][a] = 10.5f + k * 3 + a;
        }
    for (int k = 0; k < 4; ++k) CopyFixed(r.ai_name[k], ("Temp " + std::to_string(k)).c_str());
    // fields the page does not show or derives keep their values
    CopyFixed(r.log_file, "/data/run1.qel");
    CopyFixed(r.serial_no[0], "123456");
    r.rsce_recommended = 12.5f;

    set_parameter(r);
    EXPECT_EQ(Items(setting, SETTING_IRANGE2), 6);   // the 100 A clamp's ranges on phase 2
    EXPECT_EQ(Label(setting, SETTING_IRANGE2, 0), "3.125000 A");
    std::memset(&para, 0, sizeof para);   // nothing may survive from the shown record but the page
    para = Para{};
    CopyFixed(para.log_file, "/data/run1.qel");
    CopyFixed(para.serial_no[0], "123456");
    para.rsce_recommended = 12.5f;
    SetSettings();
    ASSERT_TRUE(Commit(setting, SETTING_ANALOG));
    ASSERT_TRUE(Commit(panelIO, PANELIO_OK));
    long diff = FirstDifference(para, r);
    EXPECT_EQ(diff, -1) << "first difference at byte " << diff;
}

TEST_F(SettingsTest, FlickerRecordRoundTripsThroughThePage)
{
    Start();
    Para r{};
    r.if_gpib = 1;
    r.baudrate = 19200;
    r.com_port = 1;
    r.gpib_address[0] = 4;
    r.gpib_address[1] = 5;
    r.gpib_address[2] = 6;
    r.test_kind = 1;
    r.fl_periods = 6;
    r.fl_minutes = 5;
    r.fl_seconds = 30;
    r.dmax_limit = 3.5f;
    r.z_test = 0.25f;
    r.z_ref = 1;
    CopyFixed(r.fl_standard, "EN61000-3-11");
    r.switch_interval = 30;
    r.analyser = 0;
    r.phases = 3;
    for (int p = 0; p < 3; ++p) {
        r.u_range[p] = 400;
        r.i_range[p] = p == 2 ? 0.15f : 20.0f;
        r.u_scale[p] = 1.0f;
        r.i_scale[p] = 2.0f;
    }
    CopyFixed(r.printer_port, "LPT1");
    set_parameter(r);
    EXPECT_TRUE(Visible(SETTING_ZTEST));
    EXPECT_FALSE(Visible(SETTING_SWITCH_INTERVAL));
    Para shown = para;
    para = Para{};
    SetSettings();
    // what the confirmation derives
    r.dc_limit = 3.3f;
    r.dt_limit = 3.3f;
    r.dt_time = 500;
    r.meas_time = 330 * 6;
    r.h_mode = 0;
    // the analog-input defaults are not part of this round trip
    std::memcpy(para.ai_low, shown.ai_low, sizeof para.ai_low);
    long diff = FirstDifference(para, r);
    EXPECT_EQ(diff, -1) << "first difference at byte " << diff;
}

TEST_F(SettingsTest, EditionAndClassShapeTheControlValueFields)
{
    Start();
    Choose(SETTING_ANALYSER, 2);
    Choose(SETTING_PHASES, 3);
    Choose(SETTING_VERSION, 2);
    Choose(SETTING_CLASS, 2);   // class C: power factor and current of all three phases
    for (int p = 0; p < 3; ++p) {
        EXPECT_TRUE(Visible(A14_PF_SOLL[p]));
        EXPECT_TRUE(Visible(A14_I_SOLL[p]));
        EXPECT_FALSE(Visible(A14_P_SOLL[p]));
    }
    EXPECT_TRUE(Dimmed(SETTING_SMOOTHING));
    EXPECT_FALSE(Visible(SETTING_RSCE));
    Choose(SETTING_CLASS, 4);   // C (Table 3): power
    EXPECT_TRUE(Visible(A14_P_SOLL[2]));
    EXPECT_FALSE(Visible(A14_PF_SOLL[0]));
    Choose(SETTING_PHASES, 1);  // one phase: phase 1 only
    EXPECT_TRUE(Visible(A14_P_SOLL[0]));
    EXPECT_FALSE(Visible(A14_P_SOLL[1]));

    // 2006 -> 1995 keeps the class value, the limits follow the measurement
    Choose(SETTING_VERSION, 0);
    int cls = -1;
    GetCtrlVal(setting, SETTING_CLASS, &cls);
    EXPECT_EQ(cls, 4);
    EXPECT_EQ(Label(setting, SETTING_CLASS, 4), "Class C (Table 3)");
    EXPECT_FALSE(Visible(A14_P_SOLL[0]));
    EXPECT_FALSE(Dimmed(SETTING_SMOOTHING));

    // EN61000-3-12: the three tables and the Rsce field
    Choose(SETTING_VERSION, 4);
    EXPECT_EQ(Items(setting, SETTING_CLASS), 3);
    EXPECT_EQ(Label(setting, SETTING_CLASS, 0), "Table 2");
    EXPECT_TRUE(Visible(SETTING_RSCE));
    EXPECT_TRUE(Dimmed(SETTING_SMOOTHING));
    Choose(SETTING_CLASS, 12);
    ASSERT_TRUE(Commit(setting, SETTING_OK));
    EXPECT_EQ(para.h_class, 12);
    EXPECT_TRUE(Visible(MEASURE_PWHD_OK2, measure));
    EXPECT_FALSE(Visible(MEASURE_ITHC2, measure));
}

TEST_F(SettingsTest, LoadedRecordShowsTheClassOnTheMeasuringPageAndHidesRatedFields)
{
    Start();
    Para r{};
    r.h_standard = 4;
    r.h_class = 11;
    r.analyser = 4;
    r.phases = 3;   // a single PAM-A measures one phase whatever the record says
    set_parameter(r);
    EXPECT_EQ(Str(measure, MEASURE_CLASS), "Table 3");
    EXPECT_FALSE(Visible(SETTING_PHASES));
    EXPECT_FALSE(Visible(RESULTS_RATED_P1, results));
    EXPECT_FALSE(Visible(SETTING_HMODE));
    SetSettings();
    EXPECT_EQ(para.phases, 1);

    r.h_standard = 1;
    r.h_class = 3;   // class D under the 1995 limits keeps the rated fields
    SetCtrlAttribute(results, RESULTS_RATED_P1, ATTR_VISIBLE, 1);
    set_parameter(r);
    EXPECT_TRUE(Visible(RESULTS_RATED_P1, results));
}

TEST_F(SettingsTest, NewSetUpResetsThePage)
{
    Start();
    Choose(SETTING_ANALYSER, 1);
    Choose(SETTING_MODE, 1);
    ASSERT_TRUE(Click(setting, SETTING_LIMITS_ON));
    ASSERT_TRUE(Commit(setting, SETTING_NEW));
    EXPECT_EQ(LIM_ON, 0);   // the cleared switch no longer dims the edition
    EXPECT_FALSE(Dimmed(SETTING_VERSION));
    EXPECT_EQ(workmode, 2);
    int a = -1, kind = -1, active = 0;
    GetCtrlVal(setting, SETTING_ANALYSER, &a);
    GetCtrlVal(setting, SETTING_MODE, &kind);
    EXPECT_EQ(a, 4);
    EXPECT_EQ(kind, 0);
    EXPECT_TRUE(Visible(SETTING_HARM_GROUP));
    EXPECT_FALSE(Dimmed(SETTING_MODE));
    EasyTab_GetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, &active);
    EXPECT_EQ(active, setting);
}

TEST_F(SettingsTest, OverlongPathsAreRefusedWithAMessage)
{
    Start();
    std::string ok(719, 'a'), tooLong(720, 'b');
    EXPECT_TRUE(SetLogoFile(ok.c_str()));
    EXPECT_EQ(std::string(para.logo_file), ok);
    QueueMessageAck();
    EXPECT_FALSE(SetLogoFile(tooLong.c_str()));
    EXPECT_EQ(std::string(para.logo_file), ok);   // unchanged
    ASSERT_FALSE(PopupLog().empty());
    EXPECT_EQ(PopupLog().back().title, "Error");
    EXPECT_NE(PopupLog().back().text.find("logo file is too long"), std::string::npos);

    QueueMessageAck();
    EXPECT_FALSE(SetLogFile(std::string(256, 'c').c_str()));
    EXPECT_EQ(para.log_file[0], 0);
    EXPECT_TRUE(SetLogFile(std::string(255, 'c').c_str()));

    // through the logo button of the settings page
    QueueFileSelect("/pictures/" + std::string(800, 'x') + ".bmp");
    QueueMessageAck();
    ASSERT_TRUE(Commit(setting, SETTING_LOGO_BUTTON));
    EXPECT_EQ(std::string(para.logo_file), ok);
    QueueFileSelect("/pictures/logo.bmp");
    ASSERT_TRUE(Commit(setting, SETTING_LOGO_BUTTON));
    EXPECT_STREQ(para.logo_file, "/pictures/logo.bmp");
    EXPECT_EQ(Str(panelEdit, EDIT_LOGO), "/pictures/logo.bmp");
}

TEST(SettingsVersion, VersionFollowsTheLastV)
{
    EXPECT_EQ(VersionFromTitle("ORIVAN V3.0"), "3.0");
    EXPECT_EQ(VersionFromTitle("SIMULATION - ORIVAN V3.0"), "3.0");
    EXPECT_EQ(VersionFromTitle("ORIVAN V12.345.6"), "12.34");
    EXPECT_EQ(VersionFromTitle("orivan"), "");
    EXPECT_EQ(VersionFromTitle("ORIVAN V"), "");
}

TEST_F(SettingsTest, TheSampleSetUpSurvivesThePageUnchanged)
{
    Para sample;
    MakeSampleConfig(sample);
    ASSERT_EQ(WriteConfigFile(DefaultConfigPath().c_str(), sample), 0);
    Start();
    ASSERT_TRUE(Commit(setting, SETTING_OK));
    EXPECT_EQ(para.analyser, sample.analyser);
    EXPECT_EQ(para.phases, sample.phases);
    for (int p = 0; p < 3; ++p) {
        EXPECT_FLOAT_EQ(para.i_range[p], sample.i_range[p]) << "phase " << p;
        EXPECT_FLOAT_EQ(para.u_range[p], sample.u_range[p]) << "phase " << p;
    }
    EXPECT_EQ(para.h_standard, sample.h_standard);
    EXPECT_EQ(para.h_class, sample.h_class);
    EXPECT_EQ(para.meas_time, sample.meas_time);
}
