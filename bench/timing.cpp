#include "bench/timing.h"

#include <algorithm>
#include <cmath>

namespace bench {

namespace {

double CounterFrequency() {
    static const double frequency = [] {
        LARGE_INTEGER value{};
        ::QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    return frequency;
}

} // namespace

Stopwatch::Stopwatch() { ::QueryPerformanceCounter(&start_); }

double Stopwatch::ElapsedMs() const {
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / CounterFrequency();
}

Summary Summarise(std::vector<double> samples) {
    Summary summary;
    if (samples.empty()) {
        return summary;
    }
    std::sort(samples.begin(), samples.end());
    size_t n = samples.size();
    summary.runs = static_cast<int>(n);
    summary.min = samples.front();
    summary.max = samples.back();
    summary.median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return summary;
}

double GrowthPerTenfold(double smallN, double smallMs, double bigN, double bigMs) {
    double decades = std::log10(bigN / smallN);
    return std::pow(bigMs / smallMs, 1.0 / decades);
}

} // namespace bench
