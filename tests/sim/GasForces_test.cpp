#include "tests/sim/GasTestSupport.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

namespace
{
const ForceSettings startZero = lawSettings(PotentialKind::Zero);

TEST(GasForces, ZeroLawNoiseComesFromTheGivenGenerator)
{
    const unsigned seed = 19;
    GasModel gas = makeGas(1920, 1080, 15, seed);
    DrawReplay replay(seed);
    BondFlags bonded{};
    gas.applyForces(startZero, bonded);
    // T = 25: amplitude 3e-6 * 5, one draw per particle from left to right.
    for (int i = 0; i < 15; ++i)
    {
        const double a = gas.accelerations()[i];
        EXPECT_TRUE(a == 0.0 || std::abs(std::abs(a) - 1.5e-5) < 1e-20) << a;
        EXPECT_DOUBLE_EQ(a, replay.noiseSign() * 1.5e-5) << "particle " << i;
    }
}

TEST(GasForces, SuccessiveTicksDrawAfresh)
{
    GasModel gas = makeGas(1920, 1080, 15, 5);
    BondFlags bonded{};
    std::set<std::vector<double>> seen;
    std::set<double> values;
    for (int call = 0; call < 6; ++call)
    {
        gas.applyForces(startZero, bonded);
        seen.insert(gas.accelerations());
        values.insert(gas.accelerations().begin(), gas.accelerations().end());
    }
    // Velocities are 0, so friction vanishes and each call is pure noise: six
    // calls in the same second still give six different rows.
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_EQ(values.size(), 3u);
}

TEST(GasForces, SameSeedSameGasOtherSeedOtherGas)
{
    GasModel a = makeGas(1920, 1080, 15, 42);
    GasModel b = makeGas(1920, 1080, 15, 42);
    GasModel c = makeGas(1920, 1080, 15, 43);
    BondFlags fa{}, fb{}, fc{};
    for (int t = 0; t < 20; ++t)
    {
        tick(a, startZero, fa, 16.0f);
        tick(b, startZero, fb, 16.0f);
        tick(c, startZero, fc, 16.0f);
    }
    EXPECT_EQ(a.positions(), b.positions());
    EXPECT_NE(a.positions(), c.positions());
}

TEST(GasForces, FrictionFollowsPreviousAccelerationNotVelocity)
{
    const unsigned seed = 8;
    GasModel gas = makeGas(1920, 1080, 3, seed);
    // Moving right but last accelerated to the left: friction k |v| pushes
    // right. Moving but not accelerated: no friction at all.
    gas.setParticle(0, 480.0, 0.02, -0.0004);
    gas.setParticle(1, 960.0, 0.02, 0.0);
    gas.setParticle(2, 1440.0, -0.03, 0.0002);
    DrawReplay replay(seed);
    BondFlags bonded{};
    gas.applyForces(startZero, bonded);
    const double s = 1.5e-5;
    EXPECT_DOUBLE_EQ(gas.accelerations()[0], replay.noiseSign() * s + 0.001 * 0.02);
    EXPECT_DOUBLE_EQ(gas.accelerations()[1], replay.noiseSign() * s);
    EXPECT_DOUBLE_EQ(gas.accelerations()[2], replay.noiseSign() * s - 0.001 * 0.03);
}

TEST(GasForces, RepulsionEqualGapsCancelAndEndsComeFirst)
{
    for (unsigned screen : {1920u, 1280u})
    {
        SCOPED_TRACE(screen);
        const unsigned seed = 23;
        GasModel gas = makeGas(screen, screen * 9 / 16, 15, seed);
        DrawReplay replay(seed);
        BondFlags bonded{};
        gas.applyForces(lawSettings(PotentialKind::Repulsion), bonded);
        // K = C * 10 / m = 0.4; every gap is the same, so inner particles feel
        // noise only (1e-5 * sqrt(25)). Draws: particle 0, particle 14, then 1 ... 13.
        const double g = gas.positions()[1] - gas.positions()[0] - gas.particleWidth();
        const double push = 0.4 / (g * g);
        const double s = 5e-5;
        const std::vector<double>& a = gas.accelerations();
        EXPECT_DOUBLE_EQ(a[0], replay.noiseSign() * s - push);
        EXPECT_DOUBLE_EQ(a[14], push + replay.noiseSign() * s);
        for (int i = 1; i < 14; ++i)
            EXPECT_EQ(a[i], replay.noiseSign() * s) << "particle " << i;
    }
}

TEST(GasForces, RepulsionOfTwoIsEqualAndOpposite)
{
    const unsigned seed = 4;
    GasModel gas = makeGas(1920, 1080, 2, seed);
    placeAtRest(gas, {900.0, 962.0}); // gap 40
    DrawReplay replay(seed);
    BondFlags bonded{};
    gas.applyForces(lawSettings(PotentialKind::Repulsion, 25, 50, 1), bonded);
    const double push = 10.0 / 50 / (40.0 * 40.0);
    const double first = replay.noiseSign() * 5e-5;
    const double second = replay.noiseSign() * 5e-5;
    EXPECT_DOUBLE_EQ(gas.accelerations()[0], first - push);
    EXPECT_DOUBLE_EQ(gas.accelerations()[1], push + second);
}

TEST(GasForces, ClampStopsAtExactlyMaxAcceleration)
{
    for (unsigned screen : {1920u, 1280u})
    {
        SCOPED_TRACE(screen);
        GasModel gas = makeGas(screen, screen * 9 / 16, 3);
        const double w = gas.particleWidth();
        const double limit = makeScreenMetrics(screen, screen * 9 / 16).maxAcceleration;
        BondFlags bonded{};
        // A repelling pair 1 pixel apart, the third particle far away.
        placeAtRest(gas, {100.0, 100.0 + w + 1.0, 900.0});
        gas.applyForces(lawSettings(PotentialKind::Repulsion), bonded);
        EXPECT_EQ(gas.accelerations()[0], -limit);
        EXPECT_EQ(gas.accelerations()[1], limit);
        EXPECT_LT(std::abs(gas.accelerations()[2]), limit);
        // Touching: an infinite push, clamped the same way.
        placeAtRest(gas, {100.0, 100.0 + w, 900.0});
        gas.applyForces(lawSettings(PotentialKind::Repulsion), bonded);
        EXPECT_EQ(gas.accelerations()[0], -limit);
        EXPECT_EQ(gas.accelerations()[1], limit);
    }
}

TEST(GasForces, UnknownLawOnlyClamps)
{
    GasModel gas = makeGas(1920, 1080, 3);
    gas.setParticle(0, 480.0, 0.01, 0.5);
    gas.setParticle(1, 960.0, 0.01, -0.0003);
    gas.setParticle(2, 1440.0, 0.01, -2.0);
    BondFlags bonded{};
    ForceSettings settings = startZero;
    settings.kind = static_cast<PotentialKind>(7);
    gas.applyForces(settings, bonded);
    EXPECT_EQ(gas.accelerations(), (std::vector<double>{0.001, -0.0003, -0.001}));
}

TEST(GasForces, LennardJonesBalancesAtGapOfHundred)
{
    for (unsigned screen : {1920u, 1280u})
    {
        SCOPED_TRACE(screen);
        const unsigned seed = 31;
        GasModel gas = makeGas(screen, screen * 9 / 16, 15, seed);
        const double w = gas.particleWidth();
        // Particles 0 ... 3 100 pixels apart, the rest farther out at 150.
        std::vector<double> x{20.0};
        for (int i = 1; i < 15; ++i)
            x.push_back(x.back() + w + (i <= 3 ? 100.0 : 20.0));
        for (int i = 0; i < 15; ++i)
            gas.setParticle(i, x[i], 0.0, 0.0);
        DrawReplay replay(seed);
        BondFlags bonded{};
        gas.applyForces(lawSettings(PotentialKind::LennardJones), bonded);
        const double s = 5e-5;
        EXPECT_EQ(gas.accelerations()[0], replay.noiseSign() * s);
        replay.skip(1); // particle 14
        EXPECT_EQ(gas.accelerations()[1], replay.noiseSign() * s);
        EXPECT_EQ(gas.accelerations()[2], replay.noiseSign() * s);
    }
}

TEST(GasForces, LennardJonesPushesInsideAndPullsOutside)
{
    const unsigned seed = 2;
    GasModel gas = makeGas(1920, 1080, 15, seed);
    BondFlags bonded{};
    // K = C * 1e-6 / m / N / N; at a gap of 50 the push 2^13 K beats the
    // pull 2^7 K; at 200 the pull 2^-7 K beats the push 2^-13 K.
    const double k = 1e-6 / 25 / 15 / 15;
    for (auto [gap, force] : {std::pair{50.0, k * (128.0 - 8192.0)}, std::pair{200.0, k * (1.0 / 128 - 1.0 / 8192)}})
    {
        SCOPED_TRACE(gap);
        GasModel probe = makeGas(1920, 1080, 15, seed);
        probe.setParticle(0, 120.0 - gap + 98.0, 0.0, 0.0);
        DrawReplay replay(seed);
        probe.applyForces(lawSettings(PotentialKind::LennardJones), bonded);
        const double pair = probe.accelerations()[0] - replay.noiseSign() * 5e-5;
        // Exact to the rounding left over from removing the noise term.
        EXPECT_NEAR(pair, force, std::abs(force) * 1e-9 + 1e-19);
    }
    // A larger C or a smaller m scales every force, a larger N weakens it.
    GasModel strong = makeGas(1920, 1080, 15, seed);
    strong.setParticle(0, 120.0 - 50.0 + 98.0, 0.0, 0.0);
    DrawReplay replay(seed);
    strong.applyForces(lawSettings(PotentialKind::LennardJones, 25, 5, 5), bonded);
    EXPECT_NEAR(strong.accelerations()[0] - replay.noiseSign() * 5e-5, 25 * k * (128.0 - 8192.0), 1e-15);
}

TEST(GasForces, SettingsOutsideTheirRangeAreClamped)
{
    const unsigned seed = 9;
    for (PotentialKind kind : allLaws)
    {
        SCOPED_TRACE(static_cast<int>(kind));
        GasModel odd = makeGas(1920, 1080, 15, seed);
        GasModel edge = makeGas(1920, 1080, 15, seed);
        BondFlags oddFlags{}, edgeFlags{};
        for (int t = 0; t < 20; ++t)
        {
            tick(odd, lawSettings(kind, -4, 0, 0), oddFlags, 20.0f);
            tick(edge, lawSettings(kind, 1, 1, 1), edgeFlags, 20.0f);
        }
        EXPECT_EQ(odd.accelerations(), edge.accelerations());
        for (double a : odd.accelerations())
            EXPECT_TRUE(std::isfinite(a));
        GasModel hot = makeGas(1920, 1080, 15, seed);
        GasModel hottest = makeGas(1920, 1080, 15, seed);
        BondFlags hotFlags{}, hottestFlags{};
        tick(hot, lawSettings(kind, 500, 900, 9), hotFlags, 20.0f);
        tick(hottest, lawSettings(kind, 50, 50, 5), hottestFlags, 20.0f);
        EXPECT_EQ(hot.accelerations(), hottest.accelerations());
    }
}

TEST(GasForces, PausedModelKeepsAccelerationsAndFlags)
{
    GasModel gas = makeGas(1920, 1080, 4);
    placeAtRest(gas, {100.0, 130.0, 400.0, 800.0}); // particles 0 and 1 8 pixels apart
    gas.pause();
    BondFlags bonded{};
    for (PotentialKind kind : allLaws)
        gas.applyForces(lawSettings(kind), bonded);
    EXPECT_EQ(gas.accelerations(), std::vector<double>(4, 0.0));
    EXPECT_EQ(bonded, BondFlags{});
}

// The Attraction law: K = C * 0.1 / m = 0.004 at the start-up settings, noise
// amplitude 5e-5, kicks of 0.004 * sqrt(25) = 0.02 (beyond the clamp).
// Each case runs with several seeds, so both outcomes of the kicks occur.
class Attraction : public ::testing::TestWithParam<unsigned>
{
protected:
    static constexpr double k = 0.004;
    static constexpr double s = 5e-5;
    static constexpr double w = 22.0;

