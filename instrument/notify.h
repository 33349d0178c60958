// Message boxes the driver shows itself ("Cannot clear device", "Answer to
// ..."). The program routes them to the toolkit's popup; without a handler
// they go to standard error.
#pragma once

#include <functional>

using DriverMessageHandler = std::function<void(const char* title, const char* text)>;

void SetDriverMessageHandler(DriverMessageHandler h);
void DriverMessage(const char* title, const char* text);
