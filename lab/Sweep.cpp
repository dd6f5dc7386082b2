#include "lab/Sweep.hpp"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

void runEach(std::size_t count, const std::function<LabRun(std::size_t)>& settingsOf, int jobs, bool withSeries,
             const std::atomic<bool>& stop, const std::function<bool(std::size_t, const LabRun&, RunResult&&)>& deliver,
             const std::function<void(const SweepProgress&)>& progress, double intervalSeconds)
{
    SweepProgress state;
    state.runs = static_cast<int>(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        const LabRun r = settingsOf(i);
        state.ticks += ticksFor(r.warmup, r.dt) + ticksFor(r.seconds, r.dt);
    }
    const int threads = static_cast<int>(
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), 1, std::max<std::size_t>(count, 1)));
    // Finished runs wait here for the runs before them: a slow run holds
    // back at most `window` others.
    const std::size_t window = 4 * static_cast<std::size_t>(threads);
    std::map<std::size_t, std::pair<LabRun, RunResult>> ready;
    std::size_t next = 0, delivered = 0;
    int finishedRuns = 0, idleThreads = 0;
    bool ended = false;
    std::atomic<long long> ticksDone{0};
    const RunControl control{&stop, &ticksDone};
    std::mutex mutex;
    std::condition_variable roomForWork, resultReady;

    auto worker = [&]
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;)
        {
            roomForWork.wait(lock, [&] { return ended || stop.load() || next >= count || next < delivered + window; });
            if (ended || stop.load() || next >= count)
                break;
            const std::size_t i = next++;
            lock.unlock();
            LabRun settings = settingsOf(i);
            RunResult result = runGas(settings, withSeries, control);
            lock.lock();
            ready.emplace(i, std::pair{std::move(settings), std::move(result)});
            ++finishedRuns;
            resultReady.notify_one();
        }
        ++idleThreads;
        resultReady.notify_one();
    };

    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(worker);
    {
        const auto interval = std::chrono::duration<double>(intervalSeconds);
        auto lastShown = std::chrono::steady_clock::now();
        std::unique_lock<std::mutex> lock(mutex);
        while (!ended && !stop.load())
        {
            while (!ended && !stop.load() && !ready.empty() && ready.begin()->first == delivered)
            {
                auto node = ready.extract(ready.begin());
                lock.unlock();
                const bool ok = deliver(delivered, node.mapped().first, std::move(node.mapped().second));
                lock.lock();
                ++delivered;
                ended = !ok;
                roomForWork.notify_all();
            }
            if (delivered == count || idleThreads == threads)
                break;
            resultReady.wait_for(lock, interval);
            if (progress && std::chrono::steady_clock::now() - lastShown >= interval)
            {
                lastShown = std::chrono::steady_clock::now();
                state.runsDone = finishedRuns;
                state.ticksDone = ticksDone.load();
                lock.unlock();
                progress(state);
                lock.lock();
            }
        }
        ended = true;
        roomForWork.notify_all();
    }
    for (std::thread& t : pool)
        t.join();
}
