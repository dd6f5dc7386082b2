// The drawn gas: the particles' rectangles and the histogram's bars of the
// demonstration screen, laid out in reference pixels.

#include "sim/GasModel.hpp"

#include <SFML/Graphics/Color.hpp>

#include <algorithm>
#include <utility>

namespace
{
constexpr float particleTop = 70.0f; // reference pixels
// Absolute pixels.
constexpr float particleOutline = 2.0f;
constexpr float barOutline = 1.0f;
} // namespace

GasModel::GasModel(const ScreenMetrics& metrics, std::mt19937 random) : m_core(metrics, std::move(random)) {}

void GasModel::setup(double width, double height, int count)
{
    m_core.setup(width, count);
    m_particleHeight = height;

    const ScreenMetrics& m = m_core.metrics();
    m_particleShapes.assign(m_core.particleCount(), sf::RectangleShape());
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
    const int bins = m_core.binCount();
    m_barShapes.assign(bins, sf::RectangleShape());
    for (int k = 0; k < bins; ++k)
    {
        sf::RectangleShape& bar = m_barShapes[k];
        bar.setOutlineThickness(barOutline);
        bar.setOutlineColor(sf::Color::Black);
        bar.setRotation(180.0f);
        bar.setPosition(scaleX(m, histogramSpan) / static_cast<float>(bins) * static_cast<float>(k + 1) +
                            scaleX(m, barsLeft),
                        scaleY(m, barsBaseReference));
        bar.setFillColor(sf::Color::Green);
    }
}

bool GasModel::tick(const GasSettings& settings, BondFlags& bonded, float dt)
{
    if (!m_core.tick(settings, bonded, dt))
        return false;
    placeParticles();
    updateBarHeights();
    return true;
}

void GasModel::step(float dt)
{
    m_core.step(dt);
    placeParticles();
}

void GasModel::updateBarHeights()
{
    double fullest = 0.0;
    const std::vector<double>& totals = m_core.binTotals();
    for (double total : totals)
        fullest = std::max(fullest, total);

    const ScreenMetrics& m = m_core.metrics();
    const int bins = m_core.binCount();
    const float width = scaleX(m, barsWidth) / static_cast<float>(bins);
    for (int k = 0; k < bins; ++k)
    {
        const float share = fullest > 0.0 ? static_cast<float>(totals[k] / fullest) : 0.0f;
        const sf::Vector2f size(width, barHeight(share, m));
        // Resizing rebuilds the outline: skipped when nothing changed.
        if (m_barShapes[k].getSize() != size)
            m_barShapes[k].setSize(size);
    }
}

void GasModel::setParticle(int i, double position, double velocity, double acceleration)
{
    m_core.setParticle(i, position, velocity, acceleration);
    placeParticles();
}

void GasModel::placeParticles()
{
    const float top = scaleY(m_core.metrics(), particleTop);
    const std::vector<double>& x = m_core.positions();
    for (int i = 0; i < m_core.particleCount(); ++i)
        m_particleShapes[i].setPosition(static_cast<float>(x[i]), top);
}
