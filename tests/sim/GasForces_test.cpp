#include "tests/sim/GasTestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace
{
const GasSettings startZero = lawSettings(PotentialKind::Zero);

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
        const double a = gas.core().accelerations()[i];
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
        seen.insert(gas.core().accelerations());
        values.insert(gas.core().accelerations().begin(), gas.core().accelerations().end());
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
    EXPECT_EQ(a.core().positions(), b.core().positions());
    EXPECT_NE(a.core().positions(), c.core().positions());
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
    EXPECT_DOUBLE_EQ(gas.core().accelerations()[0], replay.noiseSign() * s + 0.001 * 0.02);
    EXPECT_DOUBLE_EQ(gas.core().accelerations()[1], replay.noiseSign() * s);
    EXPECT_DOUBLE_EQ(gas.core().accelerations()[2], replay.noiseSign() * s - 0.001 * 0.03);
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
        const double g = gas.core().positions()[1] - gas.core().positions()[0] - gas.core().particleWidth();
        const double push = 0.4 / (g * g);
        const double s = 5e-5;
        const std::vector<double>& a = gas.core().accelerations();
        EXPECT_DOUBLE_EQ(a[0], replay.noiseSign() * s - push);
        EXPECT_DOUBLE_EQ(a[14], push + replay.noiseSign() * s);
        for (int i = 1; i < 14; ++i)
            EXPECT_EQ(a[i], replay.noiseSign() * s) << "particle " << i;
    }
}

// The pair part of every acceleration of a row at rest (no friction), with
// the replayed noise taken out: the draws go to particle 0, then N-1, then
// 1 ... N-2 under the pair laws, and from left to right under Zero. Gaps
// stay above 10 pixels, so nothing bonds under Attraction.
std::vector<double> pairAccelerations(const std::vector<double>& x, const GasSettings& settings)
{
    const unsigned seed = 41;
    const int n = static_cast<int>(x.size());
    GasModel gas = makeGas(1920, 1080, n, seed);
    for (int i = 0; i < n; ++i)
        gas.setParticle(i, x[i], 0.0, 0.0);
    BondFlags bonded{};
    gas.applyForces(settings, bonded);
    const double s = (settings.law == PotentialKind::Zero ? 3e-6 : 1e-5) * std::sqrt(settings.temperature);
    std::vector<int> order{0};
    if (settings.law != PotentialKind::Zero)
        order.push_back(n - 1);
    for (int i = 1; i < n - (settings.law == PotentialKind::Zero ? 0 : 1); ++i)
        order.push_back(i);
    DrawReplay replay(seed);
    std::vector<double> pair = gas.core().accelerations();
    for (int i : order)
        pair[i] -= replay.noiseSign() * s;
    return pair;
}

// Left edges of a row of 22-pixel particles with the given gaps, from x = 100.
std::vector<double> rowWithGaps(std::initializer_list<double> gaps)
{
    std::vector<double> x{100.0};
    for (double g : gaps)
        x.push_back(x.back() + 22.0 + g);
    return x;
}

// Mirrored about the middle of the 1920-pixel screen, left to right again.
std::vector<double> mirrored(const std::vector<double>& x)
{
    std::vector<double> m;
    for (auto it = x.rbegin(); it != x.rend(); ++it)
        m.push_back(1920.0 - 22.0 - *it);
    return m;
}

const std::vector<std::vector<double>> unevenRows = {
    rowWithGaps({60.0}),
    rowWithGaps({45.0, 130.0}),
    rowWithGaps({70.0, 40.0, 100.0, 55.0, 160.0, 48.0}),
};

