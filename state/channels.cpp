#include "state/channels.h"

#include "state/reset.h"

ViSession id[3] = {0, 0, 0};
int32_t pamaopen[3] = {0, 0, 0};
int32_t instrument[3] = {0, 0, 0};

void reset_channel_state()
{
    for (int k = 0; k < 3; ++k) {
        id[k] = 0;
        pamaopen[k] = 0;
        instrument[k] = 0;
    }
}
REGISTER_STATE_RESET(reset_channel_state);
