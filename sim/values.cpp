// Fixed measured values.
#include "sim/values.h"

namespace sim {

StaticValues::StaticValues()
{
    // 230 V, 50 Hz sine into a 230 ohm resistor: 1 A, 230 W, unity power factor.
    const double rt2 = 1.41421356;
    defaults_ = {
        {"UAC", 230}, {"UCF", rt2}, {"UDC", 0}, {"UTRMS", 230}, {"UFF", 1.1107}, {"UMAX", 230 * rt2},
        {"UMIN", -230 * rt2}, {"UPP", 460 * rt2}, {"UREC", 207.07}, {"IAC", 1}, {"ICF", rt2}, {"IDC", 0},
        {"ITRMS", 1}, {"IFF", 1.1107}, {"IMAX", rt2}, {"IMIN", -rt2}, {"IPP", 2 * rt2}, {"IREC", 0.9003},
        {"EP", 0}, {"ES", 0}, {"EI", 0}, {"EQ", 0}, {"FLDC", 0}, {"FLDX", 0}, {"FLLT", 0}, {"FLMO", 0},
        {"FLST", 0}, {"FLTR", 0}, {"FSTR", 0}, {"FREQ", 50}, {"P", 230}, {"PM", 230}, {"SM", 230},
        {"QM", 0}, {"S", 230}, {"PF", 1}, {"PHI", 0}, {"Q", 0}, {"HUHD", 0}, {"HIHD", 0}, {"CYCL", 0},
        {"DIST", 0},
    };
}

bool StaticValues::value(const std::string& mnemonic, int channel, double* v) const
{
    auto it = values_.find({mnemonic, channel});
    if (it != values_.end()) { *v = it->second; return true; }
    auto d = defaults_.find(mnemonic);
    if (d == defaults_.end()) return false;
    *v = d->second;
    return true;
}

}  // namespace sim
