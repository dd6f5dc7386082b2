#include "app/ShellProbes.hpp"

#include <gtest/gtest.h>

using namespace probe;

namespace
{
const TheoryScroll& scroll(ScreenFixture& f) { return f.app().pages.scroll; }
float thumbY(ScreenFixture& f) { return f.app().pages.thumb.getPosition().y; }

// The first black row below the track's top edge, down the middle of the
// track: the thumb's top outline once the thumb has left the top.
int thumbOutlineRow(ScreenFixture& f)
{
    const int x = static_cast<int>(scaleX(f.metrics(), 1886.0f));
    for (int y = static_cast<int>(scaleY(f.metrics(), 70.0f)) + 2; y < static_cast<int>(f.metrics().screenHeight); ++y)
        if (f.pixel({x, y}) == sf::Color::Black)
            return y;
    return -1;
}

sf::Event wheelEvent(ScreenFixture& f, float delta) { return ScreenFixture::wheelScrolled(delta, nowhere(f)); }

TEST(TheoryWheel, OneStepPerEventAndTheThumbFollows)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    f.wheel(-1.0f);
    EXPECT_EQ(scroll(f).imageY, 50.0f);
    EXPECT_NEAR(thumbY(f), 86.743f, 0.01f);
    EXPECT_EQ(f.app().pages.thumb.getPosition().x, 1854.0f);
    const sf::Sprite& image = f.app().pages.pictures[static_cast<int>(PictureId::Theory)].sprite;
    EXPECT_EQ(image.getPosition(), sf::Vector2f(370.0f, 50.0f));
    EXPECT_NEAR(thumbOutlineRow(f), 85, 1);

    // Several wheel events in one frame each move one step; the size of the delta does not matter.
    f.frame(nowhere(f), {wheelEvent(f, -3.0f), wheelEvent(f, -0.5f), wheelEvent(f, 1.0f)});
    EXPECT_EQ(scroll(f).imageY, 30.0f);

    f.frame(nowhere(f), {wheelEvent(f, 0.0f)});
    EXPECT_EQ(scroll(f).imageY, 30.0f);
    f.frame(nowhere(f), {wheelEvent(f, 1.0f), wheelEvent(f, 1.0f), wheelEvent(f, 1.0f)});
    EXPECT_EQ(scroll(f).imageY, 70.0f); // the third step up is refused at the top
    EXPECT_NEAR(thumbY(f), 70.0f, 1e-3f);
}

TEST(TheoryWheel, StopsAFullStepShortOfTheBottom)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    std::vector<sf::Event> wheelDown(60, wheelEvent(f, -1.0f));
    f.frame(nowhere(f), wheelDown);
    EXPECT_EQ(scroll(f).imageY, -1050.0f);
    EXPECT_NEAR(thumbY(f), 1007.63f, 0.01f);
    EXPECT_NEAR(thumbOutlineRow(f), 1006, 1);
}

TEST(TheoryWheel, OtherScreensIgnoreTheWheel)
{
    ScreenFixture f;
    for (Screen s : {Screen::StartPage, Screen::Demonstration, Screen::Authors})
    {
        show(f, s);
        f.wheel(-1.0f);
        f.wheel(1.0f);
        f.wheel(-1.0f);
        EXPECT_EQ(scroll(f).imageY, 70.0f);
        EXPECT_EQ(thumbY(f), 70.0f);
    }
    show(f, Screen::Theory);
    EXPECT_EQ(scroll(f).imageY, 70.0f);
}

TEST(TheoryDrag, ThumbFollowsThePointerWithinItsTravel)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    f.press(f.at(1886, 80)); // 10 pixels below the thumb's top edge
    ASSERT_TRUE(scroll(f).dragging);
    EXPECT_EQ(scroll(f).grabOffset, 10.0f);
    EXPECT_EQ(f.app().pages.thumb.getFillColor(), grey);
    EXPECT_EQ(thumbY(f), 70.0f);

    // The pointer moves without events (no hover pass): the thumb keeps its pressed grey.
    f.frame(f.at(1886, 510), {});
    EXPECT_EQ(thumbY(f), 500.0f);
    EXPECT_EQ(scroll(f).imageY, imageYForThumb(500.0f, f.metrics()));
    EXPECT_EQ(f.pixel(f.at(1886, 530)), grey);
    EXPECT_NEAR(thumbOutlineRow(f), 498, 1);

    f.frame(f.at(1886, 1026), {});
    EXPECT_EQ(thumbY(f), 1016.0f);
    EXPECT_EQ(scroll(f).imageY, -1060.0f);

    f.frame(f.at(1886, 80), {});
    EXPECT_EQ(thumbY(f), 70.0f);
    EXPECT_EQ(scroll(f).imageY, 70.0f);
}

