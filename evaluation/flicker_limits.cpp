#include "evaluation/flicker_limits.h"

#include "state/records.h"
#include "state/para.h"
#include "platform/fixed_text.h"

#include <cstring>

namespace {
bool Contains(const char* field, size_t size, const char* what)
{
    size_t n = FixedLen(field, size);
    size_t w = std::strlen(what);
    for (size_t i = 0; i + w <= n; ++i)
        if (std::memcmp(field + i, what, w) == 0) return true;
    return false;
}
}  // namespace

void CalculateFlLimits(int choice_index, float dmax)
{
    if (dmax == 0.0f) dmax = 4.0f;
    para.dmax_limit = dmax;
    if (choice_index == 0) {
        para.dc_limit = float(0.75 * double(dmax));
        para.dt_limit = para.dc_limit;
        para.dt_time = 200;
    } else {
        para.dc_limit = 3.3f;
        para.dt_limit = 3.3f;
        para.dt_time = 500;
    }
}

int FlickerChoiceFromStandard(const char* fl_standard, int32_t switching)
{
    const size_t size = sizeof para.fl_standard;
    if (switching) return 2;
    if (fl_standard && Contains(fl_standard, size, "3-11")) return 3;
    if (fl_standard && Contains(fl_standard, size, "A1")) return 1;
    return 0;
}

bool IsFlicker3_11(const char* fl_standard)
{
    return fl_standard && Contains(fl_standard, sizeof para.fl_standard, "3-11");
}

int32_t FlickerPeriodSeconds() { return para.fl_minutes * 60 + para.fl_seconds; }

int32_t FlickerMeasTime() { return FlickerPeriodSeconds() * para.fl_periods; }

const char* FlickerVerdictText(int32_t bit, int32_t periods)
{
    switch (bit) {
    case FLRE_2: return FL_LINE_PST;
    case FLRE_4: return periods < 3 ? FL_LINE_PLT_INFORMATIVE : FL_LINE_PLT;
    case FLRE_DMAX: return FL_LINE_DMAX;
    case FLRE_10: return FL_LINE_DT;
    case FLRE_20: return FL_LINE_DC;
    default: return nullptr;
    }
}

const char* FlickerVerdict(int32_t flre, int32_t bit)
{
    return (flre & bit) ? FL_VERDICT_FAIL : FL_VERDICT_OK;
}

const char* ZrefText(int32_t z_ref) { return z_ref ? ZREF_TEXT_LONG : ZREF_TEXT_SHORT; }
