#pragma once

#include "base/Layout.hpp"
#include "base/PaceClock.hpp"
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
    std::array<sf::RectangleShape, histogramBins> binTickMarks;   // element i: the right edge of bar i
    std::array<sf::RectangleShape, histogramBins> countTickMarks; // element i: (i + 1) / 16 of the full bar height
    std::array<sf::Text, 4> xAxisTitle;
    std::array<sf::Text, 3> yAxisTitle;
    std::array<sf::Text, 4> binTickLabels; // bars 0, 4, 8, 12
    sf::Text maxCountLabel;
    sf::Text meanCaption;
    sf::Text meanText;
    std::array<sf::Text, 3> sigmaCaption;
    sf::Text sigmaText;
    sf::Text ratioCaption;
    sf::Text ratioText;
};

// Tick positions in reference pixels, k = 1 ... 16: bars are 846 / 16 apart
// along x, counts 330 / 16 apart along y (330 is a full bar).
float binTickMarkX(int k);
float countTickMarkY(int k);
// Label of bar i (0, 4, 8, 12) stands at the bar's left edge.
float binTickLabelX(int i);

// sigma / E rounded to hundredths, halfway cases away from zero. E = 0 gives
// infinity (or NaN when sigma is 0 too), shown as such.
double gapRatio(double sigma, double mean);

void buildHistogramPanel(HistogramPanel& panel, const sf::Font& font, const ScreenMetrics& m,
                         NumberFormatter& formatNumber);
void refreshReadouts(HistogramPanel& panel, const GasModel& gas, NumberFormatter& formatNumber,
                     PaceClock& readoutClock);
void drawHistogramPanel(sf::RenderTarget& target, const HistogramPanel& panel, const GasModel& gas);
