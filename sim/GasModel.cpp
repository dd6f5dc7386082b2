// The drawn gas: the particles' rectangles and the histogram's bars of the
// demonstration screen, laid out in reference pixels.

#include "sim/GasModel.hpp"

#include <SFML/Graphics/Color.hpp>

#include <algorithm>
#include <cassert>
#include <utility>

namespace
{
// Reference pixels.
constexpr float particleTop = 70.0f;
constexpr float barsSpan = 846.0f;  // the bars' right ends are barsSpan / 16 apart
constexpr float barsLeft = 805.0f;  // left end of the bars' span
constexpr float barsWidth = 826.0f; // all bars together
// Absolute pixels.
constexpr float particleOutline = 2.0f;
constexpr float barOutline = 1.0f;
} // namespace

GasModel::GasModel(const ScreenMetrics& metrics, std::mt19937 random) : GasCore(metrics, std::move(random)) {}

void GasModel::setup(double width, double height, int count)
{
    GasCore::setup(width, count);
    m_particleHeight = height;

    const ScreenMetrics& m = metrics();
    m_particleShapes.assign(particleCount(), sf::RectangleShape());
    for (sf::RectangleShape& shape : m_particleShapes)
    {
        shape.setSize({static_cast<float>(width), static_cast<float>(height)});
        shape.setOutlineThickness(particleOutline);
        shape.setOutlineColor(sf::Color::Black);
        shape.setFillColor(sf::Color::Blue);
    }
    placeParticles();

    // Turned by 180 degrees about their top-left corner, the bars reach left
    // and up from their position: they stand on the base line with their
    // right ends 846 / 16 reference pixels apart.
    m_barShapes.assign(binCount(), sf::RectangleShape());
    for (int k = 0; k < binCount(); ++k)
    {
        sf::RectangleShape& bar = m_barShapes[k];
        bar.setOutlineThickness(barOutline);
        bar.setOutlineColor(sf::Color::Black);
        bar.setRotation(180.0f);
        bar.setPosition(scaleX(m, barsSpan) / static_cast<float>(binCount()) * static_cast<float>(k + 1) +
                            scaleX(m, barsLeft),
                        scaleY(m, barsBaseReference));
        bar.setFillColor(sf::Color::Green);
    }
}

const sf::RectangleShape& GasModel::particleShape(int i) const
{
    assert(i >= 0 && i < particleCount());
    return m_particleShapes[i];
}

const sf::RectangleShape& GasModel::barShape(int k) const
{
    assert(k >= 0 && k < binCount());
    return m_barShapes[k];
}

bool GasModel::tick(const ForceSettings& settings, BondFlags& bonded, float dt)
{
    if (!GasCore::tick(settings, bonded, dt))
        return false;
    placeParticles();
    updateBarHeights();
    return true;
}

void GasModel::step(float dt)
{
    GasCore::step(dt);
    placeParticles();
}

void GasModel::updateBarHeights()
{
    double fullest = 0.0;
    for (double total : binTotals())
        fullest = std::max(fullest, total);

    const ScreenMetrics& m = metrics();
    const float width = scaleX(m, barsWidth) / static_cast<float>(binCount());
    for (int k = 0; k < binCount(); ++k)
    {
        const float share = fullest > 0.0 ? static_cast<float>(binTotals()[k] / fullest) : 0.0f;
        const sf::Vector2f size(width, share * tallestBarReference * m.screenHeight / referenceHeight);
        // Resizing rebuilds the outline: skipped when nothing changed.
        if (m_barShapes[k].getSize() != size)
            m_barShapes[k].setSize(size);
    }
}

void GasModel::setParticle(int i, double position, double velocity, double acceleration)
{
    GasCore::setParticle(i, position, velocity, acceleration);
    placeParticles();
}

void GasModel::placeParticles()
{
    const float top = scaleY(metrics(), particleTop);
    for (int i = 0; i < particleCount(); ++i)
        m_particleShapes[i].setPosition(static_cast<float>(positions()[i]), top);
}
