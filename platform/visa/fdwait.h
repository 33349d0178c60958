// File-descriptor helpers of the stream back-ends: bounded writes and
// bounded fetches of whatever input has arrived.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/visa/backend.h"

namespace visa {

// Writes all n bytes to a non-blocking descriptor within tmo_ms (clock time).
ViStatus WriteAll(int fd, const uint8_t* data, size_t n, uint32_t tmo_ms, size_t* written);
// Waits briefly (never past the deadline) for input and appends what came.
// A closed socket (socket = true) or a failed read gives a negative status.
ViStatus FetchInto(int fd, double deadline, ByteQueue* q, bool socket);

}  // namespace visa
