// Histograms, cumulative histograms and autocorrelations of one plot code of
// the loaded run, drawn on the graph of the graph panel.
#pragma once

#include <vector>

constexpr int HISTOGRAM_INTERVALS = 256;

// kind 1: histogram, kind 2: cumulative histogram.
void DrawHHistogram(int code, int selected, int kind);
void DrawFHistogram(int code, int selected, int kind);
void DrawHCorrelation(int code, int selected);
void DrawFCorrelation(int code, int selected);

// The plotted data: per interval 100 x count / number of samples (running
// sums for the cumulative kind) over the middles of the intervals. Empty
// without samples.
struct HistogramData {
    std::vector<double> axis, percent;
    int samples = 0;
    double mean = 0, sd = 0;
};
HistogramData HistogramOf(const std::vector<double>& samples, bool cumulative);

// R(0) .. R(n/2 - 1) of the samples; `standardise` first scales them to
// (x - mean) / standard deviation (a series without deviation gives 0).
std::vector<double> AutocorrelationOf(std::vector<double> samples, bool standardise);
