#include "sim/analysis/harmonics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/analysis/dft.h"

namespace simphys {

namespace {

constexpr double kSmoothingTau = 1.5;  // s

float Degrees(std::complex<float> x)
{
    // Sine reference: A sin(wt + phi) has its bin at angle phi - 90 degrees.
    double d = std::arg(std::complex<double>(x)) * 180 / std::numbers::pi + 90;
    if (d > 180) d -= 360;
    if (d <= -180) d += 360;
    return float(d);
}

// Harmonic values of one signal from its bins.
void Harmonics(const Dft& dft, int periods, bool grouping, float* amp, float* deg)
{
    const int n = dft.size(), last = n / 2;
    const double scale = std::numbers::sqrt2 / n;
    amp[0] = std::abs(dft.bin(0)) / n;
    deg[0] = 0;
    for (int h = 1; h <= kMaxOrder; ++h) {
        const int k = h * periods;
        if (k > last) {
            amp[h] = deg[h] = 0;
            continue;
        }
        double e = std::norm(std::complex<double>(dft.bin(k)));
        if (grouping) {
            e += std::norm(std::complex<double>(dft.bin(k - 1)));
            if (k + 1 <= last) e += std::norm(std::complex<double>(dft.bin(k + 1)));
        }
        amp[h] = float(scale * std::sqrt(e));
        deg[h] = Degrees(dft.bin(k));
    }
}

double Thd(const float* a)
{
    if (a[1] <= 0) return 0;
    double e = 0;
    for (int h = 2; h <= kMaxOrder; ++h) e += double(a[h]) * a[h];
    return 100 * std::sqrt(e) / a[1];
}

// Interpolated position of the first rising zero crossing at or after `from`;
// -1 when there is none.
double RisingZero(const float* u, int n, int from)
{
    for (int k = std::max(1, from); k < n; ++k)
        if (u[k - 1] < 0 && u[k] >= 0) return k - 1 + u[k - 1] / double(u[k - 1] - u[k]);
    return -1;
}

}  // namespace

bool GroupingForEdition(int edition)
{
    return edition >= 2;
}

double SupplyHarmonicLimit(int order)
{
    switch (order) {
    case 3: return 0.9;
    case 5: return 0.4;
    case 7: return 0.3;
    case 9: return 0.2;
    default: return order <= 10 ? 0.2 : 0.1;
    }
}

struct HarmonicAnalyser::State {
    struct Phase {
        bool started = false;
        float smooth[kOrders]{};
        double hima = 0;
        double sum_p = 0, sum_pf = 0;
        int32_t frames = 0;
    } ph[3];
};

HarmonicAnalyser::HarmonicAnalyser(const AnalyserSetup& setup) : setup_(setup), state_(new State) {}

HarmonicAnalyser::~HarmonicAnalyser() = default;

void HarmonicAnalyser::restart()
{
    *state_ = State{};
}

void HarmonicAnalyser::analyse(const Window& w, PhaseValues* out)
{
    for (int p = 0; p < w.phases; ++p)
        analyse_phase(w.u[p].data(), w.i[p].data(), w.n, w.periods, w.fs, p, out[p]);
}

void HarmonicAnalyser::analyse_phase(const float* u, const float* i, int n, int periods, double fs, int phase,
                                     PhaseValues& out)
{
    phase = std::clamp(phase, 0, 2);
    if (n < 4 || periods < 1 || fs <= 0) {  // nothing to analyse
        const int32_t frames = state_->ph[phase].frames;
        out = PhaseValues{};
        out.frames = frames;
        return;
    }
    if (!dft_u_ || dft_u_->size() != n) {
        dft_u_ = std::make_unique<Dft>(n);
        dft_i_ = std::make_unique<Dft>(n);
    }
    State::Phase& st = state_->ph[phase];
    dft_u_->transform(u);
    dft_i_->transform(i);
    Harmonics(*dft_u_, periods, setup_.grouping, out.huam, out.huph);
    Harmonics(*dft_i_, periods, setup_.grouping, out.hiam, out.hiph);

    const double tw = n / fs;
    const float alpha = float(1 - std::exp(-tw / kSmoothingTau));
    if (setup_.smoothing) {
        for (int h = 0; h < kOrders; ++h) {
            if (!st.started) st.smooth[h] = out.hiam[h];
            else st.smooth[h] += (out.hiam[h] - st.smooth[h]) * alpha;
            out.hiam[h] = st.smooth[h];
        }
    }

    // Time-domain values.
    double su = 0, si = 0, sp = 0;
    float up = 0, ip = 0;
    for (int k = 0; k < n; ++k) {
        su += double(u[k]) * u[k];
        si += double(i[k]) * i[k];
        sp += double(u[k]) * i[k];
        up = std::max(up, std::fabs(u[k]));
        ip = std::max(ip, std::fabs(i[k]));
    }
    out.utrms = float(std::sqrt(su / n));
    out.itrms = float(std::sqrt(si / n));
    out.p = float(sp / n);
    out.s = out.utrms * out.itrms;
    out.pf = out.s > 0 ? out.p / out.s : 0;
    const double q1 = std::sin(std::arg(std::complex<double>(dft_u_->bin(periods))) -
                               std::arg(std::complex<double>(dft_i_->bin(periods))));
    const double qa = std::sqrt(std::max(0.0, double(out.s) * out.s - double(out.p) * out.p));
    out.q = float(q1 < 0 ? -qa : qa);
    out.upeak = up;
    out.ipeak = ip;
    out.crest = out.utrms > 0 ? up / out.utrms : 0;

    // Frequency from the first and last rising zero crossings; the voltage
    // peak's angle after the first.
    const int spp = std::max(1, n / std::max(1, periods));
    out.freq = 0;
    out.peak_angle = 0;
    double z0 = RisingZero(u, n, 1);
    if (z0 >= 0) {
        double zl = z0;
        int cycles = 0;
        for (double z = z0; (z = RisingZero(u, n, int(z) + spp / 2)) >= 0;) {
            zl = z;
            ++cycles;
        }
        if (cycles > 0) out.freq = float(cycles * fs / (zl - z0));
        int kmax = int(z0) + 1;
        const int end = std::min(n, int(z0) + spp / 2);
        for (int k = kmax; k < end; ++k)
            if (u[k] > u[kmax]) kmax = k;
        if (kmax < end) out.peak_angle = float((kmax - z0) * 360.0 / spp);
    }

    out.huhd = float(Thd(out.huam));
    out.hihd = float(Thd(out.hiam));
    double thc = 0, poc = 0;
    for (int h = 2; h <= kMaxOrder; ++h) {
        double e = double(out.hiam[h]) * out.hiam[h];
        thc += e;
        if (h >= 21 && (h & 1)) poc += e;
    }
    out.hthc = float(std::sqrt(thc));
    out.hpoc = float(std::sqrt(poc));

    out.ovru = float(100 * up / (std::numbers::sqrt2 * std::max(1e-9, setup_.u_range[phase])));
    out.ovri = float(100 * ip / (std::numbers::sqrt2 * std::max(1e-9, setup_.i_range[phase])));

    // Supply against the test conditions.
    int32_t hust = 0;
    out.u_over = 0;
    for (int h = 2; h <= kMaxOrder; ++h)
        if (out.huam[1] > 0 && 100.0 * out.huam[h] / out.huam[1] > SupplyHarmonicLimit(h))
            out.u_over |= uint64_t(1) << h;
    if (out.u_over) hust |= kSupplyHarm;
    if (std::fabs(out.utrms - setup_.nominal_voltage) > 0.02 * setup_.nominal_voltage) hust |= kSupplyVolt;
    if (std::fabs(out.freq - setup_.nominal_frequency) > 0.005 * setup_.nominal_frequency) hust |= kSupplyFreq;
    if (out.crest < 1.40f || out.crest > 1.42f) hust |= kSupplyCrest;
    if (out.peak_angle < 87 || out.peak_angle > 93) hust |= kSupplyPhase;
    if (hust) hust |= kSupplyAll;
    out.hust = hust;

    // Running values since the restart.
    if (!st.started) st.hima = out.itrms;
    else st.hima += (out.itrms - st.hima) * alpha;
    out.hima = float(st.hima);
    st.sum_p += out.p;
    st.sum_pf += out.pf;
    st.frames++;
    out.frames = st.frames;
    out.hpav = float(st.sum_p / st.frames);
    out.hpfa = float(st.sum_pf / st.frames);
    st.started = true;
}

}  // namespace simphys
