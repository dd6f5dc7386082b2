#pragma once

#include "lab/LabRun.hpp"

#include <atomic>
#include <functional>
#include <vector>

struct SweepProgress
{
    int runsDone = 0;
    int runs = 0;
    long long ticksDone = 0;
    long long ticks = 0; // all ticks of all runs, if none stops early
};

// Runs every setting on up to `jobs` threads. Each run owns its model and
// random source, so the results are the same, run for run, whatever the
// number of threads. progress is called on the calling thread about every
// interval while the runs go on. Runs not yet begun when stop is set are
// left out and marked interrupted.
std::vector<RunResult> runAll(const std::vector<RunSettings>& runs, int jobs, bool withSeries,
                              const std::atomic<bool>& stop,
                              const std::function<void(const SweepProgress&)>& progress = {},
                              double intervalSeconds = 0.5);
