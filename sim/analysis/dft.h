// Real-input DFT of a measuring window (FFTW single precision). Plans are
// made once per length and shared; each Dft owns its aligned buffers.
#pragma once

#include <complex>

namespace simphys {

class Dft {
public:
    explicit Dft(int n);
    ~Dft();
    Dft(const Dft&) = delete;
    Dft& operator=(const Dft&) = delete;

    int size() const { return n_; }
    // Transforms n samples; bin k (0..n/2) is then available from bin().
    void transform(const float* x);
    std::complex<float> bin(int k) const { return {out_[k][0], out_[k][1]}; }

private:
    int n_;
    float* in_;
    float (*out_)[2];
    void* plan_;
};

}  // namespace simphys
