#pragma once

#include "sim/GasCore.hpp"

#include <SFML/Graphics/RectangleShape.hpp>

#include <vector>

// The gas as the demonstration shows it: the core's numbers plus one drawn
// rectangle per particle and one bar per histogram bin, kept in step with
// them. Tools without a window use GasCore alone.
// The bars' base line and the fullest bar's height, reference pixels.
constexpr float barsBaseReference = 1033.0f;
constexpr float tallestBarReference = 330.0f;

class GasModel : private GasCore
{
public:
    GasModel(const ScreenMetrics& metrics, std::mt19937 random);

    // The core's set-up, and the rectangles: count particles of the given
    // size (pixels), 16 bars on their base line.
    void setup(double width, double height, int count);

    double particleHeight() const { return m_particleHeight; } // pixels, drawn only
    // 0 <= i < particleCount(), 0 <= k < binCount().
    const sf::RectangleShape& particleShape(int i) const;
    const sf::RectangleShape& barShape(int k) const;

    // The core's tick, then the bars sized from the totals.
    bool tick(const ForceSettings& settings, BondFlags& bonded, float dt);
    void step(float dt); // also moves the particles' rectangles
    // Bar heights from the running totals: the fullest bin is 330 reference
    // pixels tall, with nothing counted every bar is flat.
    void updateBarHeights();
    void setParticle(int i, double position, double velocity, double acceleration);

    const GasCore& core() const { return *this; }

    using GasCore::accelerations;
    using GasCore::applyForces;
    using GasCore::binCount;
    using GasCore::binCounts;
    using GasCore::binTotals;
    using GasCore::gapMoments;
    using GasCore::GapMoments;
    using GasCore::gapStdDev;
    using GasCore::gapUnit;
    using GasCore::histogramRange;
    using GasCore::isRunning;
    using GasCore::maxBinCount;
    using GasCore::meanGap;
    using GasCore::overlapDetected;
    using GasCore::particleCount;
    using GasCore::particleWidth;
    using GasCore::pause;
    using GasCore::positions;
    using GasCore::resolveContacts;
    using GasCore::resume;
    using GasCore::velocities;

private:
    void placeParticles();

    double m_particleHeight = 0.0;
    std::vector<sf::RectangleShape> m_particleShapes;
    std::vector<sf::RectangleShape> m_barShapes;
};
