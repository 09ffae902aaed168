#include "Figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

namespace bench {

double Samples::quantile(double q) const
{
    if (m_us.empty())
        return 0;
    std::vector<double> sorted = m_us;
    std::sort(sorted.begin(), sorted.end());
    const size_t at = static_cast<size_t>(std::ceil(q * static_cast<double>(sorted.size()))) ;
    return sorted[std::min(sorted.size() - 1, at == 0 ? 0 : at - 1)];
}

void report(const std::string& what, const std::string& figure, const std::string& goal, bool met)
{
    std::printf("  %-58s %-24s goal %-16s %s\n", what.c_str(), figure.c_str(), goal.c_str(), met ? "met" : "MISSED");
    std::fflush(stdout);
}

std::string microseconds(double us)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f us", us);
    return text;
}

std::string milliseconds(double us)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f ms", us / 1000.0);
    return text;
}

} // namespace bench
