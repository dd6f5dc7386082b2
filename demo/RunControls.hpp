#pragma once

#include "base/PaceClock.hpp"
#include "sim/GasModel.hpp"

#include <array>

// The five settings of the parameter sliders, in reference units.
struct Settings
{
    int countSetting = defaultGasSettings().count;        // particles, sliderCountRange
    int widthSetting = defaultGasSettings().width;        // reference pixels, 1 ... maxTotalWidth / countSetting
    int temperature = defaultGasSettings().temperature;   // temperatureRange
    int mass = defaultGasSettings().mass;                 // massRange
    int coefficientC = defaultGasSettings().coefficientC; // coefficientRange
};

// Whether the gas advances, is frozen or has been reset, and which pair law
// the ticks use. The gas runs from launch.
struct RunState
{
    bool started = true;
    bool paused = false;
    bool needsSetup = true; // a setting changed: the next Start sets the gas up again
    PotentialKind selectedPotential = PotentialKind::Zero;
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

// The particle width and height handed to the model, in window pixels.
double particleWidthPixels(int widthSetting, const ScreenMetrics& m);
double particleHeightPixels(const ScreenMetrics& m);

// The press handlers, called only when the run state accepts the press. They
// change the run state (and, for Start, the clocks and the model); the button
// colours are the caller's.
void pressStart(RunState& run, const Settings& settings, GasModel& gas, PaceClock& simulationClock,
                PaceClock& readoutClock, const ScreenMetrics& m);
void pressPotential(RunState& run, PotentialKind kind);
void pressPause(RunState& run);
void pressReset(RunState& run);
