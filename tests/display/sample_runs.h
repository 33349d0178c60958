// Stored runs with plausible contents for pictures and timings: a harmonic
// run of a switched-mode supply (class A limits, a few excursions over 100 %
// and over range) and a flicker run with twelve periods, written with the
// logging-file writers.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "state/records.h"
#include "files/logfile.h"
#include "state/para.h"
#include "platform/fixed_text.h"

namespace sample {

inline float ClassALimit(int n)
{
    static const float odd[] = {0, 0, 0, 2.30f, 0, 1.14f, 0, 0.77f, 0, 0.40f, 0, 0.33f, 0, 0.21f};
    static const float even[] = {0, 0, 1.08f, 0, 0.43f, 0, 0.30f};
    if (n < 2) return NoLimit();
    if (n % 2) return n <= 13 ? odd[n] : 0.15f * 15.0f / float(n);
    return n <= 6 ? even[n] : 0.23f * 8.0f / float(n);
}

inline HarmFrame Harmonic(int k, int frames, int phase)
{
    HarmFrame f{};
    f.fltr = frames - 1 - k;
    const double t = double(k);
    for (int n = 0; n < ORDERS; ++n) {
        double c = 0.01;
        if (n == 1) c = 7.5 + 0.6 * std::sin(t / 40.0) + 0.2 * phase;
        else if (n % 2) c = (6.0 / n) * (0.45 + 0.2 * std::sin(t / (25.0 + n) + phase) + 0.05 * std::sin(t * 1.7 + n));
        else if (n > 0) c = 0.02 + 0.01 * std::sin(t / 7.0 + n);
        if (n == 3 && k % 400 > 380) c *= 1.35;   // short excursions above the limit
        f.hiam[n] = float(c);
        f.limit[n] = ClassALimit(n);
    }
    f.utrms = float(230.0 + 1.5 * std::sin(t / 90.0) + 0.3 * phase);
    f.itrms = float(f.hiam[1] * 1.25);
    f.pf = float(0.68 + 0.02 * std::sin(t / 60.0));
    f.p = float(f.utrms * f.itrms * f.pf);
    f.s = float(f.utrms * f.itrms);
    f.q = float(std::sqrt(std::max(0.0, double(f.s) * f.s - double(f.p) * f.p)));
    f.freq = float(50.0 + 0.02 * std::sin(t / 33.0));
    f.huhd = float(1.1 + 0.2 * std::sin(t / 70.0));
    f.hihd = float(95.0 + 5.0 * std::sin(t / 45.0));
    f.count = float(1000 + k);
    f.ovru = 72.0f;
    f.ovri = k % 500 == 250 ? 101.0f : float(55.0 + 10.0 * std::sin(t / 20.0));
    return f;
}

inline Para HarmonicPara(int phases)
{
    Para p{};
    p.test_kind = 0;
    p.phases = phases;
    p.h_standard = 2;
    p.h_class = 0;
    CopyFixed(p.sw_version, "3.00");
    DefaultAnalogInputs(p);
    return p;
}

// Writes a harmonic run of `frames` frames; false when the writer failed.
inline bool WriteHarmonic(const std::string& path, int frames, int phases)
{
    int fd = -1;
    if (LogCreate(path.c_str(), HarmonicPara(phases), &fd) != LOG_OK) return false;
    int32_t count = 0;
    unsigned char b[3 * sizeof(HarmFrame)];
    for (int k = 0; k < frames; ++k) {
        for (int p = 0; p < phases; ++p) {
            const HarmFrame f = Harmonic(k, frames, p);
            std::memcpy(b + p * sizeof f, &f, sizeof f);
        }
        if (LogAppendSet(fd, b, phases, int(sizeof(HarmFrame)), &count) != LOG_OK) return false;
    }
    for (int p = 0; p < phases; ++p) {
        HarmResult r{};
        for (int n = 0; n < ORDERS; ++n) r.hiav[n] = Harmonic(0, frames, p).hiam[n];
        if (LogAppendResult(fd, r) != LOG_OK) return false;
    }
    return LogClose(fd) == LOG_OK;
}

constexpr int FLICKER_PERIODS = 12;
constexpr int FLICKER_PERIOD_S = 60;

inline FlkFrame Flicker(int k, int frames, int phase)
{
    FlkFrame f{};
    const int L = FLICKER_PERIOD_S;
    f.fltr = frames - 1 - k;
    f.fstr = L - 1 - (k % L);
    f.fsta = k == frames - 1 ? 3 : 2;
    const int period = k / L;
    const double t = double(k);
    f.utrms = float(229.0 + 0.8 * std::sin(t / 9.0) + 0.2 * phase);
    f.itrms = 4.2f;
    f.p = 900.0f;
    f.pf = 0.97f;
    f.s = 928.0f;
    f.q = 225.0f;
    f.freq = 50.0f;
    f.flst = float(0.45 + 0.35 * std::fabs(std::sin(period * 1.3 + phase)) + (period == 7 ? 0.45 : 0.0));
    f.fllt = 0.5f;
    f.flmo = float(0.2 + 0.1 * std::sin(t / 5.0));
    for (int j = 0; j < 32; ++j) {
        const double u = t + j / 32.0;
        f.flms[j] = float(0.25 + 0.2 * std::fabs(std::sin(u * 2.1)));
        f.flrm[j] = float(229.0 + 0.8 * std::sin(u / 9.0) - 0.6 * (std::fmod(u, 7.0) < 0.3));
        f.fldt[j] = float(0.25 * (std::fmod(u, 7.0) < 0.3));
    }
    f.fldc = 0.3f;
    f.fldx = float(1.2 + 0.6 * std::fabs(std::sin(period)));
    f.count = float(5000 + k);
    f.ovru = k == 7 * L + 20 ? 100.5f : 70.0f;
    return f;
}

inline bool WriteFlicker(const std::string& path, int phases)
{
    Para p{};
    p.test_kind = 1;
    p.phases = phases;
    p.fl_periods = FLICKER_PERIODS;
    p.fl_minutes = FLICKER_PERIOD_S / 60;
    p.fl_seconds = FLICKER_PERIOD_S % 60;
    p.dmax_limit = 4.0f;
    CopyFixed(p.fl_standard, "EN61000-3-3");
    CopyFixed(p.sw_version, "3.00");
    DefaultAnalogInputs(p);
    int fd = -1;
    if (LogCreate(path.c_str(), p, &fd) != LOG_OK) return false;
    const int frames = FLICKER_PERIODS * FLICKER_PERIOD_S + 2;
    int32_t count = 0;
    unsigned char b[3 * sizeof(FlkFrame)];
    for (int k = 0; k < frames; ++k) {
        for (int ph = 0; ph < phases; ++ph) {
            const FlkFrame f = Flicker(k, frames, ph);
            std::memcpy(b + ph * sizeof f, &f, sizeof f);
        }
        // the analyser's answers arrive twice after the first (the loading keeps one of each)
        for (int r = 0; r < (k ? 2 : 1); ++r)
            if (LogAppendSet(fd, b, phases, int(sizeof(FlkFrame)), &count) != LOG_OK) return false;
    }
    return LogClose(fd) == LOG_OK;
}

}  // namespace sample
