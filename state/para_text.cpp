#include "state/para_text.h"

const char* HarmonicStandardText(int32_t s)
{
    switch (s) {
    case 0: case 1: return "EN61000-3-2:1995";
    case 2: case 3: return "EN61000-3-2:2006";
    case 4: return "EN61000-3-12";
    default: return "";
    }
}

const char* MeasuringMethodText(int32_t s)
{
    switch (s) {
    case 0: case 2: return "EN61000-4-7:1993";
    case 1: case 3: case 4: return "EN61000-4-7:2002";
    default: return "";
    }
}

const char* GroupingText(int32_t s)
{
    switch (s) {
    case 0: case 2: return "off";
    case 1: case 3: case 4: return "on";
    default: return "";
    }
}

const char* ClassText(int32_t c)
{
    switch (c) {
    case 0: return "A";
    case 1: return "B";
    case 2: return "C";
    case 3: return "D";
    case 4: return "C (Table 3) ";
    case 5: return "C (specific waveform)";
    case 10: return "Table 2 and Rsce=";
    case 11: return "Table 3 and Rsce=";
    case 12: return "Table 4 and Rsce=";
    default: return "";
    }
}
