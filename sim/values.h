// Where a simulated analyser gets its latest measured values from. The
// measuring engine provides one; StaticValues serves fixed values (a
// resistive load on a clean 230 V / 50 Hz supply unless set otherwise).
#pragma once

#include <map>
#include <string>
#include <utility>

namespace sim {

class MeasuredValues {
public:
    virtual ~MeasuredValues() = default;
    // Latest value of a single-value quantity ("UAC", "P", "FREQ" ...) of a
    // channel (1-based); false when the quantity is unknown.
    virtual bool value(const std::string& mnemonic, int channel, double* v) const = 0;
};

class StaticValues : public MeasuredValues {
public:
    StaticValues();
    bool value(const std::string& mnemonic, int channel, double* v) const override;
    void set(const std::string& mnemonic, int channel, double v) { values_[{mnemonic, channel}] = v; }

private:
    std::map<std::pair<std::string, int>, double> values_;
    std::map<std::string, double> defaults_;
};

}  // namespace sim
