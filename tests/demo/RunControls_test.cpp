#include "demo/RunControls.hpp"

#include <gtest/gtest.h>

#include <random>

namespace
{
const ScreenMetrics full = makeScreenMetrics(1920, 1080);

RunState inPhase(RunPhase phase)
{
    RunState run;
    run.started = phase != RunPhase::Stopped;
    run.paused = phase != RunPhase::Running;
    return run;
}

TEST(RunState, StartsRunningWithZeroSelectedAndASetUpPending)
{
    const RunState run;
    EXPECT_EQ(runPhase(run), RunPhase::Running);
    EXPECT_TRUE(run.needsSetup);
    EXPECT_EQ(run.potentialSelected, (std::array<bool, 4>{true, false, false, false}));
    const GasSettings settings;
    EXPECT_EQ(settings.law, PotentialKind::Zero);
    EXPECT_EQ(settings.count, 15);
    EXPECT_EQ(settings.width, 22);
    EXPECT_EQ(settings.temperature, 25);
    EXPECT_EQ(settings.mass, 25);
    EXPECT_EQ(settings.C, 1);
}

TEST(RunState, WhichPressesEachStateAccepts)
{
    struct Row
    {
        RunPhase phase;
        bool start, potential, knob, pauseOrReset;
    };
    const Row table[] = {
        {RunPhase::Running, false, false, false, true},
        {RunPhase::Paused, true, true, true, true},
        {RunPhase::Stopped, true, true, true, false},
    };
    for (const Row& row : table)
    {
        const RunState run = inPhase(row.phase);
        SCOPED_TRACE(static_cast<int>(row.phase));
        ASSERT_EQ(runPhase(run), row.phase);
        EXPECT_EQ(acceptsStart(run), row.start);
        EXPECT_EQ(acceptsPotential(run), row.potential);
        EXPECT_EQ(acceptsKnob(run), row.knob);
        EXPECT_EQ(acceptsPauseOrReset(run), row.pauseOrReset);
    }
}

TEST(RunState, PauseAndResetFromRunningAndPaused)
{
    for (RunPhase from : {RunPhase::Running, RunPhase::Paused})
    {
        RunState run = inPhase(from);
        run.needsSetup = false;
        pressPause(run);
        EXPECT_EQ(runPhase(run), RunPhase::Paused);
        EXPECT_FALSE(run.needsSetup);

        run = inPhase(from);
        run.needsSetup = false;
        pressReset(run);
        EXPECT_EQ(runPhase(run), RunPhase::Stopped);
        EXPECT_TRUE(run.needsSetup);
    }
}

TEST(RunState, PotentialChoiceKeepsExactlyOneFlagAndAlwaysAsksForSetUp)
{
    RunState run = inPhase(RunPhase::Paused);
    GasSettings settings;
    const PotentialKind kinds[] = {PotentialKind::Attraction, PotentialKind::Repulsion, PotentialKind::LennardJones,
                                   PotentialKind::Zero, PotentialKind::Zero};
    for (PotentialKind kind : kinds)
    {
        run.needsSetup = false;
        pressPotential(run, settings, kind);
        EXPECT_EQ(settings.law, kind);
        EXPECT_TRUE(run.needsSetup); // also for the kind already selected
        int set = 0;
        for (std::size_t i = 0; i < 4; ++i)
        {
            set += run.potentialSelected[i];
            EXPECT_EQ(run.potentialSelected[i], static_cast<int>(i) == static_cast<int>(kind));
        }
        EXPECT_EQ(set, 1);
        EXPECT_EQ(runPhase(run), RunPhase::Paused);
    }
}

// A gas that has run a few ticks, so a set-up is visible.
struct MovedGas
{
    MovedGas() : gas(full, std::mt19937(7))
    {
        gas.setup(particleWidthPixels(22, full), particleHeightPixels(full), 15);
        BondFlags bonded{};
        for (int i = 0; i < 20; ++i)
        {
            gas.resolveContacts();
            gas.applyForces(GasSettings{}, bonded);
            gas.step(16);
            gas.updateBarHeights();
        }
    }
    GasModel gas;
};

TEST(RunState, StartSetsUpOnlyWhenASettingChanged)
{
    MovedGas moved;
    GasModel& gas = moved.gas;
    PaceClock simulationClock, readoutClock;
    GasSettings settings;
    settings.count = 7;
    settings.width = 40;

    // The first Start after start-up sets up, though nothing was touched.
    RunState run = inPhase(RunPhase::Paused);
    gas.pause();
    simulationClock.advance(5000);
    readoutClock.advance(5000);
    pressStart(run, settings, gas, simulationClock, readoutClock, full);
    EXPECT_EQ(runPhase(run), RunPhase::Running);
    EXPECT_FALSE(run.needsSetup);
    EXPECT_TRUE(gas.core().isRunning());
    EXPECT_EQ(simulationClock.wholeMilliseconds(), 0);
    EXPECT_EQ(readoutClock.wholeMilliseconds(), 0);
    ASSERT_EQ(gas.core().particleCount(), 7);
    EXPECT_EQ(gas.core().particleWidth(), 40.0);
    EXPECT_EQ(gas.particleHeight(), 140.0);
    EXPECT_EQ(gas.core().positions()[0], 240.0); // evenly spread, at rest
    EXPECT_EQ(gas.core().binTotals()[1], 0.0);

    // Pause and Start with nothing changed: the frozen gas resumes where it stood.
    BondFlags bonded{};
    gas.resolveContacts();
    gas.applyForces(GasSettings{}, bonded);
    gas.step(16);
    const std::vector<double> frozen = gas.core().positions();
    pressPause(run);
    gas.pause();
    pressStart(run, settings, gas, simulationClock, readoutClock, full);
    EXPECT_EQ(gas.core().positions(), frozen);
    EXPECT_TRUE(gas.core().isRunning());
}

TEST(RunState, StartFromStoppedUsesTheCurrentSettingsScaled)
{
    const ScreenMetrics small = makeScreenMetrics(1280, 720);
    GasModel gas(small, std::mt19937(3));
    gas.setup(10, 10, 3);
    PaceClock simulationClock, readoutClock;
    GasSettings settings;
    RunState run;
    pressReset(run);
    ASSERT_TRUE(acceptsStart(run));
    pressStart(run, settings, gas, simulationClock, readoutClock, small);
    EXPECT_EQ(runPhase(run), RunPhase::Running);
    EXPECT_EQ(gas.core().particleCount(), 15);
    EXPECT_EQ(gas.core().particleWidth(), static_cast<double>(1280.0f * 22.0f / 1920.0f));
    EXPECT_EQ(gas.particleHeight(), static_cast<double>(720.0f * 140.0f / 1080.0f));
}
} // namespace
