// Analysis functions over arrays of doubles: maximum and minimum, histogram
// counts, mean and standard deviation. Non-finite samples (NaN marks,
// infinities) are left out of every result. Status results: 0, or negative
// when the arguments are unusable (the outputs are then zeroed).
#pragma once

enum {
    ANALYSIS_OK = 0,
    ANALYSIS_BAD_ARGUMENT = -1,   // null array or a count below 1
    ANALYSIS_NO_VALUES = -2,      // no finite sample
};

// Largest and smallest finite value of a[0..n-1] and the index of its first
// occurrence. Any output pointer may be null. Without a finite value both
// values are 0 and both indices -1.
int MaxMin1D(const double* a, int n, double* max, int* imax, double* min, int* imin);

// Counts the finite samples of a[0..n-1] in `intervals` equal intervals
// between base and top: interval i holds base + i*w <= x < base + (i+1)*w,
// w = (top - base) / intervals, and top itself falls into the last one;
// samples outside [base, top] are not counted. axis[i] (may be null) is the
// middle of interval i. When top equals base every sample equal to base
// falls into interval 0 and every axis value is base.
int Histogram(const double* a, int n, double base, double top, int* counts, double* axis, int intervals);

// Mean and population standard deviation (divided by the number of finite
// samples) of a[0..n-1]; either output may be null.
int StdDev(const double* a, int n, double* mean, double* sd);
