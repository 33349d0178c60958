#include "state/workmode.h"

#include "state/reset.h"

int32_t workmode = 0;
int32_t viewmode = 0;
int my_dummy = 0;

void reset_workmode_state()
{
    workmode = 0;
    viewmode = 0;
    my_dummy = 0;
}
REGISTER_STATE_RESET(reset_workmode_state);
