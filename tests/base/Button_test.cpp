#include "base/Button.hpp"

#include <SFML/Graphics/Font.hpp>

#include <gtest/gtest.h>

namespace
{
// The buttons as the program builds them; an unloaded font leaves the
// labels empty, which the geometry does not depend on.
struct BuiltButtons
{
    explicit BuiltButtons(unsigned width, unsigned height) : metrics(makeScreenMetrics(width, height))
    {
        buildButtons(buttons, font, metrics);
    }
    const sf::RectangleShape& rect(ButtonId id) const { return buttonAt(buttons, id).rectangle; }
    bool hit(ButtonId id, float x, float y) const { return isUnderPointer(rect(id), {x, y}); }

    ScreenMetrics metrics;
    sf::Font font;
    Buttons buttons;
};

TEST(ButtonTable, ScaledOnASmallerDesktop)
{
    const BuiltButtons b(1280, 720);
    const sf::RectangleShape& exit = b.rect(ButtonId::Exit);
    EXPECT_EQ(exit.getPosition(), sf::Vector2f(1280.0f * 20 / 1920, 660.0f));
    EXPECT_EQ(exit.getSize(), sf::Vector2f(240.0f, 720.0f * 64 / 1080));
    EXPECT_EQ(exit.getOutlineThickness(), 2.0f); // outlines are not scaled
    EXPECT_EQ(buttonAt(b.buttons, ButtonId::Exit).label.getCharacterSize(), 24u);
    EXPECT_EQ(buttonAt(b.buttons, ButtonId::Exit).label.getPosition(), sf::Vector2f(96.0f, 665.333313f));
    EXPECT_EQ(b.rect(ButtonId::MenuAuthors).getPosition().x, 968.0f);
}

TEST(HitTest, OutlineBandCountsRightAndBottomEdgesDoNot)
{
    const BuiltButtons b(1920, 1080);
    // Exit: rectangle 20..380 x 990..1054, bounds with the outline 18..382 x 988..1056.
    EXPECT_TRUE(b.hit(ButtonId::Exit, 18.0f, 988.0f));   // top-left corner of the outline band
    EXPECT_TRUE(b.hit(ButtonId::Exit, 19.0f, 1000.0f));  // left band
    EXPECT_TRUE(b.hit(ButtonId::Exit, 381.9f, 1055.9f)); // just inside the far corner
    EXPECT_FALSE(b.hit(ButtonId::Exit, 17.9f, 1000.0f));
    EXPECT_FALSE(b.hit(ButtonId::Exit, 100.0f, 987.9f));
    EXPECT_FALSE(b.hit(ButtonId::Exit, 382.0f, 1000.0f)); // right edge of the bounds
    EXPECT_FALSE(b.hit(ButtonId::Exit, 100.0f, 1056.0f)); // bottom edge of the bounds

    // Neighbouring menu items leave a 2-pixel gap between their outline bands.
    EXPECT_TRUE(b.hit(ButtonId::MenuStartPage, 479.0f, 30.0f));
    EXPECT_FALSE(b.hit(ButtonId::MenuStartPage, 480.0f, 30.0f));
    EXPECT_FALSE(b.hit(ButtonId::MenuDemonstration, 481.9f, 30.0f));
    EXPECT_TRUE(b.hit(ButtonId::MenuDemonstration, 482.0f, 30.0f));
    // The first item's band reaches two pixels beyond the window's top-left corner.
    EXPECT_TRUE(b.hit(ButtonId::MenuStartPage, -2.0f, -2.0f));
    EXPECT_FALSE(b.hit(ButtonId::MenuStartPage, -3.0f, 10.0f));
}

TEST(HitTest, AtMostOneButtonUnderAnyPointer)
{
    for (const auto& size : {sf::Vector2u(1920, 1080), sf::Vector2u(1280, 720), sf::Vector2u(2560, 1080)})
    {
        const BuiltButtons b(size.x, size.y);
        for (unsigned y = 0; y < size.y; y += 3)
            for (unsigned x = 0; x < size.x; x += 3)
            {
                int under = 0;
                for (const Button& button : b.buttons)
                    under += isUnderPointer(button.rectangle, {float(x), float(y)}) ? 1 : 0;
                ASSERT_LE(under, 1) << x << "," << y;
            }
    }
}

TEST(HitTest, ScaledBoundsOnAStretchedDesktop)
{
    // 2560 x 1080: attraction spans 1200..1680 horizontally, 290..354 vertically.
    const BuiltButtons b(2560, 1080);
    EXPECT_TRUE(b.hit(ButtonId::Attraction, 1198.0f, 288.0f));
    EXPECT_TRUE(b.hit(ButtonId::Attraction, 1681.5f, 355.5f));
    EXPECT_FALSE(b.hit(ButtonId::Attraction, 1682.0f, 300.0f));
    EXPECT_FALSE(b.hit(ButtonId::Attraction, 1300.0f, 356.0f));
    EXPECT_FALSE(b.hit(ButtonId::Attraction, 1197.9f, 300.0f));
}

TEST(HitTest, PentagonCountsItsWholeBoundingBox)
{
    const ScreenMetrics m = makeScreenMetrics(1920, 1080);
    sf::ConvexShape thumb;
    makePentagon(thumb, 1854, 70, m);
    // The lower corners are cut away from the drawn shape but still count.
    EXPECT_TRUE(isUnderPointer(thumb, {1856.0f, 132.0f}));
    EXPECT_TRUE(isUnderPointer(thumb, {1852.0f, 68.0f}));
    EXPECT_TRUE(isUnderPointer(thumb, {1919.9f, 135.9f}));
    EXPECT_FALSE(isUnderPointer(thumb, {1920.0f, 100.0f}));
    // The outline's mitred tip reaches 2 * sqrt(2) pixels below the point at y = 134.
    EXPECT_TRUE(isUnderPointer(thumb, {1880.0f, 136.8f}));
    EXPECT_FALSE(isUnderPointer(thumb, {1880.0f, 136.9f}));
}

TEST(HoverFill, HoverWinsThenSelectionThenWhite)
{
    EXPECT_EQ(hoverFill(true, false), sf::Color(224, 238, 238));
    EXPECT_EQ(hoverFill(true, true), sf::Color(224, 238, 238));
    EXPECT_EQ(hoverFill(false, true), sf::Color(192, 192, 192));
    EXPECT_EQ(hoverFill(false, false), sf::Color(255, 255, 255));
    EXPECT_EQ(hoverFill(false, true).a, 255);
    EXPECT_EQ(hoverFill(true, false).a, 255);
}
} // namespace
