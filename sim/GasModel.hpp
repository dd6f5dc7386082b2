#pragma once

#include "base/ScreenMetrics.hpp"

#include <SFML/Graphics/RectangleShape.hpp>

#include <array>
#include <cmath>
#include <random>
#include <vector>

// The pair law between neighbouring particles, as chosen on the
// demonstration screen.
enum class PotentialKind : int
{
    Zero = 0,         // no interaction: noise and friction only
    Attraction = 1,   // U = -C / R, with bonding of close neighbours
    Repulsion = 2,    // U = C / R
    LennardJones = 3, // repulsive 13th-power and attractive 7th-power forces
};

// The law's name in files and on command lines, indexed by PotentialKind.
constexpr std::array<const char*, 4> potentialNames = {"zero", "attraction", "repulsion", "lennard-jones"};
inline const char* lawName(PotentialKind law) { return potentialNames[static_cast<int>(law)]; }

// The particle counts the model supports: the motion rules need two end
// particles, and the bond flags have room for 100.
constexpr int minParticles = 2;
constexpr int maxParticles = 100;
// Neighbours closer than this many plain pixels (not scaled) touch and
// exchange velocities; the free gas behaves as hard rods this much longer.
constexpr double contactDistance = 7.0;
// Reference pixels between a wall line and the window edge.
constexpr float wallMarginReference = 6.0f;

// One flag per particle index, 0 = free, non-zero = stuck (Attraction only).
using BondFlags = std::array<int, maxParticles>;

// The settings read at every force evaluation. Values outside the stated
// ranges are clamped into them when the forces are evaluated (a mass of 0 or
// a negative temperature would otherwise turn every acceleration into NaN).
struct ForceSettings
{
    PotentialKind kind = PotentialKind::Zero;
    int temperature = 25; // 1 ... 50
    int mass = 25;        // 1 ... 50
    int coefficientC = 1; // 1 ... 5
};

// A one-dimensional gas: N equal rectangles on one horizontal line between two
// walls. Lengths are window pixels, time milliseconds, velocities pixels per
// millisecond, accelerations pixels per millisecond squared. Index 0 is the
// leftmost particle and the order of indices stays the left-to-right order.
//
// The random source is taken at construction: the program seeds it from the
// calendar time, tests and tools from a fixed seed. Every noise and kick term
// draws one fresh 32-bit value from it.
class GasModel
{
public:
    GasModel(const ScreenMetrics& metrics, std::mt19937 random);

    // (Re)creates the gas: count particles of the given size (pixels), evenly
    // spread and at rest, and an empty 16-bin histogram. count is clamped into
    // minParticles ... maxParticles, so the motion rules always have two end
    // particles and the bond flags always have room. Leaves the run flag and
    // overlapDetected as they are.
    void setup(double width, double height, int count);

    // While paused, resolveContacts, applyForces and step change nothing.
    void pause();
    void resume();
    bool isRunning() const { return m_running; }

    int particleCount() const { return m_particleCount; }
    int binCount() const { return m_binCount; }
    double particleWidth() const { return m_particleWidth; }
    double particleHeight() const { return m_particleHeight; }
    // 0 <= i < particleCount(), 0 <= k < binCount(). A bar takes the size
    // of the latest updateBarHeights when it is handed out: rebuilding a
    // shape's outline costs far more than the rest of a tick, and the bars are
    // only needed while they are drawn.
    const sf::RectangleShape& particleShape(int i) const;
    const sf::RectangleShape& barShape(int k) const;

    // One tick: resolveContacts, applyForces, step(dt), updateBarHeights.
    // Before the first setup the first three do nothing.
    void resolveContacts();
    void applyForces(const ForceSettings& settings, BondFlags& bonded);
    void step(float dt); // dt in whole milliseconds; ends by binning the gaps
    void updateBarHeights();

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
    double histogramRange() const; // pixels: the upper end of the 15 regular bins
    double gapUnit() const;        // whole pixels: one sixteenth of the range

    // Read access for the readouts, tests and tools.
    const std::vector<double>& positions() const { return m_positions; }
    const std::vector<double>& velocities() const { return m_velocities; }
    const std::vector<double>& accelerations() const { return m_accelerations; }
    const std::vector<double>& binTotals() const { return m_binTotals; }
    const std::vector<int>& binCounts() const { return m_binCounts; }

    // Direct placement, for tests and tools that need a chosen configuration;
    // also moves the rectangle. An index outside 0 ... N-1 is ignored.
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
    // Every gap into m_gaps (positions do not change while the forces are
    // evaluated).
    void measureGaps();
    void bond(BondFlags& bonded, int i);
    void applyAttraction(double kAtt, double k, double s, double kick, BondFlags& bonded);
    // Empty totals and counts, the 16 bars on their base line, the bin edges.
    void resetHistogram();
    void binGaps();
    void placeParticle(int i);

    ScreenMetrics m_metrics;
    std::mt19937 m_random;

    std::vector<double> m_positions;
    std::vector<double> m_velocities;
    std::vector<double> m_accelerations;
    double m_particleWidth = 0.0;
    double m_particleHeight = 0.0;
    std::vector<double> m_binTotals;
    int m_particleCount = 0;
    int m_binCount = 0;
    std::vector<int> m_binCounts;
    bool m_running = true;
    bool m_overlapDetected = false;
    std::vector<sf::RectangleShape> m_particleShapes;
    mutable std::vector<sf::RectangleShape> m_barShapes;
    std::vector<sf::Vector2f> m_barSizes; // pixels, from the latest updateBarHeights

    // Scratch and fixed values, sized or computed at setup.
    std::vector<double> m_gaps;    // N-1 neighbour gaps, pixels
    std::vector<double> m_pull;    // Lennard-Jones (0.01 g)^7 per gap
    std::vector<double> m_push;    // Lennard-Jones (0.01 g)^13 per gap
    std::vector<float> m_binEdges; // binCount edges of the regular bins, pixels
};
