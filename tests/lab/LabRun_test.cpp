#include "lab/LabReport.hpp"
#include "lab/Sweep.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace
{
RunSettings shortRun(PotentialKind law, std::uint32_t seed)
{
    RunSettings s;
    s.law = law;
    s.seconds = 20;
    s.warmup = 2;
    s.seed = seed;
    return s;
}

TEST(BlockAverage, ErrorComesFromTheSpreadOfBlockMeans)
{
    // Samples that are constant within a block of 50: the naive error of
    // 1000 samples would be sqrt(50) times too small.
    BlockAverage sticky(1000, 20);
    for (int i = 0; i < 1000; ++i)
        sticky.add((i / 50) % 2 == 0 ? -1.0 : 1.0);
    EXPECT_NEAR(sticky.estimate().mean, 0.0, 1e-12);
    EXPECT_NEAR(sticky.estimate().standardError, std::sqrt(20.0 / 19.0 / 20.0), 1e-12);

    // No sample, one block: undefined, not zero.
    BlockAverage none(100, 20);
    EXPECT_TRUE(std::isnan(none.estimate().mean));
    BlockAverage one(1, 20);
    one.add(3.0);
    EXPECT_EQ(one.estimate().mean, 3.0);
    EXPECT_TRUE(std::isnan(one.estimate().standardError));
}

TEST(LabRun, SameSeedSameFiguresOtherSeedOther)
{
    for (PotentialKind law :
         {PotentialKind::Zero, PotentialKind::Attraction, PotentialKind::Repulsion, PotentialKind::LennardJones})
    {
        SCOPED_TRACE(static_cast<int>(law));
        const std::vector<RunSettings> runs{shortRun(law, 3), shortRun(law, 3), shortRun(law, 4)};
        std::vector<RunResult> results;
        for (const RunSettings& r : runs)
            results.push_back(runGas(r, true));
        const std::string a = resultsCsv({runs[0]}, {results[0]}) + seriesCsv({runs[0]}, {results[0]});
        const std::string b = resultsCsv({runs[1]}, {results[1]}) + seriesCsv({runs[1]}, {results[1]});
        EXPECT_EQ(a, b);
        EXPECT_NE(results[0].gap.mean, results[2].gap.mean);
        // The histogram covers every gap counted after the warm-up, and the
        // series has one row per simulated second, warm-up included.
        EXPECT_NEAR(std::accumulate(results[0].binFractions.begin(), results[0].binFractions.end(), 0.0), 1.0, 1e-12);
        EXPECT_EQ(results[0].series.size(), 22u);
        EXPECT_FALSE(results[0].overlapSeconds.has_value());
    }
}

TEST(LabRun, ParallelSweepMatchesSerialRowForRow)
{
    std::vector<RunSettings> runs;
    for (PotentialKind law : {PotentialKind::Attraction, PotentialKind::LennardJones})
        for (int t : {1, 25, 50})
            for (std::uint32_t seed : {1u, 2u})
            {
                RunSettings r = shortRun(law, seed);
                r.temperature = t;
                runs.push_back(r);
            }
    const std::atomic<bool> stop{false};
    const std::vector<RunResult> serial = runAll(runs, 1, true, stop);
    const std::vector<RunResult> parallel = runAll(runs, 3, true, stop);
    EXPECT_EQ(resultsCsv(runs, serial), resultsCsv(runs, parallel));
    EXPECT_EQ(seriesCsv(runs, serial), seriesCsv(runs, parallel));
    EXPECT_EQ(histogramCsv(runs, serial), histogramCsv(runs, parallel));
}

// Long and short runs finish out of order on three threads; they are
// delivered in run order all the same, each with its own settings, and a
// refused delivery (a failed write) ends the sweep there.
TEST(LabRun, SweepDeliversInRunOrderAndEndsWhenRefused)
{
    std::vector<RunSettings> runs;
    for (std::uint32_t i = 0; i < 24; ++i)
    {
        RunSettings r = shortRun(PotentialKind::Repulsion, i + 1);
        r.seconds = i % 5 == 0 ? 60 : 1;
        runs.push_back(r);
    }
    const std::atomic<bool> stop{false};
    for (std::size_t refusedAt : {runs.size(), std::size_t{7}})
    {
        std::vector<std::size_t> order;
        runEach(
            runs.size(), [&](std::size_t i) { return runs[i]; }, 3, false, stop,
            [&](std::size_t i, const RunSettings& settings, RunResult&& result)
            {
                order.push_back(i);
                EXPECT_EQ(settings.seed, runs[i].seed);
                EXPECT_FALSE(result.interrupted);
                return i != refusedAt;
            });
        std::vector<std::size_t> expected(std::min(runs.size(), refusedAt + 1));
        std::iota(expected.begin(), expected.end(), std::size_t{0});
        EXPECT_EQ(order, expected);
    }
}

TEST(LabRun, FiguresAreTheScreensUnitUnrounded)
{
    // Without warm-up and in ticks of 1 ms, the particles leave their even
    // start by a fraction of a pixel in the first second: every gap stays
    // 98 pixels, 98 / 52 = 1.8846 gap units at 1920 (the screen rounds it to
    // 1.88).
    RunSettings s;
    s.warmup = 0;
    s.seconds = 1;
    s.dt = 1;
    const RunResult r = runGas(s, false);
    EXPECT_NEAR(r.gap.mean, 98.0 / 52.0, 0.001);
    // At 3840 pixels the lengths double and the unit is 105 pixels.
    s.screenWidth = 3840;
    s.screenHeight = 2160;
    const RunResult doubled = runGas(s, false);
    EXPECT_NEAR(doubled.gap.mean, 196.0 / 105.0, 0.001);
}

} // namespace
