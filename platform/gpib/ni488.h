// The NI-488.2 device calls the program uses for a GPIB power source
// (ibdev, ibwrt, ibloc, ibonl), carried out through the VISA layer, so that
// the device is reached wherever a GPIB resource is: linux-gpib, a vendor
// VISA library, or the simulated bench.
#pragma once

namespace gpib {

// Status word bits of the calls.
constexpr int STATUS_ERR = 0x8000;
constexpr int STATUS_CMPL = 0x0100;
// iberr codes (NI-488.2).
constexpr int ERR_EDVR = 0;   // system or driver error
constexpr int ERR_ENOL = 2;   // no listener at the address
constexpr int ERR_EARG = 4;   // invalid argument (descriptor)
constexpr int ERR_EABO = 6;   // time-out

// Opens a device descriptor on board `board` at primary address `pad`
// (secondary address `sad`: 0 none, 96..126), time-out code `tmo` (T10us = 1
// ... T1000s = 17; 12 = 3 s), EOI with the last byte when `send_eoi` is 1;
// `eos` (end-of-string mode) is taken as 0. Returns the descriptor (>= 0),
// or -1 when no GPIB driver can be reached (iberr EDVR). A device that is
// not there is found by the first write (ENOL), as with the NI driver.
int ibdev(int board, int pad, int sad, int tmo, int send_eoi, int eos);
// Writes `count` bytes; returns the status word (STATUS_ERR on failure).
int ibwrt(int ud, const void* data, long count);
// Returns the device to local operation; the status word.
int ibloc(int ud);
// online 0 takes the device off line and releases the descriptor.
int ibonl(int ud, int online);
// Error code and byte count of the last call.
int iberr();
long ibcnt();

// Milliseconds of a time-out code (0: no time-out).
unsigned TimeoutMs(int code);

// Releases every descriptor (tests).
void reset_ni488();

}  // namespace gpib
