#include "tests/sim/GasTestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

namespace
{
// Two neighbours 5 pixels apart with the given velocities, after one contact pass.
std::vector<double> afterContact(double left, double right, double gap = 5.0)
{
    GasModel gas = makeGas(1920, 1080, 2);
    gas.setParticle(0, 500.0, left, 0.0);
    gas.setParticle(1, 500.0 + 22.0 + gap, right, 0.0);
    gas.resolveContacts();
    return gas.core().velocities();
}

TEST(GasContacts, ExchangeTable)
{
    using V = std::vector<double>;
    EXPECT_EQ(afterContact(0.03, -0.02), (V{-0.02, 0.03}));   // head-on
    EXPECT_EQ(afterContact(0.03, 0.01), (V{0.01, 0.03}));     // both right
    EXPECT_EQ(afterContact(-0.01, -0.03), (V{-0.03, -0.01})); // both left
    EXPECT_EQ(afterContact(0.0, 0.0), (V{0.0, 0.0}));
    EXPECT_EQ(afterContact(0.03, 0.0), (V{0.03, 0.0}));     // onto one at rest
    EXPECT_EQ(afterContact(-0.01, 0.02), (V{-0.01, 0.02})); // separating
    EXPECT_EQ(afterContact(-0.01, 0.0), (V{-0.01, 0.0}));
    EXPECT_EQ(afterContact(0.0, 0.02), (V{0.0, 0.02}));
    EXPECT_EQ(afterContact(0.0, -0.02), (V{0.0, -0.02}));
}

TEST(GasContacts, ContactDistanceIsBelowSevenPixels)
{
    using V = std::vector<double>;
    EXPECT_EQ(afterContact(0.03, -0.02, 6.9), (V{-0.02, 0.03}));
    EXPECT_EQ(afterContact(0.03, -0.02, 7.0), (V{0.03, -0.02}));
    EXPECT_EQ(afterContact(0.03, -0.02, -1.5), (V{-0.02, 0.03})); // overlapping still touch
}

TEST(GasContacts, ExchangePassesAlongTheRowInOnePass)
{
    GasModel gas = makeGas(1920, 1080, 3);
    gas.setParticle(0, 500.0, 0.03, 0.0);
    gas.setParticle(1, 525.0, 0.02, 0.0);
    gas.setParticle(2, 550.0, 0.01, 0.0);
    gas.resolveContacts();
    EXPECT_EQ(gas.core().velocities(), (std::vector<double>{0.02, 0.01, 0.03}));
    EXPECT_FALSE(gas.core().overlapDetected());
}

TEST(GasContacts, OverlapToleranceIsTwoPixels)
{
    for (unsigned screen : {1920u, 1280u})
    {
        SCOPED_TRACE(screen);
        GasModel exact = makeGas(screen, screen * 9 / 16, 3);
        const double w = exact.core().particleWidth();
        placeAtRest(exact, {100.0, 100.0 + w - 2.0, 600.0});
        exact.resolveContacts();
        EXPECT_FALSE(exact.core().overlapDetected());

        GasModel deeper = makeGas(screen, screen * 9 / 16, 3);
        placeAtRest(deeper, {100.0, 100.0 + w - 2.01, 600.0});
        deeper.resolveContacts();
        EXPECT_TRUE(deeper.core().overlapDetected());
        // Sticky: a later clean row does not clear it.
        placeAtRest(deeper, {100.0, 300.0, 600.0});
        deeper.resolveContacts();
        EXPECT_TRUE(deeper.core().overlapDetected());
    }
}

// A broken order stops the tick after the contact pass: no forces, no
// step, nothing binned, the rectangles where they were.
TEST(GasTick, StopsAtABrokenOrderBeforeForcesAndStep)
{
    GasModel gas = makeGas(1920, 1080, 3);
    placeAtRest(gas, {100.0, 110.0, 600.0});
    gas.setParticle(2, 600.0, 0.05, 0.0);
    BondFlags bonded{};
    EXPECT_FALSE(gas.tick(lawSettings(PotentialKind::Repulsion), bonded, 30.0f));
    EXPECT_TRUE(gas.core().overlapDetected());
    EXPECT_EQ(gas.core().positions(), (std::vector<double>{100.0, 110.0, 600.0}));
    EXPECT_EQ(gas.core().accelerations(), std::vector<double>(3, 0.0));
    EXPECT_EQ(gas.core().binTotals(), std::vector<double>(16, 0.0));
    EXPECT_EQ(gas.particleShapes()[2].getPosition().x, 600.0f);
    EXPECT_FALSE(gas.tick(lawSettings(PotentialKind::Repulsion), bonded, 30.0f)) << "the stop is sticky";
}

// The drawn model moves exactly as a bare core with the same seed, and its
// rectangles follow every tick.
TEST(GasTick, ModelMovesAsItsCoreAndItsRectanglesFollow)
{
    for (PotentialKind law : allLaws)
    {
        SCOPED_TRACE(lawName(law));
        const ScreenMetrics m = makeScreenMetrics(1280, 720);
        GasCore core(m, std::mt19937(5));
        core.setup(scaleX(m, 22.0f), 15);
        GasModel model = makeGas(1280, 720, 15, 5);
        BondFlags coreBonds{}, modelBonds{};
        for (int t = 0; t < 2000; ++t)
        {
            const auto dt = static_cast<float>(12 + t % 29);
            ASSERT_TRUE(core.tick(lawSettings(law), coreBonds, dt));
            ASSERT_TRUE(model.tick(lawSettings(law), modelBonds, dt));
        }
        EXPECT_EQ(model.core().positions(), core.positions());
        EXPECT_EQ(model.core().velocities(), core.velocities());
        EXPECT_EQ(model.core().binTotals(), core.binTotals());
        for (int i = 0; i < 15; ++i)
            EXPECT_EQ(model.particleShapes()[i].getPosition(),
                      sf::Vector2f(static_cast<float>(core.positions()[i]), 720.0f * 70.0f / 1080.0f));
    }
}

TEST(GasContacts, OrderCheckSeesBeyondTheNeighbour)
{
    // Width 1: every neighbour lies within 2 pixels of the previous limit,
    // but particle 2 lies more than 2 pixels left of particle 0's right edge.
    GasModel gas = makeGas(1920, 1080, 3);
    gas.setup(1.0, 140.0, 3);
    placeAtRest(gas, {100.0, 99.5, 98.8});
    gas.resolveContacts();
    EXPECT_TRUE(gas.core().overlapDetected());
}

// The order check written out pair by pair.
bool naiveOverlap(const std::vector<double>& x, double w)
{
    const int n = static_cast<int>(x.size());
    for (int i = 1; i < n; ++i)
        for (int j = i; j < n; ++j)
            if (x[i - 1] + w - 2 > x[j])
                return true;
    return false;
}

TEST(GasContacts, OrderCheckMatchesPairwiseCheck)
{
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> count(2, 30);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double widths[] = {0.5, 1.0, 2.0, 5.0, 16.0, 22.0};
    const double odd[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(), -50.0, 5000.0};
    int overlaps = 0;
    const int trials = 4000;
    for (int trial = 0; trial < trials; ++trial)
    {
        const int n = count(random);
        const double w = widths[trial % 6];
        // The deepest step back between neighbours varies from row to row.
        std::uniform_real_distribution<double> jitter(-1.5 - unit(random), 1.5);
        std::vector<double> x{trial % 50 == 0 ? odd[trial / 50 % 5] : 100.0 + 50.0 * unit(random)};
        for (int i = 1; i < n; ++i)
        {
            // Mostly touching rows with a little give either way; now and
            // then a particle thrown far off or a non-finite value.
            const double roll = unit(random);
            if (roll < 0.01)
                x.push_back(odd[static_cast<int>(unit(random) * 5)]);
            else if (roll < 0.02)
                x.push_back(x.back() - 30.0 * unit(random));
            else
                x.push_back((std::isfinite(x.back()) ? x.back() : 400.0) + w + jitter(random));
        }
        GasModel gas = makeGas(1920, 1080, n);
        gas.setup(w, 140.0, n);
        for (int i = 0; i < n; ++i)
            gas.setParticle(i, x[i], 0.0, 0.0);
        gas.resolveContacts();
        const bool expected = naiveOverlap(x, w);
        overlaps += expected;
        ASSERT_EQ(gas.core().overlapDetected(), expected) << "trial " << trial;
    }
    // Both outcomes are well represented.
    EXPECT_GT(overlaps, trials / 5);
    EXPECT_LT(overlaps, trials * 4 / 5);
}

TEST(GasMotion, LeftWallTurnsParticleBack)
{
    GasModel gas = makeGas(1920, 1080, 2);
    gas.setParticle(0, 3.0, -0.05, 0.0);
    gas.setParticle(1, 1000.0, 0.0, 0.0);
    gas.step(12.0f);
    EXPECT_DOUBLE_EQ(gas.core().velocities()[0], 0.05);
    EXPECT_DOUBLE_EQ(gas.core().positions()[0], 6.6);
    EXPECT_EQ(gas.particleShapes()[0].getPosition(), sf::Vector2f(6.6f, 70.0f));

    // The wall line scales with the screen: 4 pixels at 1280.
    GasModel small = makeGas(1280, 720, 2);
    small.setParticle(0, 3.0, -0.05, 0.0);
    small.step(12.0f);
    EXPECT_DOUBLE_EQ(small.core().velocities()[0], 0.05);
    EXPECT_DOUBLE_EQ(small.core().positions()[0], 4.6);
}

TEST(GasMotion, WallActsOnlyOnceParticleIsPastIt)
{
    GasModel gas = makeGas(1920, 1080, 2);
    gas.setParticle(0, 6.5, -0.05, 0.0);
    gas.step(12.0f);
    EXPECT_DOUBLE_EQ(gas.core().positions()[0], 5.9);
    EXPECT_DOUBLE_EQ(gas.core().velocities()[0], -0.05);
    gas.step(12.0f);
    EXPECT_DOUBLE_EQ(gas.core().positions()[0], 6.6);
    EXPECT_DOUBLE_EQ(gas.core().velocities()[0], 0.05);
}

TEST(GasMotion, RightWallTurnsParticleBack)
{
    GasModel gas = makeGas(1920, 1080, 2);
    // Right wall line for the left edge: 1920 - 22 - 6 = 1892.
    gas.setParticle(0, 1000.0, 0.0, 0.0);
    gas.setParticle(1, 1892.5, 0.05, 0.0);
    gas.step(12.0f);
    EXPECT_DOUBLE_EQ(gas.core().velocities()[1], -0.05);
    EXPECT_DOUBLE_EQ(gas.core().positions()[1], 1891.4);
    // Moving inwards past the line: left alone.
    gas.setParticle(1, 1893.0, -0.05, 0.0);
    gas.step(12.0f);
    EXPECT_DOUBLE_EQ(gas.core().positions()[1], 1892.4);
    EXPECT_DOUBLE_EQ(gas.core().velocities()[1], -0.05);
}

TEST(GasMotion, SpeedIsLimited)
{
    for (unsigned screen : {1920u, 1280u})
    {
        SCOPED_TRACE(screen);
        const double maxSpeed = makeScreenMetrics(screen, screen * 9 / 16).maxSpeed;
        GasModel gas = makeGas(screen, screen * 9 / 16, 3);
        const double w = gas.core().particleWidth();
        gas.setParticle(0, 100.0, 0.079, 0.001);
        gas.setParticle(1, 400.0, -0.02, -0.002);
        gas.setParticle(2, 800.0, 0.5, 0.0);
        gas.step(40.0f);
        EXPECT_EQ(gas.core().velocities(), (std::vector<double>{maxSpeed, -maxSpeed, maxSpeed}));
        EXPECT_DOUBLE_EQ(gas.core().positions()[0], 100.0 + 40 * maxSpeed);
        EXPECT_DOUBLE_EQ(gas.core().positions()[1], 400.0 - 40 * maxSpeed);
        EXPECT_DOUBLE_EQ(gas.core().positions()[2], 800.0 + 40 * maxSpeed);
        EXPECT_LT(gas.core().positions()[0] + w, gas.core().positions()[1]);
    }
}

TEST(GasMotion, RefusedMovesGoToTheMidpointWhereItFits)
{
    GasModel gas = makeGas(1920, 1080, 4);
    // Particle 0 would stay left of the bound e = 1: it goes to the midpoint
    // of e and particle 1's predicted left edge, (1 + 100) / 2, which leaves
    // room for it. Particle 1 would reach particle 2's predicted left edge
    // (110 + 20 * 0.03); the midpoint of particle 0's new right edge and that
    // edge would reach into particle 2, so it stops a width short of it.
    // Particle 2's own move then only touches particle 1, which is refused:
    // it goes to the midpoint of 110.6 and 400.
    gas.setParticle(0, 0.5, 0.0, 0.0);
    gas.setParticle(1, 100.0, 0.0, 0.0);
    gas.setParticle(2, 110.0, 0.01, 0.001);
    gas.setParticle(3, 400.0, 0.0, 0.0);
    gas.step(20.0f);
    EXPECT_DOUBLE_EQ(gas.core().positions()[0], 50.5);
    EXPECT_DOUBLE_EQ(gas.core().positions()[1], 110.6 - 22.0);
    EXPECT_DOUBLE_EQ(gas.core().positions()[2], (110.6 + 400.0) * 0.5);
    EXPECT_EQ(gas.core().positions()[3], 400.0);
    // The prediction did not touch particle 2's own velocity beyond its step.
    EXPECT_DOUBLE_EQ(gas.core().velocities()[2], 0.03);
}

TEST(GasMotion, PredictionUsesLimitedSpeed)
{
    GasModel gas = makeGas(1920, 1080, 3);
    // Particle 1 would get 0.07 + 0.02 = 0.09, limited to 0.08: predicted at
    // 201.6. Particle 0 at 179 with its right edge at 201 is clear of that and moves.
    gas.setParticle(0, 179.0, 0.0, 0.0);
    gas.setParticle(1, 200.0, 0.07, 0.001);
    gas.setParticle(2, 600.0, 0.0, 0.0);
    gas.step(20.0f);
    EXPECT_EQ(gas.core().positions()[0], 179.0);
    // Predicted at 200 + 20 * 0.09 the row would differ only through this test:
    GasModel held = makeGas(1920, 1080, 3);
    held.setParticle(0, 179.7, 0.0, 0.0);
    held.setParticle(1, 200.0, 0.07, 0.001);
    held.setParticle(2, 600.0, 0.0, 0.0);
    held.step(20.0f);
    EXPECT_DOUBLE_EQ(held.core().positions()[0], (201.6 + 1.0) * 0.5);
}

TEST(GasMotion, TwoParticlesPredictWithAcceleration)
{
    // Particle 1 at 123 with v = -0.01, a = -0.002: predicted at
    // 123 - 20 * 0.05 = 122, not beyond particle 0's right edge at 122, so
    // particle 0 goes to the midpoint of 1 and 122. With the velocity alone
    // it would stay.
    GasModel gas = makeGas(1920, 1080, 2);
    gas.setParticle(0, 100.0, 0.0, 0.0);
    gas.setParticle(1, 123.0, -0.01, -0.002);
    gas.step(20.0f);
    EXPECT_NEAR(gas.core().positions()[0], 61.5, 1e-9);

    GasModel slow = makeGas(1920, 1080, 2);
    slow.setParticle(0, 100.0, 0.0, 0.0);
    slow.setParticle(1, 123.0, -0.01, -0.001);
    slow.step(20.0f);
    EXPECT_EQ(slow.core().positions()[0], 100.0);
}

TEST(GasMotion, LastParticleKeptInsideRightBound)
{
    GasModel gas = makeGas(1920, 1080, 2);
    // Right edge at 1920, past u = 1919: the midpoint of particle 0's right edge and u.
    gas.setParticle(0, 1000.0, 0.0, 0.0);
    gas.setParticle(1, 1898.0, 0.0, 0.0);
    gas.step(12.0f);
    EXPECT_DOUBLE_EQ(gas.core().positions()[1], (1022.0 + 1919.0) * 0.5);
    EXPECT_LT(gas.core().positions()[1] + 22.0, 1919.0);
}

TEST(GasMotion, RefusedMovesInNarrowRoomStopAWidthShortOfTheRightLimit)
{
    // {x0, x1, which one is refused, where it lands}: where the midpoint
    // would reach past the right limit (particle 1's predicted edge, or
    // u = 1919), a width short of it; in less room than a width, on the left limit.
    const double cases[][4] = {{0.5, 30.0, 0, 8.0}, {0.5, 20.0, 0, 1.0}, {1860.0, 1898.0, 1, 1897.0}};
    for (const auto& c : cases)
    {
        GasModel gas = makeGas(1920, 1080, 2);
        placeAtRest(gas, {c[0], c[1]});
        gas.step(12.0f);
        EXPECT_DOUBLE_EQ(gas.core().positions()[static_cast<std::size_t>(c[2])], c[3]) << c[0] << ", " << c[1];
    }
}

TEST(GasMotion, RestingRowStaysPutAndRectanglesFollow)
{
    GasModel gas = makeGas(1280, 720, 15);
    const std::vector<double> before = gas.core().positions();
    gas.step(30.0f);
    EXPECT_EQ(gas.core().positions(), before);
    gas.setParticle(3, 321.25, 0.01, 0.0);
    gas.step(30.0f);
    EXPECT_DOUBLE_EQ(gas.core().positions()[3], 321.55);
    EXPECT_EQ(gas.particleShapes()[3].getPosition(),
              sf::Vector2f(static_cast<float>(gas.core().positions()[3]), 720.0f * 70.0f / 1080.0f));
}

TEST(GasMotion, PausedStepAndContactsChangeNothing)
{
    GasModel gas = makeGas(1920, 1080, 3);
    gas.setParticle(0, 100.0, 0.03, 0.0005);
    gas.setParticle(1, 110.0, -0.02, 0.0);
    gas.setParticle(2, 600.0, 0.01, 0.0);
    gas.pause();
    const std::vector<double> x = gas.core().positions();
    const std::vector<double> v = gas.core().velocities();
    gas.resolveContacts();
    gas.step(25.0f);
    EXPECT_FALSE(gas.core().overlapDetected());
    EXPECT_EQ(gas.core().positions(), x);
    EXPECT_EQ(gas.core().velocities(), v);
    EXPECT_EQ(gas.core().binCounts(), std::vector<int>(16, 0));
    EXPECT_EQ(gas.core().binTotals(), std::vector<double>(16, 0.0));
    gas.resume();
    gas.resolveContacts();
    EXPECT_TRUE(gas.core().overlapDetected());
}

TEST(GasMotion, LongRunsKeepTheOrderAtStartUpSettings)
{
    // Start-up gas under every law for 2000 ticks of 12 ... 40 ms: the row
    // stays ordered and every value finite.
    for (PotentialKind kind : allLaws)
    {
        SCOPED_TRACE(static_cast<int>(kind));
        GasModel gas = makeGas(1920, 1080, 15, 77);
        BondFlags bonded{};
        std::mt19937 clock(5);
        std::uniform_int_distribution<int> dt(12, 40);
        for (int t = 0; t < 2000 && !gas.core().overlapDetected(); ++t)
            tick(gas, lawSettings(kind), bonded, static_cast<float>(dt(clock)));
        EXPECT_FALSE(gas.core().overlapDetected());
        for (int i = 0; i < 15; ++i)
        {
            EXPECT_TRUE(std::isfinite(gas.core().positions()[i]));
            EXPECT_TRUE(std::isfinite(gas.core().velocities()[i]));
        }
        EXPECT_GT(gas.core().positions()[0], 0.0);
        EXPECT_LT(gas.core().positions()[14] + gas.core().particleWidth(), 1920.0);
    }
}
} // namespace

