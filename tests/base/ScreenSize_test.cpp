#include "base/ScreenSize.hpp"

#include <gtest/gtest.h>

namespace
{
struct Fit
{
    ScreenSize window, desktop, expected;
};

// A window too large for the desktop: the largest of its shape that fits,
// rounded down to whole pixels, never a pixel beyond the desktop.
TEST(LargestOfShapeOn, KeepsTheShapeWithinTheDesktop)
{
    const Fit fits[] = {
        {{1280, 720}, {1024, 768}, {1024, 576}},    // wider than the desktop: its width decides
        {{1280, 960}, {1366, 768}, {1024, 768}},    // taller: its height decides
        {{1366, 768}, {1280, 1024}, {1280, 719}},   // 719.6 rounded down
        {{7680, 4320}, {640, 480}, {640, 360}},     // the smallest window
        {{1920, 1080}, {1920, 1080}, {1920, 1080}}, // fits exactly: unchanged
        {{800, 600}, {1024, 768}, {800, 600}},
    };
    for (const Fit& f : fits)
    {
        const ScreenSize got = largestOfShapeOn(f.window, f.desktop);
        EXPECT_EQ(sizeText(got), sizeText(f.expected)) << sizeText(f.window) << " on " << sizeText(f.desktop);
    }
}
} // namespace