TEST(GasForces, MirroredRowGetsMirroredAccelerationsUnderEveryLaw)
{
    for (PotentialKind kind : allLaws)
        for (const GasSettings& settings : {lawSettings(kind), lawSettings(kind, 50, 20, 2)})
            for (const std::vector<double>& row : unevenRows)
            {
                SCOPED_TRACE(::testing::Message() << "law " << static_cast<int>(kind) << ", m " << settings.mass << ", "
                                                  << row.size() << " particles");
                const std::vector<double> a = pairAccelerations(row, settings);
                const std::vector<double> b = pairAccelerations(mirrored(row), settings);
                const int n = static_cast<int>(row.size());
                for (int i = 0; i < n; ++i)
                    EXPECT_NEAR(b[i], -a[n - 1 - i], 1e-9 * std::abs(a[n - 1 - i]) + 1e-18) << "particle " << i;
            }
}

// Each pair pushes or pulls its two particles equally and oppositely, so the
// pair parts of a row add up to nothing.
TEST(GasForces, PairTermsOfARowSumToZero)
{
    for (PotentialKind kind : allLaws)
        for (const std::vector<double>& row : unevenRows)
        {
            SCOPED_TRACE(::testing::Message() << "law " << static_cast<int>(kind) << ", " << row.size());
            const std::vector<double> a = pairAccelerations(row, lawSettings(kind, 50, 20, 2));
            double sum = 0.0, largest = 0.0;
            for (double v : a)
            {
                sum += v;
                largest = std::max(largest, std::abs(v));
            }
            EXPECT_NEAR(sum, 0.0, 1e-9 * largest + 1e-18);
            if (kind != PotentialKind::Zero)
            {
                EXPECT_GT(largest, 0.0);
            }
        }
}

// Two particles: the pull or push on the right one, worked by hand at C = 1
// and m = 25 (K = 0.4 for Repulsion, 0.004 for Attraction, 1e-8 for
// Lennard-Jones with two particles). Positive pushes the pair apart.
TEST(GasForces, TwoParticlesFeelTheWorkedForces)
{
    const struct
    {
        PotentialKind kind;
        double gap;
        double apart;
    } cases[] = {
        {PotentialKind::Zero, 30.0, 0.0},
        {PotentialKind::Repulsion, 40.0, 2.5e-4},                // 0.4 / 40^2
        {PotentialKind::Repulsion, 200.0, 1e-5},                 // 0.4 / 200^2
        {PotentialKind::Attraction, 50.0, -1.6e-6},              // 0.004 / 50^2, pulling
        {PotentialKind::Attraction, 20.0, -1e-5},                // 0.004 / 20^2
        {PotentialKind::LennardJones, 50.0, 8.064e-5},           // 1e-8 (2^13 - 2^7): inside the well's wall
        {PotentialKind::LennardJones, 200.0, -7.6904296875e-11}, // 1e-8 (2^-13 - 2^-7): outside
        {PotentialKind::LennardJones, 100.0, 0.0},               // the bottom of the well
        // Overlapping by a hair: the law's own odd powers, finite, draw the
        // pair in (clamped to the 1920-pixel screen's 0.001) ...
        {PotentialKind::LennardJones, -5e-7, -0.001},
        // ... touching: no finite value, pushed apart.
        {PotentialKind::LennardJones, 0.0, 0.001},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "law " << static_cast<int>(c.kind) << ", gap " << c.gap);
        const std::vector<double> a = pairAccelerations(rowWithGaps({c.gap}), lawSettings(c.kind));
        // At the limit the noise was clamped away with the rest: taking it
        // out again leaves up to one noise step (1e-5 * sqrt(25)).
        const double tolerance = 1e-9 * std::abs(c.apart) + (std::abs(c.apart) >= 0.001 ? 5e-5 : 0.0) + 1e-18;
        EXPECT_NEAR(a[1], c.apart, tolerance);
        EXPECT_NEAR(a[0], -c.apart, tolerance);
    }
}

