#include "demo/Slider.hpp"

#include <SFML/Graphics/Font.hpp>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const ScreenMetrics full = makeScreenMetrics(1920, 1080);
const ScreenMetrics small = makeScreenMetrics(1280, 720);

// A knob's left edge at a reference x, in window pixels.
float at(const ScreenMetrics& m, float referenceX) { return scaleX(m, referenceX); }

TEST(SliderMapping, EveryKnobAtBothEndsOfItsTrack)
{
    for (const ScreenMetrics& m : {full, small})
    {
        SCOPED_TRACE(m.screenWidth);
        // The knobs' ends are the ranges of the settings table.
        EXPECT_EQ(settingFromKnob(sliderCountRange, at(m, 460), m), sliderCountRange.lo);
        EXPECT_EQ(settingFromKnob(sliderCountRange, at(m, 706), m), sliderCountRange.hi);
        EXPECT_EQ(settingFromKnob(temperatureRange, at(m, 460), m), temperatureRange.lo);
        EXPECT_EQ(settingFromKnob(temperatureRange, at(m, 706), m), temperatureRange.hi);
        EXPECT_EQ(settingFromKnob(massRange, at(m, 460), m), massRange.lo);
        EXPECT_EQ(settingFromKnob(massRange, at(m, 706), m), massRange.hi);
        EXPECT_EQ(settingFromKnob(coefficientRange, at(m, 460), m), coefficientRange.lo);
        EXPECT_EQ(settingFromKnob(coefficientRange, at(m, 706), m), coefficientRange.hi);
        EXPECT_EQ(widthFromKnob(at(m, 460), 15, m), 1);
        // The widest particle is trunc(maxTotalWidth / count + 32 / 246).
        EXPECT_EQ(widthFromKnob(at(m, 706), 15, m), widestParticle(15, m.maxTotalWidth));
    }
}

TEST(SliderMapping, UntouchedKnobsMapAboveTheStartUpSettings)
{
    // The start-up settings 15, 22, 25, 25 are not derived from the knobs:
    // the first frame of a drag replaces them.
    EXPECT_EQ(settingFromKnob(sliderCountRange, 583, full), 16);
    EXPECT_EQ(widthFromKnob(583, 15, full), 17);
    EXPECT_EQ(widthFromKnob(583, 16, full), 16);
    EXPECT_EQ(settingFromKnob(temperatureRange, 583, full), 26);
    EXPECT_EQ(settingFromKnob(massRange, 583, full), 26);
    EXPECT_EQ(settingFromKnob(coefficientRange, 460, full), 1);
}

TEST(SliderMapping, WidthRangeFollowsCountAndDesktopWidth)
{
    EXPECT_EQ(widthFromKnob(706, 2, full), 250);
    EXPECT_EQ(widthFromKnob(706, 30, full), 16);
    EXPECT_EQ(widthFromKnob(460, 2, full), 1);
    EXPECT_EQ(widthFromKnob(460, 30, full), 1);
    EXPECT_EQ(widthFromKnob(at(small, 460), 15, small), 1);
    EXPECT_EQ(widthFromKnob(at(small, 706), 15, small), 22);
}

TEST(SliderMapping, ResultsAreTruncatedAtUnitBoundaries)
{
    // 28 particles over 246 pixels: the count reaches 30 only from about 702.86 on.
    EXPECT_EQ(settingFromKnob(sliderCountRange, 702, full), 29);
    EXPECT_EQ(settingFromKnob(sliderCountRange, 703, full), 30);
    // C steps every 61.5 pixels; at 492 the quotient is exactly 8, so C is exactly 2.
    EXPECT_EQ(settingFromKnob(coefficientRange, 491.9f, full), 1);
    EXPECT_EQ(settingFromKnob(coefficientRange, 492, full), 2);
    EXPECT_EQ(settingFromKnob(coefficientRange, 676.5f, full), 5);
    EXPECT_EQ(settingFromKnob(coefficientRange, 676, full), 4);
    // Temperature steps every 246 / 49 pixels: 2 from about 461.88 on.
    EXPECT_EQ(settingFromKnob(temperatureRange, 461.8f, full), 1);
    EXPECT_EQ(settingFromKnob(temperatureRange, 461.9f, full), 2);
}

