#pragma once

#include "lab/Correlation.hpp"
#include "sim/EquilibriumGas.hpp"
#include "sim/GasCore.hpp"

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

// The warm-up found from the run's own series rather than fixed.
constexpr int autoWarmup = -1;

// One run of the gas without a window: the settings of the demonstration
// screen, a screen size, a fixed tick, how long to run and a seed.
struct LabRun
{
    GasSettings gas;
    int dt = 12; // milliseconds per tick
    unsigned screenWidth = 1920;
    unsigned screenHeight = 1080;
    // Simulated seconds: measured after a fixed warm-up, or the whole run
    // (warm-up included) with autoWarmup; the cap with a precision.
    // 6000 s: at the defaults tau reaches 55 s and the warm-up found up to
    // 45 % of the run, so 50 tau are left after it; at 3000 s one seed in
    // ten of the zero law and repulsion was short.
    int seconds = 6000;
    int warmup = autoWarmup; // simulated seconds before the measurement, or autoWarmup
    // Run until the standard error of sigma / E is at most this and the run
    // is trusted (0: run exactly the seconds).
    double precision = 0.0;
    std::uint32_t seed = 1;
};

// A mean over correlated samples and its standard error.
struct Estimate
{
    double mean = std::numeric_limits<double>::quiet_NaN();
    double standardError = std::numeric_limits<double>::quiet_NaN();
};

// Whether a row's figures can be trusted, and if not, why.
enum class Quality
{
    Ok,
    Short,    // fewer than minimumTaus correlation times measured: the error itself is unreliable
    Drifting, // the two halves disagree by more than three combined errors: not in equilibrium
    Frozen,   // nothing fluctuates (a cycle of a few ticks): no error can be had
};
constexpr double minimumTaus = 50.0;
const char* qualityName(Quality q);

// The rule that made a run short, so that its message can name it.
enum class ShortRule
{
    None,
    FewPoints, // fewer than 4 half-second points measured
    FewTaus,   // fewer than minimumTaus correlation times of one quantity measured
    NoWindow,  // Sokal's window not found within the measured part: tau unknown
    WholeRun,  // warm-up found, but the whole run, warm-up included, does not resolve its own correlation
};

// One row per simulated second: the means of the ticks that ended in it.
struct SeriesRow
{
    int second = 0;
    double gap = 0.0;      // E, gap units
    double spread = 0.0;   // sigma, gap units
    double ratio = 0.0;    // sigma / E
    bool measured = false; // every tick of it lies after the warm-up
};

struct RunResult
{
    Estimate gap;    // E, gap units
    Estimate spread; // sigma, gap units
    Estimate ratio;  // sigma / E
    // Integrated autocorrelation time of sigma / E, simulated seconds.
    double ratioTauSeconds = std::numeric_limits<double>::quiet_NaN();
    Quality quality = Quality::Ok;
    // Why short: the rule, the quantity (0 E, 1 sigma, 2 sigma / E) and its
    // tau in simulated seconds, over the whole run for ShortRule::WholeRun
    // (a lower bound there, and for NoWindow).
    ShortRule shortRule = ShortRule::None;
    int shortQuantity = -1;
    double shortTauSeconds = std::numeric_limits<double>::quiet_NaN();
    double warmupSeconds = 0.0;   // simulated seconds left out at the start
    double measuredSeconds = 0.0; // simulated seconds the figures come from
    // Simulated seconds at which the particle order broke and the run ended.
    std::optional<double> overlapSeconds;
    // Share of the gaps counted after the warm-up in each bin; NaN when none
    // was counted.
    std::array<double, histogramBins> binFractions{};
    // Kinetic temperature: the mean square velocity of the inner particles
    // (1 ... N - 2; NaN with two particles) and of the two end particles over
    // the measured ticks, (px/ms)^2, each with the error from its own
    // correlation time; and the share of particle-ticks at the speed limit.
    Estimate thetaInner;
    Estimate thetaEnds;
    double speedCapShare = std::numeric_limits<double>::quiet_NaN();
    // The equilibrium gas of the same settings at thetaInner (the zero law's
    // at any temperature); empty under attraction or without thetaInner.
    std::optional<EquilibriumPrediction> boltzmann;
    std::vector<SeriesRow> series;
    bool interrupted = false;
};

// Shared by the runs of one sweep: a request to stop, and a count of ticks
// done for the progress line.
struct RunControl
{
    const std::atomic<bool>* stop = nullptr;
    std::atomic<long long>* ticksDone = nullptr;
};

// The verdict on a run's coarse series (one vector per quantity, all of one
// length): where the measurement starts (0, or the equilibrated start when
// findStart), each quantity's mean and error from there, and the quality.
struct SeriesAnalysis
{
    std::size_t start = 0;
    std::vector<CorrelatedMean> means;
    Quality quality = Quality::Ok;
    ShortRule shortRule = ShortRule::None; // the first that holds, in the order declared
    std::size_t shortChannel = 0;
    double shortTau = std::numeric_limits<double>::quiet_NaN(); // points
};
SeriesAnalysis analyseSeries(const std::vector<const std::vector<double>*>& channels, bool findStart);

// One tick's kinetic figures from the velocities after the step: the mean
// square velocity of particles 1 ... N - 2 (NaN for fewer than three) and of
// particles 0 and N - 1, (px/ms)^2, and the share of the N at the speed limit.
struct KineticSample
{
    double inner = 0.0;
    double ends = 0.0;
    double capped = 0.0;
};
KineticSample kineticSample(const std::vector<double>& velocities, double maxSpeed);

// Ticks of dt milliseconds that cover the given simulated seconds.
long long ticksFor(int seconds, int dt);

// Screen metrics of the run's screen and the particle width in its pixels.
ScreenMetrics runMetrics(const LabRun& settings);

RunResult runGas(const LabRun& settings, bool withSeries, const RunControl& control = {});
