// Driver message routing.
#include "instrument/notify.h"

#include <cstdio>

namespace {
DriverMessageHandler handler;
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
