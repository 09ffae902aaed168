// Samples of durations and the figures printed from them.
#ifndef BENCH_ENGINE_FIGURES_H
#define BENCH_ENGINE_FIGURES_H

#include <chrono>
#include <string>
#include <vector>

namespace bench {

typedef std::chrono::steady_clock Clock;

class Samples
{
public:
    void add(Clock::duration d) { m_us.push_back(std::chrono::duration<double, std::micro>(d).count()); }
    void addMicroseconds(double us) { m_us.push_back(us); }
    // The q-quantile (0..1) in microseconds.
    double quantile(double q) const;
    double median() const { return quantile(0.5); }
    double max() const { return quantile(1.0); }
    size_t size() const { return m_us.size(); }

private:
    std::vector<double> m_us;
};

// One line: what was measured, the figure, the goal and whether it was met.
void report(const std::string& what, const std::string& figure, const std::string& goal, bool met);
std::string microseconds(double us);
std::string milliseconds(double us);

} // namespace bench

#endif
