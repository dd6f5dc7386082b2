// velorin-lab: the gas of the demonstration without a window, for data.

#include "lab/Combined.hpp"
#include "lab/LabOptions.hpp"
#include "lab/LabReport.hpp"
#include "lab/OutputFile.hpp"
#include "lab/Sweep.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
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

// One table and where it goes.
struct Table
{
    const char* option;
    const std::string& path; // empty: the standard output
    bool wanted;
    std::string (*header)();
    std::function<std::string(const LabRun&, const RunResult&, std::size_t)> rows;
    OutputFile file;
};
} // namespace

int main(int argc, char** argv)
{
    LabOptions options;
    if (const int status = parseLabOptions(argc, argv, options, std::cout, std::cerr); status >= 0)
        return status;

    // The seeds of the setting value under way, combined after its last
    // seed (runs arrive in run order, a value's seeds one after another).
    std::vector<SeedFigures> seeds;
    const auto combinedRows = [&](const LabRun& settings, const RunResult& result, std::size_t run)
    {
        seeds.push_back(seedFigures(settings, result));
        if ((run + 1) % static_cast<std::size_t>(options.repeat) != 0)
            return std::string();
        std::cerr << disagreementWarning(settings, seeds, sweptValue(options, settings));
        std::string row = combinedRow(settings, seeds);
        seeds.clear();
        return row;
    };
    Table tables[] = {
        {"--out", options.out, true, resultsHeader, resultsRow, {}},
        {"--series", options.series, !options.series.empty(), seriesHeader, seriesRows, {}},
        {"--histogram", options.histogram, !options.histogram.empty(), histogramHeader, histogramRows, {}},
        {"--combined", options.combined, !options.combined.empty(), combinedHeader, combinedRows, {}},
    };

    // Two tables into one file would leave only the last; refused before any
    // file is touched.
    std::vector<std::pair<std::string, std::string>> named; // identity, what names it
    if (options.out.empty())
        if (const std::string id = standardOutputIdentity(); !id.empty())
            named.emplace_back(id, "the standard output");
    for (const Table& t : tables)
    {
        if (t.path.empty())
            continue;
        const std::string id = fileIdentity(t.path);
        for (const auto& [other, what] : named)
            if (other == id)
            {
                std::cerr << "velorin-lab: " << t.option << " " << t.path << " names the same file as " << what
                          << "\nRun with --help for more information.\n";
                return 2;
            }
        named.emplace_back(id, std::string(t.option) + " " + t.path);
    }

    // Ctrl-C or a polite kill: the runs stop, the temporary files go. A
    // reader that goes away is a write error, not a silent death that would
    // leave temporary files.
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const auto interrupted = []
    {
        std::cerr << "velorin-lab: interrupted; no file written\n";
        return 130;
    };
    std::string failure;
    for (Table& t : tables)
    {
        if (!t.wanted)
            continue;
        if (t.path.empty())
            t.file.openStandardOutput();
        else if (!t.file.open(t.path))
        {
            if (stopRequested.load()) // while waiting for a FIFO's reader
                return interrupted();
            std::cerr << "velorin-lab: " << t.file.error() << "\n";
            return 1;
        }
    }
    // Headers only once every target is open: a refused one leaves nothing
    // behind, on the standard output either.
    for (Table& t : tables)
        if (t.wanted && failure.empty() && !t.file.write(t.header()))
            failure = t.file.error();

    // The shard's runs are K, K + N, K + 2N, ... of the sweep; each keeps
    // its index in the whole sweep.
    const std::size_t first = static_cast<std::size_t>(options.shardIndex);
    const std::size_t step = static_cast<std::size_t>(options.shardCount);
    const std::size_t total = runCount(options);
    const std::size_t count = total > first ? (total - first + step - 1) / step : 0;
    int longestTick = 0;
    for (std::size_t k = 0; k < count; ++k)
        longestTick = std::max(longestTick, runAt(options, first + k * step).dt);
    if (longestTick > longestSoundTick)
        std::cerr << "velorin-lab: " << (options.sweep.name == "dt" ? "--sweep dt: " : "") << "ticks of " << longestTick
                  << " ms are longer than " << longestSoundTick
                  << " ms; the gas then follows the tick more than its law (use --dt 12, the demonstration's tick)\n";
    const bool terminal = isatty(STDERR_FILENO) != 0;
    const auto start = std::chrono::steady_clock::now();
    if (failure.empty())
        runEach(
            count, [&](std::size_t k) { return runAt(options, first + k * step); }, options.jobs,
            !options.series.empty(), stopRequested,
            [&](std::size_t k, const LabRun& settings, RunResult&& result)
            {
                if (result.interrupted)
                    return false;
                std::cerr << qualityWarning(settings, result, first + k * step, sweptValue(options, settings));
                for (Table& t : tables)
                    if (t.wanted && !t.file.write(t.rows(settings, result, first + k * step)))
                    {
                        failure = t.file.error();
                        return false;
                    }
                return true;
            },
            [&](const SweepProgress& p)
            {
                if (terminal)
                    showProgress(p, start);
            });
    if (terminal)
        std::fprintf(stderr, "\r\033[K");

    if (stopRequested.load())
        return interrupted();
    for (Table& t : tables)
        if (failure.empty() && t.wanted && !t.file.commit())
            failure = t.file.error();
    if (!failure.empty())
    {
        std::cerr << "velorin-lab: " << failure << "\n";
        return 1;
    }
    return 0;
}
