#include "app/ShellProbes.hpp"

#include <gtest/gtest.h>

using namespace probe;

namespace
{
constexpr ButtonId menuItems[] = {ButtonId::MenuStartPage, ButtonId::MenuDemonstration, ButtonId::MenuTheory,
                                  ButtonId::MenuAuthors};

TEST(StartUpColours, FirstMenuItemIsGreyUntilTheFirstEvent)
{
    ScreenFixture f;
    EXPECT_EQ(f.app().screen, Screen::StartPage);
    // Frames without events run no hover pass.
    for (int i = 0; i < 3; ++i)
        f.frame(nowhere(f), {});
    EXPECT_EQ(fillOf(f.app(), ButtonId::MenuStartPage), grey);
    EXPECT_EQ(pixelOf(f, ButtonId::MenuStartPage), grey);
    for (ButtonId id : {ButtonId::MenuDemonstration, ButtonId::MenuTheory, ButtonId::MenuAuthors, ButtonId::Exit})
        EXPECT_EQ(pixelOf(f, id), white);
    // The zero-potential button turns grey only with the first hover pass.
    EXPECT_TRUE(f.app().run.potentialSelected[static_cast<int>(PotentialKind::Zero)]);
    EXPECT_EQ(fillOf(f.app(), ButtonId::ZeroPotential), white);

    // Any event repaints: here a key press, which does nothing else.
    f.frame(nowhere(f), {keyPressed(sf::Keyboard::Escape)});
    EXPECT_EQ(fillOf(f.app(), ButtonId::MenuStartPage), white);
    EXPECT_EQ(pixelOf(f, ButtonId::MenuStartPage), white);
    EXPECT_EQ(fillOf(f.app(), ButtonId::ZeroPotential), grey);
    EXPECT_EQ(f.app().screen, Screen::StartPage);
    EXPECT_FALSE(f.app().closeRequested);
}

TEST(StartUpColours, FirstEventOverTheFirstItemShowsTheHoverColour)
{
    ScreenFixture f;
    f.frame(inside(f, ButtonId::MenuStartPage), {plainEvent(sf::Event::GainedFocus)});
    EXPECT_EQ(fillOf(f.app(), ButtonId::MenuStartPage), hovered);
    EXPECT_EQ(pixelOf(f, ButtonId::MenuStartPage), hovered);
}

TEST(HoverColours, MenuAndExitAsPixelsAndFills)
{
    ScreenFixture f;
    for (ButtonId id : {ButtonId::MenuStartPage, ButtonId::MenuDemonstration, ButtonId::MenuTheory,
                        ButtonId::MenuAuthors, ButtonId::Exit})
    {
        SCOPED_TRACE(static_cast<int>(id));
        f.moveTo(inside(f, id));
        EXPECT_EQ(fillOf(f.app(), id), hovered);
        EXPECT_EQ(pixelOf(f, id), hovered);
        for (ButtonId other : menuItems)
        {
            if (other != id)
            {
                EXPECT_EQ(pixelOf(f, other), white);
            }
        }
    }
    f.moveTo(nowhere(f));
    EXPECT_EQ(pixelOf(f, ButtonId::Exit), white);
}

TEST(HoverColours, SelectedPotentialIsGreyAndHoverOverridesIt)
{
    ScreenFixture f;
    show(f, Screen::Demonstration);
    EXPECT_EQ(pixelOf(f, ButtonId::ZeroPotential), grey);
    EXPECT_EQ(fillOf(f.app(), ButtonId::ZeroPotential), grey);
    for (ButtonId id : {ButtonId::Attraction, ButtonId::Repulsion, ButtonId::LennardJones, ButtonId::Start,
                        ButtonId::Pause, ButtonId::Reset})
        EXPECT_EQ(pixelOf(f, id), white);

    f.moveTo(inside(f, ButtonId::ZeroPotential));
    EXPECT_EQ(pixelOf(f, ButtonId::ZeroPotential), hovered);
    f.moveTo(inside(f, ButtonId::Attraction));
    EXPECT_EQ(pixelOf(f, ButtonId::Attraction), hovered);
    EXPECT_EQ(pixelOf(f, ButtonId::ZeroPotential), grey);
    f.moveTo(nowhere(f));
    EXPECT_EQ(pixelOf(f, ButtonId::Attraction), white);
    EXPECT_EQ(pixelOf(f, ButtonId::ZeroPotential), grey);
}

TEST(HoverColours, HoverUsesTheFrameSampleNotTheEventPosition)
{
    ScreenFixture f;
    const sf::Vector2i overExit = inside(f, ButtonId::Exit);
    // The event says the pointer is over the exit button; the frame's sample says elsewhere.
    f.frame(nowhere(f), {ScreenFixture::mouseMoved(overExit)});
    EXPECT_EQ(fillOf(f.app(), ButtonId::Exit), white);
    f.frame(overExit, {ScreenFixture::mouseMoved(nowhere(f))});
    EXPECT_EQ(fillOf(f.app(), ButtonId::Exit), hovered);
    // A press carrying the exit button's coordinates, sampled elsewhere, presses nothing.
    f.frame(nowhere(f), {ScreenFixture::mouseButton(sf::Event::MouseButtonPressed, overExit, sf::Mouse::Left)});
    EXPECT_FALSE(f.app().closeRequested);
}

TEST(HoverColours, PointerOutsideTheWindowHoversNothing)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    for (sf::Vector2i outside : {sf::Vector2i(-100, -100), sf::Vector2i(5000, 40), sf::Vector2i(30, 3000)})
    {
        f.moveTo(outside);
        for (int i = 0; i < buttonCount; ++i)
        {
            const ButtonId id = ButtonId(i);
            EXPECT_EQ(fillOf(f.app(), id), id == ButtonId::ZeroPotential ? grey : white) << i;
        }
        EXPECT_EQ(f.app().pages.thumb.getFillColor(), white);
    }
}

