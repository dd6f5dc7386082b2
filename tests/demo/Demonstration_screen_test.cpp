#include "support/ScreenFixture.hpp"

#include <gtest/gtest.h>

namespace
{
const sf::Color white(255, 255, 255);
const sf::Color black(0, 0, 0);
const sf::Color hovered(224, 238, 238);
const sf::Color grey(192, 192, 192);
const sf::Color blue(0, 0, 255);

// Reference-pixel points on the demonstration screen's controls.
constexpr float menuDemonstration[] = {700, 30};
constexpr float startButton[] = {200, 672};
constexpr float pauseButton[] = {200, 742};
constexpr float resetButton[] = {200, 812};
constexpr float attractionButton[] = {1100, 322};
constexpr float repulsionButton[] = {1100, 392};
constexpr float lennardJonesButton[] = {1100, 462};
constexpr float nowhere[] = {1100, 150}; // inside the gas channel, no control

struct Demonstration : ScreenFixture
{
    explicit Demonstration(unsigned width = 1920, unsigned height = 1080) : ScreenFixture(width, height)
    {
        click(menuDemonstration);
        EXPECT_EQ(app().screen, Screen::Demonstration);
    }
    using ScreenFixture::at;
    using ScreenFixture::click;
    using ScreenFixture::press;
    using ScreenFixture::release;
    sf::Vector2i at(const float (&p)[2]) const { return at(p[0], p[1]); }
    void click(const float (&p)[2]) { click(at(p)); }
    void press(const float (&p)[2]) { press(at(p)); }
    sf::Color pixelAt(float x, float y) { return pixel(at(x, y)); }

