#include "tests/sim/GasTestSupport.hpp"

#include <gtest/gtest.h>

#include <SFML/Graphics/Color.hpp>

#include <vector>

namespace
{
TEST(GasSetup, NewModelIsEmptyAndSafeToTick)
{
    GasModel gas(makeScreenMetrics(1920, 1080), std::mt19937(7));
    EXPECT_EQ(gas.core().particleCount(), 0);
    EXPECT_EQ(gas.core().binCount(), 0);
    EXPECT_TRUE(gas.core().isRunning());
    BondFlags bonded{};
    for (PotentialKind kind : allLaws)
        tick(gas, lawSettings(kind), bonded, 12.0f);
    EXPECT_EQ(gas.core().particleCount(), 0);
    EXPECT_FALSE(gas.core().overlapDetected());
    EXPECT_EQ(gas.core().maxBinCount(), 0);
    EXPECT_EQ(gas.core().meanGap(), 0.0);
    EXPECT_EQ(gas.core().gapStdDev(), 0.0);
}

TEST(GasSetup, SpreadsParticlesEvenlyAtRest)
{
    struct Case
    {
        int count;
        double spacing;
    };
    for (Case c : {Case{2, 640.0}, Case{15, 120.0}, Case{29, 64.0}})
    {
        SCOPED_TRACE(c.count);
        GasModel gas = makeGas(1920, 1080, c.count);
        ASSERT_EQ(gas.core().particleCount(), c.count);
        ASSERT_EQ(gas.core().positions().size(), static_cast<size_t>(c.count));
        ASSERT_EQ(gas.core().velocities().size(), static_cast<size_t>(c.count));
        ASSERT_EQ(gas.core().accelerations().size(), static_cast<size_t>(c.count));
        EXPECT_EQ(gas.core().particleWidth(), 22.0);
        EXPECT_EQ(gas.particleHeight(), 140.0);
        for (int i = 0; i < c.count; ++i)
        {
            EXPECT_EQ(gas.core().positions()[i], c.spacing * (i + 1));
            EXPECT_EQ(gas.core().velocities()[i], 0.0);
            EXPECT_EQ(gas.core().accelerations()[i], 0.0);
            const sf::RectangleShape& shape = gas.particleShapes()[i];
            EXPECT_EQ(shape.getPosition(), sf::Vector2f(static_cast<float>(c.spacing * (i + 1)), 70.0f));
            EXPECT_EQ(shape.getSize(), sf::Vector2f(22.0f, 140.0f));
            EXPECT_EQ(shape.getFillColor(), sf::Color::Blue);
            EXPECT_EQ(shape.getOutlineColor(), sf::Color::Black);
            EXPECT_EQ(shape.getOutlineThickness(), 2.0f);
        }
    }
}

TEST(GasSetup, ScalesToSmallerScreen)
{
    GasModel gas = makeGas(1280, 720, 15);
    EXPECT_FLOAT_EQ(static_cast<float>(gas.core().particleWidth()), 1280.0f * 22.0f / 1920.0f);
    for (int i = 0; i < 15; ++i)
    {
        EXPECT_EQ(gas.core().positions()[i], 80.0 * (i + 1));
        EXPECT_EQ(gas.particleShapes()[i].getPosition().y, 720.0f * 70.0f / 1080.0f);
    }
    EXPECT_EQ(gas.barShapes()[0].getPosition(),
              sf::Vector2f(564.0f / 16.0f + 1280.0f * 805.0f / 1920.0f, 1033.0f * 720.0f / 1080.0f));
}

TEST(GasSetup, SixteenBarsOnTheirBaseLine)
{
    for (int count : {2, 15, 30})
    {
        GasModel gas = makeGas(1920, 1080, count);
        ASSERT_EQ(gas.core().binCount(), 16);
        ASSERT_EQ(gas.core().binTotals().size(), 16u);
        ASSERT_EQ(gas.core().binCounts().size(), 16u);
        for (int k = 0; k < 16; ++k)
        {
            const sf::RectangleShape& bar = gas.barShapes()[k];
            EXPECT_EQ(bar.getPosition(), sf::Vector2f(857.875f + 52.875f * k, 1033.0f)) << "bar " << k;
            EXPECT_EQ(bar.getRotation(), 180.0f);
            EXPECT_EQ(bar.getSize(), sf::Vector2f(0.0f, 0.0f));
            EXPECT_EQ(bar.getFillColor(), sf::Color::Green);
            EXPECT_EQ(bar.getOutlineColor(), sf::Color::Black);
            EXPECT_EQ(bar.getOutlineThickness(), 1.0f);
            EXPECT_EQ(gas.core().binTotals()[k], 0.0);
            EXPECT_EQ(gas.core().binCounts()[k], 0);
        }
        EXPECT_EQ(gas.barShapes()[15].getPosition().x, 1651.0f);
    }
}

TEST(GasSetup, HistogramScaleFollowsScreenWidth)
{
    GasModel wide = makeGas(1920, 1080, 15);
    EXPECT_EQ(wide.core().histogramRange(), 846.0);
    EXPECT_EQ(wide.core().gapUnit(), 52.0); // 52.875 truncated
    GasModel small = makeGas(1280, 720, 15);
    EXPECT_EQ(small.core().histogramRange(), 564.0);
    EXPECT_EQ(small.core().gapUnit(), 35.0); // 35.25 truncated
    GasModel odd = makeGas(1366, 768, 15);
    EXPECT_FLOAT_EQ(static_cast<float>(odd.core().histogramRange()), 846.0f * 1366.0f / 1920.0f);
    EXPECT_EQ(odd.core().gapUnit(), 37.0); // 37.618... truncated
}

TEST(GasSetup, CountIsKeptWithinSupportedRange)
{
    struct Case
    {
        int asked;
        int kept;
    };
    for (Case c : {Case{1, 2}, Case{0, 2}, Case{-40, 2}, Case{100, 100}, Case{101, 100}, Case{1 << 30, 100}})
    {
        SCOPED_TRACE(c.asked);
        GasModel gas = makeGas(1920, 1080, c.asked);
        ASSERT_EQ(gas.core().particleCount(), c.kept);
        EXPECT_EQ(gas.core().positions().size(), static_cast<size_t>(c.kept));
        // Every law runs over the whole row without leaving the bond flags.
        BondFlags bonded{};
        for (PotentialKind kind : allLaws)
            for (int t = 0; t < 5; ++t)
                tick(gas, lawSettings(kind), bonded, 20.0f);
        EXPECT_EQ(gas.core().particleCount(), c.kept);
    }
}

TEST(GasSetup, SecondSetupResizesAndEmpties)
{
    GasModel gas = makeGas(1920, 1080, 15);
    BondFlags bonded{};
    for (int t = 0; t < 50; ++t)
        tick(gas, lawSettings(PotentialKind::Repulsion), bonded, 20.0f);
    double counted = 0.0;
    for (double total : gas.core().binTotals())
        counted += total;
    ASSERT_EQ(counted, 50 * 14.0);
    ASSERT_NE(gas.core().velocities()[0], 0.0);

    gas.pause();
    gas.setup(30.0, 100.0, 7);
    EXPECT_FALSE(gas.core().isRunning()); // set-up leaves the run flag alone
    ASSERT_EQ(gas.core().particleCount(), 7);
    EXPECT_EQ(gas.core().positions().size(), 7u);
    EXPECT_EQ(gas.core().velocities(), std::vector<double>(7, 0.0));
    EXPECT_EQ(gas.core().accelerations(), std::vector<double>(7, 0.0));
    EXPECT_EQ(gas.core().binTotals(), std::vector<double>(16, 0.0));
    EXPECT_EQ(gas.core().binCounts(), std::vector<int>(16, 0));
    EXPECT_EQ(gas.particleShapes()[6].getSize(), sf::Vector2f(30.0f, 100.0f));
    EXPECT_EQ(gas.core().positions()[6], 1680.0);
    // Gaps of 240 - 30 = 210 pixels, 4.038... units of 52.
    EXPECT_DOUBLE_EQ(gas.core().meanGap(), 4.04);
    EXPECT_EQ(gas.core().gapStdDev(), 0.0);
}

TEST(GasSetup, SetupKeepsOverlapFlag)
{
    GasModel gas = makeGas(1920, 1080, 3);
    placeAtRest(gas, {100.0, 110.0, 300.0});
    gas.resolveContacts();
    ASSERT_TRUE(gas.core().overlapDetected());
    gas.setup(22.0, 140.0, 15);
    EXPECT_TRUE(gas.core().overlapDetected());
}

TEST(GasSetup, SetParticleMovesItsRectangleAndIgnoresBadIndex)
{
    GasModel gas = makeGas(1920, 1080, 3);
    gas.setParticle(1, 500.25, 0.01, -0.0002);
    EXPECT_EQ(gas.core().positions()[1], 500.25);
    EXPECT_EQ(gas.core().velocities()[1], 0.01);
    EXPECT_EQ(gas.core().accelerations()[1], -0.0002);
    EXPECT_EQ(gas.particleShapes()[1].getPosition().x, 500.25f);
    const std::vector<double> before = gas.core().positions();
    gas.setParticle(-1, 1.0, 1.0, 1.0);
    gas.setParticle(3, 1.0, 1.0, 1.0);
    EXPECT_EQ(gas.core().positions(), before);
}

// A snapshot of everything a tick can change.
struct GasState
{
    std::vector<double> positions, velocities, accelerations, binTotals;
    std::vector<int> binCounts;
    bool overlap;
    BondFlags bonded;
    std::vector<float> barHeights;