    GasModel gas = makeGas(1920, 1080, 5, GetParam());
    BondFlags bonded{};
    DrawReplay replay{GetParam()};

    // Particle 0 at 100, then each next one the given gap further.
    void placeWithGaps(std::initializer_list<double> gaps)
    {
        double x = 100.0;
        int i = 0;
        gas.setParticle(i++, x, 0.0, 0.0);
        for (double g : gaps)
        {
            x += w + g;
            gas.setParticle(i++, x, 0.0, 0.0);
        }
    }
    void apply() { gas.applyForces(lawSettings(PotentialKind::Attraction), bonded); }
    const std::vector<double>& a() const { return gas.accelerations(); }
    static double clamp(double value) { return std::abs(value) > 0.001 ? (value > 0 ? 0.001 : -0.001) : value; }
};

TEST_P(Attraction, FreeParticlesPullTheirNeighbours)
{
    placeWithGaps({50.0, 60.0, 70.0, 80.0});
    apply();
    EXPECT_DOUBLE_EQ(a()[0], k / (50.0 * 50.0) + replay.noiseSign() * s);
    EXPECT_DOUBLE_EQ(a()[4], replay.noiseSign() * s - k / (80.0 * 80.0));
    EXPECT_DOUBLE_EQ(a()[1], k / 3600.0 - k / 2500.0 + replay.noiseSign() * s);
    EXPECT_DOUBLE_EQ(a()[2], k / 4900.0 - k / 3600.0 + replay.noiseSign() * s);
    EXPECT_DOUBLE_EQ(a()[3], k / 6400.0 - k / 4900.0 + replay.noiseSign() * s);
    EXPECT_EQ(bonded, BondFlags{});
}

TEST_P(Attraction, CloseInnerPairBondsAndNeighbourIsKickedRight)
{
    // Particles 1 and 2 8 pixels apart; every other gap above 10.
    placeWithGaps({50.0, 8.0, 60.0, 70.0});
    for (int i = 0; i < 5; ++i)
        gas.setParticle(i, gas.positions()[i], 0.01, 0.0003);
    apply();
    EXPECT_EQ(bonded[0], 0);
    EXPECT_EQ(bonded[1], 1);
    EXPECT_EQ(bonded[2], 1);
    EXPECT_EQ(bonded[3], 0);
    EXPECT_EQ(gas.velocities()[1], 0.0);
    EXPECT_EQ(gas.velocities()[2], 0.0);
    EXPECT_EQ(gas.velocities()[3], 0.01);
    EXPECT_EQ(a()[1], 0.0);
    // Draws: particle 0, particle 4, then the right kick of particle 2
    // (stuck by now, rule 2), then particle 3.
    replay.skip(2);
    const int kick = replay.kickBit();
    EXPECT_DOUBLE_EQ(a()[2], clamp(kick * 0.02 + k / (60.0 * 60.0)));
    // Particle 3 moves with friction: k v = 0.02 * 0.01 against its last acceleration.
    EXPECT_DOUBLE_EQ(a()[3], k / 4900.0 - k / 3600.0 - 0.02 * 0.01 + replay.noiseSign() * s);
}

TEST_P(Attraction, CloseOnBothSidesBondsThree)
{
    placeWithGaps({50.0, 5.0, 6.0, 70.0});
    apply();
    EXPECT_EQ(bonded[0], 0);
    EXPECT_EQ(bonded[1], 1);
    EXPECT_EQ(bonded[2], 1);
    EXPECT_EQ(bonded[3], 1);
    EXPECT_EQ(bonded[4], 0);
}

TEST_P(Attraction, EndParticlesBondAtNineAndBelow)
{
    placeWithGaps({9.0, 50.0, 50.0, 3.0});
    apply();
    EXPECT_EQ(bonded[0], 1);
    EXPECT_EQ(bonded[1], 1);
    EXPECT_EQ(bonded[3], 1);
    EXPECT_EQ(bonded[4], 1);
}

TEST_P(Attraction, InnerGapOfExactlyNineMatchesNoRow)
{
    placeWithGaps({50.0, 9.0, 50.0, 50.0});
    gas.setParticle(1, gas.positions()[1], 0.0, 0.0004);
    gas.setParticle(2, gas.positions()[2], 0.0, -0.0002);
    apply();
    EXPECT_EQ(a()[1], 0.0004);
    EXPECT_EQ(a()[2], -0.0002);
    EXPECT_EQ(bonded, BondFlags{});
    // Particles 1 and 2 drew nothing: particle 3 gets the third draw.
    replay.skip(2);
    EXPECT_DOUBLE_EQ(a()[3], replay.noiseSign() * s);
}

TEST_P(Attraction, StuckInTheNineToTenBandIsStoppedAndFreed)
{
    // Both gaps of particle 2 between 9 and 10: rules 1, 2 (a draw each) and
    // 3 apply, ending at 0; rule 4 frees it in the same call.
    placeWithGaps({50.0, 9.5, 9.5, 50.0});
    bonded[2] = 1;
    gas.setParticle(2, gas.positions()[2], 0.0, 0.0005);
    apply();
    EXPECT_EQ(a()[2], 0.0);
    EXPECT_EQ(bonded[2], 0);
    // A free particle in the band is not bonded: it feels the pull instead.
    EXPECT_EQ(bonded[1], 0);
    EXPECT_EQ(bonded[3], 0);
    replay.skip(2);
    EXPECT_DOUBLE_EQ(a()[1], k / (9.5 * 9.5) - k / 2500.0 + replay.noiseSign() * s);
    replay.skip(2); // the two kicks of particle 2
    EXPECT_DOUBLE_EQ(a()[3], k / 2500.0 - k / (9.5 * 9.5) + replay.noiseSign() * s);
}

TEST_P(Attraction, StuckOnOneSideIsKickedAway)
{
    // Particle 1 stuck to particle 2 (gap 8), free on its left (gap 50): rule
    // 1 kicks it left and its left neighbour pulls; it stays stuck.
    placeWithGaps({50.0, 8.0, 9.5, 50.0});
    bonded[1] = 1;
    bonded[2] = 1;
    apply();
    replay.skip(2);
    const int kick = replay.kickBit();
    EXPECT_DOUBLE_EQ(a()[1], clamp((kick - 1) * 0.02 - k / 2500.0));
    EXPECT_EQ(bonded[1], 1);
    // Particle 2: gaps 8 and 9.5, so rules 1, 2 and 3 hold and it stops;
    // its left gap is below 9, so it stays stuck.
    EXPECT_EQ(a()[2], 0.0);
    EXPECT_EQ(bonded[2], 1);
}

TEST_P(Attraction, InnerParticleFreedOnlyWhenBothGapsExceedNine)
{
    placeWithGaps({50.0, 12.0, 11.0, 50.0});
    bonded = BondFlags{};
    bonded[1] = bonded[2] = bonded[3] = 1;
    apply();
    EXPECT_EQ(bonded[1], 0);
    EXPECT_EQ(bonded[2], 0);
    EXPECT_EQ(bonded[3], 0);
}

TEST_P(Attraction, FreeingOneKeepsTheNeighboursFlags)
{
    // Particle 2 is clear on both sides, its neighbours 1 and 3 are stuck to
    // particles 0 and 4 and stay so.
    placeWithGaps({4.0, 30.0, 30.0, 4.0});
    bonded[0] = bonded[1] = bonded[2] = bonded[3] = bonded[4] = 1;
    apply();
    EXPECT_EQ(bonded[0], 1);
    EXPECT_EQ(bonded[1], 1);
    EXPECT_EQ(bonded[2], 0);
    EXPECT_EQ(bonded[3], 1);
    EXPECT_EQ(bonded[4], 1);
}

TEST_P(Attraction, StuckEndParticlesAreKickedOffTheWallsAndFreed)
{
    placeWithGaps({9.5, 50.0, 50.0, 9.5});
    bonded[0] = bonded[1] = bonded[3] = bonded[4] = 1;
    apply();
    const int left = replay.kickBit();
    const int right = replay.kickBit();
    EXPECT_DOUBLE_EQ(a()[0], clamp((left - 1) * 0.02));
    EXPECT_DOUBLE_EQ(a()[4], clamp(right * 0.02));
    EXPECT_EQ(bonded[0], 0);
    EXPECT_EQ(bonded[4], 0);
    // Particles 1 and 3 were freed with them and are then treated as free.
    EXPECT_EQ(bonded[1], 0);
    EXPECT_EQ(bonded[3], 0);
    EXPECT_DOUBLE_EQ(a()[1], k / 2500.0 - k / (9.5 * 9.5) + replay.noiseSign() * s);
}

TEST_P(Attraction, StuckEndParticleAtTheWindowEdgeStops)
{
    // Particle 0 no farther than 9 pixels from the left edge, particle 4 no
    // closer than 9 pixels to the right edge: no kick, no draw.
    gas.setParticle(0, 9.0, 0.0, 0.0004);
    gas.setParticle(1, 9.0 + w + 2.0, 0.0, 0.0);
    gas.setParticle(2, 500.0, 0.0, 0.0);
    gas.setParticle(3, 1911.0 - w - 2.0, 0.0, 0.0);
    gas.setParticle(4, 1911.0, 0.0, -0.0004);
    bonded[0] = bonded[1] = bonded[3] = bonded[4] = 1;
    apply();
    EXPECT_EQ(a()[0], 0.0);
    EXPECT_EQ(a()[4], 0.0);
    EXPECT_EQ(bonded[0], 1);
    EXPECT_EQ(bonded[4], 1);
    // Particle 1, stuck on its left, takes the first draw (rule 2), particle
    // 2 the second, particle 3, stuck on its right, the third (rule 1).
    const double gap12 = 500.0 - 9.0 - 2.0 * w - 2.0;
    const double gap23 = 1911.0 - w - 2.0 - 500.0 - w;
    const int kick1 = replay.kickBit();
    EXPECT_DOUBLE_EQ(a()[1], clamp(kick1 * 0.02 + k / (gap12 * gap12)));
    EXPECT_DOUBLE_EQ(a()[2], k / (gap23 * gap23) - k / (gap12 * gap12) + replay.noiseSign() * s);
    const int kick3 = replay.kickBit();
    EXPECT_DOUBLE_EQ(a()[3], clamp((kick3 - 1) * 0.02 - k / (gap23 * gap23)));
}

TEST_P(Attraction, LeftoverFlagsAllFreedAfterRespread)
{
    bonded.fill(1);
    gas.setup(22.0, 140.0, 15);
    apply();
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(bonded[i], 0) << "particle " << i;
    // Flags beyond the row are not touched.
    EXPECT_EQ(bonded[15], 1);
    EXPECT_EQ(bonded[99], 1);
}

TEST_P(Attraction, OtherLawsLeaveTheFlags)
{
    placeWithGaps({5.0, 5.0, 5.0, 5.0});
    bonded[2] = 1;
    for (PotentialKind kind : {PotentialKind::Zero, PotentialKind::Repulsion, PotentialKind::LennardJones})
        gas.applyForces(lawSettings(kind), bonded);
    BondFlags expected{};
    expected[2] = 1;
    EXPECT_EQ(bonded, expected);
}
INSTANTIATE_TEST_SUITE_P(Seeds, Attraction, ::testing::Values(12u, 13u, 14u, 15u, 16u, 17u));
} // namespace
