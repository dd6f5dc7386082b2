#include "sim/GasSettings.hpp"

#include <gtest/gtest.h>

namespace
{
TEST(GasSettings, WidestParticleFillsTheRowAsTheWidthKnobDoes)
{
    struct Case
    {
        int count;
        double rowWidth;
        int widest;
    };
    const Case cases[] = {
        {2, 500.0, 250},     // the width range's upper end
        {15, 500.0, 33},     // 33.33 + 0.13
        {30, 500.0, 16},     // 16.67 + 0.13
        {23, 500.0, 21},     // 21.74 + 0.13 stays below 22
        {30, 333.33334, 11}, // a 1280-pixel-wide screen: 11.11 + 0.13
        {15, 1000.0, 66},    // a 3840-pixel-wide screen
        {maxParticles, 500.0, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(widestParticle(c.count, c.rowWidth), c.widest) << c.count << " in " << c.rowWidth;
}

TEST(GasSettings, DefaultsLieInTheirRanges)
{
    const GasSettings d = defaultGasSettings();
    EXPECT_TRUE(sliderCountRange.contains(d.count));
    EXPECT_TRUE(countRange.contains(sliderCountRange.lo) && countRange.contains(sliderCountRange.hi));
    EXPECT_TRUE(widthRange.contains(d.width) && d.width <= widestParticle(d.count));
    EXPECT_TRUE(temperatureRange.contains(d.temperature));
    EXPECT_TRUE(massRange.contains(d.mass));
    EXPECT_TRUE(coefficientRange.contains(d.C));
    EXPECT_EQ(massRange.clamp(0), 1);
    EXPECT_EQ(massRange.clamp(51), 50);
    EXPECT_EQ(massRange.clamp(7), 7);
}
} // namespace
