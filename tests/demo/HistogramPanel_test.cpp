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

// What the reference pictures cannot tell apart: the caption's Latin c,
// which draws as the Cyrillic one would.
TEST(HistogramPanel, SigmaCaptionKeepsItsLatinC)
{
    Panel p(full);
    const sf::String standard = p.panel.sigmaCaption[1].getString();
    ASSERT_GT(standard.getSize(), 2u);
    EXPECT_EQ(standard[1], static_cast<sf::Uint32>(0x63));
    EXPECT_EQ(standard[2], static_cast<sf::Uint32>(0x442));
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
