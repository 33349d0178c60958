// Runs a flickermeter on a generated supply.
#pragma once

#include "sim/dsp/flickermeter.h"
#include "sim/dsp/fluctuation.h"

#include <vector>

namespace flicker_test {

using namespace orivan::dsp;

inline Fluctuation Rect(double cpm, double du)
{
    Fluctuation f;
    f.kind = Fluctuation::Rect;
    f.cpm = cpm;
    f.du_pct = du;
    return f;
}

inline Fluctuation Sine(double hz, double du)
{
    Fluctuation f;
    f.kind = Fluctuation::Sine;
    f.hz = hz;
    f.du_pct = du;
    return f;
}

inline SupplyConfig SupplyFor(const FlickermeterConfig& mc, const Fluctuation& f)
{
    SupplyConfig sc;
    sc.sample_rate = mc.sample_rate;
    sc.mains_hz = mc.mains_hz;
    sc.u_rms = mc.lamp == Lamp::V120_60Hz ? 120 : 230;
    sc.fluctuation = f;
    return sc;
}

// Feeds the meter `seconds` of the supply in blocks of 0.1 s.
inline void Feed(Flickermeter& m, SupplyGenerator& g, double seconds)
{
    std::vector<double> block(size_t(m.config().sample_rate / 10));
    for (long i = 0, n = long(seconds * 10 + 0.5); i < n; ++i) {
        g.generate(block.data(), block.size());
        m.feed(block);
    }
}

// Pst of one observation period of `period_s`.
inline double PstOf(Lamp lamp, const Fluctuation& f, double period_s, double rate = 4800)
{
    FlickermeterConfig mc = FlickermeterConfig::For(lamp);
    mc.sample_rate = rate;
    mc.period_s = period_s;
    Flickermeter m(mc);
    SupplyGenerator g(SupplyFor(mc, f));
    Feed(m, g, mc.settle_s + period_s + 0.1);
    return m.periods().empty() ? -1 : m.periods()[0].stats.pst;
}

// Largest Pinst over `seconds` after a settling time long enough for the
// 0.05 Hz high-pass.
inline double PinstMaxOf(Lamp lamp, const Fluctuation& f, double seconds = 20)
{
    FlickermeterConfig mc = FlickermeterConfig::For(lamp);
    mc.settle_s = 15;
    Flickermeter m(mc);
    SupplyGenerator g(SupplyFor(mc, f));
    Feed(m, g, mc.settle_s + seconds);
    return m.pinst_max();
}

}  // namespace flicker_test