TEST(HoverColours, ThumbIsRecolouredOnEveryScreen)
{
    ScreenFixture f;
    // On the start page the thumb is not drawn, but the hover pass still covers it.
    f.moveTo(f.at(1880, 90));
    EXPECT_EQ(f.app().pages.thumb.getFillColor(), hovered);
    f.moveTo(nowhere(f));
    EXPECT_EQ(f.app().pages.thumb.getFillColor(), white);
}

TEST(MenuSwitching, ItemColoursThroughAClick)
{
    ScreenFixture f;
    f.moveTo(nowhere(f));
    const sf::Vector2i demo = inside(f, ButtonId::MenuDemonstration);

    f.press(demo);
    EXPECT_EQ(f.app().screen, Screen::Demonstration);
    EXPECT_EQ(pixelOf(f, ButtonId::MenuDemonstration), grey);
    EXPECT_EQ(pixelOf(f, ButtonId::MenuStartPage), white);

    f.release(demo);
    EXPECT_EQ(pixelOf(f, ButtonId::MenuDemonstration), hovered);

    f.moveTo(nowhere(f));
    EXPECT_EQ(pixelOf(f, ButtonId::MenuDemonstration), white);
    EXPECT_EQ(f.app().screen, Screen::Demonstration); // the menu does not mark the current screen
}

TEST(MenuSwitching, PreviousItemTurnsWhiteInThePressFrame)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    // In the frame of the press the new item is grey and the previous one white.
    f.frame(
        inside(f, ButtonId::MenuAuthors),
        {ScreenFixture::mouseButton(sf::Event::MouseButtonPressed, inside(f, ButtonId::MenuAuthors), sf::Mouse::Left)});
    EXPECT_EQ(f.app().screen, Screen::Authors);
    EXPECT_EQ(fillOf(f.app(), ButtonId::MenuTheory), white);
    EXPECT_EQ(fillOf(f.app(), ButtonId::MenuAuthors), grey);
}

TEST(MenuSwitching, EveryItemShowsItsScreen)
{
    ScreenFixture f;
    for (Screen s : {Screen::Demonstration, Screen::Theory, Screen::Authors, Screen::StartPage, Screen::Theory})
    {
        show(f, s);
        EXPECT_EQ(f.app().screen, s);
    }
}

TEST(MenuSwitching, PressingTheCurrentItemOnlyGreysIt)
{
    ScreenFixture f;
    show(f, Screen::Demonstration);
    const bool pausedBefore = f.app().run.paused;
    const std::vector<double> before = f.app().gas.core().positions();
    f.frame(inside(f, ButtonId::MenuDemonstration),
            {ScreenFixture::mouseButton(sf::Event::MouseButtonPressed, inside(f, ButtonId::MenuDemonstration),
                                        sf::Mouse::Left)},
            0.0);
    EXPECT_EQ(f.app().screen, Screen::Demonstration);
    EXPECT_EQ(fillOf(f.app(), ButtonId::MenuDemonstration), grey);
    EXPECT_EQ(pixelOf(f, ButtonId::MenuDemonstration), grey);
    EXPECT_EQ(f.app().run.paused, pausedBefore);
    EXPECT_EQ(f.app().gas.core().positions(), before);
}

