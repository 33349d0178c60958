#include "files/reevaluation.h"

#include "evaluation/limits.h"
#include "evaluation/marks.h"
#include "files/logfile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

bool IsClassAB(int32_t c) { return c == CLASS_A || c == CLASS_B; }
bool IsClassCD(int32_t c) { return c >= CLASS_C && c <= CLASS_C_WAVEFORM; }

inline bool Above(float h, float l) { return !Marked(l) && h > l; }
inline bool Above150(float h, float l) { return !Marked(l) && double(h) > 1.5 * double(l); }

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
    if (IsClassAB(s.cls)) {
        ComputeLimits(s.L, s.cls, HarmFrame{}, 0, 0, 0, 0, s.Rsce, s.rsce_recommended, 0);
        for (int n = 0; n < ORDERS; ++n) {
            const bool m = Marked(s.L[n]);
            s.L150[n] = m ? HUGE_VAL : 1.5 * double(s.L[n]);
            s.L200[n] = m ? HUGE_VAL : 2.0 * double(s.L[n]);
            if (!m && r.hiav[n] > s.L[n]) s.avg_over = true;
        }
    }
    // The bits this pass decides start clear, so a second pass gives the
    // same verdict as the first.
    if (IsClassAB(s.cls) || IsClassCD(s.cls)) r.higf &= ~(HIGF_FAIL | HIGF_AVG_OVER | HIGF_OVER150);
    if (IsClass3_12(s.cls))
        r.higf &= ~(HIGF_FAIL | HIGF_AVG_OVER | HIGF_FLUCT | HIGF_THD | HIGF_PWHD | HIGF_H5H7 | HIGF_H3);
}

void ReevalFrame(PhaseReeval& s, HarmFrame& f, HarmResult& r)
{
    if (!s.active) return;
    // Class A and B limits do not depend on the frame: computed once.
    if (!IsClassAB(s.cls)) {
        ComputeLimits(s.L, s.cls, f, s.P, s.pf, s.I, f.hima, s.Rsce, s.rsce_recommended, s.drop_small);
        std::memcpy(f.limit, s.L, sizeof f.limit);
    }
    if (!IsClass3_12(s.cls)) EvalFluctHarmonics(s.history, f, r, s.window);

    if (IsClassAB(s.cls)) {
        if (s.frames == 0 && s.avg_over) r.higf |= HIGF_AVG_OVER | HIGF_FAIL;
        // A marked limit is a NaN: every comparison with it is false.
        bool any150 = false, any100 = false, mark150 = false;
        const double dt = (f.freq > 0.0f && std::isfinite(f.freq)) ? 10.0 / f.freq : 10.0 / 50.0;
        uint64_t hilt = 0;
        for (int n = 0; n < ORDERS; ++n) {
            const float h = f.hiam[n];
            const float l = f.limit[n];
            const bool o150 = double(h) > 1.5 * double(l);
            const bool o100 = h > l;
            any150 |= o150;
            any100 |= o100;
            hilt |= uint64_t(o100) << n;
            const bool a150 = h > s.L150[n];
            mark150 |= a150;
            s.time150[n] += a150 ? dt : 0.0;
            s.above200[n] |= h > s.L200[n];
            s.sum[n] += h;
        }
        s.hilt |= hilt;
        s.mark150 |= mark150;
        if (s.mark150) r.higf |= HIGF_OVER150 | HIGF_FAIL;
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
    if (IsClass3_12(s.cls)) s.last = f;
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
                if (!(s.time150[n] > 0.0)) continue;  // never above 150 %
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

namespace {

// One pass over the file for the listed phases: each block of whole record
// sets is read once, judged for every listed phase and written back once.
int Reevaluate(int fd, const int* phases, int nphases)
{
    const int64_t size = LogFileSize(fd);
    if (size < LOG_DATA_OFFSET) return LOG_ERR_FOREIGN;
    int32_t count = 0;
    Para head{};
    if (LogPread(fd, &count, 4, LOG_COUNT_OFFSET) < 0) return LOG_ERR_IO;
    if (LogPread(fd, &head, sizeof head, LOG_PARA_OFFSET) < 0) return LOG_ERR_IO;
    if (head.test_kind != 0 || (head.phases != 1 && head.phases != 3)) return LOG_ERR_FOREIGN;
    for (int i = 0; i < nphases; ++i)
        if (phases[i] < 0 || phases[i] >= head.phases) return LOG_ERR_FOREIGN;
    para = head;

    const int P = para.phases;
    const int64_t set_bytes = int64_t(P) * LOG_HARM_RECORD;
    int64_t frames = (size - LOG_DATA_OFFSET) / set_bytes;
    if (count < frames) frames = count < 0 ? 0 : count;

    std::vector<PhaseReeval> state(static_cast<size_t>(nphases));
    int lo_phase = 3, hi_phase = -1;
    bool any = false;
    for (int i = 0; i < nphases; ++i) {
        ReevalBegin(state[size_t(i)], para, buf_result[phases[i]], phases[i]);
        if (state[size_t(i)].active) {
            any = true;
            lo_phase = std::min(lo_phase, phases[i]);
            hi_phase = std::max(hi_phase, phases[i]);
        }
    }
    if (!any) return LOG_OK;

    const int64_t sets_per_block = std::max<int64_t>(1, int64_t(1 << 20) / set_bytes);
    std::vector<HarmFrame> block(size_t(sets_per_block * P));
    auto* bytes = reinterpret_cast<unsigned char*>(block.data());
    for (int64_t first = 0; first < frames; first += sets_per_block) {
        const int64_t n = std::min(frames - first, sets_per_block);
        const int64_t offset = LOG_DATA_OFFSET + first * set_bytes;
        if (LogPread(fd, bytes, size_t(n * set_bytes), offset) < 0) return LOG_ERR_IO;
        for (int64_t k = 0; k < n; ++k) {
            for (int i = 0; i < nphases; ++i) {
                PhaseReeval& st = state[size_t(i)];
                if (st.active) ReevalFrame(st, block[size_t(k * P + st.phase)], buf_result[st.phase]);
            }
        }
        // Only the span from the first to the last judged record changes.
        const int64_t lo = int64_t(lo_phase) * LOG_HARM_RECORD;
        const int64_t hi = (n - 1) * set_bytes + int64_t(hi_phase + 1) * LOG_HARM_RECORD;
        if (LogPwrite(fd, bytes + lo, size_t(hi - lo), offset + lo) < 0) return LOG_ERR_IO;
    }
    for (PhaseReeval& st : state) ReevalEnd(st, buf_result[st.phase]);
    return LOG_OK;
}

}  // namespace

int NewLimits(int fd, int phase, int, int)
{
    if (phase < 0 || phase > 2) return LOG_ERR_ARG;
    return Reevaluate(fd, &phase, 1);
}

int NewLimitsAll(int fd)
{
    Para head{};
    if (LogPread(fd, &head, sizeof head, LOG_PARA_OFFSET) < 0) return LOG_ERR_IO;
    if (head.phases != 1 && head.phases != 3) return LOG_ERR_FOREIGN;
    const int phases[3] = {0, 1, 2};
    return Reevaluate(fd, phases, head.phases);
}
