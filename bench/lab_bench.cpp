// velorin-lab's work: whole runs of the gas at 15 particles, every tick with
// its statistics, counted in ticks per second on one core; and one sweep of
// eight runs on one thread and on two (compare the two ticks/s figures for
// the speed-up).

#include "lab/Sweep.hpp"

#include <benchmark/benchmark.h>

namespace
{
LabRun benchRun(PotentialKind law, std::uint32_t seed)
{
    LabRun s;
    s.gas.law = law;
    s.seconds = 60;        // 5000 ticks of 12 ms
    s.warmup = autoWarmup; // the default: the equilibration search is part of the cost
    s.seed = seed;
    return s;
}

void labRun(benchmark::State& state, PotentialKind law)
{
    const LabRun s = benchRun(law, 1);
    const long long ticks = ticksFor(s.seconds, s.dt);
    for (auto _ : state)
        benchmark::DoNotOptimize(runGas(s, false).gap.mean);
    state.SetItemsProcessed(state.iterations() * ticks);
}
BENCHMARK_CAPTURE(labRun, zero, PotentialKind::Zero);
BENCHMARK_CAPTURE(labRun, attraction, PotentialKind::Attraction);
BENCHMARK_CAPTURE(labRun, repulsion, PotentialKind::Repulsion);
BENCHMARK_CAPTURE(labRun, lennardJones, PotentialKind::LennardJones);

void labSweep(benchmark::State& state)
{
    std::vector<LabRun> runs;
    long long ticks = 0;
    for (std::uint32_t seed = 1; seed <= 8; ++seed)
    {
        runs.push_back(benchRun(PotentialKind::LennardJones, seed));
        ticks += ticksFor(runs.back().seconds, runs.back().dt);
    }
    const std::atomic<bool> stop{false};
    for (auto _ : state)
    {
        std::size_t delivered = 0;
        runEach(
            runs.size(), [&](std::size_t i) { return runs[i]; }, static_cast<int>(state.range(0)), false, stop,
            [&](std::size_t, const LabRun&, RunResult&&) { return ++delivered > 0; });
        benchmark::DoNotOptimize(delivered);
    }
    state.SetItemsProcessed(state.iterations() * ticks);
}
BENCHMARK(labSweep)->ArgName("threads")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
} // namespace
