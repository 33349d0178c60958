#include "display/convolution.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {

using Complex = std::complex<double>;

// In-place iterative radix-2 transform; size a power of two.
void Fft(std::vector<Complex>& v, bool inverse)
{
    const size_t n = v.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(v[i], v[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double ang = 2 * M_PI / double(len) * (inverse ? 1 : -1);
        const Complex wl(std::cos(ang), std::sin(ang));
        for (size_t i = 0; i < n; i += len) {
            Complex w(1);
            for (size_t k = 0; k < len / 2; ++k) {
                const Complex u = v[i + k], t = v[i + k + len / 2] * w;
                v[i + k] = u + t;
                v[i + k + len / 2] = u - t;
                w *= wl;
            }
        }
    }
    if (inverse)
        for (auto& c : v) c /= double(n);
}

void Direct(const double* a, const double* b, int n, double* out, int m)
{
    for (int i = 0; i < m; ++i) {
        double s = 0.0;
        const int split = n - i;   // b[(i + j) mod n] without a division per term
        for (int j = 0; j < split; ++j) s += a[j] * b[i + j];
        for (int j = split; j < n; ++j) s += a[j] * b[i + j - n];
        out[i] = s / n;
    }
}

// The linear correlation c[k] = sum a[j] b[j + k] folds into the circular
// one: R[i] = (c[i] + c[i - n]) / n.
void ByTransform(const double* a, const double* b, int n, double* out, int m)
{
    size_t size = 1;
    while (size < 2 * size_t(n)) size <<= 1;
    std::vector<Complex> fa(size), fb(size);
    for (int j = 0; j < n; ++j) {
        fa[size_t(j)] = a[j];
        fb[size_t(j)] = b[j];
    }
    Fft(fa, false);
    Fft(fb, false);
    for (size_t k = 0; k < size; ++k) fa[k] = std::conj(fa[k]) * fb[k];
    Fft(fa, true);
    for (int i = 0; i < m; ++i) {
        const double lag_pos = fa[size_t(i)].real();
        const double lag_neg = i == 0 ? 0.0 : fa[size - size_t(n - i)].real();
        out[i] = (lag_pos + lag_neg) / n;
    }
}

}  // namespace

void ConvolutionHead(const double* a, const double* b, int n, double* out, int m)
{
    if (!a || !b || !out || n < 1 || m < 1) return;
    m = std::min(m, n);
    if (double(n) * double(m) <= 4e6) Direct(a, b, n, out, m);
    else ByTransform(a, b, n, out, m);
}

void Convolution(const double* a, int na, const double* b, int nb, double* out)
{
    if (na != nb) return;
    ConvolutionHead(a, b, na, out, na);
}
