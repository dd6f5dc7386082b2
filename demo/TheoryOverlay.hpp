#pragma once

#include "base/Layout.hpp"
#include "demo/NumberFormat.hpp"
#include "sim/FreeGas.hpp"
#include "sim/GasModel.hpp"

#include <SFML/Graphics/RenderTarget.hpp>

#include <array>
#include <vector>

// The exact free gas beside the measured one (velorin --theory): under the
// zero law the gas is a gas of hard rods whose gap distribution, E and
// sigma / E are known exactly for its count, width and screen. A red mark
// over every bar shows the height the bar would have if the running totals
// followed the exact shares; beside the readouts stand the exact E and
// sigma / E and the means of the readouts since the last set-up, which close
// in on them.
struct TheoryOverlay
{
    bool enabled = false; // asked for on the command line
    bool shown = true;    // a press in the histogram panel hides and shows it
    bool known = false;   // the gas was last set up under the zero law: exact is its own

    FreeGasPrediction exact;
    // Sums over the ticks since the set-up, unrounded, as velorin-lab averages.
    double gapSum = 0.0;   // E, gap units
    double ratioSum = 0.0; // sigma / E
    long long ticks = 0;

    std::array<sf::RectangleShape, histogramBins> marks;
    sf::FloatRect panelArea; // window pixels: the axes and the bars between them
    sf::Text gapHeading, ratioHeading;
    sf::Text theoryCaption, theoryGap, theoryRatio;
    sf::Text meanCaption, meanGap, meanRatio;
};

const sf::Color theoryRed(200, 0, 0);

// The heights in pixels of the marks over the bars: share k of the exact
// distribution times every gap binned so far, over the fullest bin's total,
// times the tallest bar, as the bars are scaled (330 reference pixels at
// the fullest), but no higher than 355 reference pixels, below the y axis's
// title: a mark there says the bin is far below its share. All 0 while
// nothing is binned.
std::array<float, histogramBins> theoryMarkHeights(const std::array<double, histogramBins>& shares,
                                                   const std::vector<double>& binTotals, const ScreenMetrics& m);

void buildTheoryOverlay(TheoryOverlay& overlay, const sf::Font& font, const ScreenMetrics& m);
// At every set-up of the gas: the exact figures when it was set up under the
// zero law (nothing otherwise), and the means begun anew.
void setUpTheory(TheoryOverlay& overlay, const FreeGasPrediction* exact, NumberFormatter& formatNumber);
// After every tick: the tick's gaps into the means.
void addTickToTheory(TheoryOverlay& overlay, const GasCore::GapMoments& moments);
// With the readouts: the means as text.
void refreshTheoryMeans(TheoryOverlay& overlay, NumberFormatter& formatNumber);
// The marks placed over the model's bars, then drawn with the values.
void drawTheoryOverlay(sf::RenderTarget& target, TheoryOverlay& overlay, const GasModel& gas);
