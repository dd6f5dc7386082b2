#pragma once

#include "base/ScreenMetrics.hpp"
#include "sim/GasSettings.hpp"
#include "sim/HistogramLayout.hpp"

#include <array>
#include <cmath>
#include <random>
#include <vector>

// Neighbours closer than this many plain pixels (not scaled) touch and
// exchange velocities; the free gas behaves as hard rods this much longer.
constexpr double contactDistance = 7.0;
// Reference pixels between a wall line and the window edge.
constexpr float wallMarginReference = 6.0f;

// -1, 0 or +1.
inline double sign(double z) { return z > 0.0 ? 1.0 : (z < 0.0 ? -1.0 : 0.0); }

// One flag per particle index, 0 = free, non-zero = stuck (Attraction only).
using BondFlags = std::array<int, maxParticles>;

// A particle width setting (reference pixels) in pixels of the screen the
// metrics describe.
inline double particleWidthPixels(int width, const ScreenMetrics& m)
{
    return static_cast<double>(scaleX(m, static_cast<float>(width)));
}

// The strengths of the pair laws between two neighbours a gap g apart, as the
// forces use them (pixels per millisecond squared on each of the two):
// repulsion pushes with repulsion / g^2, attraction pulls with attraction / g^2,
// Lennard-Jones pushes with lennardJones [(0.01 g)^-13 - (0.01 g)^-7]. Each is
// C / m, the Lennard-Jones one also over the count squared; C and m clamped
// into their ranges.
struct PairStrengths
{
    double repulsion = 0.0;    // px^3/ms^2: over g^2 an acceleration
    double attraction = 0.0;   // px^3/ms^2
    double lennardJones = 0.0; // px/ms^2: the bracket has no unit
};
PairStrengths pairStrengths(int C, int mass, int count);

// The histogram's bins as the model sorts the gaps, pixels of the screen the
// metrics describe: 15 equal bins from 0 to histogramRange, and above it an
// overflow bin.
double histogramRange(const ScreenMetrics& m);
// Edge k = 0 ... 15 of the regular bins, in single precision as the model
// compares it: bin k spans edges k and k + 1. Edge 15 is histogramRange up to
// rounding; the overflow bin takes the gaps above histogramRange itself.
float binEdge(const ScreenMetrics& m, int k);
// The unit of the mean gap and its spread, whole pixels: one sixteenth of the
// range, truncated.
double gapUnit(const ScreenMetrics& m);

// A one-dimensional gas: the numbers of N equal rectangles on one horizontal
// line between two walls. Lengths are window pixels, time milliseconds, velocities pixels per
// millisecond, accelerations pixels per millisecond squared. Index 0 is the
// leftmost particle and the order of indices stays the left-to-right order.
//
// The random source is taken at construction: the program seeds it from the
// calendar time, tests and tools from a fixed seed. Every noise and kick term
// draws one fresh 32-bit value from it.
//
// Nothing here draws: GasModel adds the drawn rectangles.
class GasCore
{
public:
    GasCore(const ScreenMetrics& metrics, std::mt19937 random);

    // (Re)creates the gas: count particles of the given width (pixels), evenly
    // spread and at rest, and an empty 16-bin histogram. count is clamped into
    // minParticles ... maxParticles, so the motion rules always have two end
    // particles and the bond flags always have room. Leaves the run flag and
    // overlapDetected as they are.
    void setup(double width, int count);

    // While paused, resolveContacts, applyForces and step change nothing.
    void pause();
    void resume();
    bool isRunning() const { return m_running; }

    int particleCount() const { return m_particleCount; }
    int binCount() const { return m_binCount; }
    double particleWidth() const { return m_particleWidth; }
    const ScreenMetrics& metrics() const { return m_metrics; }

    // One tick of dt whole milliseconds: resolveContacts; then, unless that
    // found the order broken (the program stops there), applyForces and step.
    // Returns false on that stop. Before the first setup nothing moves.
    // The forces read the law, temperature, mass and C of the settings, each
    // clamped into its range when the forces are evaluated (a mass of 0 or a
    // negative temperature would otherwise turn every acceleration into NaN);
    // count and width take effect only at setup.
    bool tick(const GasSettings& settings, BondFlags& bonded, float dt);
    // The parts of a tick, in its order.
    void resolveContacts();
    void applyForces(const GasSettings& settings, BondFlags& bonded);
    void step(float dt); // dt in whole milliseconds; ends by binning the gaps

    // Set when a particle lies more than 2 pixels inside a lower-indexed
    // neighbour; never cleared.
    bool overlapDetected() const { return m_overlapDetected; }

    // Statistics of the gaps between neighbours (in gap units, two decimals)
    // and the fullest bin of the latest tick. 0 before the first setup.
    int maxBinCount() const;
    double meanGap() const;
    double gapStdDev() const;
    // The same two figures unrounded, the spread about the unrounded mean, for
    // averaging over many ticks.
    struct GapMoments
    {
        double mean = 0.0;   // gap units
        double stdDev = 0.0; // gap units
    };
    GapMoments gapMoments() const;
    double histogramRange() const { return ::histogramRange(m_metrics); }
    double gapUnit() const { return ::gapUnit(m_metrics); }

    // Read access for the readouts, tests and tools.
    const std::vector<double>& positions() const { return m_positions; }
    const std::vector<double>& velocities() const { return m_velocities; }
    const std::vector<double>& accelerations() const { return m_accelerations; }
    const std::vector<double>& binTotals() const { return m_binTotals; }
    const std::vector<int>& binCounts() const { return m_binCounts; }

    // Direct placement, for tests and tools that need a chosen configuration.
    // An index outside 0 ... N-1 is ignored.
    void setParticle(int i, double position, double velocity, double acceleration);

private:
    // Fresh draws, one per term: -amplitude, 0 or +amplitude (r mod 3 - 1);
    // the left kick -size or 0 (r mod 2 - 1); the right kick 0 or +size (r mod 2).
    double noise(double amplitude);
    double leftKick(double size);
    double rightKick(double size);
    // k * sign(previous acceleration) * |v|, pixels per millisecond squared.
    double friction(int i, double k) const;
    // Free space between particles j and j+1, pixels; negative on overlap.
    double gap(int j) const { return std::abs(m_positions[j] - m_positions[j + 1]) - m_particleWidth; }
    // The sum over the gaps, left to right, of term(gap in gap units).
    template <typename Term> double sumOverGaps(Term term) const;
    // Every gap into m_gaps (positions do not change while the forces are
    // evaluated).
    void measureGaps();
    void bond(BondFlags& bonded, int i);
    void applyAttraction(double kAtt, double k, double s, double kick, BondFlags& bonded);
    // Empty totals and counts, the bin edges.
    void resetHistogram();
    void binGaps();

    ScreenMetrics m_metrics;
    std::mt19937 m_random;

    std::vector<double> m_positions;
    std::vector<double> m_velocities;
    std::vector<double> m_accelerations;
    double m_particleWidth = 0.0;
    std::vector<double> m_binTotals;
    int m_particleCount = 0;
    int m_binCount = 0;
    std::vector<int> m_binCounts;
    bool m_running = true;
    bool m_overlapDetected = false;

    // Scratch and fixed values, sized or computed at setup.
    std::vector<double> m_gaps;    // N-1 neighbour gaps, pixels
    std::vector<double> m_pull;    // Lennard-Jones (0.01 g)^7 per gap
    std::vector<double> m_push;    // Lennard-Jones (0.01 g)^13 per gap
    std::vector<float> m_binEdges; // binCount edges of the regular bins, pixels
};
