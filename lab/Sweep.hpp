#pragma once

#include "lab/LabRun.hpp"

#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

struct SweepProgress
{
    int runsDone = 0;
    int runs = 0;
    long long ticksDone = 0;
    long long ticks = 0; // all ticks of all runs, if none stops early
};

// Runs 0 ... count - 1, with settingsOf(i) (called from any thread) as run
// i's settings, on up to `jobs` threads. Each run owns its model and random
// source, so the results are the same, run for run, whatever the number of
// threads. deliver gets each finished run on the calling thread in run order
// as soon as every run before it is delivered; it returns false to end the
// sweep (a write failed). Threads run at most a few runs ahead of the oldest
// undelivered one, so the memory held stays bounded for any count. progress
// is called on the calling thread about every interval. Once stop is set no
// run begins, runs under way end early, and nothing more is delivered.
void runEach(std::size_t count, const std::function<LabRun(std::size_t)>& settingsOf, int jobs, bool withSeries,
             const std::atomic<bool>& stop, const std::function<bool(std::size_t, const LabRun&, RunResult&&)>& deliver,
             const std::function<void(const SweepProgress&)>& progress = {}, double intervalSeconds = 0.5);
