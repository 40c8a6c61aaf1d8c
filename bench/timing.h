// What the benchmarks share: timing a step over rounds, its figures, and the line that prints
// them beside their target.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <ratio>
#include <vector>

namespace bench {

// Figures of a set of timed rounds, in the unit they were taken in.
struct Figures {
    double median = 0, min = 0, p95 = 0, worst = 0;
};

// The time since it was made, in seconds or in any std::chrono period.
class Stopwatch {
public:
    template <class Period = std::ratio<1>>
    double Elapsed() const {
        return std::chrono::duration<double, Period>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Calls run(i) for i = 0 .. rounds - 1 and gives the figures of those calls, in Period (by default
// milliseconds); with `warm`, one call run(-1) before them, not timed. `rounds` is at least 1.
template <class Period = std::milli>
Figures Time(int rounds, const std::function<void(int)>& run, bool warm = true) {
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(rounds));
    if (warm) run(-1);
    for (int i = 0; i < rounds; ++i) {
        const Stopwatch watch;
        run(i);
        samples.push_back(watch.Elapsed<Period>());
    }
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.front(), samples[samples.size() * 95 / 100], samples.back()};
}

// "<what>  median … ms  min … ms  p95 … ms   (target …)", `what` padded to `width` columns.
inline void PrintMs(const char* what, int width, const Figures& f, const char* target) {
    std::printf("%-*s median %7.3f ms  min %7.3f ms  p95 %7.3f ms   (target %s)\n", width, what, f.median, f.min,
                f.p95, target);
}

}  // namespace bench
