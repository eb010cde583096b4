#pragma once

// Every benchmark program prints its figures as rows of one Markdown table;
// scripts/bench.sh prints the header once and the rows of all of them.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline void row(const std::string& figure, const std::string& measured, const std::string& target)
{
    std::printf("| %s | %s | %s |\n", figure.c_str(), measured.c_str(), target.c_str());
    std::fflush(stdout);
}

inline std::string format(const char* pattern, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

// The value below which the given share of the samples lie (0.5: the median).
inline double quantile(std::vector<double> samples, double share)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto index = std::min(samples.size() - 1, std::size_t(share * double(samples.size())));
    return samples[index];
}

} // namespace bench
