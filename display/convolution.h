// Circular cross-correlation of two series of equal length.
#pragma once

// out[i] = (1/n) sum over j = 0..n-1 of a[j] b[(i + j) mod n], i = 0 .. n-1,
// with n = na; nothing is written unless nb equals na and n > 0.
void Convolution(const double* a, int na, const double* b, int nb, double* out);
// The first m values of the same (m <= n); the plots need half of them.
// Long series go through a fast Fourier transform.
void ConvolutionHead(const double* a, const double* b, int n, double* out, int m);
