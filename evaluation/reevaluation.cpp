#include "evaluation/reevaluation.h"

#include "evaluation/limits.h"
#include "files/logfile.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

bool IsClassAB(int32_t c) { return c == CLASS_A || c == CLASS_B; }
bool IsClassCD(int32_t c) { return c >= CLASS_C && c <= CLASS_C_WAVEFORM; }

bool Above(float h, float l) { return !IsNaN(l) && h > l; }
bool Above150(float h, float l) { return !IsNaN(l) && double(h) > 1.5 * double(l); }

}  // namespace

void ReevalBegin(PhaseReeval& s, Para& p, HarmResult& r, int phase)
{
    s = PhaseReeval{};
    s.phase = phase;
    s.cls = p.h_class;
    s.edition = p.h_standard;
    s.active = IsClassAB(s.cls) || IsClassCD(s.cls) || IsClass3_12(s.cls);
    if (!s.active) return;

    if (s.cls == CLASS_C || s.cls == CLASS_C_WAVEFORM) {
        s.pf = ControlValue(r.hpfm, p.ctrl_pf[phase]);
        s.I = ControlValue(r.hifm, p.ctrl_current[phase]);
    } else if (s.cls == CLASS_D || s.cls == CLASS_C_TABLE3) {
        s.P = ControlValue(r.hpm, p.ctrl_power[phase]);
    }
    s.Rsce = p.rsce;
    s.rsce_recommended = &p.rsce_recommended;
    s.drop_small = IsClassAB(s.cls) ? 0 : 1;
    s.window = FluctWindow(p.h_standard);

    r.hilt[0] = r.hilt[1] = 0;
    InitHFMX(r);
    // The bits this pass decides start clear, so a second pass gives the
    // same verdict as the first.
    if (IsClassAB(s.cls) || IsClassCD(s.cls)) r.higf &= ~(HIGF_FAIL | HIGF_AVG_OVER | HIGF_OVER150);
    if (IsClass3_12(s.cls))
        r.higf &= ~(HIGF_FAIL | HIGF_AVG_OVER | HIGF_FLUCT | HIGF_THD | HIGF_PWHD | HIGF_H5H7 | HIGF_H3);
}

void ReevalFrame(PhaseReeval& s, HarmFrame& f, HarmResult& r)
{
    if (!s.active) return;
    ComputeLimits(s.L, s.cls, f, s.P, s.pf, s.I, f.hima, s.Rsce, s.rsce_recommended, s.drop_small);
    if (!IsClassAB(s.cls)) std::memcpy(f.limit, s.L, sizeof f.limit);
    if (!IsClass3_12(s.cls)) EvalFluctHarmonics(s.history, f, r, s.window);

    if (IsClassAB(s.cls)) {
        bool any150 = false, any100 = false;
        double dt = (f.freq > 0.0f && std::isfinite(f.freq)) ? 10.0 / f.freq : 10.0 / 50.0;
        for (int n = 0; n < ORDERS; ++n) {
            const float h = f.hiam[n];
            if (Above150(h, f.limit[n])) any150 = true;
            if (Above(h, f.limit[n])) {
                any100 = true;
                s.hilt |= OrderBit(n);
            }
            if (Above150(h, s.L[n])) {
                r.higf |= HIGF_OVER150 | HIGF_FAIL;
                s.mark150 = true;
                s.above150[n] = true;
                s.time150[n] += dt;
            }
            if (!IsNaN(s.L[n]) && double(h) > 2.0 * double(s.L[n])) s.above200[n] = true;
            if (Above(r.hiav[n], s.L[n])) r.higf |= HIGF_AVG_OVER | HIGF_FAIL;
            s.sum[n] += h;
        }
        if (any150) f.hist |= HIST_OVER150_AB;
        else f.hist &= ~HIST_OVER150;
        if (!s.over100_seen) {
            if (any100) {
                f.hist |= HIST_OVER100;
                s.over100_seen = true;
            } else {
                f.hist &= ~HIST_OVER100;
            }
        }
    } else if (IsClassCD(s.cls)) {
        bool any150 = false, any100 = false;
        for (int n = 0; n < ORDERS; ++n) {
            const float h = f.hiam[n];
            if (Above150(h, f.limit[n])) any150 = true;
            if (Above(h, f.limit[n])) {
                any100 = true;
                s.hilt |= OrderBit(n);
            }
            if (Above(r.hiav[n], f.limit[n])) r.higf |= HIGF_AVG_OVER;
        }
        if (any150) { f.hist |= HIST_OVER150; r.higf |= HIGF_OVER150; }
        else f.hist &= ~HIST_OVER150;
        if (any100) f.hist |= HIST_OVER100;
        else f.hist &= ~HIST_OVER100;
        if (r.higf & (HIGF_OVER150 | HIGF_AVG_OVER)) r.higf |= HIGF_FAIL;
    } else {  // EN61000-3-12
        bool any150 = false;
        for (int n = 0; n < ORDERS; ++n) {
            const float h = f.hiam[n];
            if (Above150(h, f.limit[n])) any150 = true;
            if (Above(h, f.limit[n])) s.hilt |= OrderBit(n);
        }
        if (!s.over150_seen) {
            if (any150) {
                f.hist |= HIST_OVER150 | HIST_FAIL;
                s.over150_seen = true;
            } else {
                f.hist &= ~(HIST_OVER150 | HIST_OVER100);
            }
        }
        const float pwhd = PWHD(f);
        if (s.edition == 4) f.hpoc = pwhd;
        int fail = 0;
        ComparePWHD(s.cls, pwhd, s.Rsce, &fail);
        if (fail) r.higf |= HIGF_PWHD | HIGF_FAIL;
        fail = 0;
        CompareTHD(s.cls, f.hihd, s.Rsce, &fail);
        if (fail) r.higf |= HIGF_THD | HIGF_FAIL;
        const double i1 = f.hiam[1];
        if (i1 > 0.0) {
            if (f.hiam[5] > 0.05 * i1 && f.hiam[7] > 0.05 * i1) r.higf |= HIGF_H5H7;
            if (f.hiam[3] > 0.05 * i1) r.higf |= HIGF_H3;
        }
    }

    if (!IsClass3_12(s.cls)) {
        if ((f.hist & HIST_OVER150) || (r.higf & HIGF_AVG_OVER)) f.hist |= HIST_FAIL;
        else f.hist &= ~HIST_FAIL;
    }
    s.last = f;
    ++s.frames;
}