TEST(GasForces, ClampStopsAtExactlyMaxAcceleration)
{
    for (unsigned screen : {1920u, 1280u})
    {
        SCOPED_TRACE(screen);
        GasModel gas = makeGas(screen, screen * 9 / 16, 3);
        const double w = gas.core().particleWidth();
        const double limit = makeScreenMetrics(screen, screen * 9 / 16).maxAcceleration;
        BondFlags bonded{};
        // A repelling pair 1 pixel apart, the third particle far away.
        placeAtRest(gas, {100.0, 100.0 + w + 1.0, 900.0});
        gas.applyForces(lawSettings(PotentialKind::Repulsion), bonded);
        EXPECT_EQ(gas.core().accelerations()[0], -limit);
        EXPECT_EQ(gas.core().accelerations()[1], limit);
        EXPECT_LT(std::abs(gas.core().accelerations()[2]), limit);
        // Touching: an infinite push, clamped the same way.
        placeAtRest(gas, {100.0, 100.0 + w, 900.0});
        gas.applyForces(lawSettings(PotentialKind::Repulsion), bonded);
        EXPECT_EQ(gas.core().accelerations()[0], -limit);
        EXPECT_EQ(gas.core().accelerations()[1], limit);
    }
}

TEST(GasForces, UnknownLawOnlyClamps)
{
    GasModel gas = makeGas(1920, 1080, 3);
    gas.setParticle(0, 480.0, 0.01, 0.5);
    gas.setParticle(1, 960.0, 0.01, -0.0003);
    gas.setParticle(2, 1440.0, 0.01, -2.0);
    BondFlags bonded{};
    GasSettings settings = startZero;
    settings.law = static_cast<PotentialKind>(7);
    gas.applyForces(settings, bonded);
    EXPECT_EQ(gas.core().accelerations(), (std::vector<double>{0.001, -0.0003, -0.001}));
}

TEST(GasForces, LennardJonesBalancesAtGapOfHundred)
{
    for (unsigned screen : {1920u, 1280u})
    {
        SCOPED_TRACE(screen);
        const unsigned seed = 31;
        GasModel gas = makeGas(screen, screen * 9 / 16, 15, seed);
        const double w = gas.core().particleWidth();
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
        EXPECT_EQ(gas.core().accelerations()[0], replay.noiseSign() * s);
        replay.skip(1); // particle 14
        EXPECT_EQ(gas.core().accelerations()[1], replay.noiseSign() * s);
        EXPECT_EQ(gas.core().accelerations()[2], replay.noiseSign() * s);
    }
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
        EXPECT_EQ(odd.core().accelerations(), edge.core().accelerations());
        for (double a : odd.core().accelerations())
            EXPECT_TRUE(std::isfinite(a));
        GasModel hot = makeGas(1920, 1080, 15, seed);
        GasModel hottest = makeGas(1920, 1080, 15, seed);
        BondFlags hotFlags{}, hottestFlags{};
        tick(hot, lawSettings(kind, 500, 900, 9), hotFlags, 20.0f);
        tick(hottest, lawSettings(kind, 50, 50, 5), hottestFlags, 20.0f);
        EXPECT_EQ(hot.core().accelerations(), hottest.core().accelerations());
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
    EXPECT_EQ(gas.core().accelerations(), std::vector<double>(4, 0.0));
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
    const std::vector<double>& a() const { return gas.core().accelerations(); }
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
        gas.setParticle(i, gas.core().positions()[i], 0.01, 0.0003);
    apply();
    EXPECT_EQ(bonded[0], 0);
    EXPECT_EQ(bonded[1], 1);
    EXPECT_EQ(bonded[2], 1);
    EXPECT_EQ(bonded[3], 0);
    EXPECT_EQ(gas.core().velocities()[1], 0.0);
    EXPECT_EQ(gas.core().velocities()[2], 0.0);
    EXPECT_EQ(gas.core().velocities()[3], 0.01);
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
    gas.setParticle(1, gas.core().positions()[1], 0.0, 0.0004);
    gas.setParticle(2, gas.core().positions()[2], 0.0, -0.0002);
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
    gas.setParticle(2, gas.core().positions()[2], 0.0, 0.0005);
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
