#include "sim/analysis/dft.h"

#include <fftw3.h>

#include <cstring>
#include <map>
#include <mutex>
#include <new>

namespace simphys {

namespace {

// Planning is not thread-safe in FFTW and costly: one plan per length for the
// whole process, executed on each Dft's own (equally aligned) arrays.
fftwf_plan SharedPlan(int n)
{
    static std::mutex lock;
    static std::map<int, fftwf_plan> plans;
    std::lock_guard<std::mutex> g(lock);
    auto it = plans.find(n);
    if (it != plans.end()) return it->second;
    float* in = fftwf_alloc_real(n);
    fftwf_complex* out = fftwf_alloc_complex(n / 2 + 1);
    if (!in || !out) throw std::bad_alloc();
    fftwf_plan p = fftwf_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
    fftwf_free(in);
    fftwf_free(out);
    if (!p) throw std::bad_alloc();
    plans.emplace(n, p);
    return p;
}

}  // namespace

Dft::Dft(int n) : n_(n)
{
    plan_ = SharedPlan(n);
    in_ = fftwf_alloc_real(n);
    out_ = fftwf_alloc_complex(n / 2 + 1);
    if (!in_ || !out_) {
        fftwf_free(in_);
        fftwf_free(out_);
        throw std::bad_alloc();
    }
}

Dft::~Dft()
{
    fftwf_free(in_);
    fftwf_free(out_);
}

void Dft::transform(const float* x)
{
    std::memcpy(in_, x, sizeof(float) * n_);
    fftwf_execute_dft_r2c(static_cast<fftwf_plan>(plan_), in_, out_);
}

}  // namespace simphys