TEST(TheoryDrag, StopsShortOutsideTheTravelAndIsNotClamped)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    f.press(f.at(1886, 80));
    f.frame(f.at(1886, 510), {});
    ASSERT_EQ(thumbY(f), 500.0f);
    const float image = scroll(f).imageY;

    // A fast flick past the bottom: the thumb stays at the last position inside.
    f.frame(f.at(1886, 1027), {});
    EXPECT_EQ(thumbY(f), 500.0f);
    EXPECT_EQ(scroll(f).imageY, image);
    f.frame(f.at(1886, 1079), {ScreenFixture::mouseMoved(f.at(1886, 1079))});
    EXPECT_EQ(thumbY(f), 500.0f);
    // And past the top.
    f.frame(f.at(1886, 79), {});
    EXPECT_EQ(thumbY(f), 500.0f);
    f.frame(f.at(1886, -50), {});
    EXPECT_EQ(thumbY(f), 500.0f);
    // Back in range it follows again.
    f.frame(f.at(1886, 300), {});
    EXPECT_EQ(thumbY(f), 290.0f);
}

TEST(TheoryDrag, ReleaseEndsTheDrag)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    f.press(f.at(1886, 80));
    f.frame(f.at(1886, 410), {});
    f.release(f.at(1886, 410));
    EXPECT_FALSE(scroll(f).dragging);
    // The release whitens the thumb after its own hover pass, pointer still on it.
    EXPECT_EQ(f.app().pages.thumb.getFillColor(), white);
    EXPECT_EQ(f.pixel(f.at(1886, 420)), white);
    f.frame(f.at(1886, 700), {});
    EXPECT_EQ(thumbY(f), 400.0f);
}

TEST(TheoryDrag, ReleaseOnAnotherScreenEndsIt)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    f.press(f.at(1886, 80));
    f.frame(f.at(1886, 210), {});
    ASSERT_EQ(thumbY(f), 200.0f);
    // A second press, on a menu item, while the button is still held down.
    f.press(inside(f, ButtonId::MenuStartPage));
    EXPECT_EQ(f.app().screen, Screen::StartPage);
    EXPECT_TRUE(scroll(f).dragging);
    // The drag update runs on the theory page only.
    f.frame(f.at(1886, 610), {});
    EXPECT_EQ(thumbY(f), 200.0f);
    f.release(f.at(1886, 610));
    EXPECT_FALSE(scroll(f).dragging);
    show(f, Screen::Theory);
    EXPECT_EQ(thumbY(f), 200.0f);
}

TEST(TheoryDrag, OnlyTheThumbStartsADrag)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    f.press(f.at(1886, 600)); // on the track below the thumb
    EXPECT_FALSE(scroll(f).dragging);
    f.frame(f.at(1886, 700), {});
    EXPECT_EQ(thumbY(f), 70.0f);
    // The thumb's bounding box counts, including the cut-away lower corners.
    f.press(f.at(1856, 133));
    EXPECT_TRUE(scroll(f).dragging);
}

TEST(TheoryPage, KeepsItsPositionAcrossScreens)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    for (int i = 0; i < 5; ++i)
        f.wheel(-1.0f);
    const float image = scroll(f).imageY;
    const float thumb = thumbY(f);
    const int row = thumbOutlineRow(f);
    ASSERT_EQ(image, -30.0f);
    for (Screen s : {Screen::StartPage, Screen::Demonstration, Screen::Authors})
    {
        show(f, s);
        f.run(100);
    }
    show(f, Screen::Theory);
    EXPECT_EQ(scroll(f).imageY, image);
    EXPECT_EQ(thumbY(f), thumb);
    EXPECT_EQ(thumbOutlineRow(f), row);
}

TEST(TheoryAt1280x720, ScaledStepAndTravel)
{
    ScreenFixture f(1280, 720);
    show(f, Screen::Theory);
    const float top = 720.0f * 70 / 1080;
    ASSERT_EQ(thumbY(f), top);
    f.wheel(-1.0f);
    EXPECT_NEAR(scroll(f).imageY, top - 13.3333f, 1e-3f);
    EXPECT_NEAR(thumbY(f) - top, 13.3333f / 1.19450f, 1e-3f);
    f.wheel(1.0f);
    EXPECT_EQ(scroll(f).imageY, top);

    // Thumb: x 1236 ... 1278.67, y 46.67 ... 89.33; bottom of its travel 677.33.
    f.press({1253, 60});
    ASSERT_TRUE(scroll(f).dragging);
    const float grab = scroll(f).grabOffset;
    EXPECT_NEAR(grab, 13.3333f, 1e-3f);
    f.frame({1253, 690}, {});
    EXPECT_EQ(thumbY(f), 690.0f - grab);
    EXPECT_NEAR(scroll(f).imageY, -705.87f, 0.01f); // two thirds of a thumb pixel short of the bottom
    f.frame({1253, 691}, {});                       // 677.67 would be below the bottom
    EXPECT_EQ(thumbY(f), 690.0f - grab);
    f.frame({1253, 60}, {});
    EXPECT_EQ(thumbY(f), top);
    EXPECT_EQ(scroll(f).imageY, top);
    f.frame({1253, 59}, {}); // 45.67 would be above the top
    EXPECT_EQ(thumbY(f), top);
}
} // namespace
