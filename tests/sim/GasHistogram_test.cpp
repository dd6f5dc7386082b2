#include "tests/sim/GasTestSupport.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
enum class Gap
{
    Exactly,
    JustAbove, // the smallest gap beyond the value that two positions can make
};

// The bin that one gap of a resting pair falls into after a step; -1 for none.
int binOfGap(unsigned screenWidth, double value, Gap how = Gap::Exactly)
{
    GasModel gas = makeGas(screenWidth, screenWidth * 9 / 16, 2);
    const double x0 = 100.0;
    const double w = gas.core().particleWidth();
    auto gapTo = [&](double x1) { return std::abs(x0 - x1) - w; };
    auto wanted = [&](double g) { return how == Gap::Exactly ? g >= value : g > value; };
    // The gap grows with x1: find the smallest x1 that gives a wanted gap.
    double x1 = x0 + w + value;
    while (wanted(gapTo(std::nextafter(x1, 0.0))))
        x1 = std::nextafter(x1, 0.0);
    while (!wanted(gapTo(x1)))
        x1 = std::nextafter(x1, 1e9);
    if (how == Gap::Exactly)
    {
        EXPECT_EQ(gapTo(x1), value) << "not representable";
    }
    gas.setParticle(0, x0, 0.0, 0.0);
    gas.setParticle(1, x1, 0.0, 0.0);
    gas.step(12.0f);
    EXPECT_EQ(gas.core().positions()[1], x1) << "the pair moved";
    int found = -1;
    for (int k = 0; k < gas.core().binCount(); ++k)
    {
        if (gas.core().binCounts()[k] == 1)
        {
            EXPECT_EQ(found, -1) << "counted twice";
            found = k;
        }
        EXPECT_EQ(gas.core().binTotals()[k], gas.core().binCounts()[k]);
    }
    return found;
}

TEST(GasHistogram, GapOnABinEdgeGoesToTheLowerBin)
{
    const double edge = 56.4f; // 846 / 15 in single precision
    EXPECT_EQ(binOfGap(1920, edge), 0);
    EXPECT_EQ(binOfGap(1920, edge, Gap::JustAbove), 1);
    EXPECT_EQ(binOfGap(1920, 0.25), 0);
    EXPECT_EQ(binOfGap(1920, 98.0), 1);
    EXPECT_EQ(binOfGap(1920, 112.8f), 1);
    EXPECT_EQ(binOfGap(1920, 500.0), 8);
    EXPECT_EQ(binOfGap(1920, 846.0), 14);
    EXPECT_EQ(binOfGap(1280, 37.6f), 0);
    EXPECT_EQ(binOfGap(1280, 37.6f, Gap::JustAbove), 1);
    EXPECT_EQ(binOfGap(1280, 564.0), 14);
}

TEST(GasHistogram, EdgesFollowTheSinglePrecisionFormulaOnOtherScreens)
{
    // The edges k * 846 * screenWidth / 1920 / 15, each step rounded to
    // single precision, are not exact on these screens.
    for (unsigned screen : {1366u, 2560u, 3840u})
    {
        for (int k = 1; k < 15; ++k)
        {
            const double edge = static_cast<float>(k) * 846.0f * static_cast<float>(screen) / 1920.0f / 15.0f;
            EXPECT_EQ(binEdge(makeScreenMetrics(screen, screen * 9 / 16), k), edge) << screen << " edge " << k;
            EXPECT_EQ(binOfGap(screen, edge), k - 1) << screen << " edge " << k;
            EXPECT_EQ(binOfGap(screen, edge, Gap::JustAbove), k) << screen << " edge " << k;
        }
    }
}

TEST(GasHistogram, GapsBeyondTheRangeOverflow)
{
    EXPECT_EQ(binOfGap(1920, 846.0, Gap::JustAbove), 15);
    EXPECT_EQ(binOfGap(1920, 900.0), 15);
    EXPECT_EQ(binOfGap(1280, 564.5), 15);
    EXPECT_EQ(binOfGap(1280, 846.0), 15);
}

TEST(GasHistogram, OverlapsAreSeparatedBeforeBinning)
{
    // Particle 2 lies inside particle 0. Particle 1 has no room between 122
    // and 110 and is set against particle 0 (gap exactly 0, bin 0); particle
    // 2 then goes to the midpoint of 144 and 800, 472.
    GasModel gas = makeGas(1920, 1080, 4);
    placeAtRest(gas, {100.0, 300.0, 110.0, 800.0});
    gas.step(12.0f);
    ASSERT_EQ(gas.core().positions(), (std::vector<double>{100.0, 122.0, 472.0, 800.0}));
    std::vector<int> expected(16, 0);
    expected[0] = 1; // gap 0
    expected[5] = 2; // gaps 328 and 306
    EXPECT_EQ(gas.core().binCounts(), expected);
    EXPECT_EQ(gas.core().maxBinCount(), 2);
    EXPECT_DOUBLE_EQ(gas.core().meanGap(), std::round((0.0 + 328.0 + 306.0) / 52.0 * 100.0 / 3.0) / 100.0);
    gas.resolveContacts();
    EXPECT_FALSE(gas.core().overlapDetected());
}

