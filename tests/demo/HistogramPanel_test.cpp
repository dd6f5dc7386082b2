#include "demo/HistogramPanel.hpp"

#include <SFML/Graphics/Font.hpp>

#include <gtest/gtest.h>

#include <limits>
#include <random>

namespace
{
const ScreenMetrics full = makeScreenMetrics(1920, 1080);

TEST(HistogramTicks, PositionsAtTheReferenceScreen)
{
    EXPECT_EQ(binTickMarkX(1), 857.875f);
    EXPECT_EQ(binTickMarkX(2), 910.75f);
    EXPECT_EQ(binTickMarkX(16), 1651.0f);
    EXPECT_EQ(countTickMarkY(1), 1012.375f);
    EXPECT_EQ(countTickMarkY(2), 991.75f);
    EXPECT_EQ(countTickMarkY(16), 703.0f);
    EXPECT_EQ(binTickLabelX(0), 800.0f);
    EXPECT_EQ(binTickLabelX(4), 1011.5f);
    EXPECT_EQ(binTickLabelX(8), 1223.0f);
    EXPECT_EQ(binTickLabelX(12), 1434.5f);
}

struct Panel
{
    explicit Panel(const ScreenMetrics& m) { buildHistogramPanel(panel, font, m, formatNumber); }
    sf::Font font;
    NumberFormatter formatNumber;
    HistogramPanel panel;
};

TEST(HistogramPanel, BuiltShapesAndTexts)
{
    Panel p(full);
    const HistogramPanel& h = p.panel;
    EXPECT_EQ(h.histogramXAxis.getPosition(), sf::Vector2f(800, 1033));
    EXPECT_EQ(h.histogramXAxis.getSize(), sf::Vector2f(896, 6));
    EXPECT_EQ(h.histogramYAxis.getPosition(), sf::Vector2f(800, 643));
    EXPECT_EQ(h.histogramYAxis.getSize(), sf::Vector2f(6, 390));
    EXPECT_EQ(h.histogramXAxis.getOutlineThickness(), 0.0f);
    for (std::size_t i = 0; i < 16; ++i)
    {
        EXPECT_EQ(h.binTickMarks[i].getPosition(), sf::Vector2f(857.875f + 52.875f * i, 1026));
        EXPECT_EQ(h.binTickMarks[i].getSize(), sf::Vector2f(3, 20));
        EXPECT_EQ(h.countTickMarks[i].getPosition(), sf::Vector2f(793, 1012.375f - 20.625f * i));
        EXPECT_EQ(h.countTickMarks[i].getSize(), sf::Vector2f(20, 3));
    }
    const char* tickLabels[] = {"0", "4", "8", "12"};
    const float tickLabelX[] = {800, 1011.5f, 1223, 1434.5f};
    for (std::size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(h.binTickLabels[i].getString(), tickLabels[i]);
        EXPECT_EQ(h.binTickLabels[i].getPosition(), sf::Vector2f(tickLabelX[i], 1041));
        EXPECT_EQ(h.binTickLabels[i].getCharacterSize(), 36u);
    }
    EXPECT_EQ(h.maxCountLabel.getPosition(), sf::Vector2f(752, 683));

    const wchar_t* xTitle[] = {L"Расстояния", L"между", L"соседними", L"частицами R"};
    for (std::size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(h.xAxisTitle[i].getString(), sf::String(xTitle[i]));
        EXPECT_EQ(h.xAxisTitle[i].getPosition(), sf::Vector2f(1703, 920 + 36.0f * i));
        EXPECT_EQ(h.xAxisTitle[i].getCharacterSize(), 34u);
    }
    EXPECT_EQ(h.yAxisTitle[0].getString(), sf::String(L"Число"));
    EXPECT_EQ(h.yAxisTitle[0].getPosition(), sf::Vector2f(836, 563));
    EXPECT_EQ(h.yAxisTitle[1].getString(), sf::String(L"попаданий R"));
    EXPECT_EQ(h.yAxisTitle[2].getString(), sf::String(L"в интервалы"));
    EXPECT_EQ(h.yAxisTitle[2].getPosition(), sf::Vector2f(818, 631));
    EXPECT_EQ(h.yAxisTitle[2].getCharacterSize(), 34u);

    EXPECT_EQ(h.meanCaption.getString(), sf::String(L"E (среднее)"));
    EXPECT_EQ(h.sigmaCaption[0].getString(), "sigma");
    // Latin c, then Cyrillic: the text as the lecture has always shown it.
    const sf::String standard = h.sigmaCaption[1].getString();
    EXPECT_EQ(standard, sf::String(L"(cтандартное"));
    EXPECT_EQ(standard[1], static_cast<sf::Uint32>(0x63));
    EXPECT_EQ(standard[2], static_cast<sf::Uint32>(0x442));
    EXPECT_EQ(h.sigmaCaption[2].getString(), sf::String(L"отклонение)"));
    EXPECT_EQ(h.sigmaCaption[1].getPosition(), sf::Vector2f(400, 805));
    EXPECT_EQ(h.ratioCaption.getString(), "sigma / E");
    EXPECT_EQ(h.ratioText.getPosition(), sf::Vector2f(650, 910));
    for (const sf::Text* empty : {&h.meanText, &h.sigmaText, &h.ratioText, &h.maxCountLabel})
        EXPECT_TRUE(empty->getString().isEmpty());
}

TEST(HistogramPanel, ScaledOnASmallerDesktop)
{
    Panel p(makeScreenMetrics(1366, 768));
    EXPECT_FLOAT_EQ(p.panel.binTickMarks[15].getPosition().x, 1366.0f * 1651 / 1920);
    EXPECT_FLOAT_EQ(p.panel.countTickMarks[15].getPosition().y, 768.0f * 703 / 1080);
    EXPECT_EQ(p.panel.meanText.getCharacterSize(), 25u);
    EXPECT_EQ(p.panel.xAxisTitle[0].getCharacterSize(), 24u);
}

TEST(ReadoutRatio, RoundsToHundredths)
{
    NumberFormatter formatNumber;
    EXPECT_EQ(formatNumber(gapRatio(0.37, 1.5)), "0.25"); // 24.666... rounds up
    EXPECT_EQ(formatNumber(gapRatio(1, 3)), "0.33");
    EXPECT_EQ(formatNumber(gapRatio(0.125, 1)), "0.13"); // 12.5: halfway, away from zero
    EXPECT_EQ(formatNumber(gapRatio(0, 1.88)), "0");
    EXPECT_EQ(formatNumber(gapRatio(0.5, 0)), "inf"); // no guard: shown as the stream writes it
    EXPECT_TRUE(std::isnan(gapRatio(0, 0)));
}

TEST(ReadoutRefresh, WritesTheModelsStatisticsAndRestartsTheClock)
{
    Panel p(full);
    GasModel gas(full, std::mt19937(7));
    gas.setup(22, 140, 15); // 15 particles 120 apart: every gap 98 pixels
    PaceClock readoutClock;
    readoutClock.advance(130);
    refreshReadouts(p.panel, gas, p.formatNumber, readoutClock);
    EXPECT_EQ(p.panel.meanText.getString(), "1.88");
    EXPECT_EQ(p.panel.sigmaText.getString(), "0");
    EXPECT_EQ(p.panel.ratioText.getString(), "0");
    EXPECT_EQ(p.panel.maxCountLabel.getString(), "0");
    EXPECT_EQ(readoutClock.wholeMilliseconds(), 0);

    // After one tick all 14 gaps fall into one bin.
    BondFlags bonded{};
    gas.resolveContacts();
    gas.applyForces(GasSettings{}, bonded);
    gas.step(20);
    gas.updateBarHeights();
    refreshReadouts(p.panel, gas, p.formatNumber, readoutClock);
    EXPECT_EQ(p.panel.maxCountLabel.getString(), "14");
    EXPECT_EQ(p.panel.meanText.getString(), p.formatNumber(gas.core().meanGap()));
    EXPECT_EQ(p.panel.ratioText.getString(), p.formatNumber(gapRatio(gas.core().gapStdDev(), gas.core().meanGap())));
}
} // namespace
