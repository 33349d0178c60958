// Driver message routing.
#include "instrument/notify.h"
#include "state/reset.h"

#include <cstdio>

namespace {
DriverMessageHandler handler;
// Without a handler after the program-state reset: messages go to stderr
// until the program (or a test) installs one again.
void reset_driver_messages() { handler = nullptr; }
REGISTER_STATE_RESET(reset_driver_messages);
}

void SetDriverMessageHandler(DriverMessageHandler h) { handler = std::move(h); }

void DriverMessage(const char* title, const char* text)
{
    if (handler) {
        handler(title ? title : "", text ? text : "");
        return;
    }
    std::fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
}
