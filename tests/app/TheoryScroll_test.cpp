#include "app/Pages.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const ScreenMetrics fullHd = makeScreenMetrics(1920, 1080);
const ScreenMetrics hd = makeScreenMetrics(1280, 720);

constexpr float down = -1.0f; // a wheel turned towards the user scrolls the page down
constexpr float up = 1.0f;

TEST(TheoryScroll, StartsAtTheTopWithImageAndThumbAgreeing)
{
    const TheoryScroll s = initialTheoryScroll(fullHd);
    EXPECT_EQ(s.imageY, 70.0f);
    EXPECT_EQ(s.thumbY, 70.0f);
    EXPECT_FALSE(s.dragging);
    EXPECT_NEAR(thumbYForImage(s.imageY, fullHd), s.thumbY, 1e-3f);
    EXPECT_EQ(imageYForThumb(s.thumbY, fullHd), s.imageY);
    EXPECT_EQ(theoryTop(fullHd), 70.0f);
    EXPECT_EQ(theoryBottom(fullHd), 1016.0f);
}

TEST(TheoryScroll, WheelStepsOfTwentyPixelsStopShortOfTheLimit)
{
    TheoryScroll s = initialTheoryScroll(fullHd);
    float previousThumb = s.thumbY;
    for (int i = 1; i <= 56; ++i)
    {
        ASSERT_TRUE(scrollTheory(s, down, fullHd)) << "step " << i;
        EXPECT_EQ(s.imageY, 70.0f - 20.0f * i);
        // k is about -1.19450, so the thumb moves about 16.74 pixels a step.
        EXPECT_NEAR(s.thumbY - previousThumb, 16.743, 0.002);
        previousThumb = s.thumbY;
    }
    EXPECT_EQ(s.imageY, -1050.0f);
    EXPECT_NEAR(s.thumbY, 1007.63f, 0.01f);

    // -1070 would be below -1060: refused, and the step is not shortened.
    EXPECT_FALSE(scrollTheory(s, down, fullHd));
    EXPECT_EQ(s.imageY, -1050.0f);
    EXPECT_NEAR(s.thumbY, 1007.63f, 0.01f);

    // And back up to exactly the top.
    for (int i = 0; i < 56; ++i)
        ASSERT_TRUE(scrollTheory(s, up, fullHd));
    EXPECT_EQ(s.imageY, 70.0f);
    EXPECT_NEAR(s.thumbY, 70.0f, 1e-3f);
    EXPECT_FALSE(scrollTheory(s, up, fullHd));
}

TEST(TheoryScroll, UpAtTheTopAndZeroDeltaDoNothing)
{
    TheoryScroll s = initialTheoryScroll(fullHd);
    EXPECT_FALSE(scrollTheory(s, up, fullHd));
    EXPECT_EQ(s.imageY, 70.0f);
    EXPECT_EQ(s.thumbY, 70.0f);

    ASSERT_TRUE(scrollTheory(s, down, fullHd));
    const TheoryScroll before = s;
    EXPECT_FALSE(scrollTheory(s, 0.0f, fullHd));
    EXPECT_EQ(s.imageY, before.imageY);
    EXPECT_EQ(s.thumbY, before.thumbY);
}

// After a thumb drag the image may lie a hair off the wheel's grid: a step
// that would overshoot a limit by that hair is still refused, not shortened.
TEST(TheoryScroll, StepsOvershootingALimitByAHairAreRefused)
{
    TheoryScroll s = initialTheoryScroll(fullHd);
    s.imageY = -1040.001f;
    EXPECT_FALSE(scrollTheory(s, down, fullHd));
    s.imageY = 50.001f;
    EXPECT_FALSE(scrollTheory(s, up, fullHd));
    EXPECT_EQ(s.imageY, 50.001f);
}