TEST(SliderMapping, SettingsStayInRangeOverTheWholeTravel)
{
    for (const ScreenMetrics& m : {full, small, makeScreenMetrics(1366, 768), makeScreenMetrics(3840, 2160)})
    {
        int previousCount = 2;
        for (float x = at(m, 460); x <= at(m, 706); x += 0.25f)
        {
            const int count = settingFromKnob(sliderCountRange, x, m);
            ASSERT_GE(count, previousCount) << x; // never goes back while moving right
            ASSERT_LE(count, 30) << x;
            previousCount = count;
            ASSERT_GE(settingFromKnob(temperatureRange, x, m), 1);
            ASSERT_LE(settingFromKnob(temperatureRange, x, m), 50);
            ASSERT_GE(settingFromKnob(coefficientRange, x, m), 1);
            ASSERT_LE(settingFromKnob(coefficientRange, x, m), 5);
            for (int n = 2; n <= 30; ++n)
            {
                ASSERT_GE(widthFromKnob(x, n, m), 1);
                ASSERT_LE(widthFromKnob(x, n, m), widestParticle(n, m.maxTotalWidth));
            }
        }
        EXPECT_EQ(previousCount, 30);
    }
}

TEST(SliderMapping, KnobBoundsIncludeBothEnds)
{
    for (const ScreenMetrics& m : {full, small})
    {
        EXPECT_TRUE(knobFitsTrack(at(m, 460), m));
        EXPECT_TRUE(knobFitsTrack(at(m, 706), m));
        EXPECT_FALSE(knobFitsTrack(std::nextafter(at(m, 460), 0.0f), m));
        EXPECT_FALSE(knobFitsTrack(std::nextafter(at(m, 706), 1e6f), m));
    }
}

TEST(SliderMapping, WidthMaximumLabelIsIntegerDivision)
{
    EXPECT_EQ(widthMaximumLabel(15, full), 33);
    EXPECT_EQ(widthMaximumLabel(16, full), 31);
    EXPECT_EQ(widthMaximumLabel(2, full), 250);
    EXPECT_EQ(widthMaximumLabel(30, full), 16);
    EXPECT_EQ(widthMaximumLabel(15, small), 22); // 333 / 15
}

// The five sliders as the program builds them; an unloaded font leaves the
// texts without glyphs, which neither the geometry nor the strings need.
struct Panel
{
    explicit Panel(const ScreenMetrics& m) : metrics(m) { buildSliders(panel, font, metrics); }

    Slider& slider(SliderRow row) { return sliderAt(panel, row); }
    // The pointer over a knob, dx window pixels right of its left edge.
    sf::Vector2f onKnob(SliderRow row, float dx = 10)
    {
        const sf::Vector2f p = slider(row).knob.getPosition();
        return {p.x + dx, p.y + scaleY(metrics, 16)};
    }
    void frame(sf::Vector2f pointer) { updateSliders(panel, settings, needsSetup, pointer, metrics); }

    ScreenMetrics metrics;
    sf::Font font;
    SliderPanel panel;
    GasSettings settings;
    bool needsSetup = false;
};

TEST(SliderPanel, BuiltFromTheLayoutTable)
{
    Panel p(full);
    const float knobX[] = {583, 583, 583, 583, 460};
    const float rowY[] = {290, 360, 430, 500, 570};
    const wchar_t* labels[] = {L"Число частиц:", L"Ширина частиц:", L"Температура:", L"Масса частицы:",
                               L"Коэффициент C:"};
    const wchar_t* maxima[] = {L"30", L"33", L"50", L"50", L"5"};
    for (int i = 0; i < sliderCount; ++i)
    {
        const Slider& s = p.panel.sliders[static_cast<std::size_t>(i)];
        SCOPED_TRACE(i);
        EXPECT_EQ(s.box.getPosition(), sf::Vector2f(20, rowY[i]));
        EXPECT_EQ(s.box.getSize(), sf::Vector2f(360, 64));
        EXPECT_EQ(s.track.getPosition(), sf::Vector2f(492, rowY[i] + 66));
        EXPECT_FLOAT_EQ(s.track.getSize().y, 0.1f);
        EXPECT_EQ(s.track.getOutlineThickness(), 1.0f);
        EXPECT_EQ(s.knob.getPosition(), sf::Vector2f(knobX[i], rowY[i]));
        EXPECT_EQ(s.knob.getPointCount(), 5u);
        EXPECT_EQ(s.knob.getPoint(3), sf::Vector2f(32, 64));
        EXPECT_EQ(s.label.getString(), sf::String(labels[i]));
        EXPECT_EQ(s.minimumLabel.getPosition(), sf::Vector2f(424, rowY[i] + 8));
        EXPECT_EQ(s.maximumLabel.getPosition(), sf::Vector2f(784, rowY[i] + 8));
        EXPECT_EQ(s.maximumLabel.getString(), sf::String(maxima[i]));
        EXPECT_FALSE(s.dragging);
    }
    EXPECT_EQ(p.panel.heading.getString(), sf::String(L"Задайте параметры:"));
    EXPECT_EQ(p.panel.heading.getPosition(), sf::Vector2f(24, 228));
}

