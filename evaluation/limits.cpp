#include "evaluation/limits.h"

#include "evaluation/marks.h"
#include "state/reset.h"
#include "state/para.h"

#include <cmath>
#include <cstring>

int32_t phase5_outside[3] = {0, 0, 0};

namespace {

const ClassItem kItems3_2[] = {
    {0, "Class A"}, {1, "Class B"}, {2, "Class C (Table 2)"}, {3, "Class D"},
    {4, "Class C (Table 3)"}, {5, "Class C (specific waveform)"},
};
const ClassItem kItems3_12[] = {{10, "Table 2"}, {11, "Table 3"}, {12, "Table 4"}};

// Power-related limits of class D and class C (Table 3), mA/W, odd orders.
double PerWatt(int n)
{
    switch (n) {
    case 3: return 3.4;
    case 5: return 1.9;
    case 7: return 1.0;
    case 9: return 0.5;
    case 11: return 0.35;
    default: return (n >= 13 && n <= 39 && n % 2) ? 3.85 / n : 0.0;
    }
}

// One EN61000-3-12 formula k*Rsce + c (% of I1) with its row values.
struct TableOrder {
    int order;
    double k, c;
    double rows[5];  // at the row Rsce values, the last for Rsce beyond the last row
};

constexpr int kLastLimitedEven3_12 = 12;

const float kRows5[] = {33.0f, 66.0f, 120.0f, 250.0f, 350.0f};
const float kRows2[] = {33.0f, 120.0f};

const TableOrder kTable2[] = {
    {3, 0.06, 20, {21.6, 24, 27, 35, 41}},
    {5, 0.04, 10, {10.7, 13, 15, 20, 24}},
    {7, 0.025, 6.5, {7.2, 8, 10, 13, 15}},
    {9, 0.025, 3, {3.8, 5, 6, 9, 12}},
    {11, 0.02, 2.5, {3.1, 4, 5, 8, 10}},
    {13, 0.02, 1.4, {2, 3, 4, 6, 8}},
};
const TableOrder kTable3[] = {
    {5, 0.09, 8, {10.7, 14, 19, 31, 40}},
    {7, 0.06, 5, {7.2, 9, 12, 20, 25}},
    {11, 0.04, 2, {3.1, 5, 7, 12, 15}},
    {13, 0.02, 1.2, {2, 3, 4, 7, 10}},
};
const TableOrder kTable4[] = {
    {5, 0.33, 0, {10.7, 40}},
    {7, 0.2, 0, {7.2, 25}},
    {11, 0.14, -1.5, {3.1, 15}},
    {13, 0.1, -1, {2, 10}},
};

// Percent of I1 for one order: a row when Rsce equals its Rsce exactly (as
// single-precision values) or exceeds the last row, otherwise the formula.
double TablePercent(const TableOrder& t, const float* rows, int nrows, float Rsce)
{
    if (Rsce > rows[nrows - 1]) return t.rows[nrows - 1];
    for (int i = 0; i < nrows - 1; ++i)
        if (Rsce == rows[i]) return t.rows[i];
    return t.k * double(Rsce) + t.c;
}

void Table3_12(float out[ORDERS], int32_t cls, const HarmFrame& frame, float Rsce,
               float* rsce_recommended)
{
    const double i1 = frame.hiam[1];
    // Even orders up to 12: 16/n % of I1. EN61000-3-12 takes the even orders
    // above 12 into THD and PWHD only, without a limit of their own.
    for (int n = 2; n <= kLastLimitedEven3_12; n += 2) out[n] = float(16.0 / n / 100.0 * i1);

    const TableOrder* table = kTable2;
    int count = 6;
    const float* rows = kRows5;
    int nrows = 5;
    if (cls == CLASS_3_12_TABLE3) { table = kTable3; count = 4; }
    if (cls == CLASS_3_12_TABLE4) { table = kTable4; count = 4; rows = kRows2; nrows = 2; }

    for (int i = 0; i < count; ++i) {
        const TableOrder& t = table[i];
        out[t.order] = float(TablePercent(t, rows, nrows, Rsce) / 100.0 * i1);
        // The Rsce at which the formula meets the measured ratio; without a
        // fundamental there is no ratio to meet.
        if (rsce_recommended && i1 > 0.0 && std::isfinite(i1)) {
            double r = (100.0 * frame.hiam[t.order] / i1 - t.c) / t.k;
            if (std::isfinite(r) && float(r) > *rsce_recommended) *rsce_recommended = float(r);
        }
    }
}

}  // namespace

const ClassItem* ClassItems(bool is_3_2, int* count)
{
    if (is_3_2) {
        if (count) *count = int(sizeof kItems3_2 / sizeof kItems3_2[0]);
        return kItems3_2;
    }
    if (count) *count = int(sizeof kItems3_12 / sizeof kItems3_12[0]);
    return kItems3_12;
}

