// The flickermeter verification run (flicker-verify, pam-sim flicker).
#include "sim/dsp/flicker_verify.h"

#include "sim/dsp/flickermeter.h"
#include "sim/dsp/fluctuation.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace orivan::dsp {

namespace {

std::string Fixed(double v, int decimals)
{
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf, p) : std::string("?");
}

bool ParseDouble(const char* s, double* v)
{
    const char* e = s + std::strlen(s);
    auto [p, ec] = std::from_chars(s, e, *v);
    return ec == std::errc() && p == e && *s && std::isfinite(*v);
}

bool ParseInt(const char* s, int* v)
{
    const char* e = s + std::strlen(s);
    auto [p, ec] = std::from_chars(s, e, *v);
    return ec == std::errc() && p == e && *s;
}

int Usage(const char* name, const char* why)
{
    FILE* to = why ? stderr : stdout;  // --help: standard output, status 0
    if (why)
        std::fprintf(stderr, "%s: %s\n", name, why);
    std::fprintf(to,
                 "usage: %s --fluctuation rect:cpm=N,du=P | sine:hz=F,du=P\n"
                 "          [--lamp 230/50|120/60] [--periods N] [--minutes M]\n"
                 "          [--seconds S] [--rate HZ]\n"
                 "  du is the peak-to-peak relative voltage change in %%; the observation\n"
                 "  period is M minutes plus S seconds (default 10 minutes).\n", name);
    return why ? 2 : 0;
}

}  // namespace

int FlickerVerifyMain(int argc, char** argv, const char* name)
{
    Fluctuation fl;
    bool have_fl = false;
    Lamp lamp = Lamp::V230_50Hz;
    int periods = 1, minutes = -1, seconds = 0;
    double rate = 4800;
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h")
            return Usage(name, nullptr);
        if (i + 1 >= argc)
            return Usage(name, ("missing value for " + a).c_str());
        const char* v = argv[++i];
        if (a == "--fluctuation") {
            std::string err;
            if (!Fluctuation::Parse(v, &fl, &err))
                return Usage(name, err.c_str());
            have_fl = true;
        } else if (a == "--lamp") {
            if (std::strcmp(v, "230/50") == 0)
                lamp = Lamp::V230_50Hz;
            else if (std::strcmp(v, "120/60") == 0)
                lamp = Lamp::V120_60Hz;
            else
                return Usage(name, "--lamp is 230/50 or 120/60");
        } else if (a == "--periods") {
            if (!ParseInt(v, &periods) || periods < 1 || periods > 1000)
                return Usage(name, "--periods must be 1 to 1000");
        } else if (a == "--minutes") {
            if (!ParseInt(v, &minutes) || minutes < 0 || minutes > 1440)
                return Usage(name, "--minutes must be 0 to 1440");
        } else if (a == "--seconds") {
            if (!ParseInt(v, &seconds) || seconds < 0 || seconds > 86400)
                return Usage(name, "--seconds must be 0 to 86400");
        } else if (a == "--rate") {
            if (!ParseDouble(v, &rate) || rate < 1600 || rate > 1e6)
                return Usage(name, "--rate must be 1600 to 1000000 Hz");
        } else {
            return Usage(name, ("unknown option " + a).c_str());
        }
    }
    if (!have_fl)
        return Usage(name, "--fluctuation is required");
    if (minutes < 0)
        minutes = seconds > 0 ? 0 : 10;
    double period_s = minutes * 60.0 + seconds;
    if (period_s < 1)
        return Usage(name, "the observation period must be at least 1 s");

    FlickermeterConfig mc = FlickermeterConfig::For(lamp);
    mc.sample_rate = rate;
    mc.period_s = period_s;
    mc.plt_periods = periods;
    Flickermeter meter(mc);

    SupplyConfig sc;
    sc.sample_rate = rate;
    sc.mains_hz = mc.mains_hz;
    sc.u_rms = lamp == Lamp::V120_60Hz ? 120 : 230;
    sc.fluctuation = fl;
    SupplyGenerator supply(sc);

    std::printf("lamp %s, sample rate %s Hz, observation period %s s, %d period(s), settling %s s\n",
                lamp == Lamp::V120_60Hz ? "120 V / 60 Hz" : "230 V / 50 Hz", Fixed(rate, 0).c_str(),
                Fixed(period_s, 0).c_str(), periods, Fixed(mc.settle_s, 0).c_str());
    std::printf("fluctuation %s\n", fl.describe().c_str());

    meter.on_period = [&](const PeriodResult& r) {
        std::printf("Pst %d: %s\n", r.index + 1, Fixed(r.stats.pst, 4).c_str());
        std::fflush(stdout);
    };
    std::vector<double> chunk(size_t(rate / 10));
    while (int(meter.periods().size()) < periods) {
        supply.generate(chunk.data(), chunk.size());
        meter.feed(chunk);
    }
    std::printf("Pinst,max: %s\n", Fixed(meter.pinst_max(), 4).c_str());
    std::printf("Plt: %s\n", Fixed(meter.plt(), 4).c_str());
    return 0;
}

}  // namespace orivan::dsp
