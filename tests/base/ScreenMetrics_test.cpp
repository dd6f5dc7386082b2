#include "base/ScreenMetrics.hpp"

#include <gtest/gtest.h>

namespace
{
struct Desktop
{
    unsigned width, height;
    unsigned size36, size34, size26; // label, axis caption and exponent character sizes
};

class ScreenMetricsAt : public ::testing::TestWithParam<Desktop>
{
};

TEST_P(ScreenMetricsAt, CharacterSizesFollowTheWidthAndAreTruncated)
{
    const Desktop d = GetParam();
    const ScreenMetrics m = makeScreenMetrics(d.width, d.height);
    EXPECT_EQ(scaleCharacterSize(m, 36), d.size36);
    EXPECT_EQ(scaleCharacterSize(m, 34), d.size34);
    EXPECT_EQ(scaleCharacterSize(m, 26), d.size26);
}

TEST_P(ScreenMetricsAt, LimitsDependOnTheWidthOnly)
{
    const Desktop d = GetParam();
    const ScreenMetrics m = makeScreenMetrics(d.width, d.height);
    const ScreenMetrics otherHeight = makeScreenMetrics(d.width, d.height * 2 + 17);
    EXPECT_EQ(m.screenWidth, static_cast<float>(d.width));
    EXPECT_EQ(m.screenHeight, static_cast<float>(d.height));
    EXPECT_EQ(m.maxTotalWidth, otherHeight.maxTotalWidth);
    EXPECT_EQ(m.maxSpeed, otherHeight.maxSpeed);
    EXPECT_EQ(m.maxAcceleration, otherHeight.maxAcceleration);
    // All three are proportional to the width: 500 px, 0.08 px/ms, 0.001 px/ms^2 at 1920.
    const double widthRatio = d.width / 1920.0;
    EXPECT_NEAR(m.maxTotalWidth, 500.0 * widthRatio, 1e-4);
    EXPECT_NEAR(m.maxSpeed, 0.08 * widthRatio, 1e-15);
    EXPECT_NEAR(m.maxAcceleration, 0.001 * widthRatio, 1e-17);
}

INSTANTIATE_TEST_SUITE_P(Desktops, ScreenMetricsAt,
                         ::testing::Values(Desktop{1920, 1080, 36, 34, 26}, Desktop{1280, 720, 24, 22, 17},
                                           Desktop{1366, 768, 25, 24, 18}, Desktop{3840, 2160, 72, 68, 52},
                                           Desktop{2560, 1080, 48, 45, 34}),
                         [](const ::testing::TestParamInfo<Desktop>& info)
                         { return std::to_string(info.param.width) + "x" + std::to_string(info.param.height); });

TEST(ScreenMetrics, ReferenceDesktopKeepsEveryReferenceValue)
{
    const ScreenMetrics m = makeScreenMetrics(1920, 1080);
    EXPECT_EQ(m.maxTotalWidth, 500.0);
    EXPECT_DOUBLE_EQ(m.maxSpeed, 0.08);
    EXPECT_DOUBLE_EQ(m.maxAcceleration, 0.001);
    for (float v : {0.0f, 0.1f, 22.0f, 450.0f, 1854.0f, 1920.0f})
    {
        EXPECT_EQ(scaleX(m, v), v);
        EXPECT_EQ(scaleY(m, v), v);
    }
}

TEST(ScreenMetrics, WidestRowIsFormedInSinglePrecision)
{
    const ScreenMetrics m = makeScreenMetrics(1280, 720);
    EXPECT_EQ(m.maxTotalWidth, static_cast<double>(333.33334f));
    EXPECT_NE(m.maxTotalWidth, 1280.0 * 500.0 / 1920.0); // not the double-precision quotient
}

TEST(ScreenMetrics, RatesAreFormedInDoublePrecision)
{
    const ScreenMetrics m = makeScreenMetrics(1280, 720);
    EXPECT_NEAR(m.maxSpeed, 0.0533333333333333, 1e-15);
    EXPECT_NEAR(m.maxAcceleration, 0.000666666666666667, 1e-17);
    EXPECT_NE(m.maxSpeed, static_cast<double>(1280.0f * 0.08f / 1920.0f));

    const ScreenMetrics big = makeScreenMetrics(3840, 2160);
    EXPECT_DOUBLE_EQ(big.maxSpeed, 0.16);
    EXPECT_DOUBLE_EQ(big.maxAcceleration, 0.002);
    EXPECT_EQ(big.maxTotalWidth, 1000.0);
}

TEST(ScreenMetrics, ScalingMultipliesBeforeDividing)
{
    // Pairs where dividing first gives a different float.
    const ScreenMetrics hd = makeScreenMetrics(1280, 720);
    EXPECT_EQ(scaleX(hd, 370.0f), 246.666672f);
    EXPECT_NE(scaleX(hd, 370.0f), 370.0f / 1920.0f * 1280.0f);
    EXPECT_EQ(scaleY(hd, 70.0f), 46.6666679f);
    EXPECT_NE(scaleY(hd, 70.0f), 70.0f / 1080.0f * 720.0f);
    EXPECT_EQ(scaleY(hd, 1016.0f), 677.333313f);

    // Fractional reference sizes are kept, not rounded.
    const ScreenMetrics laptop = makeScreenMetrics(1366, 768);
    EXPECT_EQ(scaleX(laptop, 0.1f), 0.07114584f);
    EXPECT_GT(scaleY(laptop, 0.1f), 0.0f);
}

TEST(ScreenMetrics, AxesScaleIndependently)
{
    // A wide desktop stretches horizontal values by 4/3 and leaves heights as authored.
    const ScreenMetrics wide = makeScreenMetrics(2560, 1080);
    EXPECT_EQ(scaleX(wide, 1920.0f), 2560.0f);
    EXPECT_EQ(scaleX(wide, 450.0f), 600.0f);
    EXPECT_EQ(scaleX(wide, 64.0f), 64.0f * 4.0f / 3.0f);
    EXPECT_EQ(scaleY(wide, 64.0f), 64.0f);
    EXPECT_EQ(scaleY(wide, 1080.0f), 1080.0f);

    const ScreenMetrics big = makeScreenMetrics(3840, 2160);
    EXPECT_EQ(scaleX(big, 478.0f), 956.0f);
    EXPECT_EQ(scaleY(big, 64.0f), 128.0f);
}
} // namespace
