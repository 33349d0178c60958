#include "evaluation/maxima.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "state/records.h"

// Maxima of one harmonic frame record (stored bytes) of phase p, frame k.
// A limit counts when it is neither 0 nor the no-value mark (any NaN).
// Written without branches so that the orders are handled in parallel
// (AVX2 where the processor has it).
namespace {
__attribute__((target_clones("avx2", "default"))) void Maxima(const unsigned char* rec, int p, int32_t k)
{
    const unsigned char* pc = rec + offsetof(HarmFrame, hiam);
    const unsigned char* pl = rec + offsetof(HarmFrame, limit);
    float* hm = h_max[p];
    float* mx = max[p];
    int32_t* fr = fr_max[p];
    int32_t* none = IsLimNaN[p];
    for (int h = 0; h < ORDERS; ++h) {
        float c, l;
        uint32_t b;
        std::memcpy(&c, pc + 4 * h, 4);
        std::memcpy(&l, pl + 4 * h, 4);
        std::memcpy(&b, pl + 4 * h, 4);
        const uint32_t a = b & 0x7FFFFFFFu;
        const int32_t v = -int32_t(a != 0 && a <= 0x7F800000u);   // all ones when usable
        const float u = 100.0f * c / (v ? l : 1.0f);
        const float uu = v ? u : -INFINITY;
        hm[h] = c > hm[h] ? c : hm[h];
        none[h] &= ~v;
        const int32_t gt = -int32_t(uu > mx[h]);
        mx[h] = gt ? uu : mx[h];
        fr[h] = (k & gt) | (fr[h] & ~gt);
    }
}

}  // namespace

void HarmonicMaxima(const unsigned char* rec, int p, int32_t k) { Maxima(rec, p, k); }

void ClearMaxima()
{
    for (int p = 0; p < 3; ++p)
        for (int h = 0; h < ORDERS; ++h) {
            max[p][h] = 0;
            fr_max[p][h] = 0;
            h_max[p][h] = 0;
            IsLimNaN[p][h] = 1;
        }
}

void MarkOrdersWithoutLimit()
{
    for (int p = 0; p < 3; ++p)
        for (int h = 0; h < ORDERS; ++h)
            if (IsLimNaN[p][h]) max[p][h] = NoLimit();
}
