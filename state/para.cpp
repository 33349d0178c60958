#include "state/para.h"

#include "platform/fmt.h"
#include "state/reset.h"

#include <cstring>

alignas(8) Para para{};   // aligned so its 32-bit fields are too
int32_t edited = 0;

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
    edited = 0;
}
REGISTER_STATE_RESET(reset_para_state);

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
