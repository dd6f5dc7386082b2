#include "app/ShellProbes.hpp"

#include <gtest/gtest.h>

#include <numeric>

using namespace probe;

namespace
{
double binnedGaps(App& app)
{
    const std::vector<double>& totals = app.gas.core().binTotals();
    return std::accumulate(totals.begin(), totals.end(), 0.0);
}

// The time step of the latest tick, read back from the inner particles: from
// rest, with no contact, a tick leaves v = a * dt.
void expectTimeStepFromRest(App& app, double dt)
{
    int seen = 0;
    for (int i = 1; i + 1 < app.gas.core().particleCount(); ++i)
    {
        const double a = app.gas.core().accelerations()[i];
        if (a == 0.0)
            continue;
        EXPECT_NEAR(app.gas.core().velocities()[i] / a, dt, 1e-9) << "particle " << i;
        ++seen;
    }
    EXPECT_GT(seen, 0) << "no particle was accelerated";
}

TEST(TickCadence, MoreThanElevenWholeMillisecondsMakeATick)
{
    ScreenFixture f;
    const std::vector<double> start = f.app().gas.core().positions();
    f.frame(nowhere(f), {}, 11.0);
    EXPECT_EQ(binnedGaps(f.app()), 0.0);
    EXPECT_EQ(f.app().gas.core().positions(), start);
    f.frame(nowhere(f), {}, 0.5); // 11.5 ms: still 11 whole milliseconds
    EXPECT_EQ(binnedGaps(f.app()), 0.0);

    f.frame(nowhere(f), {}, 0.5);
    EXPECT_EQ(binnedGaps(f.app()), 14.0); // one tick: the 14 gaps of 15 particles binned once
    expectTimeStepFromRest(f.app(), 12.0);
    EXPECT_EQ(f.app().simulationClock.wholeMilliseconds(), 0);

    // The clock restarted at the tick: the next one again needs 12 ms.
    f.frame(nowhere(f), {}, 11.0);
    EXPECT_EQ(binnedGaps(f.app()), 14.0);
    f.frame(nowhere(f), {}, 1.0);
    EXPECT_EQ(binnedGaps(f.app()), 28.0);
}

TEST(TickCadence, AtMostOneTickPerFrameWithTheWholeFrameAsTimeStep)
{
    ScreenFixture f;
    f.frame(nowhere(f), {}, 40.0);
    EXPECT_EQ(binnedGaps(f.app()), 14.0);
    expectTimeStepFromRest(f.app(), 40.0);
    f.frame(nowhere(f), {}, 40.0);
    EXPECT_EQ(binnedGaps(f.app()), 28.0);
    f.frame(nowhere(f), {}, 250.0);
    EXPECT_EQ(binnedGaps(f.app()), 42.0);
}

TEST(TickCadence, FramesFasterThanTheCadenceShareTicks)
{
    ScreenFixture f;
    for (int i = 0; i < 60; ++i)
        f.frame(nowhere(f), {}, 5.0); // 300 ms at 5 ms a frame: a tick every third frame
    EXPECT_EQ(binnedGaps(f.app()), 14.0 * 20);
}

TEST(TickCadence, NoTickWhilePaused)
{
    ScreenFixture f;
    show(f, Screen::Demonstration);
    f.press(inside(f, ButtonId::Pause));
    EXPECT_FALSE(f.app().gas.core().isRunning()); // paused in the frame of the press
    const double binned = binnedGaps(f.app());
    const std::vector<double> positions = f.app().gas.core().positions();
    show(f, Screen::StartPage);
    f.run(500, 40.0);
    EXPECT_EQ(binnedGaps(f.app()), binned);
    EXPECT_EQ(f.app().gas.core().positions(), positions);
    EXPECT_FALSE(f.app().gas.core().isRunning());
}

TEST(TickCadence, NoTickAfterReset)
{
    ScreenFixture f;
    show(f, Screen::Demonstration);
    f.click(inside(f, ButtonId::Reset));
    ASSERT_FALSE(f.app().run.started);
    const double binned = binnedGaps(f.app());
    f.run(300, 40.0);
    EXPECT_EQ(binnedGaps(f.app()), binned);
}

TEST(GasFromLaunch, RunsOnTheStartPage)
{
    ScreenFixture f;
    const std::vector<double> start = f.app().gas.core().positions();
    f.run(1600, 16.0); // 100 frames of 16 ms, a tick each
    EXPECT_EQ(f.app().screen, Screen::StartPage);
    EXPECT_TRUE(f.app().run.started);
    EXPECT_FALSE(f.app().run.paused);
    EXPECT_EQ(binnedGaps(f.app()), 14.0 * 100);
    EXPECT_NE(f.app().gas.core().positions(), start);

    // The demonstration screen then shows the particles where they have got to.
    f.frame(inside(f, ButtonId::MenuDemonstration),
            {ScreenFixture::mouseButton(sf::Event::MouseButtonPressed, inside(f, ButtonId::MenuDemonstration),
                                        sf::Mouse::Left)},
            0.0);
    ASSERT_EQ(f.app().screen, Screen::Demonstration);
    for (int i = 0; i < f.app().gas.core().particleCount(); ++i)
    {
        const int x = static_cast<int>(f.app().gas.core().positions()[i] + 11.0);
        EXPECT_EQ(f.pixel({x, 140}), sf::Color::Blue) << "particle " << i;
    }
}

TEST(StartUp, FifteenParticlesEvenlySpreadAtRest)
{
    ScreenFixture f;
    GasModel& gas = f.app().gas;
    ASSERT_EQ(gas.core().particleCount(), 15);
    EXPECT_EQ(gas.core().particleWidth(), 22.0);
    EXPECT_EQ(gas.particleHeight(), 140.0);
    for (int i = 0; i < 15; ++i)
    {
        EXPECT_EQ(gas.core().positions()[i], 120.0 * (i + 1));
        EXPECT_EQ(gas.core().velocities()[i], 0.0);
        const sf::RectangleShape& shape = gas.particleShapes()[i];
        EXPECT_EQ(shape.getPosition(), sf::Vector2f(120.0f * (i + 1), 70.0f));
        EXPECT_EQ(shape.getSize(), sf::Vector2f(22.0f, 140.0f));
        EXPECT_EQ(shape.getFillColor(), sf::Color::Blue);
    }
    EXPECT_TRUE(f.app().run.started);
    EXPECT_FALSE(f.app().run.paused);
    EXPECT_TRUE(f.app().run.needsSetup);
    EXPECT_EQ(f.app().settings.law, PotentialKind::Zero);

    // Drawn on the demonstration screen without a tick in between.
    f.frame(inside(f, ButtonId::MenuDemonstration),
            {ScreenFixture::mouseButton(sf::Event::MouseButtonPressed, inside(f, ButtonId::MenuDemonstration),
                                        sf::Mouse::Left)},
            0.0);
    ASSERT_EQ(binnedGaps(f.app()), 0.0);
    EXPECT_EQ(f.pixel({120 + 11, 140}), sf::Color::Blue);
    EXPECT_EQ(f.pixel({1800 + 11, 200}), sf::Color::Blue);
    EXPECT_EQ(f.pixel({1800 + 11, 69}), sf::Color::Black); // the outline of the channel or particle
    EXPECT_EQ(f.pixel({60, 140}), sf::Color::White);       // the empty channel between wall and particle 0
    EXPECT_EQ(f.pixel({960, 69}), sf::Color::Black);       // the channel's top outline
    EXPECT_EQ(f.pixel({960, 211}), sf::Color::Black);      // and its bottom outline
}

TEST(StartUp, ScaledParticlesOn1280x720)
{
    ScreenFixture f(1280, 720);
    GasModel& gas = f.app().gas;
    ASSERT_EQ(gas.core().particleCount(), 15);
    EXPECT_EQ(gas.core().particleWidth(), static_cast<double>(1280.0f * 22.0f / 1920.0f));
    EXPECT_NEAR(gas.core().particleWidth(), 14.6667, 1e-4);
    EXPECT_NEAR(gas.particleHeight(), 93.3333, 1e-4);
    for (int i = 0; i < 15; ++i)
    {
        EXPECT_EQ(gas.core().positions()[i], 80.0 * (i + 1));
        EXPECT_NEAR(gas.particleShapes()[i].getPosition().y, 46.6667f, 1e-4f);
    }
    f.frame(inside(f, ButtonId::MenuDemonstration),
            {ScreenFixture::mouseButton(sf::Event::MouseButtonPressed, inside(f, ButtonId::MenuDemonstration),
                                        sf::Mouse::Left)},
            0.0);
    EXPECT_EQ(f.pixel({80 + 7, 90}), sf::Color::Blue);
    EXPECT_EQ(f.pixel({40, 90}), sf::Color::White);
}

TEST(Closing, OverlapClosesAtTheStartOfTheNextFrame)
{
    ScreenFixture f;
    GasModel& gas = f.app().gas;
    // Particle 5 three pixels inside particle 4.
    gas.setParticle(5, gas.core().positions()[4] + 22.0 - 3.0, 0.0, 0.0);
    f.frame(nowhere(f), {}, 16.0); // the tick's contact pass finds the overlap
    EXPECT_TRUE(gas.core().overlapDetected());
    EXPECT_FALSE(f.app().closeRequested);
    f.frame(nowhere(f), {}, 0.0);
    EXPECT_TRUE(f.app().closeRequested);
}

TEST(Closing, OverlapIsNoticedOnEveryScreenEvenWhilePaused)
{
    ScreenFixture f;
    show(f, Screen::Demonstration);
    f.click(inside(f, ButtonId::Pause));
    show(f, Screen::Theory);
    GasModel& gas = f.app().gas;
    gas.resume(); // let one tick's contact pass run
    gas.setParticle(1, gas.core().positions()[0] + 10.0, 0.0, 0.0);
    gas.resolveContacts();
    gas.pause();
    ASSERT_TRUE(gas.core().overlapDetected());
    f.frame(nowhere(f), {}, 16.0);
    EXPECT_TRUE(f.app().closeRequested);
}

TEST(Closing, CloseRequestClosesKeysDoNot)
{
    ScreenFixture f;
    f.frame(nowhere(f),
            {keyPressed(sf::Keyboard::Escape), keyPressed(sf::Keyboard::Q), plainEvent(sf::Event::LostFocus)});
    EXPECT_FALSE(f.app().closeRequested);
    EXPECT_EQ(f.app().screen, Screen::StartPage);
    f.frame(nowhere(f), {plainEvent(sf::Event::Closed)});
    EXPECT_TRUE(f.app().closeRequested);
}
} // namespace
