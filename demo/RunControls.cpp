#include "demo/RunControls.hpp"

RunPhase runPhase(const RunState& run)
{
    if (!run.started)
        return RunPhase::Stopped;
    return run.paused ? RunPhase::Paused : RunPhase::Running;
}

double particleHeightPixels(const ScreenMetrics& m) { return static_cast<double>(scaleY(m, 140.0f)); }

void pressStart(RunState& run, const GasSettings& settings, GasModel& gas, PaceClock& simulationClock,
                PaceClock& readoutClock, const ScreenMetrics& m)
{
    // The time spent stopped must never enter a time step.
    simulationClock.restart();
    readoutClock.restart();
    if (run.needsSetup)
    {
        gas.setup(particleWidthPixels(settings.width, m), particleHeightPixels(m), settings.count);
        run.needsSetup = false;
    }
    gas.resume();
    run.started = true;
    run.paused = false;
}

void pressPotential(RunState& run, GasSettings& settings, PotentialKind kind)
{
    for (std::size_t i = 0; i < run.potentialSelected.size(); ++i)
        run.potentialSelected[i] = static_cast<int>(i) == static_cast<int>(kind);
    settings.law = kind;
    run.needsSetup = true; // also when the kind was already selected
}

void pressPause(RunState& run) { run.paused = true; }

void pressReset(RunState& run)
{
    run.paused = true;
    run.started = false;
    run.needsSetup = true;
}
