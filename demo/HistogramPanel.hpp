#pragma once

#include "app/Layout.hpp"
#include "app/PaceClock.hpp"
#include "demo/NumberFormat.hpp"
#include "sim/GasModel.hpp"

#include <SFML/Graphics/RenderTarget.hpp>

#include <array>

// The histogram of neighbour gaps with its axes, and the readouts E, sigma
// and sigma / E.
struct HistogramPanel
{
    sf::RectangleShape histogramXAxis;
    sf::RectangleShape histogramYAxis;
    std::array<sf::RectangleShape, 16> binTickMarks;
    std::array<sf::RectangleShape, 16> countTickMarks;
    std::array<sf::Text, 4> xAxisTitle;
    std::array<sf::Text, 3> yAxisTitle;
    std::array<sf::Text, 4> binTickLabels;
    sf::Text maxCountLabel;
    sf::Text meanCaption;
    sf::Text meanText;
    std::array<sf::Text, 3> sigmaCaption;
    sf::Text sigmaText;
    sf::Text ratioCaption;
    sf::Text ratioText;
};

void buildHistogramPanel(HistogramPanel& panel, const sf::Font& font, const ScreenMetrics& m,
                         NumberFormatter& formatNumber);
void refreshReadouts(HistogramPanel& panel, const GasModel& gas, NumberFormatter& formatNumber,
                     PaceClock& readoutClock);
void drawHistogramPanel(sf::RenderTarget& target, const HistogramPanel& panel, const GasModel& gas);
