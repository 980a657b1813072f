#pragma once
// Wall-clock timing of repeated work, and the summaries the table shows.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace bench {

class Stopwatch {
public:
    Stopwatch();
    double ElapsedMs() const;

private:
    LARGE_INTEGER start_{};
};

struct Summary {
    int runs = 0;
    double median = 0;
    double min = 0;
    double max = 0;
};

// The median of an even count is the mean of the two middle samples.
Summary Summarise(std::vector<double> samples);

// Milliseconds of one call of `work`, each sample the mean over `repeats` calls.
template <typename Work> std::vector<double> TimeRuns(int runs, int repeats, Work&& work) {
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(runs));
    for (int run = 0; run < runs; ++run) {
        Stopwatch watch;
        for (int i = 0; i < repeats; ++i) {
            work();
        }
        samples.push_back(watch.ElapsedMs() / repeats);
    }
    return samples;
}

struct Paired {
    Summary viewer;
    Summary bare;
};

// Both sides in turns, the order swapped every run, so that drift in the system
// (caches, other processes) falls on both alike.
template <typename Viewer, typename Bare>
Paired TimePaired(int runs, int repeats, Viewer&& viewer, Bare&& bare) {
    std::vector<double> viewerSamples;
    std::vector<double> bareSamples;
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            viewerSamples.push_back(TimeRuns(1, repeats, viewer).front());
            bareSamples.push_back(TimeRuns(1, repeats, bare).front());
        } else {
            bareSamples.push_back(TimeRuns(1, repeats, bare).front());
            viewerSamples.push_back(TimeRuns(1, repeats, viewer).front());
        }
    }
    return {Summarise(viewerSamples), Summarise(bareSamples)};
}

// How much more time tenfold more work takes, from two sizes and their times:
// (bigMs / smallMs) ^ (1 / log10(bigN / smallN)).
double GrowthPerTenfold(double smallN, double smallMs, double bigN, double bigMs);

} // namespace bench
