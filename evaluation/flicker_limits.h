// Flicker limits that belong to the chosen variant of EN61000-3-3 /
// EN61000-3-11, the fixed Pst and Plt limits and the report texts of the
// analyser's verdict bits (FLRE).
#pragma once

#include <cstdint>

constexpr float PST_LIMIT = 1.0f;
constexpr float PLT_LIMIT = 0.65f;

// Derives dc_limit, dt_limit and dt_time of `para` from the index of the
// flicker variant (0 base edition, 1 amendment A1, 2 switching procedure,
// 3 EN61000-3-11) and the dmax limit; a dmax of 0 becomes 4 %. Fixes
// `para.dmax_limit` to the dmax used.
void CalculateFlLimits(int choice_index, float dmax);

// Variant index restored from a stored `fl_standard` text: 3 when it holds
// "3-11", 1 when it holds "A1", else 0 (the switching value 2 comes from
// `switching`).
int FlickerChoiceFromStandard(const char* fl_standard, int32_t switching);

// Length of one observation period and of a flicker test, seconds.
int32_t FlickerPeriodSeconds();
int32_t FlickerMeasTime();

// Report lines of the verdict bits (formatting-notation formats); each is
// followed by "fail" or "ok" per measured phase.
struct FlickerVerdictLine {
    int32_t bit;
    const char* text;
};
constexpr const char* FL_LINE_PST = "Pst always %< 1.0     :";
constexpr const char* FL_LINE_PLT = "Plt %< 0.65           :";
constexpr const char* FL_LINE_PLT_INFORMATIVE = "Plt %< 0.65 informative:";  // fewer than 3 periods
constexpr const char* FL_LINE_DMAX = "dmax %< %f%%            :";             // dmax_limit
constexpr const char* FL_LINE_DT = "d(t) %< %f%% for %<%ims :";               // dt_limit, dt_time
constexpr const char* FL_LINE_DC = "dc  %< %f%%             :";               // dc_limit
constexpr const char* FL_LINE_SWITCHING = "dmax %< %f :";                     // switching procedure
constexpr const char* FL_VERDICT_FAIL = "fail";
constexpr const char* FL_VERDICT_OK = "ok";
// The line of a bit for a test with `periods` observation periods (null for
// an unknown bit).
const char* FlickerVerdictText(int32_t bit, int32_t periods);
// "fail" when the bit is set in the phase's FLRE word, else "ok".
const char* FlickerVerdict(int32_t flre, int32_t bit);

// Reference impedances and the EN61000-3-11 report line.
constexpr const char* ZREF_TEXT_LONG = "0,4+j0,25";   // z_ref nonzero
constexpr const char* ZREF_TEXT_SHORT = "0,24+j0,15"; // z_ref zero
constexpr const char* FL_LINE_IMPEDANCE =
    "%s       for the test impedance Ztest=%f Ohm and for the reference one Zref=%s Ohm";
const char* ZrefText(int32_t z_ref);
// True when `fl_standard` names EN61000-3-11.
bool IsFlicker3_11(const char* fl_standard);
