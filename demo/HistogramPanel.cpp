#include "demo/HistogramPanel.hpp"

// Placeholder bodies, replaced by the panel implementation.
void buildHistogramPanel(HistogramPanel&, const sf::Font&, const ScreenMetrics&, NumberFormatter&) {}
void refreshReadouts(HistogramPanel&, const GasModel&, NumberFormatter&, PaceClock& readoutClock)
{
    readoutClock.restart();
}
void drawHistogramPanel(sf::RenderTarget& target, const HistogramPanel&, const GasModel& gas)
{
    for (int i = 0; i < gas.particleCount(); ++i)
        target.draw(gas.particleShape(i));
}
