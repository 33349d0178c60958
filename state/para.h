// The settings record `para`: every setting of a test and a few facts of the
// last run. Stored byte for byte in configuration files and at the head of
// every logging file, so the layout is fixed to the byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/fixed_text.h"

#pragma pack(push, 1)
struct Para {
    int32_t if_gpib;             //    0  1 = GPIB, 0 = RS-232
    int32_t baudrate;            //    4
    int32_t com_port;            //    8  1 = first port
    int32_t gpib_address[3];     //   12
    uint8_t reserved1[16];       //   24
    int32_t fl_periods;          //   40
    int32_t fl_hours;            //   44  always 0
    int32_t fl_minutes;          //   48
    int32_t fl_seconds;          //   52
    int32_t sys_code;            //   56
    int32_t h_hours;             //   60
    int32_t h_minutes;           //   64
    int32_t h_seconds;           //   68
    int32_t h_standard;          //   72  0..4
    int32_t h_class;             //   76  0..5, 10..12
    int32_t smoothing;           //   80
    char comment[7][256];        //   84
    char test_data[7][20];       // 1876  name, department, company, device, manufacturer, type, serial
    char log_file[256];          // 2016
    int32_t test_kind;           // 2272  0 harmonics, 1 flicker
    uint8_t reserved2[4];        // 2276
    char printer_port[5];        // 2280  the text fields up to 2400 follow without gaps
    char serial_no[3][9];        // 2285
    char revision[3][7];         // 2312
    char model[3][20];           // 2333
    char sw_version[7];          // 2393
    float i_range[3];            // 2400
    float u_range[3];            // 2412
    float i_scale[3];            // 2424
    float u_scale[3];            // 2436
    int32_t phases;              // 2448  1 or 3
    int32_t analyser;            // 2452  0 = 3x PAM-A, 1 = PAM-C, 2 = PAM-B, 4 = 1x PAM-A
    int32_t user_stopped;        // 2456
    float ai_low[4][3];          // 2460  [input][analyser]
    float ai_high[4][3];         // 2508
    char ai_name[4][10];         // 2556
    int32_t ai_on[3];            // 2596
    float ctrl_power[3];         // 2608
    float ctrl_pf[3];            // 2620
    float ctrl_current[3];       // 2632
    int32_t meas_time;           // 2644  s
    float dmax_limit;            // 2648  %
    float dc_limit;              // 2652  %
    float dt_limit;              // 2656  %
    int32_t dt_time;             // 2660  ms
    char fl_standard[32];        // 2664
    int32_t custom_limits;       // 2696
    int32_t h_mode;              // 2700
    int32_t frame_window;        // 2704
    int32_t first_frame;         // 2708
    int32_t last_frame;          // 2712
    int32_t switching;           // 2716
    int32_t switch_interval;     // 2720
    int32_t switch_aux;          // 2724
    float rsce;                  // 2728
    float rsce_recommended;      // 2732
    float z_test;                // 2736
    int32_t z_ref;               // 2740
    int32_t ext_sensor[3];       // 2744
    float ext_sensor_value[3];   // 2756
    char logo_file[720];         // 2768
};
#pragma pack(pop)

constexpr size_t PARA_SIZE = 3488;
static_assert(sizeof(Para) == PARA_SIZE, "settings record must be 3488 bytes");
static_assert(offsetof(Para, if_gpib) == 0);
static_assert(offsetof(Para, baudrate) == 4);
static_assert(offsetof(Para, com_port) == 8);
static_assert(offsetof(Para, gpib_address) == 12);
static_assert(offsetof(Para, fl_periods) == 40);
static_assert(offsetof(Para, fl_hours) == 44);
static_assert(offsetof(Para, fl_minutes) == 48);
static_assert(offsetof(Para, fl_seconds) == 52);
static_assert(offsetof(Para, sys_code) == 56);
static_assert(offsetof(Para, h_hours) == 60);
static_assert(offsetof(Para, h_minutes) == 64);
static_assert(offsetof(Para, h_seconds) == 68);
static_assert(offsetof(Para, h_standard) == 72);
static_assert(offsetof(Para, h_class) == 76);
static_assert(offsetof(Para, smoothing) == 80);
static_assert(offsetof(Para, comment) == 84);
static_assert(offsetof(Para, test_data) == 1876);
static_assert(offsetof(Para, log_file) == 2016);
static_assert(offsetof(Para, test_kind) == 2272);
static_assert(offsetof(Para, printer_port) == 2280);
static_assert(offsetof(Para, serial_no) == 2285);
static_assert(offsetof(Para, revision) == 2312);
static_assert(offsetof(Para, model) == 2333);
static_assert(offsetof(Para, sw_version) == 2393);
static_assert(offsetof(Para, i_range) == 2400);
static_assert(offsetof(Para, u_range) == 2412);
static_assert(offsetof(Para, i_scale) == 2424);
static_assert(offsetof(Para, u_scale) == 2436);
static_assert(offsetof(Para, phases) == 2448);
static_assert(offsetof(Para, analyser) == 2452);
static_assert(offsetof(Para, user_stopped) == 2456);
static_assert(offsetof(Para, ai_low) == 2460);
static_assert(offsetof(Para, ai_high) == 2508);
static_assert(offsetof(Para, ai_name) == 2556);
static_assert(offsetof(Para, ai_on) == 2596);
static_assert(offsetof(Para, ctrl_power) == 2608);
static_assert(offsetof(Para, ctrl_pf) == 2620);
static_assert(offsetof(Para, ctrl_current) == 2632);
static_assert(offsetof(Para, meas_time) == 2644);
static_assert(offsetof(Para, dmax_limit) == 2648);
static_assert(offsetof(Para, dc_limit) == 2652);
static_assert(offsetof(Para, dt_limit) == 2656);
static_assert(offsetof(Para, dt_time) == 2660);
static_assert(offsetof(Para, fl_standard) == 2664);
static_assert(offsetof(Para, custom_limits) == 2696);
static_assert(offsetof(Para, h_mode) == 2700);
static_assert(offsetof(Para, frame_window) == 2704);
static_assert(offsetof(Para, first_frame) == 2708);
static_assert(offsetof(Para, last_frame) == 2712);
static_assert(offsetof(Para, switching) == 2716);
static_assert(offsetof(Para, switch_interval) == 2720);
static_assert(offsetof(Para, switch_aux) == 2724);
static_assert(offsetof(Para, rsce) == 2728);
static_assert(offsetof(Para, rsce_recommended) == 2732);
static_assert(offsetof(Para, z_test) == 2736);
static_assert(offsetof(Para, z_ref) == 2740);
static_assert(offsetof(Para, ext_sensor) == 2744);
static_assert(offsetof(Para, ext_sensor_value) == 2756);
static_assert(offsetof(Para, logo_file) == 2768);

// The settings record of the program (starts as all zero bytes).
extern Para para;
// 1 = the protocol editor changed test data or comments.
extern int32_t edited;

// Ranges 0..10 and names "Ch 1".."Ch 4" of the four analog inputs.
void DefaultAnalogInputs(Para& p);

// Sets the analog-input fields (record only) and fl_hours to their start values.
void default_para();

// Zeroes the record and `edited` (registered with the program-state reset).
void reset_para_state();

// Makes every text field of a record end inside its field: a field without
// any zero byte gets one in its last byte (foreign or damaged files). Fields
// that are already terminated are not touched. Returns the number of fields
// changed.
int TerminateTexts(Para& record);
