#include "app/para.h"

#include "platform/fmt.h"

#include <cstring>

alignas(8) Para para{};   // aligned so its 32-bit fields are too
int32_t workmode = 0;
int32_t viewmode = 0;
int my_dummy = 0;
int32_t instrument[3] = {0, 0, 0};
int32_t LIM_ON = 0;
int32_t edited = 0;
int32_t A14_P_SOLL[3] = {0, 0, 0};
int32_t A14_PF_SOLL[3] = {0, 0, 0};
int32_t A14_I_SOLL[3] = {0, 0, 0};

void DefaultAnalogInputs(Para& p)
{
    for (int input = 0; input < 4; ++input) {
        for (int a = 0; a < 3; ++a) {
            p.ai_low[input][a] = 0.0f;
            p.ai_high[input][a] = 10.0f;
        }
        char name[16];
        Fmt(name, "Ch %i", input + 1);
        CopyFixed(p.ai_name[input], name);
    }
}

void default_para()
{
    DefaultAnalogInputs(para);
    for (int a = 0; a < 3; ++a) para.ai_on[a] = 0;
    para.fl_hours = 0;
}

void reset_para_state()
{
    std::memset(&para, 0, sizeof para);
    workmode = 0;
    viewmode = 0;
    for (int i = 0; i < 3; ++i) instrument[i] = 0;
    LIM_ON = 0;
    edited = 0;
}

bool CopyFixed(char* field, size_t field_size, const char* text)
{
    if (field_size == 0) return false;
    if (!text) text = "";
    size_t n = std::strlen(text);
    bool cut = n >= field_size;
    if (cut) n = field_size - 1;
    std::memcpy(field, text, n);
    field[n] = '\0';
    return !cut;
}

int TerminateTexts(Para& r)
{
    int changed = 0;
    auto fix = [&](char* field, size_t size) {
        if (!std::memchr(field, 0, size)) {
            field[size - 1] = '\0';
            ++changed;
        }
    };
    for (auto& line : r.comment) fix(line, sizeof line);
    for (auto& t : r.test_data) fix(t, sizeof t);
    fix(r.log_file, sizeof r.log_file);
    fix(r.printer_port, sizeof r.printer_port);
    for (auto& t : r.serial_no) fix(t, sizeof t);
    for (auto& t : r.revision) fix(t, sizeof t);
    for (auto& t : r.model) fix(t, sizeof t);
    fix(r.sw_version, sizeof r.sw_version);
    for (auto& t : r.ai_name) fix(t, sizeof t);
    fix(r.fl_standard, sizeof r.fl_standard);
    fix(r.logo_file, sizeof r.logo_file);
    return changed;
}

size_t FixedLen(const char* field, size_t field_size)
{
    const void* z = std::memchr(field, 0, field_size);
    return z ? size_t(static_cast<const char*>(z) - field) : field_size;
}

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
