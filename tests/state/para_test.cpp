#include "state/para.h"
#include "platform/fixed_text.h"
#include "state/para_text.h"
#include "state/reset.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

int32_t IntAt(const unsigned char* b, size_t off)
{
    int32_t v;
    std::memcpy(&v, b + off, 4);
    return v;
}

float RealAt(const unsigned char* b, size_t off)
{
    float v;
    std::memcpy(&v, b + off, 4);
    return v;
}

std::string TextAt(const unsigned char* b, size_t off) { return std::string(reinterpret_cast<const char*>(b + off)); }

// Every field written by name lands at its offset in the stored bytes.
TEST(SettingsRecord, FieldsWrittenByNameLandAtTheirOffsets)
{
    Para r{};
    int32_t* ints[] = {&r.if_gpib, &r.baudrate, &r.com_port, &r.gpib_address[0], &r.gpib_address[1],
                       &r.gpib_address[2], &r.fl_periods, &r.fl_hours, &r.fl_minutes, &r.fl_seconds,
                       &r.sys_code, &r.h_hours, &r.h_minutes, &r.h_seconds, &r.h_standard, &r.h_class,
                       &r.smoothing, &r.test_kind, &r.phases, &r.analyser, &r.user_stopped,
                       &r.ai_on[0], &r.ai_on[1], &r.ai_on[2], &r.meas_time, &r.dt_time,
                       &r.custom_limits, &r.h_mode, &r.frame_window, &r.first_frame, &r.last_frame,
                       &r.switching, &r.switch_interval, &r.switch_aux, &r.z_ref,
                       &r.ext_sensor[0], &r.ext_sensor[1], &r.ext_sensor[2]};
    const size_t int_offsets[] = {0, 4, 8, 12, 16, 20, 40, 44, 48, 52, 56, 60, 64, 68, 72, 76, 80, 2272,
                                  2448, 2452, 2456, 2596, 2600, 2604, 2644, 2660, 2696, 2700, 2704,
                                  2708, 2712, 2716, 2720, 2724, 2740, 2744, 2748, 2752};
    static_assert(sizeof ints / sizeof ints[0] == sizeof int_offsets / sizeof int_offsets[0]);
    for (size_t i = 0; i < sizeof int_offsets / sizeof int_offsets[0]; ++i) *ints[i] = int32_t(100000 + i);

    struct { float* f; size_t off; } reals[] = {
        {&r.i_range[0], 2400}, {&r.i_range[2], 2408}, {&r.u_range[0], 2412}, {&r.u_range[2], 2420},
        {&r.i_scale[0], 2424}, {&r.i_scale[2], 2432}, {&r.u_scale[0], 2436}, {&r.u_scale[2], 2444},
        {&r.ai_low[0][0], 2460}, {&r.ai_low[0][2], 2468}, {&r.ai_low[1][0], 2472}, {&r.ai_low[3][2], 2504},
        {&r.ai_high[0][0], 2508}, {&r.ai_high[3][2], 2552}, {&r.ctrl_power[0], 2608}, {&r.ctrl_power[2], 2616},
        {&r.ctrl_pf[0], 2620}, {&r.ctrl_current[0], 2632}, {&r.ctrl_current[2], 2640},
        {&r.dmax_limit, 2648}, {&r.dc_limit, 2652}, {&r.dt_limit, 2656}, {&r.rsce, 2728},
        {&r.rsce_recommended, 2732}, {&r.z_test, 2736}, {&r.ext_sensor_value[0], 2756},
        {&r.ext_sensor_value[2], 2764}};
    for (size_t i = 0; i < sizeof reals / sizeof reals[0]; ++i) *reals[i].f = 0.5f + float(i);

    struct { char* t; size_t size; size_t off; const char* text; } texts[] = {
        {r.comment[0], 256, 84, "first comment"}, {r.comment[6], 256, 84 + 6 * 256, "last comment"},
        {r.test_data[0], 20, 1876, "name"}, {r.test_data[6], 20, 1996, "serial"},
        {r.log_file, 256, 2016, "/data/run.qel"}, {r.printer_port, 5, 2280, "LPT1"},
        {r.serial_no[0], 9, 2285, "SN000001"}, {r.serial_no[2], 9, 2303, "SN3"},
        {r.revision[0], 7, 2312, "1.234"}, {r.revision[2], 7, 2326, "2.5"},
        {r.model[0], 20, 2333, "PAM-A"}, {r.model[2], 20, 2373, "PAM-C"},
        {r.sw_version, 7, 2393, "3.0"}, {r.ai_name[0], 10, 2556, "Ch 1"}, {r.ai_name[3], 10, 2586, "Pressure"},
        {r.fl_standard, 32, 2664, "EN61000-3-3 A1"}, {r.logo_file, 720, 2768, "/logos/lab.bmp"}};
    for (auto& t : texts) CopyFixed(t.t, t.size, t.text);

    unsigned char b[PARA_SIZE];
    std::memcpy(b, &r, sizeof b);
    for (size_t i = 0; i < sizeof int_offsets / sizeof int_offsets[0]; ++i)
        EXPECT_EQ(IntAt(b, int_offsets[i]), int32_t(100000 + i)) << "int at " << int_offsets[i];
    for (size_t i = 0; i < sizeof reals / sizeof reals[0]; ++i)
        EXPECT_EQ(RealAt(b, reals[i].off), 0.5f + float(i)) << "real at " << reals[i].off;
    for (auto& t : texts) EXPECT_EQ(TextAt(b, t.off), t.text) << "text at " << t.off;
}