TEST(SliderPanel, KnobPointsAndPositionsScaleWithEachAxis)
{
    Panel p(makeScreenMetrics(2560, 1080));
    const sf::ConvexShape& knob = p.slider(SliderRow::Count).knob;
    EXPECT_FLOAT_EQ(knob.getPosition().x, 583.0f * 4 / 3);
    EXPECT_FLOAT_EQ(knob.getPosition().y, 290.0f);
    EXPECT_FLOAT_EQ(knob.getPoint(1).x, 64.0f * 4 / 3);
    EXPECT_FLOAT_EQ(knob.getPoint(3).y, 64.0f);
}

TEST(SliderPanel, PressStartsTheDragOfTheKnobUnderThePointer)
{
    Panel p(full);
    EXPECT_FALSE(pressKnob(p.panel, {300, 320})); // on the box, not a knob
    EXPECT_TRUE(pressKnob(p.panel, p.onKnob(SliderRow::Temperature, 17)));
    const Slider& t = p.slider(SliderRow::Temperature);
    EXPECT_TRUE(t.dragging);
    EXPECT_FLOAT_EQ(t.grabOffset, 17);
    EXPECT_EQ(t.knob.getFillColor(), sf::Color(192, 192, 192));
    for (SliderRow row : {SliderRow::Count, SliderRow::Width, SliderRow::Mass, SliderRow::CoefficientC})
        EXPECT_FALSE(p.slider(row).dragging);
    EXPECT_EQ(p.settings.temperature, 25) << "a press alone changes nothing";
}

TEST(SliderPanel, CountKnobPressedAndReleasedInPlaceAlsoSetsTheWidth)
{
    Panel p(full);
    ASSERT_TRUE(pressKnob(p.panel, p.onKnob(SliderRow::Count)));
    p.frame(p.onKnob(SliderRow::Count));
    releaseKnobs(p.panel);
    EXPECT_EQ(p.settings.count, 16);
    EXPECT_EQ(p.settings.width, 16); // from the untouched width knob
    EXPECT_EQ(p.settings.temperature, 25);
    EXPECT_TRUE(p.needsSetup);
    EXPECT_EQ(p.slider(SliderRow::Count).knob.getPosition().x, 583.0f);
}

TEST(SliderPanel, WidthKnobAloneKeepsTheCount)
{
    Panel p(full);
    ASSERT_TRUE(pressKnob(p.panel, p.onKnob(SliderRow::Width)));
    p.frame(p.onKnob(SliderRow::Width));
    EXPECT_EQ(p.settings.width, 17);
    EXPECT_EQ(p.settings.count, 15);
    EXPECT_TRUE(p.needsSetup);
}

