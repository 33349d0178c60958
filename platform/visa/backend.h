// The raw interface every VISA back-end implements. Time-outs, termination
// characters and the formatted buffers live once in the session layer above;
// a back-end only moves bytes by a deadline on the platform clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/visa/visa.h"

namespace visa {

// Why a raw read stopped.
enum class ReadEnd { None, End, TermChar, MaxCount, Timeout };

struct ReadRules {
    int termchar = -1;        // byte that ends the read, -1: none
    double deadline = 0;      // Timer() value; reads give up after it
};

struct ReadResult {
    ViStatus status = VI_SUCCESS;  // negative on failure (also on time-out)
    size_t count = 0;              // bytes delivered, also on failure
    ReadEnd end = ReadEnd::None;
};

// Serial line settings, applied as a whole whenever one of them changes.
struct SerialSettings {
    uint32_t baud = 9600;
    int data_bits = 8;
    int parity = VI_ASRL_PAR_NONE;
    int stop_bits = VI_ASRL_STOP_ONE;
    int flow = VI_ASRL_FLOW_NONE;
};

class RawBackend {
public:
    virtual ~RawBackend() = default;
    // VI_INTF_GPIB, VI_INTF_ASRL or VI_INTF_TCPIP.
    virtual int intf_type() const = 0;
    // Writes all bytes; `end` asks for END with the last byte (GPIB EOI).
    virtual ViStatus write(const uint8_t* data, size_t n, bool end, size_t* written) = 0;
    // Reads up to n bytes; stops at END, at the term char, at n, or at the deadline.
    virtual ReadResult read(uint8_t* buf, size_t n, const ReadRules& rules) = 0;
    virtual ViStatus clear() = 0;
    virtual ViStatus read_stb(uint16_t* stb) = 0;
    virtual ViStatus set_timeout(uint32_t ms) { (void)ms; return VI_SUCCESS; }
    // Serial-line operations; other back-ends accept what has no meaning for them.
    virtual ViStatus set_serial(const SerialSettings& s) { (void)s; return VI_SUCCESS; }
    virtual ViStatus send_break(uint32_t ms) { (void)ms; return VI_ERROR_NSUP_OPER; }
    virtual ViStatus bytes_available(uint32_t* n) { *n = 0; return VI_ERROR_NSUP_ATTR; }
    virtual ViStatus dtr_state(int* state) { *state = VI_STATE_UNKNOWN; return VI_ERROR_NSUP_ATTR; }
    // Discards input that has arrived but not been read.
    virtual ViStatus discard_input() { return VI_SUCCESS; }
    virtual ViStatus go_to_local() { return VI_SUCCESS; }
};

// Bytes received but not yet read, each with the END flag a GPIB read would
// see on it. Shared by the stream back-ends and the simulator.
class ByteQueue {
public:
    void append(const uint8_t* data, size_t n, bool end_on_last);
    size_t size() const { return q_.size(); }
    bool empty() const { return q_.empty(); }
    void clear() { q_.clear(); }
    // Moves bytes into buf until END, the term char or n bytes; `end` tells which
    // (None: the queue ran dry first).
    size_t take(uint8_t* buf, size_t n, int termchar, ReadEnd* end);

private:
    std::deque<uint16_t> q_;  // byte | 0x100 for END
};

// A back-end whose bytes arrive as a stream (serial line, TCP): keeps the
// bytes after a terminator for the next read.
class StreamBackend : public RawBackend {
public:
    ReadResult read(uint8_t* buf, size_t n, const ReadRules& rules) override;
    ViStatus bytes_available(uint32_t* n) override;
    ViStatus discard_input() override;

protected:
    // Waits at most until the deadline (and at most a few milliseconds) for
    // bytes and appends them to queue(). Returns a negative status when the
    // line is lost; returns VI_SUCCESS with nothing appended when none came.
    virtual ViStatus fetch(double deadline) = 0;
    // The received bytes not yet read (shared by sessions on one port).
    virtual ByteQueue& queue() { return pending_; }
    ByteQueue pending_;
};

// A parsed resource name.
struct Resource {
    enum Kind { None, Gpib, Asrl, Tcpip } kind = None;
    bool sim = false;        // name began with "SIM"
    int board = 0;           // GPIB board / TCPIP board
    int number = 0;          // GPIB primary address / serial port number
    int secondary = -1;      // GPIB secondary address
    std::string host;        // TCPIP host
    int port = 0;            // TCPIP port
    std::string canonical;   // normalised name (upper case, without SIM)
    std::string given;       // the name as the caller wrote it
};

// Parses "GPIB[n]::a[::s][::INSTR]", "ASRLn[::INSTR]",
// "TCPIP[n]::host::port::SOCKET", each optionally prefixed by "SIM".
bool ParseResource(const char* name, Resource* out);

// Simulator hook: installed by the simulator library, used for resources
// with the SIM prefix and, while simulation is switched on, for every GPIB
// and serial resource.
using SimulatorFactory = std::function<ViStatus(const Resource&, std::unique_ptr<RawBackend>*)>;
void SetSimulatorFactory(SimulatorFactory f);
void SetSimulate(bool on);
bool Simulating();

// Back-end constructors (platform/visa and platform/gpib).
ViStatus OpenSerialBackend(const Resource& r, std::unique_ptr<RawBackend>* out);
ViStatus OpenTcpBackend(const Resource& r, uint32_t timeout_ms, std::unique_ptr<RawBackend>* out);
ViStatus OpenGpibBackend(const Resource& r, std::unique_ptr<RawBackend>* out);

// Closes every open session (tests start clean).
void reset_visa();

}  // namespace visa
