#include "state/flicker_bars.h"

#include "platform/state_reset.h"

int32_t number[3] = {0, 0, 0};
int32_t overflag[3] = {0, 0, 0};

void reset_flicker_bars()
{
    for (int p = 0; p < 3; ++p) number[p] = overflag[p] = 0;
}
REGISTER_STATE_RESET(reset_flicker_bars);