    GasState(const GasModel& gas, const BondFlags& flags)
        : positions(gas.core().positions()), velocities(gas.core().velocities()),
          accelerations(gas.core().accelerations()), binTotals(gas.core().binTotals()),
          binCounts(gas.core().binCounts()), overlap(gas.core().overlapDetected()), bonded(flags)
    {
        for (int k = 0; k < gas.core().binCount(); ++k)
            barHeights.push_back(gas.barShapes()[k].getSize().y);
    }
    bool operator==(const GasState& o) const
    {
        return positions == o.positions && velocities == o.velocities && accelerations == o.accelerations &&
               binTotals == o.binTotals && binCounts == o.binCounts && overlap == o.overlap && bonded == o.bonded &&
               barHeights == o.barHeights;
    }
};

TEST(GasSetup, PausedGasDoesNotChange)
{
    for (PotentialKind kind : allLaws)
    {
        SCOPED_TRACE(static_cast<int>(kind));
        GasModel gas = makeGas(1920, 1080, 15, 11);
        BondFlags bonded{};
        for (int t = 0; t < 30; ++t)
            tick(gas, lawSettings(kind, 50, 1, 5), bonded, 25.0f);
        // An overlap deeper than 2 pixels, left for the contact pass to find.
        gas.setParticle(5, gas.core().positions()[4] + 10.0, 0.02, 0.0);
        const GasState before(gas, bonded);

        gas.pause();
        EXPECT_FALSE(gas.core().isRunning());
        for (int t = 0; t < 5; ++t)
            tick(gas, lawSettings(kind, 50, 1, 5), bonded, 25.0f);
        EXPECT_TRUE(GasState(gas, bonded) == before);
        EXPECT_FALSE(gas.core().overlapDetected());

        gas.resume();
        EXPECT_TRUE(gas.core().isRunning());
        EXPECT_TRUE(GasState(gas, bonded) == before);
    }
}

TEST(GasSetup, PauseDoesNotConsumeRandomDraws)
{
    GasModel paused = makeGas(1920, 1080, 15, 3);
    GasModel straight = makeGas(1920, 1080, 15, 3);
    BondFlags bondedPaused{};
    BondFlags bondedStraight{};
    const GasSettings settings = lawSettings(PotentialKind::Zero);
    for (int t = 0; t < 10; ++t)
    {
        if (t == 4)
        {
            paused.pause();
            tick(paused, settings, bondedPaused, 20.0f);
            paused.resume();
        }
        tick(paused, settings, bondedPaused, 20.0f);
        tick(straight, settings, bondedStraight, 20.0f);
    }
    EXPECT_EQ(paused.core().positions(), straight.core().positions());
    EXPECT_EQ(paused.core().accelerations(), straight.core().accelerations());
}
} // namespace
