// The stand-in GPIB library's view of an instrument on the bus: bytes in,
// messages out (the last byte of each with END), status byte, device clear.
// analyser_device.cpp puts the simulated analyser (sim::Analyser) behind it,
// tiny_instrument.cpp a small instrument of the stand-in's own; devices.cpp
// chooses between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace standin {

class BusDevice {
public:
    virtual ~BusDevice() = default;
    // Bytes the controller sent; end is true when EOI came with the last one.
    virtual void Receive(const char* data, std::size_t n, bool end) = 0;
    // Hands out up to n bytes of the current reply message; *end is true when
    // the message's last byte was among them. 0 when nothing is waiting.
    virtual std::size_t Send(char* buf, std::size_t n, bool* end) = 0;
    // Serial poll: status byte (0x10 message available, 0x40 service request).
    virtual std::uint8_t SerialPoll() = 0;
    virtual void Clear() = 0;
    virtual void GoToLocal() = 0;
    // How long a read of the next reply takes to complete (ms), and whether
    // it fails; both set by the instrument's own commands.
    virtual int ReadDelayMs() const = 0;
    virtual bool TakeReadFailure() = 0;
    // One line of state for the test side.
    virtual std::size_t Describe(char* text, std::size_t size) const = 0;
};

// The instrument listening at primary address pad of a board, created once
// per address on first use; null when nothing listens there.
std::unique_ptr<BusDevice> MakeDevice(int board, int pad);

// The simulated analyser of kind 'A', 'B' or 'C' (serial "SIM" + pad)
// measuring the EUT a pam-sim --eut text names (null: the 230 ohm heater);
// null with a message on stderr for an unknown EUT.
std::unique_ptr<BusDevice> MakeAnalyser(int pad, char kind, const char* eut);
// The stand-in's own instrument.
std::unique_ptr<BusDevice> MakeTinyInstrument(int pad);

} // namespace standin