void ReevalEnd(PhaseReeval& s, HarmResult& r)
{
    if (!s.active) return;
    if (IsClassAB(s.cls)) {
        if (s.over100_seen) r.higf |= HIGF_FAIL | HIGF_AVG_OVER;
        else r.higf &= ~(HIGF_FAIL | HIGF_AVG_OVER);
        if (s.mark150 && (s.edition == 2 || s.edition == 3) && s.frames > 0) {
            // EN61000-3-2:2006: the 150 % excess is allowed when the order
            // never exceeds 200 %, stays above 150 % for less than 10 % of the
            // test duration and less than 600 s (whichever is smaller), and
            // its mean stays below 90 % of the limit.
            const Para& p = para;
            const double duration = double(p.h_hours) * 3600 + double(p.h_minutes) * 60 + p.h_seconds;
            bool withdraw = true;
            for (int n = 0; n < ORDERS && withdraw; ++n) {
                if (!s.above150[n]) continue;
                const double mean = s.sum[n] / s.frames;
                if (s.above200[n] || !(s.time150[n] < 600.0) || !(s.time150[n] < 0.1 * duration) ||
                    !(mean < 0.9 * double(s.L[n])))
                    withdraw = false;
            }
            if (withdraw) s.mark150 = false;
        }
        if (s.mark150) r.higf |= HIGF_OVER150 | HIGF_FAIL;
        else r.higf &= ~HIGF_OVER150;
    } else if (IsClass3_12(s.cls)) {
        if (s.frames > 0) {
            ComputeLimits(s.L, s.cls, s.last, s.P, s.pf, s.I, s.last.hima, s.Rsce,
                          s.rsce_recommended, s.drop_small);
            for (int n = 0; n < ORDERS; ++n)
                if (Above(r.hiav[n], s.L[n])) r.higf |= HIGF_FAIL | HIGF_AVG_OVER;
        }
        r.higf &= ~HIGF_FLUCT;
        if (s.phase >= 0 && s.phase < 3 && phase5_outside[s.phase]) {
            r.higf |= HIGF_PHASE5;
            phase5_outside[s.phase] = 0;
        }
    }
    SetOrderMaskWords(r.hilt, s.hilt);
}

int NewLimits(int fd, int phase, int, int)
{
    if (phase < 0 || phase > 2) return LOG_ERR_ARG;
    const int64_t size = LogFileSize(fd);
    if (size < LOG_DATA_OFFSET) return LOG_ERR_FOREIGN;
    int32_t count = 0;
    Para head{};
    if (LogPread(fd, &count, 4, LOG_COUNT_OFFSET) < 0) return LOG_ERR_IO;
    if (LogPread(fd, &head, sizeof head, LOG_PARA_OFFSET) < 0) return LOG_ERR_IO;
    if (head.test_kind != 0 || (head.phases != 1 && head.phases != 3) || phase >= head.phases)
        return LOG_ERR_FOREIGN;
    para = head;

    const int P = para.phases;
    const int64_t set_bytes = int64_t(P) * LOG_HARM_RECORD;
    int64_t frames = (size - LOG_DATA_OFFSET) / set_bytes;
    if (count < frames) frames = count < 0 ? 0 : count;

    HarmResult& r = buf_result[phase];
    PhaseReeval state;
    ReevalBegin(state, para, r, phase);
    if (!state.active) return LOG_OK;

    // Blocks of whole record sets: one read and one write per block.
    const int64_t sets_per_block = int64_t(1 << 20) / set_bytes;
    std::vector<unsigned char> block(size_t(sets_per_block * set_bytes));
    for (int64_t first = 0; first < frames; first += sets_per_block) {
        const int64_t n = frames - first < sets_per_block ? frames - first : sets_per_block;
        const int64_t offset = LOG_DATA_OFFSET + first * set_bytes;
        const size_t bytes = size_t(n * set_bytes);
        if (LogPread(fd, block.data(), bytes, offset) < 0) return LOG_ERR_IO;
        for (int64_t k = 0; k < n; ++k) {
            unsigned char* rec = block.data() + k * set_bytes + int64_t(phase) * LOG_HARM_RECORD;
            HarmFrame f;
            std::memcpy(&f, rec, sizeof f);
            ReevalFrame(state, f, r);
            std::memcpy(rec, &f, sizeof f);
        }
        // Only the span from this phase's first to its last record changes.
        const int64_t lo = int64_t(phase) * LOG_HARM_RECORD;
        const int64_t hi = (n - 1) * set_bytes + lo + LOG_HARM_RECORD;
        if (LogPwrite(fd, block.data() + lo, size_t(hi - lo), offset + lo) < 0) return LOG_ERR_IO;
    }
    ReevalEnd(state, r);
    return LOG_OK;
}