    // Whether any pixel of a small window-pixel square around a reference point is black.
    bool blackNear(float x, float y, int radius = 2)
    {
        const sf::Vector2i c = at(x, y);
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (pixel({c.x + dx, c.y + dy}) == black)
                    return true;
        return false;
    }
    // The centre of particle i, window pixels.
    sf::Vector2i particleCentre(int i)
    {
        const sf::RectangleShape& shape = app().gas.particleShapes()[i];
        const sf::Vector2f centre = shape.getPosition() + shape.getSize() / 2.0f;
        return {static_cast<int>(centre.x), static_cast<int>(centre.y)};
    }
    RunPhase phase() { return runPhase(app().run); }
    Slider& slider(SliderRow row) { return sliderAt(app().sliders, row); }
};

TEST(DemonstrationScreen, RoadOfOnePress)
{
    Demonstration f;
    f.run(400);
    f.click(pauseButton);
    ASSERT_EQ(f.phase(), RunPhase::Paused);
    EXPECT_FALSE(f.app().gas.core().isRunning()); // paused in the frame of the press, after the events

    // While paused nothing moves and the readouts stay.
    const std::vector<double> frozen = f.app().gas.core().positions();
    const sf::String meanWhilePaused = f.app().histogram.meanText.getString();
    f.run(500);
    EXPECT_EQ(f.app().gas.core().positions(), frozen);
    EXPECT_EQ(f.app().histogram.meanText.getString(), meanWhilePaused);

    // Drag the temperature knob 100 pixels to the right.
    f.press(f.at(600, 450));
    Slider& temperature = f.slider(SliderRow::Temperature);
    ASSERT_TRUE(temperature.dragging);
    f.moveTo(f.at(650, 450));
    f.moveTo(f.at(700, 450));
    EXPECT_EQ(temperature.knob.getPosition().x, 683.0f);
    f.release(f.at(700, 450));
    EXPECT_FALSE(temperature.dragging);
    EXPECT_EQ(f.app().settings.temperature, 46);
    EXPECT_EQ(temperature.value.getString(), "46");
    EXPECT_TRUE(f.app().run.needsSetup);

    // Start: the gas is set up again at once, evenly spread and at rest.
    f.app().histogram.meanText.setString("old");
    f.press(startButton);
    EXPECT_EQ(f.phase(), RunPhase::Running);
    EXPECT_FALSE(f.app().run.needsSetup);
    ASSERT_EQ(f.app().gas.core().particleCount(), 15);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(f.app().gas.core().positions()[static_cast<std::size_t>(i)], 120.0 * (i + 1));
    f.release(f.at(startButton));

    // The readouts refresh on the first frame more than 100 ms after the press:
    // frames of 16 ms reach 112 ms at the seventh.
    for (int frame = 2; frame <= 6; ++frame)
    {
        f.frame();
        EXPECT_EQ(f.app().histogram.meanText.getString(), "old") << frame;
    }
    f.frame();
    NumberFormatter formatNumber;
    EXPECT_EQ(f.app().histogram.meanText.getString(), formatNumber(f.app().gas.core().meanGap()));
    EXPECT_EQ(f.app().readoutClock.wholeMilliseconds(), 0);
    EXPECT_NE(f.app().gas.core().positions(), frozen);
}

TEST(DemonstrationScreen, ReadoutsRefreshOnlyAfterMoreThan100Ms)
{
    Demonstration f;
    f.click(pauseButton);
    f.app().histogram.sigmaText.setString("old");
    f.frame(f.at(startButton),
            {ScreenFixture::mouseButton(sf::Event::MouseButtonPressed, f.at(startButton), sf::Mouse::Left)}, 50);
    f.frame(50);
    f.frame(50); // exactly 100 ms: not yet
    EXPECT_EQ(f.app().histogram.sigmaText.getString(), "old");
    f.frame(1);
    EXPECT_NE(f.app().histogram.sigmaText.getString(), "old");
}

TEST(DemonstrationScreen, ResetEmptiesTheChannelAndHidesThePanel)
{
    Demonstration f;
    f.run(100);
    const sf::Vector2i particle = f.particleCentre(0);
    EXPECT_EQ(f.pixel(particle), blue);
    EXPECT_EQ(f.pixelAt(1000, 1035), black); // x axis of the histogram
    EXPECT_EQ(f.pixelAt(802, 800), black);   // y axis

    f.click(resetButton);
    EXPECT_EQ(f.phase(), RunPhase::Stopped);
    f.frame();
    EXPECT_EQ(f.pixel(particle), white);
    for (int i = 0; i < f.app().gas.core().particleCount(); ++i)
        EXPECT_EQ(f.pixel(f.particleCentre(i)), white) << i;
    EXPECT_EQ(f.pixelAt(1000, 1035), white);
    EXPECT_EQ(f.pixelAt(802, 800), white);

    // The channel, the controls and the potential graph stay.
    EXPECT_EQ(f.pixelAt(960, 69), black);   // channel outline
    EXPECT_EQ(f.pixelAt(19, 672), black);   // Start box outline
    EXPECT_EQ(f.pixelAt(898, 532), black);  // Zero button outline
    EXPECT_TRUE(f.blackNear(600, 356, 1));  // count track
    EXPECT_EQ(f.pixelAt(1351, 500), black); // U axis
    EXPECT_EQ(f.pixelAt(1600, 691), black); // R axis of Zero

    // Reset keeps the model as it was until the next Start.
    const std::vector<double> kept = f.app().gas.core().positions();
    f.run(200);
    EXPECT_EQ(f.app().gas.core().positions(), kept);
    f.press(startButton);
    EXPECT_EQ(f.phase(), RunPhase::Running);
    EXPECT_EQ(f.app().gas.core().positions()[0], 120.0); // set up afresh
    EXPECT_EQ(f.pixelAt(1000, 1035), black);
}

TEST(DemonstrationScreen, PotentialPressIgnoredWhileRunningTakesEffectAtOnceWhenStopped)
{
    Demonstration f;
    f.click(attractionButton);
    EXPECT_EQ(f.app().settings.law, PotentialKind::Zero);
    EXPECT_EQ(f.pixelAt(1600, 691), black); // axis of Zero
    EXPECT_EQ(f.pixelAt(1600, 341), white);

    f.click(resetButton);
    f.press(attractionButton);
    EXPECT_EQ(f.app().settings.law, PotentialKind::Attraction);
    EXPECT_TRUE(f.app().run.needsSetup);
    // Same frame: the axis at 340 and the curve U = -C/R below it (R = 150: y = 344 + 2200 / 150).
    EXPECT_EQ(f.pixelAt(1600, 341), black);
    EXPECT_EQ(f.pixelAt(1600, 691), white);
    EXPECT_TRUE(f.blackNear(1500, 358.67f));
    EXPECT_FALSE(f.blackNear(1500, 500));
    EXPECT_EQ(f.pixelAt(905, 300), grey); // the pressed look, until the next event

    f.click(repulsionButton); // R = 150: y = 690 - 2200 / 150
    EXPECT_TRUE(f.blackNear(1500, 675.33f));
    EXPECT_EQ(f.pixelAt(1600, 691), black);
    EXPECT_EQ(f.pixelAt(1600, 341), white);

    f.click(lennardJonesButton); // the well's bottom for C = 1
    EXPECT_EQ(f.pixelAt(1600, 531), black);
    EXPECT_TRUE(f.blackNear(1424.5f, 560));
    EXPECT_FALSE(f.blackNear(1424.5f, 680));

    // Dragging C to 5 deepens the well, while stopped. The graph is drawn
    // before the sliders move, so it follows on the next frame.
    f.press(f.at(470, 590));
    ASSERT_TRUE(f.slider(SliderRow::CoefficientC).dragging);
    f.moveTo(f.at(716, 590));
    EXPECT_EQ(f.app().settings.C, 5);
    EXPECT_TRUE(f.blackNear(1424.5f, 560));
    f.frame();
    EXPECT_TRUE(f.blackNear(1424.5f, 680));
    EXPECT_FALSE(f.blackNear(1424.5f, 560));
    EXPECT_EQ(f.slider(SliderRow::CoefficientC).value.getString(), "5");
    f.release(f.at(716, 590));
}

TEST(DemonstrationScreen, KnobPressesOnlyWhenPausedOrStopped)
{
    Demonstration f;
    Slider& count = f.slider(SliderRow::Count);
    f.press(f.at(600, 310));
    EXPECT_FALSE(count.dragging);
    EXPECT_EQ(count.knob.getFillColor(), hovered); // no disabled look
    f.moveTo(f.at(680, 310));
    EXPECT_EQ(count.knob.getPosition().x, 583.0f);
    EXPECT_EQ(f.app().settings.count, 15);
    f.release(f.at(680, 310));

    f.click(pauseButton);
    f.press(f.at(600, 310));
    EXPECT_TRUE(count.dragging);
    f.release(f.at(600, 310));
    EXPECT_EQ(f.app().settings.count, 16);
    EXPECT_EQ(f.app().settings.width, 16);

    f.click(resetButton);
    f.press(f.at(600, 450));
    EXPECT_TRUE(f.slider(SliderRow::Temperature).dragging);
    f.release(f.at(600, 450));
    EXPECT_EQ(f.app().settings.temperature, 26);
}

TEST(DemonstrationScreen, DragPastTheTrackEndLeavesTheKnobShort)
{
    Demonstration f;
    f.click(pauseButton);
    f.press(f.at(593, 310)); // 10 pixels right of the count knob's left edge
    f.moveTo(f.at(700, 310));
    Slider& count = f.slider(SliderRow::Count);
    EXPECT_EQ(count.knob.getPosition().x, 690.0f);
    f.moveTo(f.at(1000, 310));
    EXPECT_EQ(count.knob.getPosition().x, 690.0f);
    EXPECT_EQ(f.app().settings.count, 28);
    EXPECT_EQ(count.value.getString(), "28");
    EXPECT_EQ(f.slider(SliderRow::Width).maximumLabel.getString(), "17"); // 500 / 28
    // The knob is drawn where it stopped: its left outline at 688 ... 690.
    EXPECT_EQ(f.pixelAt(689, 300), black);
    EXPECT_EQ(f.pixelAt(582, 300), white);
    f.moveTo(f.at(716, 310));
    EXPECT_EQ(count.knob.getPosition().x, 706.0f);
    EXPECT_EQ(f.app().settings.count, 30);
    f.release(f.at(716, 310));
    EXPECT_EQ(count.knob.getFillColor(), white);
}

TEST(DemonstrationScreen, HoverAndSelectedColours)
{
    Demonstration f;
    f.moveTo(f.at(startButton));
    EXPECT_EQ(f.pixelAt(30, 690), hovered);
    EXPECT_EQ(f.pixelAt(910, 555), grey); // Zero, selected from start-up
    EXPECT_EQ(f.pixelAt(910, 345), white);

    f.moveTo(f.at(1100, 532));
    EXPECT_EQ(f.pixelAt(910, 555), hovered);
    EXPECT_EQ(f.pixelAt(30, 690), white);

    f.moveTo(f.at(nowhere));
    EXPECT_EQ(f.pixelAt(910, 555), grey);

    // A knob under the pointer takes the hover colour too.
    f.moveTo(f.at(600, 440));
    EXPECT_EQ(f.pixelAt(590, 440), hovered);
}

TEST(DemonstrationScreen, ValueTextsAndWidthRangeOnASmallDesktop)
{
    Demonstration f(1280, 720);
    EXPECT_EQ(f.slider(SliderRow::Width).value.getString(), "22");
    EXPECT_EQ(f.slider(SliderRow::Width).maximumLabel.getString(), "22"); // 333 / 15
    f.click(pauseButton);
    f.press(f.at(600, 380));
    ASSERT_TRUE(f.slider(SliderRow::Width).dragging);
    f.moveTo(f.at(720, 380)); // knob near 703 of 706
    EXPECT_EQ(f.app().settings.width, 22);
    f.moveTo(f.at(480, 380)); // knob near 463
    EXPECT_EQ(f.app().settings.width, 1);
    f.release(f.at(480, 380));
    EXPECT_EQ(f.slider(SliderRow::Width).value.getString(), "1");
    f.click(startButton);
    EXPECT_FLOAT_EQ(static_cast<float>(f.app().gas.core().particleWidth()), 1280.0f / 1920.0f);
}
} // namespace