TEST(GasHistogram, StartUpGasAndItsFirstTick)
{
    struct Case
    {
        unsigned width, height;
        double mean;
        float barWidth, tallest;
    };
    // 1920: gaps 98 = 1.88 units of 52; 1280: gaps 65.33 = 1.87 units of 35.
    for (Case c :
         {Case{1920, 1080, 1.88, 51.625f, 330.0f}, Case{1280, 720, 1.87, 1280.0f * 826.0f / 1920.0f / 16.0f, 220.0f}})
    {
        for (PotentialKind kind : allLaws)
        {
            SCOPED_TRACE(c.width);
            SCOPED_TRACE(static_cast<int>(kind));
            GasModel gas = makeGas(c.width, c.height, 15);
            EXPECT_DOUBLE_EQ(gas.core().meanGap(), c.mean);
            EXPECT_EQ(gas.core().gapStdDev(), 0.0);
            EXPECT_EQ(gas.core().maxBinCount(), 0);

            BondFlags bonded{};
            tick(gas, lawSettings(kind), bonded, 30.0f);
            std::vector<int> counts(16, 0);
            counts[1] = 14;
            EXPECT_EQ(gas.core().binCounts(), counts);
            EXPECT_EQ(gas.core().binTotals()[1], 14.0);
            EXPECT_EQ(gas.core().maxBinCount(), 14);
            for (int k = 0; k < 16; ++k)
                EXPECT_EQ(gas.barShapes()[k].getSize(), sf::Vector2f(c.barWidth, k == 1 ? c.tallest : 0.0f))
                    << "bar " << k;
        }
    }
}

TEST(GasHistogram, EmptyHistogramGivesFlatBars)
{
    GasModel gas = makeGas(1920, 1080, 15);
    gas.updateBarHeights();
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(gas.barShapes()[k].getSize(), sf::Vector2f(51.625f, 0.0f)) << "bar " << k;
}

TEST(GasHistogram, BarsShowTotalsLabelShowsLatestTick)
{
    GasModel gas = makeGas(1920, 1080, 3);
    placeAtRest(gas, {500.0, 552.0, 674.0}); // gaps 30 (bin 0) and 100 (bin 1)
    for (int t = 0; t < 3; ++t)
        gas.step(12.0f);
    placeAtRest(gas, {500.0, 622.0, 744.0}); // gaps 100 and 100
    gas.step(12.0f);
    gas.updateBarHeights();
    EXPECT_EQ(gas.core().binTotals()[0], 3.0);
    EXPECT_EQ(gas.core().binTotals()[1], 5.0);
    EXPECT_EQ(gas.core().maxBinCount(), 2);
    EXPECT_EQ(gas.barShapes()[1].getSize().y, 330.0f);
    EXPECT_EQ(gas.barShapes()[0].getSize().y, static_cast<float>(3.0 / 5.0) * 330.0f);
    // Pausing keeps the totals; set-up empties them.
    gas.pause();
    gas.step(12.0f);
    gas.resume();
    EXPECT_EQ(gas.core().binTotals()[1], 5.0);
    gas.setup(22.0, 140.0, 3);
    EXPECT_EQ(gas.core().binTotals(), std::vector<double>(16, 0.0));
    EXPECT_EQ(gas.core().maxBinCount(), 0);
}

TEST(GasHistogram, SpreadIsOverTheNumberOfGaps)
{
    GasModel gas = makeGas(1920, 1080, 3);
    placeAtRest(gas, {100.0, 174.0, 352.0}); // gaps of 1 and 3 units
    EXPECT_EQ(gas.core().meanGap(), 2.0);
    EXPECT_EQ(gas.core().gapStdDev(), 1.0);
}

TEST(GasHistogram, MeanRoundsHalfwayAwayFromZero)
{
    GasModel gas = makeGas(1920, 1080, 2);
    placeAtRest(gas, {100.0, 128.5}); // 6.5 / 52 = 0.125 units
    EXPECT_EQ(gas.core().meanGap(), 0.13);
    EXPECT_EQ(gas.core().gapStdDev(), 0.01); // |0.125 - 0.13| = 0.005, rounded up
    placeAtRest(gas, {100.0, 115.5});        // -0.125 units
    EXPECT_EQ(gas.core().meanGap(), -0.13);
}

TEST(GasHistogram, SingleGapSpreadIsItsRoundingOnly)
{
    GasModel gas = makeGas(1920, 1080, 2);
    for (double g = 3.0; g < 900.0; g += 0.37)
    {
        placeAtRest(gas, {100.0, 122.0 + g});
        const double spread = gas.core().gapStdDev();
        EXPECT_TRUE(spread == 0.0 || spread == 0.01) << g << ": " << spread;
        EXPECT_NEAR(gas.core().meanGap(), g / 52.0, 0.005 + 1e-12);
    }
}
} // namespace