TEST(TheoryScroll, TheSizeOfTheDeltaDoesNotMatter)
{
    TheoryScroll s = initialTheoryScroll(fullHd);
    ASSERT_TRUE(scrollTheory(s, -7.5f, fullHd));
    EXPECT_EQ(s.imageY, 50.0f);
    ASSERT_TRUE(scrollTheory(s, -0.01f, fullHd));
    EXPECT_EQ(s.imageY, 30.0f);
    ASSERT_TRUE(scrollTheory(s, 3.0f, fullHd));
    EXPECT_EQ(s.imageY, 50.0f);
}

TEST(TheoryScroll, ThumbToImageMapsTheTravelOntoTheImageRange)
{
    EXPECT_EQ(imageYForThumb(70.0f, fullHd), 70.0f);
    // Only the thumb at its lowest position shows the image at exactly -1060.
    EXPECT_EQ(imageYForThumb(1016.0f, fullHd), -1060.0f);
    EXPECT_NEAR(imageYForThumb(543.0f, fullHd), (70.0f - 1060.0f) / 2.0f, 1e-3f);
    // Outside the travel the image sits at its limits.
    EXPECT_EQ(imageYForThumb(69.9f, fullHd), 70.0f);
    EXPECT_EQ(imageYForThumb(-500.0f, fullHd), 70.0f);
    EXPECT_EQ(imageYForThumb(1016.1f, fullHd), -1060.0f);
    EXPECT_EQ(imageYForThumb(5000.0f, fullHd), -1060.0f);
}

TEST(TheoryScroll, ImageToThumbAndThumbToImageAgree)
{
    for (const ScreenMetrics* m : {&fullHd, &hd})
    {
        const float top = theoryTop(*m);
        const float bottom = theoryBottom(*m);
        for (float t = top; t <= bottom; t += 7.25f)
        {
            const float image = imageYForThumb(t, *m);
            EXPECT_GE(image, theoryLowest(*m));
            EXPECT_LE(image, top);
            EXPECT_NEAR(thumbYForImage(image, *m), t, 2e-3f) << "thumb " << t;
        }
        EXPECT_NEAR(thumbYForImage(theoryLowest(*m), *m), bottom, 2e-3f);
    }
}

TEST(TheoryScroll, DragFollowsThePointerInsideTheTravelOnly)
{
    TheoryScroll s = initialTheoryScroll(fullHd);
    s.dragging = true;
    s.grabOffset = 10.0f; // pressed 10 pixels below the thumb's top edge

    dragTheoryThumb(s, 510.0f, fullHd);
    EXPECT_EQ(s.thumbY, 500.0f);
    EXPECT_EQ(s.imageY, imageYForThumb(500.0f, fullHd));
    EXPECT_LT(s.imageY, 70.0f);

    // Both ends of the travel are reachable.
    dragTheoryThumb(s, 1026.0f, fullHd);
    EXPECT_EQ(s.thumbY, 1016.0f);
    EXPECT_EQ(s.imageY, -1060.0f);
    dragTheoryThumb(s, 80.0f, fullHd);
    EXPECT_EQ(s.thumbY, 70.0f);
    EXPECT_EQ(s.imageY, 70.0f);

    // Past the bottom the thumb stays at the last position inside, not at the limit.
    dragTheoryThumb(s, 1000.0f, fullHd);
    EXPECT_EQ(s.thumbY, 990.0f);
    const float imageAt990 = s.imageY;
    dragTheoryThumb(s, 1026.5f, fullHd);
    EXPECT_EQ(s.thumbY, 990.0f);
    EXPECT_EQ(s.imageY, imageAt990);
    dragTheoryThumb(s, 3000.0f, fullHd);
    EXPECT_EQ(s.thumbY, 990.0f);

    // Likewise above the top.
    dragTheoryThumb(s, 120.0f, fullHd);
    EXPECT_EQ(s.thumbY, 110.0f);
    dragTheoryThumb(s, 79.5f, fullHd);
    EXPECT_EQ(s.thumbY, 110.0f);
    dragTheoryThumb(s, -40.0f, fullHd);
    EXPECT_EQ(s.thumbY, 110.0f);
    EXPECT_EQ(s.imageY, imageYForThumb(110.0f, fullHd));
}

