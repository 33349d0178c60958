// A simulated programmable power source on the GPIB bus. It shares the byte
// handling of the simulated instruments (message assembly, error queue,
// status byte, END marks) but understands only its own small command set:
//   VOLT <V> | VOLT?         output voltage, 0 .. 300 V RMS (phase to neutral)
//   FREQ <Hz> | FREQ?        output frequency, 40 .. 70 Hz
//   OUTP ON|OFF|1|0 | OUTP?  output switched on or off
//   *IDN? *RST *CLS *OPC *OPC? *WAI *ESR? *STB? *ESE *SRE SYST:ERR?
// "SOUR:VOLT", "SOUR:FREQ" and "OUTP:STAT" are accepted as long forms.
// Settings feed the plant's supply from the next measuring window on. An
// unknown command or a value out of range goes to the error queue and sets
// the command (0x20) or execution (0x10) error bit of the event register.
#pragma once

#include <memory>

#include "sim/analyser.h"
#include "sim/plant.h"

namespace sim {

class PowerSource : public Analyser {
public:
    PowerSource(std::shared_ptr<Plant> plant, int address);

    double voltage() const { return voltage_; }
    double frequency() const { return frequency_; }
    bool output_on() const { return on_; }

private:
    void apply();
    std::shared_ptr<Plant> plant_;
    double voltage_, frequency_;
    bool on_ = true;
};

}  // namespace sim
