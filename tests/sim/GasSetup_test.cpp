#include "tests/sim/GasTestSupport.hpp"

#include <gtest/gtest.h>

#include <SFML/Graphics/Color.hpp>

#include <vector>

namespace
{
TEST(GasSetup, NewModelIsEmptyAndSafeToTick)
{
    GasModel gas(makeScreenMetrics(1920, 1080), std::mt19937(7));
    EXPECT_EQ(gas.particleCount(), 0);
    EXPECT_EQ(gas.binCount(), 0);
    EXPECT_TRUE(gas.isRunning());
    BondFlags bonded{};
    for (PotentialKind kind : allLaws)
        tick(gas, lawSettings(kind), bonded, 12.0f);
    EXPECT_EQ(gas.particleCount(), 0);
    EXPECT_FALSE(gas.overlapDetected());
    EXPECT_EQ(gas.maxBinCount(), 0);
    EXPECT_EQ(gas.meanGap(), 0.0);
    EXPECT_EQ(gas.gapStdDev(), 0.0);
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
        ASSERT_EQ(gas.particleCount(), c.count);
        ASSERT_EQ(gas.positions().size(), static_cast<size_t>(c.count));
        ASSERT_EQ(gas.velocities().size(), static_cast<size_t>(c.count));
        ASSERT_EQ(gas.accelerations().size(), static_cast<size_t>(c.count));
        EXPECT_EQ(gas.particleWidth(), 22.0);
        EXPECT_EQ(gas.particleHeight(), 140.0);
        for (int i = 0; i < c.count; ++i)
        {
            EXPECT_EQ(gas.positions()[i], c.spacing * (i + 1));
            EXPECT_EQ(gas.velocities()[i], 0.0);
            EXPECT_EQ(gas.accelerations()[i], 0.0);
            const sf::RectangleShape& shape = gas.particleShape(i);
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
    EXPECT_FLOAT_EQ(static_cast<float>(gas.particleWidth()), 1280.0f * 22.0f / 1920.0f);
    for (int i = 0; i < 15; ++i)
    {
        EXPECT_EQ(gas.positions()[i], 80.0 * (i + 1));
        EXPECT_EQ(gas.particleShape(i).getPosition().y, 720.0f * 70.0f / 1080.0f);
    }
    EXPECT_EQ(gas.barShape(0).getPosition(),
              sf::Vector2f(564.0f / 16.0f + 1280.0f * 805.0f / 1920.0f, 1033.0f * 720.0f / 1080.0f));
}

TEST(GasSetup, SixteenBarsOnTheirBaseLine)
{
    for (int count : {2, 15, 30})
    {
        GasModel gas = makeGas(1920, 1080, count);
        ASSERT_EQ(gas.binCount(), 16);
        ASSERT_EQ(gas.binTotals().size(), 16u);
        ASSERT_EQ(gas.binCounts().size(), 16u);
        for (int k = 0; k < 16; ++k)
        {
            const sf::RectangleShape& bar = gas.barShape(k);
            EXPECT_EQ(bar.getPosition(), sf::Vector2f(857.875f + 52.875f * k, 1033.0f)) << "bar " << k;
            EXPECT_EQ(bar.getRotation(), 180.0f);
            EXPECT_EQ(bar.getSize(), sf::Vector2f(0.0f, 0.0f));
            EXPECT_EQ(bar.getFillColor(), sf::Color::Green);
            EXPECT_EQ(bar.getOutlineColor(), sf::Color::Black);
            EXPECT_EQ(bar.getOutlineThickness(), 1.0f);
            EXPECT_EQ(gas.binTotals()[k], 0.0);
            EXPECT_EQ(gas.binCounts()[k], 0);
        }
        EXPECT_EQ(gas.barShape(15).getPosition().x, 1651.0f);
    }
}

TEST(GasSetup, HistogramScaleFollowsScreenWidth)
{
    GasModel wide = makeGas(1920, 1080, 15);
    EXPECT_EQ(wide.histogramRange(), 846.0);
    EXPECT_EQ(wide.gapUnit(), 52.0); // 52.875 truncated
    GasModel small = makeGas(1280, 720, 15);
    EXPECT_EQ(small.histogramRange(), 564.0);
    EXPECT_EQ(small.gapUnit(), 35.0); // 35.25 truncated
    GasModel odd = makeGas(1366, 768, 15);
    EXPECT_FLOAT_EQ(static_cast<float>(odd.histogramRange()), 846.0f * 1366.0f / 1920.0f);
    EXPECT_EQ(odd.gapUnit(), 37.0); // 37.618... truncated
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
        ASSERT_EQ(gas.particleCount(), c.kept);
        EXPECT_EQ(gas.positions().size(), static_cast<size_t>(c.kept));
        // Every law runs over the whole row without leaving the bond flags.
        BondFlags bonded{};
        for (PotentialKind kind : allLaws)
            for (int t = 0; t < 5; ++t)
                tick(gas, lawSettings(kind), bonded, 20.0f);
        EXPECT_EQ(gas.particleCount(), c.kept);
    }
}

TEST(GasSetup, SecondSetupResizesAndEmpties)
{
    GasModel gas = makeGas(1920, 1080, 15);
    BondFlags bonded{};
    for (int t = 0; t < 50; ++t)
        tick(gas, lawSettings(PotentialKind::Repulsion), bonded, 20.0f);
    double counted = 0.0;
    for (double total : gas.binTotals())
        counted += total;
    ASSERT_EQ(counted, 50 * 14.0);
    ASSERT_NE(gas.velocities()[0], 0.0);

    gas.pause();
    gas.setup(30.0, 100.0, 7);
    EXPECT_FALSE(gas.isRunning()); // set-up leaves the run flag alone
    ASSERT_EQ(gas.particleCount(), 7);
    EXPECT_EQ(gas.positions().size(), 7u);
    EXPECT_EQ(gas.velocities(), std::vector<double>(7, 0.0));
    EXPECT_EQ(gas.accelerations(), std::vector<double>(7, 0.0));
    EXPECT_EQ(gas.binTotals(), std::vector<double>(16, 0.0));
    EXPECT_EQ(gas.binCounts(), std::vector<int>(16, 0));
    EXPECT_EQ(gas.particleShape(6).getSize(), sf::Vector2f(30.0f, 100.0f));
    EXPECT_EQ(gas.positions()[6], 1680.0);
    // Gaps of 240 - 30 = 210 pixels, 4.038... units of 52.
    EXPECT_DOUBLE_EQ(gas.meanGap(), 4.04);
    EXPECT_EQ(gas.gapStdDev(), 0.0);
}

TEST(GasSetup, SetupKeepsOverlapFlag)
{
    GasModel gas = makeGas(1920, 1080, 3);
    placeAtRest(gas, {100.0, 110.0, 300.0});
    gas.resolveContacts();
    ASSERT_TRUE(gas.overlapDetected());
    gas.setup(22.0, 140.0, 15);
    EXPECT_TRUE(gas.overlapDetected());
}

TEST(GasSetup, SetParticleMovesItsRectangleAndIgnoresBadIndex)
{
    GasModel gas = makeGas(1920, 1080, 3);
    gas.setParticle(1, 500.25, 0.01, -0.0002);
    EXPECT_EQ(gas.positions()[1], 500.25);
    EXPECT_EQ(gas.velocities()[1], 0.01);
    EXPECT_EQ(gas.accelerations()[1], -0.0002);
    EXPECT_EQ(gas.particleShape(1).getPosition().x, 500.25f);
    const std::vector<double> before = gas.positions();
    gas.setParticle(-1, 1.0, 1.0, 1.0);
    gas.setParticle(3, 1.0, 1.0, 1.0);
    EXPECT_EQ(gas.positions(), before);
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
        : positions(gas.positions()), velocities(gas.velocities()), accelerations(gas.accelerations()),
          binTotals(gas.binTotals()), binCounts(gas.binCounts()), overlap(gas.overlapDetected()), bonded(flags)
    {
        for (int k = 0; k < gas.binCount(); ++k)
            barHeights.push_back(gas.barShape(k).getSize().y);
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
        gas.setParticle(5, gas.positions()[4] + 10.0, 0.02, 0.0);
        const GasState before(gas, bonded);

        gas.pause();
        EXPECT_FALSE(gas.isRunning());
        for (int t = 0; t < 5; ++t)
            tick(gas, lawSettings(kind, 50, 1, 5), bonded, 25.0f);
        EXPECT_TRUE(GasState(gas, bonded) == before);
        EXPECT_FALSE(gas.overlapDetected());

        gas.resume();
        EXPECT_TRUE(gas.isRunning());
        EXPECT_TRUE(GasState(gas, bonded) == before);
    }
}

TEST(GasSetup, PauseDoesNotConsumeRandomDraws)
{
    GasModel paused = makeGas(1920, 1080, 15, 3);
    GasModel straight = makeGas(1920, 1080, 15, 3);
    BondFlags bondedPaused{};
    BondFlags bondedStraight{};
    const ForceSettings settings = lawSettings(PotentialKind::Zero);
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
    EXPECT_EQ(paused.positions(), straight.positions());
    EXPECT_EQ(paused.accelerations(), straight.accelerations());
}
} // namespace
