#include "lab/Sweep.hpp"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

std::vector<RunResult> runAll(const std::vector<RunSettings>& runs, int jobs, bool withSeries,
                              const std::atomic<bool>& stop, const std::function<void(const SweepProgress&)>& progress,
                              double intervalSeconds)
{
    std::vector<RunResult> results(runs.size());
    std::atomic<std::size_t> next{0};
    std::atomic<int> done{0};
    std::atomic<long long> ticksDone{0};
    const RunControl control{&stop, &ticksDone};
    std::mutex mutex;
    std::condition_variable finished;

    auto worker = [&]
    {
        for (std::size_t i = next++; i < runs.size(); i = next++)
        {
            if (stop.load())
                results[i].interrupted = true;
            else
                results[i] = runGas(runs[i], withSeries, control);
            ++done;
            std::lock_guard<std::mutex> lock(mutex);
            finished.notify_one();
        }
    };

    SweepProgress state;
    state.runs = static_cast<int>(runs.size());
    for (const RunSettings& r : runs)
        state.ticks += ticksFor(r.warmup, r.dt) + ticksFor(r.seconds, r.dt);

    const int threads = std::clamp(jobs, 1, std::max(1, state.runs));
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(worker);
    {
        std::unique_lock<std::mutex> lock(mutex);
        const auto interval = std::chrono::duration<double>(intervalSeconds);
        while (done.load() < state.runs)
        {
            finished.wait_for(lock, interval);
            state.runsDone = done.load();
            state.ticksDone = ticksDone.load();
            if (progress)
                progress(state);
        }
    }
    for (std::thread& t : pool)
        t.join();
    return results;
}
