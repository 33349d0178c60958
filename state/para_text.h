// Protocol texts of the settings record's standard edition and class (empty
// for values outside the tables; the record is not validated).
#pragma once

#include <cstdint>

const char* HarmonicStandardText(int32_t h_standard);   // "EN61000-3-2:1995" ...
const char* MeasuringMethodText(int32_t h_standard);    // "EN61000-4-7:1993" ...
const char* GroupingText(int32_t h_standard);           // "off"/"on"
const char* ClassText(int32_t h_class);                 // "A", "C (Table 3) " ... (without rsce)
