#include "demo/RunControls.hpp"
#include "demo/TheoryOverlay.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
struct Geometry
{
    int count, width;
    unsigned screenWidth, screenHeight;
};
constexpr Geometry geometries[] = {
    {15, 22, 1920, 1080}, // the start-up gas
    {15, 22, 1280, 720},  {30, 10, 1024, 768}, {5, 40, 1366, 768}, {2, 22, 1920, 1080},
};

// Totals that follow the shares exactly: every mark stands where its bar
// stands, the fullest 330 reference pixels tall, however many gaps were binned.
TEST(TheoryOverlay, MarksStandOnBarsThatFollowTheShares)
{
    for (const Geometry& g : geometries)
    {
        SCOPED_TRACE(g.count);
        const ScreenMetrics m = makeScreenMetrics(g.screenWidth, g.screenHeight);
        const FreeGasPrediction exact = freeGasPrediction(g.count, particleWidthPixels(g.width, m), m);
        const float fullBar = 330.0f * m.screenHeight / 1080.0f;
        for (double binned : {14.0, 1.4e4, 3.0e7})
        {
            std::vector<double> totals(histogramBins);
            for (int k = 0; k < histogramBins; ++k)
                totals[k] = exact.shares[k] * binned;
            const double fullest = *std::max_element(totals.begin(), totals.end());
            const std::array<float, histogramBins> heights = theoryMarkHeights(exact.shares, totals, m);
            EXPECT_FLOAT_EQ(*std::max_element(heights.begin(), heights.end()), fullBar);
            for (int k = 0; k < histogramBins; ++k)
                EXPECT_NEAR(heights[k], totals[k] / fullest * fullBar, 1e-3) << k;
        }
        // Every bin alike, far from the shares: the likeliest bins' marks stop under the y axis's title.
        const std::array<float, histogramBins> capped =
            theoryMarkHeights(exact.shares, std::vector<double>(histogramBins, 1.0), m);
        EXPECT_FLOAT_EQ(*std::max_element(capped.begin(), capped.end()), 355.0f * m.screenHeight / 1080.0f);
        // Nothing binned: nothing to scale to.
        for (float h : theoryMarkHeights(exact.shares, std::vector<double>(histogramBins, 0.0), m))
            EXPECT_EQ(h, 0.0f);
    }
}

// The free gas itself: the histogram keeps every gap since the even start
// (all in bin 1), so a minute in the first bars may stand 0.3 to 0.5 of the
// full bar off their marks; after ten minutes every one is within a fifth.
// (With 2 to 5 particles the gaps wander far longer.)
TEST(TheoryOverlay, TheBarsGrowOntoTheMarks)
{
    for (const Geometry& g : {geometries[0], geometries[1], geometries[2]})
    {
        SCOPED_TRACE(g.count);
        const ScreenMetrics m = makeScreenMetrics(g.screenWidth, g.screenHeight);
        GasModel gas(m, std::mt19937(4));
        gas.setup(particleWidthPixels(g.width, m), particleHeightPixels(m), g.count);
        const FreeGasPrediction exact = freeGasPrediction(gas.core().particleCount(), gas.core().particleWidth(), m);
        GasSettings forces;
        forces.law = PotentialKind::Zero;
        BondFlags bonded{};
        for (int t = 0; t < 50000; ++t)
            ASSERT_TRUE(gas.tick(forces, bonded, 12.0f));
        const std::array<float, histogramBins> heights = theoryMarkHeights(exact.shares, gas.core().binTotals(), m);
        const float fullBar = 330.0f * m.screenHeight / 1080.0f;
        for (int k = 0; k < histogramBins; ++k)
            EXPECT_NEAR(heights[k], gas.barShapes()[k].getSize().y, fullBar / 5.0f) << k;
    }
}

// The means shown beside the theory: since the set-up, as velorin-lab
// averages (the mean of the per-tick ratios), written as the readouts are.
TEST(TheoryOverlay, MeansRestartAtEverySetUp)
{
    TheoryOverlay overlay;
    NumberFormatter formatNumber;
    const ScreenMetrics m = makeScreenMetrics(1920, 1080);
    const FreeGasPrediction exact = freeGasPrediction(15, particleWidthPixels(22, m), m);
    setUpTheory(overlay, &exact, formatNumber);
    EXPECT_TRUE(overlay.known);
    EXPECT_EQ(overlay.theoryGap.getString().toAnsiString(), "1.91");
    EXPECT_EQ(overlay.theoryRatio.getString().toAnsiString(), "0.84");
    refreshTheoryMeans(overlay, formatNumber);
    EXPECT_TRUE(overlay.meanGap.getString().isEmpty()); // no tick yet

    addTickToTheory(overlay, {2.0, 1.0});
    addTickToTheory(overlay, {1.0, 1.0});
    refreshTheoryMeans(overlay, formatNumber);
    EXPECT_EQ(overlay.meanGap.getString().toAnsiString(), "1.5");
    EXPECT_EQ(overlay.meanRatio.getString().toAnsiString(), "0.75"); // (0.5 + 1) / 2, not 1 / 1.5

    setUpTheory(overlay, nullptr, formatNumber); // set up again under another law
    EXPECT_FALSE(overlay.known);
    EXPECT_TRUE(overlay.meanGap.getString().isEmpty());
    EXPECT_EQ(overlay.ticks, 0);
}
} // namespace