// velorin --theory: the red marks and values come with the option alone, and
// a left press in the histogram panel hides them, the next shows them again.
// Without the option the same press changes nothing.
TEST(DemonstrationScreen, APressInTheHistogramHidesAndShowsTheTheory)
{
    for (sf::Vector2u size : {sf::Vector2u{1920, 1080}, sf::Vector2u{1280, 720}})
        for (bool enabled : {true, false})
        {
            SCOPED_TRACE(testing::Message() << size.x << "x" << size.y << (enabled ? " --theory" : ""));
            Demonstration f(size.x, size.y);
            if (enabled)
                enableTheory(f.app());
            f.run(2000);
            // Window pixels of the exact red in the panel and in the values under the readouts.
            auto marks = [&] { return f.countPixels(theoryRed, 806, 643, 890, 395); };
            auto values = [&] { return f.countPixels(theoryRed, 400, 990, 395, 40); };
            EXPECT_EQ(marks() > 0, enabled);
            EXPECT_EQ(values() > 0, enabled);

            const sf::Vector2i inPanel = f.at(1200, 900);
            f.click(inPanel);
            EXPECT_EQ(f.phase(), RunPhase::Running);
            EXPECT_EQ(f.app().screen, Screen::Demonstration);
            EXPECT_EQ(marks(), 0);
            EXPECT_EQ(values(), 0);
            f.click(inPanel);
            EXPECT_EQ(marks() > 0, enabled);
            EXPECT_EQ(values() > 0, enabled);
        }
}
