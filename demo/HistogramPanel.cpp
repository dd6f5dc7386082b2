#include "demo/HistogramPanel.hpp"

#include <algorithm>
#include <cmath>

namespace
{
struct TextRow
{
    const wchar_t* text;
    float x, y;
};

constexpr unsigned axisTitleSize = 34;

constexpr std::array<TextRow, 4> xAxisTitleTable = {{
    {L"Расстояния", 1703, 920},
    {L"между", 1703, 956},
    {L"соседними", 1703, 992},
    {L"частицами R", 1703, 1028},
}};
constexpr std::array<TextRow, 3> yAxisTitleTable = {{
    {L"Число", 836, 563},
    {L"попаданий R", 818, 597},
    {L"в интервалы", 818, 631},
}};
// The "c" opening "(cтандартное" is the Latin letter, as the program has always shown it.
constexpr std::array<TextRow, 3> sigmaCaptionTable = {{
    {L"sigma", 458, 770},
    {L"(cтандартное", 400, 805},
    {L"отклонение)", 415, 840},
}};

constexpr float axisLeft = 800.0f;  // reference pixels: where both axes begin
constexpr int binTickLabelStep = 4; // every fourth bar is numbered
} // namespace

float binTickMarkX(int k) { return barsLeft + static_cast<float>(k) * histogramSpan / histogramBins; }
float countTickMarkY(int k) { return barsBaseReference - static_cast<float>(k) * tallestBarReference / histogramBins; }
float binTickLabelX(int i) { return axisLeft + static_cast<float>(i) * histogramSpan / histogramBins; }

double gapRatio(double sigma, double mean) { return std::round(sigma * 100.0 / mean) / 100.0; }

void buildHistogramPanel(HistogramPanel& panel, const sf::Font& font, const ScreenMetrics& m,
                         NumberFormatter& formatNumber)
{
    makeBar(panel.histogramXAxis, axisLeft, barsBaseReference, 896, 6, m);
    makeBar(panel.histogramYAxis, 800, 643, 6, 390, m);
    for (std::size_t i = 0; i < panel.binTickMarks.size(); ++i)
    {
        const int k = static_cast<int>(i) + 1;
        makeBar(panel.binTickMarks[i], binTickMarkX(k), 1026, 3, 20, m);
        makeBar(panel.countTickMarks[i], 793, countTickMarkY(k), 20, 3, m);
    }

    for (std::size_t i = 0; i < xAxisTitleTable.size(); ++i)
        makeText(panel.xAxisTitle[i], font, xAxisTitleTable[i].text, xAxisTitleTable[i].x, xAxisTitleTable[i].y, m,
                 axisTitleSize);
    for (std::size_t i = 0; i < yAxisTitleTable.size(); ++i)
        makeText(panel.yAxisTitle[i], font, yAxisTitleTable[i].text, yAxisTitleTable[i].x, yAxisTitleTable[i].y, m,
                 axisTitleSize);
    for (std::size_t i = 0; i < panel.binTickLabels.size(); ++i)
    {
        const int bar = static_cast<int>(i) * binTickLabelStep;
        makeText(panel.binTickLabels[i], font, formatNumber(bar), binTickLabelX(bar), 1041, m);
    }
    // 20 reference pixels above the top count mark at 703.
    // 20 reference pixels above the tallest bar's top.
    makeText(panel.maxCountLabel, font, L"", 752, barsBaseReference - 20.0f - tallestBarReference, m);

    makeText(panel.meanCaption, font, L"E (среднее)", 410, 700, m);
    makeText(panel.meanText, font, L"", 650, 700, m);
    for (std::size_t i = 0; i < sigmaCaptionTable.size(); ++i)
        makeText(panel.sigmaCaption[i], font, sigmaCaptionTable[i].text, sigmaCaptionTable[i].x, sigmaCaptionTable[i].y,
                 m);
    makeText(panel.sigmaText, font, L"", 650, 805, m);
    makeText(panel.ratioCaption, font, L"sigma / E", 400, 910, m);
    makeText(panel.ratioText, font, L"", 650, 910, m);
}

void refreshReadouts(HistogramPanel& panel, const GasModel& gas, NumberFormatter& formatNumber, PaceClock& readoutClock)
{
    const GasCore& core = gas.core();
    const double mean = core.meanGap();
    const double sigma = core.gapStdDev();
    panel.meanText.setString(formatNumber(mean));
    panel.sigmaText.setString(formatNumber(sigma));
    panel.ratioText.setString(formatNumber(gapRatio(sigma, mean)));
    panel.maxCountLabel.setString(formatNumber(core.maxBinCount()));
    readoutClock.restart();
}

void drawHistogramPanel(sf::RenderTarget& target, const HistogramPanel& panel, const GasModel& gas)
{
    target.draw(panel.meanCaption);
    target.draw(panel.sigmaCaption[1]);
    target.draw(panel.meanText);
    target.draw(panel.sigmaText);
    target.draw(panel.ratioCaption);
    target.draw(panel.ratioText);
    target.draw(panel.sigmaCaption[0]);
    target.draw(panel.sigmaCaption[2]);

    drawOpaque(target, panel.histogramXAxis);
    drawOpaque(target, panel.histogramYAxis);

    for (const sf::Text& line : panel.xAxisTitle)
        target.draw(line);
    for (const sf::Text& line : panel.yAxisTitle)
        target.draw(line);

    for (const sf::RectangleShape& particle : gas.particleShapes())
        drawOpaque(target, particle);

    // The model always has 16 bins after set-up; the marks are made for 16.
    const int bins = std::min(gas.core().binCount(), histogramBins);
    for (int i = 0; i < bins; ++i)
    {
        drawOpaque(target, gas.barShapes()[static_cast<std::size_t>(i)]);
        drawOpaque(target, panel.binTickMarks[static_cast<std::size_t>(i)]);
        drawOpaque(target, panel.countTickMarks[static_cast<std::size_t>(i)]);
    }

    const int labels =
        std::min((gas.core().binCount() + 1) / binTickLabelStep, static_cast<int>(panel.binTickLabels.size()));
    for (int i = 0; i < labels; ++i)
        target.draw(panel.binTickLabels[static_cast<std::size_t>(i)]);

    target.draw(panel.maxCountLabel);
}