TEST(SliderPanel, KnobFollowsThePointerAndStopsShortOfTheEnd)
{
    Panel p(full);
    const sf::Vector2f grab = p.onKnob(SliderRow::Count, 10);
    ASSERT_TRUE(pressKnob(p.panel, grab));
    p.frame({700, grab.y});
    EXPECT_EQ(p.slider(SliderRow::Count).knob.getPosition().x, 690.0f);
    EXPECT_EQ(p.settings.count, 28);

    // One frame far beyond the end: the knob stays at 690, short of 706.
    p.frame({950, grab.y});
    EXPECT_EQ(p.slider(SliderRow::Count).knob.getPosition().x, 690.0f);
    EXPECT_EQ(p.settings.count, 28);

    // Exactly at the end is allowed; the vertical position plays no part.
    p.frame({716, 1000});
    EXPECT_EQ(p.slider(SliderRow::Count).knob.getPosition(), sf::Vector2f(706, 290));
    EXPECT_EQ(p.settings.count, 30);
    EXPECT_EQ(p.settings.width, widthFromKnob(583, 30, full));

    // And back past the start.
    p.frame({400, grab.y});
    EXPECT_EQ(p.slider(SliderRow::Count).knob.getPosition().x, 706.0f);
    p.frame({470, grab.y});
    EXPECT_EQ(p.slider(SliderRow::Count).knob.getPosition().x, 460.0f);
    EXPECT_EQ(p.settings.count, 2);
    EXPECT_EQ(p.settings.width, widthFromKnob(583, 2, full));
}

TEST(SliderPanel, ReleaseEndsEveryDragAndWhitensEveryKnob)
{
    Panel p(full);
    ASSERT_TRUE(pressKnob(p.panel, p.onKnob(SliderRow::Mass)));
    p.slider(SliderRow::Count).knob.setFillColor(sf::Color(224, 238, 238));
    releaseKnobs(p.panel);
    for (const Slider& s : p.panel.sliders)
    {
        EXPECT_FALSE(s.dragging);
        EXPECT_EQ(s.knob.getFillColor(), sf::Color::White);
    }
    // After the release the knob no longer follows.
    p.needsSetup = false;
    p.frame({900, 520});
    EXPECT_EQ(p.slider(SliderRow::Mass).knob.getPosition().x, 583.0f);
    EXPECT_FALSE(p.needsSetup);
}

TEST(SliderPanel, FrameWithoutDragChangesNothing)
{
    Panel p(full);
    p.frame({600, 300});
    EXPECT_FALSE(p.needsSetup);
    EXPECT_EQ(p.settings.count, 15);
    EXPECT_EQ(p.settings.width, 22);
    EXPECT_EQ(p.settings.temperature, 25);
    EXPECT_EQ(p.settings.mass, 25);
    EXPECT_EQ(p.settings.C, 1);
}

TEST(SliderPanel, CoefficientKnobAtTheRightEndGivesFive)
{
    Panel p(small);
    const sf::Vector2f grab = p.onKnob(SliderRow::CoefficientC, 5);
    ASSERT_TRUE(pressKnob(p.panel, grab));
    p.frame({at(small, 706) + 5, grab.y});
    EXPECT_EQ(p.settings.C, 5);
    EXPECT_EQ(p.settings.count, 15);
}

TEST(SliderPanel, ValueTextsFollowTheSettings)
{
    Panel p(full);
    NumberFormatter formatNumber;
    writeSliderValues(p.panel, p.settings, formatNumber, full);
    EXPECT_EQ(p.slider(SliderRow::Count).value.getString(), "15");
    EXPECT_EQ(p.slider(SliderRow::Width).value.getString(), "22");
    EXPECT_EQ(p.slider(SliderRow::Temperature).value.getString(), "25");
    EXPECT_EQ(p.slider(SliderRow::Mass).value.getString(), "25");
    EXPECT_EQ(p.slider(SliderRow::CoefficientC).value.getString(), "1");
    EXPECT_EQ(p.slider(SliderRow::Width).maximumLabel.getString(), "33");
    EXPECT_EQ(p.slider(SliderRow::Width).value.getPosition(), sf::Vector2f(319, 368));

    ASSERT_TRUE(pressKnob(p.panel, p.onKnob(SliderRow::Count)));
    p.frame(p.onKnob(SliderRow::Count));
    writeSliderValues(p.panel, p.settings, formatNumber, full);
    EXPECT_EQ(p.slider(SliderRow::Count).value.getString(), "16");
    EXPECT_EQ(p.slider(SliderRow::Width).value.getString(), "16");
    EXPECT_EQ(p.slider(SliderRow::Width).maximumLabel.getString(), "31");
}
} // namespace
