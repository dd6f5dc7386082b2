// velorin-lab: the gas of the demonstration without a window, for data.

#include "lab/LabOptions.hpp"
#include "lab/LabReport.hpp"
#include "lab/OutputFile.hpp"
#include "lab/Sweep.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace
{
// Milliseconds: above this the tick, not the law, shapes the gas.
constexpr int longestSoundTick = 100;

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler stores into it");

extern "C" void requestStop(int) { stopRequested.store(true); }

// "3/40 runs, 1.2e+06 ticks/s, 25 s left", redrawn in place.
void showProgress(const SweepProgress& p, std::chrono::steady_clock::time_point start)
{
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double rate = elapsed > 0.0 ? static_cast<double>(p.ticksDone) / elapsed : 0.0;
    const double left = rate > 0.0 ? static_cast<double>(p.ticks - p.ticksDone) / rate : 0.0;
    std::fprintf(stderr, "\r%d/%d runs, %.3g ticks/s, %.0f s left   ", p.runsDone, p.runs, rate, left);
}
} // namespace

int main(int argc, char** argv)
{
    LabOptions options;
    if (const int status = parseLabOptions(argc, argv, options, std::cout, std::cerr); status >= 0)
        return status;

    // Ctrl-C or a polite kill: the runs stop, the temporary files go.
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    OutputFile out, series, histogram;
    struct Target
    {
        OutputFile& file;
        const std::string& path;
    };
    const Target targets[] = {{out, options.out}, {series, options.series}, {histogram, options.histogram}};
    for (const Target& t : targets)
    {
        if (!t.path.empty() && !t.file.open(t.path))
        {
            std::cerr << "velorin-lab: " << t.file.error() << "\n";
            return 1;
        }
    }

    const std::vector<RunSettings> runs = expandRuns(options);
    const auto longest = std::max_element(runs.begin(), runs.end(),
                                          [](const RunSettings& a, const RunSettings& b) { return a.dt < b.dt; });
    if (longest != runs.end() && longest->dt > longestSoundTick)
        std::cerr << "velorin-lab: ticks of " << longest->dt << " ms are longer than " << longestSoundTick
                  << " ms; the gas then follows the tick more than its law (use --dt 12, the demonstration's tick)\n";
    const bool terminal = isatty(STDERR_FILENO) != 0;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<RunResult> results = runAll(runs, options.jobs, !options.series.empty(), stopRequested,
                                                  [&](const SweepProgress& p)
                                                  {
                                                      if (terminal)
                                                          showProgress(p, start);
                                                  });
    if (terminal)
        std::fprintf(stderr, "\r\033[K");

    if (stopRequested.load())
    {
        std::cerr << "velorin-lab: interrupted; no file written\n";
        return 130;
    }

    for (std::size_t i = 0; i < runs.size(); ++i)
        std::cerr << qualityWarning(runs[i], results[i], i);

    const std::string table = resultsCsv(runs, results);
    if (options.out.empty())
    {
        std::cout << table << std::flush;
        if (!std::cout)
        {
            std::cerr << "velorin-lab: cannot write to standard output\n";
            return 1;
        }
    }
    else if (!out.commit(table))
    {
        std::cerr << "velorin-lab: " << out.error() << "\n";
        return 1;
    }
    if (!options.series.empty() && !series.commit(seriesCsv(runs, results)))
    {
        std::cerr << "velorin-lab: " << series.error() << "\n";
        return 1;
    }
    if (!options.histogram.empty() && !histogram.commit(histogramCsv(runs, results)))
    {
        std::cerr << "velorin-lab: " << histogram.error() << "\n";
        return 1;
    }
    return 0;
}
