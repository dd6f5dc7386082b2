#include "base/Layout.hpp"

#include <gtest/gtest.h>

// A white fill may be left out only where nothing drawn since the clear lies
// under it; edges that merely meet do not overlap.
TEST(DrawnAreas, TouchesOnlyWhatOverlaps)
{
    DrawnAreas drawn;
    drawn.add({100, 100, 50, 20});
    struct Row
    {
        sf::FloatRect area;
        bool touches;
    };
    const Row rows[] = {
        {{0, 0, 99, 99}, false},        // apart
        {{150, 100, 10, 20}, false},    // meets the right edge
        {{100, 120, 50, 5}, false},     // meets the bottom edge
        {{149.5f, 119.5f, 5, 5}, true}, // half a pixel over the corner
        {{110, 105, 5, 5}, true},       // inside
        {{0, 0, 500, 500}, true},       // around
    };
    for (const Row& row : rows)
        EXPECT_EQ(drawn.touches(row.area), row.touches)
            << row.area.left << ", " << row.area.top << ", " << row.area.width << " x " << row.area.height;
}

TEST(DrawnAreas, MoreAreasThanKeptCountAsEverywhere)
{
    DrawnAreas drawn;
    for (int i = 0; i < 100; ++i)
        drawn.add({static_cast<float>(10 * i), 0, 5, 5});
    EXPECT_TRUE(drawn.touches({5000, 5000, 1, 1}));
}