// The crowded rows that used to end the program: 30 particles of the widest
// width under every law at the sliders' extremes, with ordinary frames and
// with very long ones (a slow machine), never reach an overlap deeper than
// 2 pixels and never leave a gap below zero (beyond rounding).
TEST(GasMotion, CrowdedRowsNeverOverlap)
{
    for (PotentialKind kind :
         {PotentialKind::Zero, PotentialKind::Attraction, PotentialKind::Repulsion, PotentialKind::LennardJones})
    {
        for (int longest : {40, 300})
        {
            const ScreenMetrics metrics = makeScreenMetrics(1920, 1080);
            GasModel gas(metrics, std::mt19937(1));
            gas.setup(scaleX(metrics, 16.0f), scaleY(metrics, 140.0f), 30);
            BondFlags bonded{};
            std::mt19937 frames(2);
            std::uniform_int_distribution<int> dt(12, longest);
            double smallestGap = 0.0;
            for (int t = 0; t < 20000 && !gas.core().overlapDetected(); ++t)
            {
                tick(gas, lawSettings(kind, 50, 1, 5), bonded, static_cast<float>(dt(frames)));
                for (int j = 0; j + 1 < gas.core().particleCount(); ++j)
                    smallestGap = std::min(smallestGap, gas.core().positions()[j + 1] - gas.core().positions()[j] -
                                                            gas.core().particleWidth());
            }
            EXPECT_FALSE(gas.core().overlapDetected())
                << "law " << static_cast<int>(kind) << ", frames up to " << longest;
            EXPECT_GT(smallestGap, -1e-9) << "law " << static_cast<int>(kind) << ", frames up to " << longest;
        }
    }
}
