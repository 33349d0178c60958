// How the driver treats a session's interface: GPIB (status byte, device
// clear), serial (byte count, break) or socket (byte count like a serial
// line, device clear like GPIB).
#pragma once

#include "platform/visa/visa.h"

namespace pamx {

enum class Link { Gpib, Serial, Socket, Other };

Link LinkOf(ViSession vi);
inline bool ByteCounted(Link l) { return l == Link::Serial || l == Link::Socket; }
// The session time-out in ms (10000 when it cannot be read).
ViUInt32 SessionTimeout(ViSession vi);
// Bytes waiting at a byte-counted session (negative status on failure).
ViStatus BytesWaiting(ViSession vi, ViUInt32* n);
// Reads the status byte until `done(stb)` holds or `seconds` have passed: the
// last status byte, -1 after the bound, or the failing status of a read.
ViStatus PollStatusByte(ViSession vi, double seconds, bool (*done)(ViUInt16 stb));

}  // namespace pamx
