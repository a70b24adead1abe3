#include "stats.h"

#include <algorithm>
#include <cmath>

namespace bench {

double Quantile(std::vector<double> samples, double q)
{
    if (samples.empty())
        return 0;
    const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(samples.size())));
    const std::size_t index = rank == 0 ? 0 : std::min(rank, samples.size()) - 1;
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(index), samples.end());
    return samples[index];
}

bool Repeats(double a, double b, double tolerance)
{
    const double mean = (a + b) / 2;
    if (mean == 0)
        return a == b;
    return std::abs(a - b) <= tolerance * std::abs(mean);
}

} // namespace bench