TEST(MenuSwitching, ScaledOn1280x720)
{
    ScreenFixture f(1280, 720);
    f.frame(nowhere(f), {});
    EXPECT_EQ(f.pixel({5, 37}), grey); // inside the first item, which is 318.7 x 42.7 here
    f.moveTo(f.at(1460, 56));
    EXPECT_EQ(pixelOf(f, ButtonId::MenuAuthors), hovered);
    EXPECT_EQ(f.pixel({5, 37}), white);
    f.click(f.at(1460, 56));
    EXPECT_EQ(f.app().screen, Screen::Authors);
    // The 6-pixel gaps shrink to 4 here, and the unscaled outline bands fill
    // them: the first item's bounds end at 320.67, where the second's begin.
    f.click({321, 20});
    EXPECT_EQ(f.app().screen, Screen::Demonstration);
    f.moveTo(inside(f, ButtonId::ZeroPotential));
    EXPECT_EQ(pixelOf(f, ButtonId::ZeroPotential), hovered);
    f.moveTo(nowhere(f));
    EXPECT_EQ(pixelOf(f, ButtonId::ZeroPotential), grey);
}

// Presses where the demonstration's controls are, on the other screens.
class OtherScreens : public ::testing::TestWithParam<Screen>
{
};

TEST_P(OtherScreens, DemonstrationControlsDoNothing)
{
    ScreenFixture f;
    // Pause first, so that the start, potential and knob presses would be accepted.
    show(f, Screen::Demonstration);
    f.click(inside(f, ButtonId::Pause));
    ASSERT_TRUE(f.app().run.paused);
    ASSERT_TRUE(f.app().run.started);
    show(f, GetParam());

    const GasSettings settingsBefore = f.app().settings;
    const std::vector<double> positionsBefore = f.app().gas.core().positions();
    const sf::Vector2f knobs[] = {{583, 290}, {583, 360}, {583, 430}, {583, 500}, {460, 570}};
    for (ButtonId id : {ButtonId::Start, ButtonId::Attraction, ButtonId::Repulsion, ButtonId::LennardJones,
                        ButtonId::ZeroPotential, ButtonId::Pause, ButtonId::Reset})
        f.click(inside(f, id));
    // Off the theory page, neither does the thumb's spot.
    if (GetParam() != Screen::Theory)
    {
        f.press(f.at(1886, 90));
        EXPECT_FALSE(f.app().pages.scroll.dragging);
        f.release(f.at(1886, 90));
    }
    for (sf::Vector2f k : knobs)
    {
        f.press(f.at(k.x + 32, k.y + 16));
        for (const Slider& s : f.app().sliders.sliders)
            EXPECT_FALSE(s.dragging);
        f.release(f.at(k.x + 32, k.y + 16));
    }

    EXPECT_EQ(f.app().screen, GetParam());
    EXPECT_TRUE(f.app().run.started);
    EXPECT_TRUE(f.app().run.paused);
    EXPECT_EQ(f.app().settings.law, PotentialKind::Zero);
    EXPECT_TRUE(f.app().run.potentialSelected[static_cast<int>(PotentialKind::Zero)]);
    EXPECT_EQ(f.app().settings.width, settingsBefore.width);
    EXPECT_EQ(f.app().settings.count, settingsBefore.count);
    EXPECT_EQ(f.app().settings.temperature, settingsBefore.temperature);
    EXPECT_EQ(f.app().settings.mass, settingsBefore.mass);
    EXPECT_EQ(f.app().settings.C, settingsBefore.C);
    EXPECT_EQ(f.app().gas.core().positions(), positionsBefore); // not set up again
    EXPECT_FALSE(f.app().closeRequested);
}

TEST_P(OtherScreens, PauseAndResetDoNothingWhileRunning)
{
    ScreenFixture f;
    show(f, GetParam());
    f.click(inside(f, ButtonId::Pause));
    f.click(inside(f, ButtonId::Reset));
    EXPECT_TRUE(f.app().run.started);
    EXPECT_FALSE(f.app().run.paused);
    EXPECT_FALSE(f.app().pages.scroll.dragging);
}

INSTANTIATE_TEST_SUITE_P(Pages, OtherScreens, ::testing::Values(Screen::StartPage, Screen::Theory, Screen::Authors),
                         [](const ::testing::TestParamInfo<Screen>& info)
                         { return std::to_string(static_cast<int>(info.param)); });