TEST(TheoryScroll, DragAfterWheelStartsFromTheWheelPosition)
{
    TheoryScroll s = initialTheoryScroll(fullHd);
    for (int i = 0; i < 10; ++i)
        scrollTheory(s, down, fullHd);
    EXPECT_EQ(s.imageY, -130.0f);
    // A pointer outside the travel leaves the wheel's thumb and re-derives the image from it.
    s.dragging = true;
    s.grabOffset = 0.0f;
    dragTheoryThumb(s, 2000.0f, fullHd);
    EXPECT_NEAR(s.imageY, -130.0f, 1e-3f);
}

TEST(TheoryScroll, ScaledStepOnA720PixelScreen)
{
    EXPECT_NEAR(theoryTop(hd), 46.6667f, 1e-4f);
    EXPECT_NEAR(theoryBottom(hd), 677.3333f, 1e-4f);
    TheoryScroll s = initialTheoryScroll(hd);
    ASSERT_TRUE(scrollTheory(s, down, hd));
    EXPECT_NEAR(theoryTop(hd) - s.imageY, 13.3333f, 1e-4f);

    // The picture at two thirds of its size ends at the window's bottom edge
    // with its top at 720 - 2140 * 2 / 3; as at 1920 x 1080, 56 steps stop
    // half a step short of that and the 57th is refused.
    int steps = 1;
    while (scrollTheory(s, down, hd))
        ++steps;
    EXPECT_EQ(steps, 56);
    EXPECT_NEAR(s.imageY, 720.0f - 1426.6667f + 6.6667f, 1e-3f);
    EXPECT_FLOAT_EQ(imageYForThumb(theoryBottom(hd), hd), theoryLowest(hd));
    EXPECT_NEAR(theoryLowest(hd), 720.0f - 1426.6667f, 1e-3f);
}

// On every desktop the picture lies left of the scrollbar, the thumb takes
// its bottom edge to the window's, and a wheel step is 20 of its 2140 rows.
TEST(TheoryScroll, WholePictureOnEveryDesktop)
{
    struct Case
    {
        unsigned width, height;
        float scale; // of the picture: fitted to the width or, on wide screens, the height
    };
    for (Case c : {Case{1024, 768, 1024.0f / 1920}, Case{1280, 800, 1280.0f / 1920}, Case{1366, 768, 768.0f / 1080},
                   Case{2560, 1080, 1.0f}, Case{2560, 1440, 2560.0f / 1920}, Case{3840, 2160, 2.0f}})
    {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const ScreenMetrics m = makeScreenMetrics(c.width, c.height);
        EXPECT_FLOAT_EQ(theoryScale(m), c.scale);
        EXPECT_LE(scaleX(m, 370.0f) + 1480.0f * c.scale, scaleX(m, 1854.0f) - outlineThickness);
        EXPECT_FLOAT_EQ(imageYForThumb(theoryBottom(m), m) + 2140.0f * c.scale, c.height);

        TheoryScroll s = initialTheoryScroll(m);
        ASSERT_TRUE(scrollTheory(s, down, m));
        EXPECT_FLOAT_EQ(theoryTop(m) - s.imageY, 20.0f * c.scale);
        int steps = 1;
        while (scrollTheory(s, down, m))
            ++steps;
        EXPECT_LT(s.imageY + 2140.0f * c.scale - c.height, 20.0f * c.scale); // the last line shows
        for (; steps > 0 && scrollTheory(s, up, m); --steps)
        {
        }
        EXPECT_EQ(steps, 0);
        EXPECT_EQ(s.imageY, theoryTop(m)); // back at the very top, whatever the rounding
    }
}
} // namespace
