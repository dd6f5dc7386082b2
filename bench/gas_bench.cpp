// One whole simulation tick at 1920 x 1080 for each pair law and several
// particle counts, at the start-up settings (T 25, m 25, C 1) and the start-up
// width of 22, narrowed where the controls would not allow it for the count.
// The "drawn" runs tick the demonstration's model, which also moves the
// particles' rectangles and resizes the 16 bars.

#include "sim/FreeGas.hpp"
#include "sim/GasModel.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <string>
#include <type_traits>
#include <utility>

namespace
{
// The numbers of either gas.
const GasCore& coreOf(const GasCore& gas) { return gas; }
const GasCore& coreOf(const GasModel& gas) { return gas.core(); }

// GasCore, or GasModel with its rectangles.
template <typename Gas> void gasTick(benchmark::State& state, PotentialKind kind)
{
    const int count = static_cast<int>(state.range(0));
    const ScreenMetrics metrics = makeScreenMetrics(1920, 1080);
    const int widthSetting = std::min(defaultGasSettings().width, widestParticle(count, metrics.maxTotalWidth));
    Gas gas(metrics, std::mt19937(1));
    if constexpr (std::is_same_v<Gas, GasModel>)
        gas.setup(scaleX(metrics, static_cast<float>(widthSetting)), scaleY(metrics, 140.0f), count);
    else
        gas.setup(scaleX(metrics, static_cast<float>(widthSetting)), count);
    GasSettings settings;
    settings.law = kind;
    BondFlags bonded{};

    // Measured frame times of a loaded machine, milliseconds.
    constexpr std::array<float, 8> dts{12.0f, 13.0f, 12.0f, 17.0f, 12.0f, 25.0f, 14.0f, 40.0f};
    auto tick = [&](unsigned t) { gas.tick(settings, bonded, dts[t % dts.size()]); };
    // Let the gas leave its even start first (and bond, under Attraction).
    unsigned t = 0;
    for (; t < 2000; ++t)
        tick(t);

    for (auto _ : state)
    {
        tick(t++);
        benchmark::DoNotOptimize(coreOf(gas).positions().data());
        benchmark::ClobberMemory();
    }
    state.SetComplexityN(count);
    state.counters["overlap"] = coreOf(gas).overlapDetected() ? 1 : 0;
}

// What a press on "Старт" under --theory adds when the geometry is new: the
// exact free gas of the count (range 0) at width 22 on a screen of range(1) x
// range(2) pixels, computed afresh each time.
void freeGas(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const ScreenMetrics metrics =
        makeScreenMetrics(static_cast<unsigned>(state.range(1)), static_cast<unsigned>(state.range(2)));
    const double width = scaleX(metrics, static_cast<float>(defaultGasSettings().width));
    for (auto _ : state)
        benchmark::DoNotOptimize(computeFreeGasPrediction(count, width, metrics));
    state.SetLabel("sigma / E error " + std::to_string(computeFreeGasPrediction(count, width, metrics).ratioError));
}

void registerLaw(const std::string& name, PotentialKind kind)
{
    benchmark::RegisterBenchmark(("tick/" + name).c_str(), gasTick<GasCore>, kind)
        ->Arg(2)
        ->Arg(15)
        ->Arg(30)
        ->Arg(100)
        ->Complexity(benchmark::oN);
    benchmark::RegisterBenchmark(("tickDrawn/" + name).c_str(), gasTick<GasModel>, kind)->Arg(30);
}

const int registered = []
{
    registerLaw("Zero", PotentialKind::Zero);
    registerLaw("Attraction", PotentialKind::Attraction);
    registerLaw("Repulsion", PotentialKind::Repulsion);
    registerLaw("LennardJones", PotentialKind::LennardJones);
    auto* prediction = benchmark::RegisterBenchmark("freeGas", freeGas)->Unit(benchmark::kMillisecond);
    for (int count : {3, 15, 30})
        for (auto [w, h] : {std::pair{1024, 768}, std::pair{1920, 1080}, std::pair{7680, 4320}})
            prediction->Args({count, w, h});
    return 0;
}();
} // namespace