TEST(DemonstrationControls, RespondOnTheirOwnScreen)
{
    // The counterpart of the test above: the same presses act on the demonstration screen.
    ScreenFixture f;
    show(f, Screen::Demonstration);
    f.click(inside(f, ButtonId::Attraction)); // refused while running
    EXPECT_EQ(f.app().settings.law, PotentialKind::Zero);
    f.press(inside(f, ButtonId::Pause));
    EXPECT_TRUE(f.app().run.paused);
    EXPECT_EQ(pixelOf(f, ButtonId::Pause), grey);
    f.release(inside(f, ButtonId::Pause));
    EXPECT_EQ(pixelOf(f, ButtonId::Pause), hovered);
    EXPECT_FALSE(f.app().gas.core().isRunning()); // paused in the frame of the press

    f.press(inside(f, ButtonId::Attraction));
    EXPECT_EQ(f.app().settings.law, PotentialKind::Attraction);
    EXPECT_EQ(pixelOf(f, ButtonId::Attraction), grey);
    EXPECT_EQ(pixelOf(f, ButtonId::ZeroPotential), white);
    f.release(inside(f, ButtonId::Attraction));
    f.moveTo(nowhere(f));
    EXPECT_EQ(pixelOf(f, ButtonId::Attraction), grey);
    EXPECT_EQ(pixelOf(f, ButtonId::ZeroPotential), white);

    f.click(inside(f, ButtonId::Start));
    EXPECT_FALSE(f.app().run.paused);
    EXPECT_FALSE(f.app().run.needsSetup);
    EXPECT_TRUE(f.app().gas.core().isRunning());
    f.click(inside(f, ButtonId::Reset));
    EXPECT_FALSE(f.app().run.started);
}

TEST(OtherButtons, RightAndMiddlePressesOnlyRepaint)
{
    ScreenFixture f;
    f.moveTo(nowhere(f));
    for (sf::Mouse::Button button : {sf::Mouse::Right, sf::Mouse::Middle})
    {
        const sf::Vector2i demo = inside(f, ButtonId::MenuDemonstration);
        f.press(demo, button);
        EXPECT_EQ(f.app().screen, Screen::StartPage);
        EXPECT_EQ(pixelOf(f, ButtonId::MenuDemonstration), hovered);
        f.release(demo, button);
        EXPECT_EQ(pixelOf(f, ButtonId::MenuDemonstration), hovered);

        f.click(inside(f, ButtonId::Exit), button);
        EXPECT_FALSE(f.app().closeRequested);
        EXPECT_EQ(pixelOf(f, ButtonId::Exit), hovered);
    }
    // On the theory page neither starts a thumb drag.
    show(f, Screen::Theory);
    for (sf::Mouse::Button button : {sf::Mouse::Right, sf::Mouse::Middle})
    {
        f.press(f.at(1880, 90), button);
        EXPECT_FALSE(f.app().pages.scroll.dragging);
        EXPECT_EQ(f.app().pages.thumb.getFillColor(), hovered);
    }
}

TEST(OtherButtons, OnlyTheLeftReleaseEndsADrag)
{
    ScreenFixture f;
    show(f, Screen::Theory);
    f.press(f.at(1880, 90));
    ASSERT_TRUE(f.app().pages.scroll.dragging);
    f.release(f.at(1880, 90), sf::Mouse::Right);
    f.release(f.at(1880, 90), sf::Mouse::Middle);
    EXPECT_TRUE(f.app().pages.scroll.dragging);
    f.release(f.at(1880, 90));
    EXPECT_FALSE(f.app().pages.scroll.dragging);
    EXPECT_EQ(f.app().pages.thumb.getFillColor(), white);
}

class ExitButton : public ::testing::TestWithParam<Screen>
{
};

TEST_P(ExitButton, ClosesOnEveryScreen)
{
    ScreenFixture f;
    show(f, GetParam());
    f.press(inside(f, ButtonId::Exit));
    EXPECT_TRUE(f.app().closeRequested);
    EXPECT_EQ(f.app().screen, GetParam());
}

TEST_P(ExitButton, ClosesWhilePaused)
{
    ScreenFixture f;
    show(f, Screen::Demonstration);
    f.click(inside(f, ButtonId::Pause));
    ASSERT_TRUE(f.app().run.paused);
    show(f, GetParam());
    EXPECT_FALSE(f.app().closeRequested);
    f.press(inside(f, ButtonId::Exit));
    EXPECT_TRUE(f.app().closeRequested);
}

INSTANTIATE_TEST_SUITE_P(Screens, ExitButton,
                         ::testing::Values(Screen::StartPage, Screen::Demonstration, Screen::Theory, Screen::Authors),
                         [](const ::testing::TestParamInfo<Screen>& info)
                         { return std::to_string(static_cast<int>(info.param)); });

TEST(ExitButtonAt1280x720, OutlineBandCounts)
{
    // Exit here: x 13.33 ... 253.33, y 660 ... 702.67; bounds two pixels wider each side.
    {
        ScreenFixture f(1280, 720);
        f.press({256, 680});
        EXPECT_FALSE(f.app().closeRequested);
        f.press({12, 704});
        EXPECT_TRUE(f.app().closeRequested);
    }
    {
        ScreenFixture f(1280, 720);
        f.press({100, 705});
        EXPECT_FALSE(f.app().closeRequested);
        f.press({254, 658});
        EXPECT_TRUE(f.app().closeRequested);
    }
}
} // namespace
