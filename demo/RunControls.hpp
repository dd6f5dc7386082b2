#pragma once

#include "base/PaceClock.hpp"
#include "sim/GasModel.hpp"

#include <array>

// Whether the gas advances, is frozen or has been reset, and which potential
// button is marked selected. The gas runs from launch.
struct RunState
{
    bool started = true;
    bool paused = false;
    bool needsSetup = true; // a setting changed: the next Start sets the gas up again
    std::array<bool, potentialKindCount> potentialSelected = {true, false, false, false}; // indexed by PotentialKind
};

enum class RunPhase
{
    Running, // started, not paused
    Paused,  // started and paused
    Stopped, // reset: not started, paused
};

RunPhase runPhase(const RunState& run);

// Which presses the run state accepts.
inline bool acceptsStart(const RunState& run) { return runPhase(run) != RunPhase::Running; }
inline bool acceptsPotential(const RunState& run) { return runPhase(run) != RunPhase::Running; }
inline bool acceptsKnob(const RunState& run) { return runPhase(run) != RunPhase::Running; }
inline bool acceptsPauseOrReset(const RunState& run) { return runPhase(run) != RunPhase::Stopped; }

// The particle height handed to the model, in window pixels.
double particleHeightPixels(const ScreenMetrics& m);

// The press handlers, called only when the run state accepts the press. They
// change the run state (and, for Start, the clocks and the model, for a
// potential the law); the button
// colours are the caller's.
void pressStart(RunState& run, const GasSettings& settings, GasModel& gas, PaceClock& simulationClock,
                PaceClock& readoutClock, const ScreenMetrics& m);
void pressPotential(RunState& run, GasSettings& settings, PotentialKind kind);
void pressPause(RunState& run);
void pressReset(RunState& run);
