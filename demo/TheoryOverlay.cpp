#include "demo/TheoryOverlay.hpp"

#include <algorithm>
#include <cmath>

namespace
{
// Reference pixels.
constexpr float highestMark = 355.0f; // clear of the y axis's title above the bars
constexpr float markThickness = 5.0f; // scaled, but never under 2 window pixels
constexpr float thinnestMark = 2.0f;  // window pixels: still a line on a projector

// The histogram panel a press toggles in: from the top of the y axis to the
// bottom of the x axis and its end.
constexpr float panelLeft = 800.0f, panelTop = 643.0f, panelRight = 1696.0f, panelBottom = 1039.0f;

// The values under the readouts: a heading row, the exact row (red, as the
// marks), the row of means. Reference pixels.
struct TextRow
{
    const wchar_t* text;
    float x, y;
};
constexpr unsigned tableCharacterSize = 26;
constexpr float gapColumn = 614.0f, ratioColumn = 676.0f;
constexpr float headingRow = 958.0f, theoryRow = 996.0f, meanRow = 1034.0f;
constexpr std::array<TextRow, 4> captionTable = {{
    {L"E", gapColumn, headingRow},
    {L"sigma / E", ratioColumn, headingRow},
    {L"теория", 400, theoryRow},
    {L"среднее за опыт", 400, meanRow},
}};

// Rounded to hundredths as the readouts are, then written as they are.
sf::String asReadout(NumberFormatter& formatNumber, double value)
{
    return formatNumber(std::round(value * 100.0) / 100.0);
}
} // namespace

std::array<float, histogramBins> theoryMarkHeights(const std::array<double, histogramBins>& shares,
                                                   const std::vector<double>& binTotals, const ScreenMetrics& m)
{
    std::array<float, histogramBins> heights{};
    double binned = 0.0, fullest = 0.0;
    for (double total : binTotals)
    {
        binned += total;
        fullest = std::max(fullest, total);
    }
    if (fullest <= 0.0)
        return heights;
    const std::size_t bins = std::min(heights.size(), binTotals.size());
    for (std::size_t k = 0; k < bins; ++k)
    {
        // As the bars: the quotient in double precision, the rest in single.
        const float share = static_cast<float>(shares[k] * binned / fullest);
        heights[k] = std::min(barHeight(share, m), scaleY(m, highestMark));
    }
    return heights;
}

void buildTheoryOverlay(TheoryOverlay& overlay, const sf::Font& font, const ScreenMetrics& m)
{
    for (sf::RectangleShape& mark : overlay.marks)
    {
        mark.setFillColor(theoryRed);
        mark.setOutlineThickness(0.0f);
    }
    const sf::Vector2f topLeft = scalePoint(m, panelLeft, panelTop);
    const sf::Vector2f bottomRight = scalePoint(m, panelRight, panelBottom);
    overlay.panelArea = sf::FloatRect(topLeft, bottomRight - topLeft);

    sf::Text* captions[] = {&overlay.gapHeading, &overlay.ratioHeading, &overlay.theoryCaption, &overlay.meanCaption};
    for (std::size_t i = 0; i < captionTable.size(); ++i)
        makeText(*captions[i], font, captionTable[i].text, captionTable[i].x, captionTable[i].y, m, tableCharacterSize);
    makeText(overlay.theoryGap, font, L"", gapColumn, theoryRow, m, tableCharacterSize);
    makeText(overlay.theoryRatio, font, L"", ratioColumn, theoryRow, m, tableCharacterSize);
    makeText(overlay.meanGap, font, L"", gapColumn, meanRow, m, tableCharacterSize);
    makeText(overlay.meanRatio, font, L"", ratioColumn, meanRow, m, tableCharacterSize);
    for (sf::Text* text : {&overlay.theoryCaption, &overlay.theoryGap, &overlay.theoryRatio})
        text->setFillColor(theoryRed);
}

void setUpTheory(TheoryOverlay& overlay, const FreeGasPrediction* exact, NumberFormatter& formatNumber)
{
    overlay.known = exact != nullptr;
    if (exact)
    {
        overlay.exact = *exact;
        overlay.theoryGap.setString(asReadout(formatNumber, exact->gap));
        overlay.theoryRatio.setString(asReadout(formatNumber, exact->ratio));
    }
    overlay.gapSum = overlay.ratioSum = 0.0;
    overlay.ticks = 0;
    overlay.meanGap.setString(L"");
    overlay.meanRatio.setString(L"");
}

void addTickToTheory(TheoryOverlay& overlay, const GasCore::GapMoments& moments)
{
    overlay.gapSum += moments.mean;
    overlay.ratioSum += moments.mean > 0.0 ? moments.stdDev / moments.mean : 0.0;
    ++overlay.ticks;
}

void refreshTheoryMeans(TheoryOverlay& overlay, NumberFormatter& formatNumber)
{
    if (overlay.ticks == 0)
        return;
    const double ticks = static_cast<double>(overlay.ticks);
    overlay.meanGap.setString(asReadout(formatNumber, overlay.gapSum / ticks));
    overlay.meanRatio.setString(asReadout(formatNumber, overlay.ratioSum / ticks));
}

void drawTheoryOverlay(sf::RenderTarget& target, TheoryOverlay& overlay, const GasModel& gas)
{
    const ScreenMetrics& m = gas.core().metrics();
    const std::array<float, histogramBins> heights = theoryMarkHeights(overlay.exact.shares, gas.core().binTotals(), m);
    const float thickness = std::max(thinnestMark, scaleY(m, markThickness));
    const float base = scaleY(m, barsBaseReference);
    const int bins = std::min(gas.core().binCount(), histogramBins);
    for (int k = 0; k < bins; ++k)
    {
        // Across the bar's own width: a bar reaches left and up from its position.
        const sf::RectangleShape& bar = gas.barShapes()[static_cast<std::size_t>(k)];
        sf::RectangleShape& mark = overlay.marks[static_cast<std::size_t>(k)];
        const sf::Vector2f size(bar.getSize().x, thickness);
        if (mark.getSize() != size)
            mark.setSize(size);
        // Centred on the height, but never below the base line.
        const float top = std::min(base - heights[static_cast<std::size_t>(k)] - thickness / 2.0f, base - thickness);
        mark.setPosition(bar.getPosition().x - size.x, top);
        drawOpaque(target, mark);
    }
    for (const sf::Text* text : {&overlay.gapHeading, &overlay.ratioHeading, &overlay.theoryCaption, &overlay.theoryGap,
                                 &overlay.theoryRatio, &overlay.meanCaption, &overlay.meanGap, &overlay.meanRatio})
        target.draw(*text);
}