namespace {
struct ClassATable {
    float v[ORDERS];
    ClassATable()
    {
        for (int n = 0; n < ORDERS; ++n) {
            float l = Mark();
            switch (n) {
            case 2: l = 1.08f; break;
            case 3: l = 2.30f; break;
            case 4: l = 0.43f; break;
            case 5: l = 1.14f; break;
            case 6: l = 0.30f; break;
            case 7: l = 0.77f; break;
            case 9: l = 0.40f; break;
            case 11: l = 0.33f; break;
            case 13: l = 0.21f; break;
            default:
                if (n >= 8 && n % 2 == 0) l = float(1.84 / n);
                if (n >= 15 && n <= 39 && n % 2 == 1) l = float(2.25 / n);
            }
            v[n] = l;
        }
    }
};
const ClassATable kClassA;
}  // namespace

float ClassALimit(int n) { return n >= 0 && n < ORDERS ? kClassA.v[n] : NoLimit(); }

void ComputeLimits(float out[ORDERS], int32_t cls, const HarmFrame& frame, float P, float pf,
                   float I, float Iref, float Rsce, float* rsce_recommended, int drop_small)
{
    const float mark = Mark();
    for (int n = 0; n < ORDERS; ++n) out[n] = mark;

    switch (cls) {
    case CLASS_A:
        std::memcpy(out, kClassA.v, sizeof kClassA.v);
        break;
    case CLASS_B:
        for (int n = 2; n < ORDERS; ++n) {
            float a = kClassA.v[n];
            out[n] = Marked(a) ? a : float(double(a) * 1.5);
        }
        break;
    case CLASS_C: {
        // Percent of the current; the odd orders 11..39 only (even orders
        // above 2 have no limit in EN61000-3-2).
        const double i = std::fabs(double(I));
        out[2] = float(0.02 * i);
        out[3] = float(0.30 * std::fabs(double(pf)) * i);
        out[5] = float(0.10 * i);
        out[7] = float(0.07 * i);
        out[9] = float(0.05 * i);
        for (int n = 11; n <= 39; n += 2) out[n] = float(0.03 * i);
        break;
    }
    case CLASS_D:
    case CLASS_C_TABLE3: {
        const double p = std::fabs(double(P));
        for (int n = 3; n <= 39; n += 2) {
            double a = kClassA.v[n];
            double w = PerWatt(n) / 1000.0 * p;
            out[n] = float(w < a ? w : a);
        }
        break;
    }
    case CLASS_C_WAVEFORM:
        out[3] = float(0.86 * frame.hiam[1]);
        out[5] = float(0.61 * frame.hiam[1]);
        break;
    case CLASS_3_12_TABLE2:
    case CLASS_3_12_TABLE3:
    case CLASS_3_12_TABLE4:
        Table3_12(out, cls, frame, Rsce, rsce_recommended);
        return;
    default:
        return;  // values 6..9 and unknown classes: no limits
    }

    // The specific-waveform limits are not subject to the rule. Harmonics
    // below 0.6 % of the reference current or below 5 mA are disregarded.
    if (drop_small && cls != CLASS_C_WAVEFORM) {
        const double iref = 0.006 * double(Iref);
        for (int n = 2; n < ORDERS; ++n) {
            double h = frame.hiam[n];
            if (h < iref || h < 0.005) out[n] = mark;
        }
    }
    if (rsce_recommended) *rsce_recommended = 0.0f;
}

float Phase5Angle(const HarmFrame& received)
{
    double a = std::fmod(double(received.limit[5]) - double(received.huph1), 360.0);
    if (a > 180.0) a -= 360.0;
    if (a <= -180.0) a += 360.0;
    return float(a);
}

void NotePhase5(int phase, const HarmFrame& received)
{
    if (phase < 0 || phase > 2) return;
    float a = Phase5Angle(received);
    if (std::isnan(a)) return;
    if (a < 90.0f || a > 150.0f) phase5_outside[phase] = 1;
}

void Limits(float out[ORDERS], float P, float pf, float I, float Iref, float Rsce, int phase,
            float* rsce_recommended, int drop_small)
{
    if (phase < 0 || phase > 2) phase = 0;
    if (IsClass3_12(para.h_class)) NotePhase5(phase, buf[phase]);
    ComputeLimits(out, para.h_class, buf[phase], P, pf, I, Iref, Rsce, rsce_recommended,
                  drop_small);
}

float ControlValue(float measured, float control)
{
    double m = measured, c = control;
    if (m == 0.0) return measured;
    double rel = std::fabs((std::fabs(m) - std::fabs(c)) / m);
    return rel < 0.1 ? control : measured;
}

void ApplyUserLimits(HarmFrame* frames, int count)
{
    for (int p = 0; p < count; ++p)
        for (int n = 0; n < ORDERS; ++n) frames[p].limit[n] = limits[n];
}

void reset_limits_state()
{
    for (int p = 0; p < 3; ++p) phase5_outside[p] = 0;
}
REGISTER_STATE_RESET(reset_limits_state);
