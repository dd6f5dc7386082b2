#pragma once

#include "sim/GasCore.hpp"

#include <SFML/Graphics/RectangleShape.hpp>

#include <vector>

// The gas as the demonstration shows it: a core of numbers plus one drawn
// rectangle per particle and one bar per histogram bin, kept in step with
// them. Tools without a window use GasCore alone. Whatever moves the
// particles goes through here, so that the rectangles follow.
// A bar's height in window pixels for its share of the fullest bin: the
// share times the tallest bar, in single precision in this order.
inline float barHeight(float share, const ScreenMetrics& m)
{
    return share * tallestBarReference * m.screenHeight / referenceHeight;
}

class GasModel
{
public:
    GasModel(const ScreenMetrics& metrics, std::mt19937 random);

    // The core's set-up, and the rectangles: count particles of the given
    // size (pixels), 16 bars on their base line.
    void setup(double width, double height, int count);

    // The numbers: positions, velocities, bins and their statistics.
    const GasCore& core() const { return m_core; }

    double particleHeight() const { return m_particleHeight; } // pixels, drawn only
    // One per particle and one per bin, as core() counts them.
    const std::vector<sf::RectangleShape>& particleShapes() const { return m_particleShapes; }
    const std::vector<sf::RectangleShape>& barShapes() const { return m_barShapes; }

    // The core's tick, then the particles placed and the bars sized from the totals.
    bool tick(const GasSettings& settings, BondFlags& bonded, float dt);
    // The parts of a tick, for tests and tools that take them one by one;
    // step also moves the particles' rectangles.
    void resolveContacts() { m_core.resolveContacts(); }
    void applyForces(const GasSettings& settings, BondFlags& bonded) { m_core.applyForces(settings, bonded); }
    void step(float dt);
    // Bar heights from the running totals: the fullest bin is 330 reference
    // pixels tall, with nothing counted every bar is flat.
    void updateBarHeights();
    void setParticle(int i, double position, double velocity, double acceleration);
    void pause() { m_core.pause(); }
    void resume() { m_core.resume(); }

private:
    void placeParticles();

    GasCore m_core;
    double m_particleHeight = 0.0;
    std::vector<sf::RectangleShape> m_particleShapes;
    std::vector<sf::RectangleShape> m_barShapes;
};