TEST(SettingsRecord, FixedTextsKeepTheirTerminatingZero)
{
    Para r{};
    std::memset(r.serial_no, 'X', sizeof r.serial_no);
    EXPECT_FALSE(CopyFixed(r.serial_no[0], "123456789"));    // 9 chars into 9 bytes: cut
    EXPECT_STREQ(r.serial_no[0], "12345678");
    EXPECT_EQ(r.serial_no[1][0], 'X');                        // next entry untouched
    EXPECT_TRUE(CopyFixed(r.printer_port, "LPT1"));
    EXPECT_STREQ(r.printer_port, "LPT1");
    std::string longpath(800, 'p');
    EXPECT_FALSE(CopyFixed(r.logo_file, longpath.c_str()));
    EXPECT_EQ(std::strlen(r.logo_file), 719u);
    EXPECT_TRUE(CopyFixed(r.log_file, nullptr));
    EXPECT_STREQ(r.log_file, "");
    EXPECT_EQ(FixedLen(r.serial_no[1], 9), 9u);              // no zero: the field length
}

TEST(SettingsRecord, TerminateTextsFixesOnlyUnterminatedFields)
{
    Para r{};
    std::memset(&r, 0x41, sizeof r);
    CopyFixed(r.model[1], "PAM-B");
    std::memset(r.model[1] + 6, 0x41, 14);       // text followed by leftovers
    int changed = TerminateTexts(r);
    EXPECT_EQ(changed, 7 + 7 + 1 + 1 + 3 + 3 + 2 + 1 + 4 + 1 + 1);
    EXPECT_EQ(r.comment[3][255], '\0');
    EXPECT_EQ(r.comment[3][254], 'A');
    EXPECT_STREQ(r.model[1], "PAM-B");
    EXPECT_EQ(r.model[1][19], 'A');              // terminated field left as it was
    EXPECT_EQ(r.if_gpib, 0x41414141);            // numbers untouched
    EXPECT_EQ(r.reserved2[0], 0x41);             // reserved bytes untouched
    EXPECT_EQ(TerminateTexts(r), 0);
}

TEST(SettingsRecord, StartValuesAndProtocolTexts)
{
    ResetProgramState();
    para.ai_on[1] = 1;
    para.fl_hours = 2;
    para.ai_high[2][1] = 3.0f;
    para.if_gpib = 1;
    default_para();
    for (int in = 0; in < 4; ++in) {
        for (int a = 0; a < 3; ++a) {
            EXPECT_EQ(para.ai_low[in][a], 0.0f);
            EXPECT_EQ(para.ai_high[in][a], 10.0f);
        }
        EXPECT_EQ(std::string(para.ai_name[in]), "Ch " + std::to_string(in + 1));
    }
    EXPECT_EQ(para.ai_on[1], 0);
    EXPECT_EQ(para.fl_hours, 0);
    EXPECT_EQ(para.if_gpib, 1);                  // the rest of the record is not touched
    reset_para_state();
    const unsigned char* raw = reinterpret_cast<const unsigned char*>(&para);
    for (size_t i = 0; i < PARA_SIZE; ++i) ASSERT_EQ(raw[i], 0) << i;

    EXPECT_STREQ(HarmonicStandardText(3), "EN61000-3-2:2006");
    EXPECT_STREQ(MeasuringMethodText(3), "EN61000-4-7:2002");
    EXPECT_STREQ(GroupingText(0), "off");
    EXPECT_STREQ(HarmonicStandardText(4), "EN61000-3-12");
    EXPECT_STREQ(HarmonicStandardText(5), "");   // not validated: no text
    EXPECT_STREQ(ClassText(4), "C (Table 3) ");
    EXPECT_STREQ(ClassText(11), "Table 3 and Rsce=");
    EXPECT_STREQ(ClassText(6), "");
}

}  // namespace
