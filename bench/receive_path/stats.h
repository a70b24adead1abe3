#pragma once
// Order statistics and the repeatability check of the bench.

#include <vector>

namespace bench {

// Nearest-rank quantile (q in [0, 1]); 0 for no samples.
double Quantile(std::vector<double> samples, double q);
inline double Median(const std::vector<double>& samples) { return Quantile(samples, 0.5); }

// A figure measured twice repeats when both values lie within ±tolerance of their mean.
bool Repeats(double a, double b, double tolerance = 0.10);

} // namespace bench
