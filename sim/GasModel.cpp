#include "sim/GasModel.hpp"

#include <SFML/Graphics/Color.hpp>

#include <algorithm>
#include <cassert>
#include <utility>

namespace
{
// The particles' top edge, reference pixels.
constexpr float particleTop = 70.0f;
constexpr float particleOutline = 2.0f; // absolute pixels
} // namespace

GasModel::GasModel(const ScreenMetrics& metrics, std::mt19937 random) : m_metrics(metrics), m_random(std::move(random))
{
}

void GasModel::setup(double width, double height, int count)
{
    count = std::clamp(count, minParticles, maxParticles);
    m_particleWidth = width;
    m_particleHeight = height;
    m_particleCount = count;

    m_particleShapes.assign(count, sf::RectangleShape());
    m_positions.assign(count, 0.0);
    m_velocities.assign(count, 0.0);
    m_accelerations.assign(count, 0.0);
    m_gaps.assign(count - 1, 0.0);
    m_pull.assign(count - 1, 0.0);
    m_push.assign(count - 1, 0.0);
    resetHistogram();

    // Even spread with equal gaps to both window edges: the spacing in single
    // precision, the positions in double.
    const float spacing = m_metrics.screenWidth / static_cast<float>(count + 1);
    for (int i = 0; i < count; ++i)
    {
        sf::RectangleShape& shape = m_particleShapes[i];
        shape.setSize({static_cast<float>(width), static_cast<float>(height)});
        shape.setOutlineThickness(particleOutline);
        shape.setOutlineColor(sf::Color::Black);
        m_positions[i] = static_cast<double>(spacing) * (i + 1);
        placeParticle(i);
        shape.setFillColor(sf::Color::Blue);
    }
}

void GasModel::pause() { m_running = false; }

void GasModel::resume() { m_running = true; }

const sf::RectangleShape& GasModel::particleShape(int i) const
{
    assert(i >= 0 && i < m_particleCount);
    return m_particleShapes[i];
}

const sf::RectangleShape& GasModel::barShape(int k) const
{
    assert(k >= 0 && k < m_binCount);
    sf::RectangleShape& bar = m_barShapes[k];
    if (bar.getSize() != m_barSizes[k])
        bar.setSize(m_barSizes[k]);
    return bar;
}

void GasModel::setParticle(int i, double position, double velocity, double acceleration)
{
    if (i < 0 || i >= m_particleCount)
        return;
    m_positions[i] = position;
    m_velocities[i] = velocity;
    m_accelerations[i] = acceleration;
    placeParticle(i);
}

void GasModel::placeParticle(int i)
{
    m_particleShapes[i].setPosition(static_cast<float>(m_positions[i]), scaleY(m_metrics, particleTop));
}
