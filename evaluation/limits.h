// Harmonic current limits of EN61000-3-2 (classes A, B, C, D and the two
// class C variants) and EN61000-3-12 (tables 2, 3, 4 with Rsce), the rule
// that drops small harmonics, the recommended Rsce and the choice between
// control and measured values.
#pragma once

#include "state/records.h"

#include <cstdint>

// Class values of `h_class`.
constexpr int32_t CLASS_A = 0;
constexpr int32_t CLASS_B = 1;
constexpr int32_t CLASS_C = 2;          // Table 2
constexpr int32_t CLASS_D = 3;
constexpr int32_t CLASS_C_TABLE3 = 4;
constexpr int32_t CLASS_C_WAVEFORM = 5; // specific waveform
constexpr int32_t CLASS_3_12_TABLE2 = 10;
constexpr int32_t CLASS_3_12_TABLE3 = 11;
constexpr int32_t CLASS_3_12_TABLE4 = 12;

inline bool IsClass3_2(int32_t cls) { return cls >= 0 && cls <= 5; }
inline bool IsClass3_12(int32_t cls) { return cls >= 10 && cls <= 12; }

// Entries of the class list of the settings panel (value, label).
struct ClassItem {
    int32_t value;
    const char* label;
};
// The items for the EN61000-3-2 editions (is_3_2) or EN61000-3-12; `count`
// receives the number of items.
const ClassItem* ClassItems(bool is_3_2, int* count);

// Class A limit of an order (A), or the no-limit mark.
float ClassALimit(int order);

// Pure limit computation for one frame. `frame` supplies I1 = HIAM[1] and the
// harmonic currents for dropping small harmonics and for the recommended
// Rsce. `rsce_recommended` may be null.
void ComputeLimits(float out[ORDERS], int32_t cls, const HarmFrame& frame, float P, float pf,
                   float I, float Iref, float Rsce, float* rsce_recommended, int drop_small);

// The program's entry: class from `para.h_class`, currents from `buf[phase]`.
// Called by the acquisition with the received record in `buf[phase]`, before
// its phase-angle block is overwritten with the limits: under EN61000-3-12
// it notes whether the received phase angle of the fifth harmonic lies
// outside 90..150 degrees (read by the re-evaluation at the stop).
void Limits(float out[ORDERS], float P, float pf, float I, float Iref, float Rsce, int phase,
            float* rsce_recommended, int drop_small);

// 1 when a received phase angle of order 5 (relative to the fundamental
// voltage) outside 90..150 degrees was seen on the phase since the last reset.
extern int32_t phase5_outside[3];
// Phase of the fifth harmonic current relative to the fundamental voltage,
// degrees in (-180, 180], from a record as received (angles in its limit block).
float Phase5Angle(const HarmFrame& received);
void NotePhase5(int phase, const HarmFrame& received);

// The +-10 % rule: the control value when it lies within 10 % of the
// measured value, otherwise the measured value.
float ControlValue(float measured, float control);

// Replaces the limit arrays of the phases' frames by the user table `limits`.
void ApplyUserLimits(HarmFrame* frames, int count);

// Clears the state kept between runs (phase-5 notes).
void reset_limits_state();
