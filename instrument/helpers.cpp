// Parameter range checks and small helpers of the driver.
#include <cstdio>

#include "instrument/pamx.h"

ViBoolean PAMX_invalidViBooleanRange(ViBoolean v) { return v != VI_FALSE && v != VI_TRUE; }
ViBoolean PAMX_invalidViInt16Range(ViInt16 v, ViInt16 min, ViInt16 max) { return v < min || v > max; }
ViBoolean PAMX_invalidViInt32Range(ViInt32 v, ViInt32 min, ViInt32 max) { return v < min || v > max; }
ViBoolean PAMX_invalidViUInt16Range(ViUInt16 v, ViUInt16 min, ViUInt16 max) { return v < min || v > max; }
ViBoolean PAMX_invalidViUInt32Range(ViUInt32 v, ViUInt32 min, ViUInt32 max) { return v < min || v > max; }
ViBoolean PAMX_invalidViReal64Range(ViReal64 v, ViReal64 min, ViReal64 max) { return !(v >= min && v <= max); }

ViBoolean PAMX_fileOnDisk(const char* path)
{
    std::FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f) return 0;
    std::fclose(f);
    return 1;
}
