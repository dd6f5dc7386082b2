#include "app/ShellProbes.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include <unistd.h>

using namespace probe;

// An input storm through the whole frame loop: seeded random pointer traffic
// (moves, left, middle and right clicks, drags, stray releases, wheel, keys)
// over every screen, in every run state and under every potential, with
// frame times from 1 to 300 ms, so thousands of events cover minutes of the
// gas in seconds. The storm keeps its own account of the screen and the run
// state from the presses it sends and holds the program to it, in state and
// in pixels: each screen switch must draw the new screen, Start must draw
// particles and Reset an empty channel, a dragged knob or thumb must be drawn
// where it was taken. Any overlap stop fails it: every storm begins with a
// crowded row run through long frames, where a faulty move rule shows. A
// crash or a sanitizer report ends the process.
//
// STORM_SEED sets the seed (printed on failure); STORM_SECONDS, for long
// storms (tools/storm), runs each desktop size that many seconds of wall time
// in all, two thirds at 1920 x 1080 and one third at 1280 x 720.

namespace
{
const char* const screenNames[] = {"start", "demonstration", "theory", "authors"};
const char* const phaseNames[] = {"running", "paused", "stopped"};
constexpr ButtonId menuButtons[] = {ButtonId::MenuStartPage, ButtonId::MenuDemonstration, ButtonId::MenuTheory,
                                    ButtonId::MenuAuthors};
constexpr ButtonId runButtons[] = {ButtonId::Start, ButtonId::Pause, ButtonId::Reset};
constexpr ButtonId potentialButtons[] = {ButtonId::ZeroPotential, ButtonId::Attraction, ButtonId::Repulsion,
                                         ButtonId::LennardJones}; // indexed by PotentialKind

bool isDark(sf::Color c) { return c.r + c.g + c.b < 300; }

class Storm
{
public:
    Storm(ScreenFixture& f, std::uint32_t seed) : m_f(f), m_random(seed)
    {
        m_portrait = f.app().pages.pictures[static_cast<int>(PictureId::FirstPortrait)].texture.copyToImage();
    }

    void step()
    {
        switch (below(10))
        {
        case 0: menuClick(below(4)); break;
        case 1:
        case 2: runButton(RunPhase(below(3)), below(3)); break;
        case 3: potential(below(4)); break;
        case 4:
        case 5: knobDrag(below(sliderCount)); break;
        case 6: thumbDrag(); break;
        case 7: wheel(); break;
        default:
            if (below(40) == 0)
                crowd();
            else
                noise();
            break;
        }
        checkState();
    }

    // The row that long frames once broke: 30 of the widest particles, as hot,
    // light and strongly bound as the knobs allow, under Attraction, for a
    // few hundred frames of a slow machine.
    void crowd()
    {
        toDemonstration();
        reach(RunPhase::Stopped);
        for (SliderRow row :
             {SliderRow::Count, SliderRow::Width, SliderRow::Temperature, SliderRow::Mass, SliderRow::CoefficientC})
            dragKnob(static_cast<int>(row), row == SliderRow::Mass ? knobLeftmost : knobRightmost);
        const GasSettings& set = m_f.app().settings;
        // Where the scale is not whole, a pointer on whole pixels may leave a
        // knob short of its end by less than a pixel: one step of its setting.
        const int reached[] = {set.count, set.width, set.temperature, set.mass, set.C};
        const int ends[] = {30, widthMaximumLabel(30, m_f.metrics()), 50, 1, 5};
        for (int k = 0; k < sliderCount; ++k)
            EXPECT_LE(std::abs(reached[k] - ends[k]), 1) << "knob " << k << " at its crowding end";
        note("crowded row under Attraction");
        m_covered.insert("crowd");
        leftClick(inButton(potentialButtons[static_cast<int>(PotentialKind::Attraction)]));
        pressRun(0);
        for (int i = 0; i < 300 && !::testing::Test::HasFailure(); ++i)
        {
            frame(m_pointer, {}, between(12.0f, 300.0f)); // a slow machine
            checkState();
        }
    }

    // Every kind of press in every state it can meet.
    std::string missing() const
    {
        std::string list;
        for (int s = 0; s < 4; ++s)
            require(list, "screen:" + std::string(screenNames[s]));
        for (int s = 0; s < 4; ++s)
            require(list, "wheel:" + std::string(screenNames[s]));
        for (int p = 0; p < 3; ++p)
        {
            for (int b = 0; b < 3; ++b)
                require(list, "run:" + std::string(phaseNames[p]) + ":" + std::to_string(b));
            for (int k = 0; k < 4; ++k)
                require(list, "potential:" + std::to_string(k) + ":" + phaseNames[p]);
            require(list, "knob-state:" + std::string(phaseNames[p]));
        }
        for (int k = 0; k < sliderCount; ++k)
            require(list, "knob:" + std::to_string(k));
        for (const char* item : {"crowd", "thumb", "noise:press", "noise:other", "noise:release", "noise:key"})
            require(list, item);
        return list;
    }

    // The latest actions, oldest first: what led to a failure.
    std::string recent() const
    {
        std::string text;
        for (const std::string& line : m_log)
            text += "  " + line + "\n";
        return text;
    }

    int frames() const { return m_frames; }
    double simulatedSeconds() const { return m_simulatedMs / 1000.0; }

private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    float between(float a, float b) { return std::uniform_real_distribution<float>(a, b)(m_random); }

    void note(const std::string& line)
    {
        m_log.push_back(line);
        if (m_log.size() > 30)
            m_log.pop_front();
    }

    void require(std::string& list, const std::string& item) const
    {
        if (!m_covered.count(item))
            list += item + " ";
    }

    // Mostly frames of a 60 Hz display; some too short for a tick, some of a
    // machine that stalls.
    double frameTime()
    {
        const int r = below(100);
        if (r < 50)
            return 16.0;
        if (r < 65)
            return between(1.0f, 11.0f);
        if (r < 85)
            return between(12.0f, 40.0f);
        return between(40.0f, 300.0f);
    }

    // ms = 0: a frame time of the storm's own mix. Drawn on the screen only
    // when its pixels are to be read (look()).
    void frame(sf::Vector2i pointer, std::vector<sf::Event> events = {}, double ms = 0.0, bool seen = false)
    {
        if (ms <= 0.0)
            ms = frameTime();
        if (seen)
            m_f.frame(pointer, events, ms);
        else
            m_f.unseenFrame(pointer, events, ms);
        ++m_frames;
        m_simulatedMs += ms;
        m_pointer = pointer;
    }

    // A frame at rest whose pixels the checks that follow read.
    void look() { frame(m_pointer, {}, 0.0, true); }

    sf::Vector2i window(float x, float y) const { return m_f.at(x, y); }

    // A random point inside a button, clear of its edges by 6 reference pixels.
    sf::Vector2i inButton(ButtonId id)
    {
        const ButtonRow& row = buttonTable[static_cast<std::size_t>(id)];
        return window(between(row.x + 6, row.x + row.width - 6), between(row.y + 6, row.y + row.height - 6));
    }

    // A left click as a person makes it: sometimes the press and the release
    // in one frame, sometimes frames between them.
    void leftClick(sf::Vector2i p)
    {
        using E = sf::Event;
        if (below(4) == 0)
        {
            frame(p, {ScreenFixture::mouseButton(E::MouseButtonPressed, p, sf::Mouse::Left),
                      ScreenFixture::mouseButton(E::MouseButtonReleased, p, sf::Mouse::Left)});
            return;
        }
        frame(p, {ScreenFixture::mouseMoved(p)});
        frame(p, {ScreenFixture::mouseButton(E::MouseButtonPressed, p, sf::Mouse::Left)});
        for (int i = below(3); i > 0; --i)
            frame(p);
        frame(p, {ScreenFixture::mouseButton(E::MouseButtonReleased, p, sf::Mouse::Left)});
    }

    void menuClick(int screen)
    {
        note(std::string("menu ") + screenNames[screen]);
        leftClick(inButton(menuButtons[screen]));
        m_screen = Screen(screen);
        m_covered.insert("screen:" + std::string(screenNames[screen]));
        look();
        checkShown();
    }

    void toDemonstration()
    {
        if (m_screen != Screen::Demonstration)
            menuClick(1);
    }

    // A run state in which `item` has not yet been met, if any is left.
    RunPhase phaseFor(const std::string& item)
    {
        std::vector<RunPhase> left;
        for (int p = 0; p < 3; ++p)
            if (!m_covered.count(item + phaseNames[p]))
                left.push_back(RunPhase(p));
        return left.empty() ? RunPhase(below(3)) : left[static_cast<std::size_t>(below(int(left.size())))];
    }

    // Start leads to running, Start then Pause to paused, Reset to stopped.
    void reach(RunPhase phase)
    {
        if (phase == m_phase)
            return;
        if (phase == RunPhase::Stopped)
            pressRun(2);
        else
        {
            pressRun(0);
            if (phase == RunPhase::Paused)
                pressRun(1);
        }
    }

    void pressRun(int button)
    {
        note(std::string("run button ") + std::to_string(button) + " while " + phaseNames[int(m_phase)]);
        m_covered.insert("run:" + std::string(phaseNames[int(m_phase)]) + ":" + std::to_string(button));
        leftClick(inButton(runButtons[button]));
        if (button == 0)
            m_phase = RunPhase::Running;
        else if (m_phase != RunPhase::Stopped)
            m_phase = button == 1 ? RunPhase::Paused : RunPhase::Stopped;
        if (button != 1)
        {
            look();
            checkChannel();
        }
    }

    void runButton(RunPhase phase, int button)
    {
        toDemonstration();
        reach(phase);
        pressRun(button);
    }

    void potential(int kind)
    {
        toDemonstration();
        reach(phaseFor("potential:" + std::to_string(kind) + ":"));
        note("potential " + std::to_string(kind) + " while " + phaseNames[int(m_phase)]);
        m_covered.insert("potential:" + std::to_string(kind) + ":" + phaseNames[int(m_phase)]);
        const PotentialKind before = m_f.app().settings.law;
        leftClick(inButton(potentialButtons[kind]));
        const PotentialKind expected = m_phase == RunPhase::Running ? before : PotentialKind(kind);
        EXPECT_EQ(int(m_f.app().settings.law), int(expected)) << "a potential press while " << phaseNames[int(m_phase)];
    }

    // Press a knob, move in steps (sometimes past an end of the track, with
    // other buttons on the way), rest, release. Only a paused or stopped gas
    // lets it move.
    void knobDrag(int k)
    {
        toDemonstration();
        if (below(2) == 0)
            reach(phaseFor("knob-state:"));
        dragKnob(k, between(knobLeftmost - 120, knobRightmost + 120));
    }

    // The knob's left edge dragged toward reference x `to`.
    void dragKnob(int k, float to)
    {
        const sf::ConvexShape& knob = m_f.app().sliders.sliders[static_cast<std::size_t>(k)].knob;
        const float before = knob.getPosition().x;
        const float top = knob.getPosition().y;
        const sf::Vector2i press(static_cast<int>(before + scaleX(m_f.metrics(), between(4, 60))),
                                 static_cast<int>(top + scaleY(m_f.metrics(), between(6, 26))));
        const float grab = static_cast<float>(press.x) - before;
        // At an end of the track, the whole pixel nearest it that still lets the knob stand there.
        const float aim = scaleX(m_f.metrics(), to) + grab;
        const int targetX = static_cast<int>(to == knobLeftmost    ? std::ceil(aim)
                                             : to == knobRightmost ? std::floor(aim)
                                                                   : aim);
        note("knob " + std::to_string(k) + " from " + std::to_string(before) + " to pointer " +
             std::to_string(targetX) + " while " + phaseNames[int(m_phase)]);
        m_covered.insert("knob:" + std::to_string(k));
        m_covered.insert("knob-state:" + std::string(phaseNames[int(m_phase)]));

        using E = sf::Event;
        frame(press, {ScreenFixture::mouseMoved(press)});
        frame(press, {ScreenFixture::mouseButton(E::MouseButtonPressed, press, sf::Mouse::Left)});
        float expected = before;
        const bool movable = m_phase != RunPhase::Running;
        const int steps = 1 + below(8);
        for (int i = 1; i <= steps; ++i)
        {
            const sf::Vector2i p(press.x + (targetX - press.x) * i / steps, press.y);
            std::vector<sf::Event> events = {ScreenFixture::mouseMoved(p)};
            if (below(6) == 0)
                events.push_back(ScreenFixture::mouseButton(E::MouseButtonPressed, p, sf::Mouse::Right));
            else if (below(6) == 0)
                events.push_back(ScreenFixture::wheelScrolled(between(-2, 2), p));
            frame(p, events);
            if (movable && knobFitsTrack(static_cast<float>(p.x) - grab, m_f.metrics()))
                expected = static_cast<float>(p.x) - grab;
        }
        look(); // rest before the release
        EXPECT_EQ(knob.getPosition().x, expected) << "knob " << k << " while " << phaseNames[int(m_phase)];
        expectDarkNear(sf::Vector2i(static_cast<int>(expected), static_cast<int>(top + scaleY(m_f.metrics(), 12))),
                       "knob " + std::to_string(k) + "'s left edge");
        frame(m_pointer, {ScreenFixture::mouseButton(E::MouseButtonReleased, m_pointer, sf::Mouse::Left)});
    }

    void thumbDrag()
    {
        if (m_screen != Screen::Theory)
            menuClick(2);
        const ScreenMetrics& m = m_f.metrics();
        const float thumbY = m_f.app().pages.scroll.thumbY;
        const sf::Vector2i press(static_cast<int>(scaleX(m, between(1862, 1910))),
                                 static_cast<int>(thumbY + scaleY(m, between(4, 28))));
        const float grab = static_cast<float>(press.y) - thumbY;
        const int targetY = static_cast<int>(between(0, m.screenHeight));
        note("thumb from " + std::to_string(thumbY) + " to pointer " + std::to_string(targetY));
        m_covered.insert("thumb");

        using E = sf::Event;
        frame(press, {ScreenFixture::mouseMoved(press)});
        frame(press, {ScreenFixture::mouseButton(E::MouseButtonPressed, press, sf::Mouse::Left)});
        float expected = thumbY;
        const int steps = 1 + below(8);
        for (int i = 1; i <= steps; ++i)
        {
            const sf::Vector2i p(press.x, press.y + (targetY - press.y) * i / steps);
            frame(p, {ScreenFixture::mouseMoved(p)});
            const float candidate = static_cast<float>(p.y) - grab;
            if (candidate >= theoryTop(m) && candidate <= theoryBottom(m))
                expected = candidate;
        }
        look();
        EXPECT_EQ(m_f.app().pages.scroll.thumbY, expected) << "thumb dragged";
        expectDarkNear(sf::Vector2i(static_cast<int>(scaleX(m, 1886)), static_cast<int>(expected)), "thumb's top edge");
        frame(m_pointer, {ScreenFixture::mouseButton(E::MouseButtonReleased, m_pointer, sf::Mouse::Left)});
    }

    void wheel()
    {
        const ScreenMetrics& m = m_f.metrics();
        const sf::Vector2i p = window(between(400, 1800), between(80, 1000));
        m_covered.insert("wheel:" + std::string(screenNames[int(m_screen)]));
        const int turns = 1 + below(20);
        const float direction = below(2) ? 1.0f : -1.0f;
        note("wheel " + std::to_string(turns) + " x " + std::to_string(direction));
        for (int i = 0; i < turns; ++i)
            frame(p, {ScreenFixture::wheelScrolled(direction, p)});
        const TheoryScroll& s = m_f.app().pages.scroll;
        EXPECT_GE(s.imageY, theoryLowest(m) - 0.01f);
        EXPECT_LE(s.imageY, theoryTop(m) + 0.01f);
    }

    // Where a left press does nothing: clear of every button, the slider
    // panel and the scrollbar.
    sf::Vector2i nowhereRandom()
    {
        for (;;)
        {
            const float x = between(0, 1919), y = between(0, 1079);
            bool clear = !(x > 420 && x < 820 && y > 270 && y < 660) && x < 1830;
            for (const ButtonRow& row : buttonTable)
                clear = clear &&
                        !(x > row.x - 8 && x < row.x + row.width + 8 && y > row.y - 8 && y < row.y + row.height + 8);
            if (clear)
                return window(x, y);
        }
    }

    void noise()
    {
        using E = sf::Event;
        const sf::Vector2i p = below(2) ? nowhereRandom() : window(between(0, 1919), between(0, 1079));
        switch (below(5))
        {
        case 0: // a left press where nothing is, dragged anywhere but onto the exit
        {
            const sf::Vector2i start = nowhereRandom();
            note("left drag from nowhere");
            m_covered.insert("noise:press");
            frame(start, {ScreenFixture::mouseButton(E::MouseButtonPressed, start, sf::Mouse::Left)});
            frame(p, {ScreenFixture::mouseMoved(p)});
            frame(p, {ScreenFixture::mouseButton(E::MouseButtonReleased, p, sf::Mouse::Left)});
            break;
        }
        case 1: // right, middle and side buttons do nothing
        {
            constexpr sf::Mouse::Button others[] = {sf::Mouse::Right, sf::Mouse::Middle, sf::Mouse::XButton1,
                                                    sf::Mouse::XButton2};
            const sf::Mouse::Button button = others[below(4)];
            note("other button " + std::to_string(int(button)));
            m_covered.insert("noise:other");
            frame(p, {ScreenFixture::mouseButton(E::MouseButtonPressed, p, button),
                      ScreenFixture::mouseButton(E::MouseButtonReleased, p, button)});
            break;
        }
        case 2:
            note("stray release");
            m_covered.insert("noise:release");
            frame(p, {ScreenFixture::mouseButton(E::MouseButtonReleased, p, sf::Mouse::Left)});
            break;
        case 3:
            note("key");
            m_covered.insert("noise:key");
            frame(p, {keyPressed(below(2) ? sf::Keyboard::Escape : sf::Keyboard::Space)});
            break;
        default:
            for (int i = 1 + below(4); i > 0; --i)
                frame(p, below(2) ? std::vector<sf::Event>{ScreenFixture::mouseMoved(p)} : std::vector<sf::Event>{});
            break;
        }
    }

    void checkState()
    {
        const App& app = m_f.app();
        ASSERT_FALSE(app.gas.core().overlapDetected()) << "overlap stop";
        ASSERT_FALSE(app.closeRequested) << "the program would close";
        EXPECT_EQ(app.screen, m_screen);
        EXPECT_EQ(int(runPhase(app.run)), int(m_phase)) << "run state";
    }

    // The screen the pixels show, told by marks as a person would see them:
    // the outlines left of the count box and of Start, the scrollbar's, the
    // first portrait.
    Screen shown()
    {
        const ScreenMetrics& m = m_f.metrics();
        auto darkAt = [&](float x, float y) {
            return isDark(m_f.pixel({static_cast<int>(scaleX(m, x)) - 1, static_cast<int>(scaleY(m, y))}));
        };
        if (darkAt(20, 322) && darkAt(20, 672))
            return Screen::Demonstration;
        if (darkAt(1854, 700) && darkAt(1854, 850))
            return Screen::Theory;
        for (const sf::Vector2u texel : {sf::Vector2u(30, 30), sf::Vector2u(140, 150), sf::Vector2u(140, 300)})
        {
            const sf::Color want = m_portrait.getPixel(texel.x, texel.y);
            const sf::Color got = m_f.pixel({static_cast<int>(scaleX(m, 166 + (texel.x + 0.5f))),
                                             static_cast<int>(scaleY(m, 420 + (texel.y + 0.5f)))});
            if (std::abs(want.r - got.r) > 12 || std::abs(want.g - got.g) > 12 || std::abs(want.b - got.b) > 12)
                return Screen::StartPage;
        }
        return Screen::Authors;
    }

    void checkShown() { EXPECT_EQ(shown(), m_screen) << "the frame after a menu click"; }

    // A row through the middle of the channel: particles after Start (unless
    // narrower than a pixel, when they may miss every pixel's centre), none
    // after Reset.
    void checkChannel()
    {
        if (m_phase == RunPhase::Running && particleWidthPixels(m_f.app().settings.width, m_f.metrics()) < 1.0)
            return;
        const int y = static_cast<int>(scaleY(m_f.metrics(), 140));
        int blue = 0;
        for (int x = 0; x < static_cast<int>(m_f.metrics().screenWidth); ++x)
            blue += m_f.pixel({x, y}) == sf::Color::Blue;
        if (m_phase == RunPhase::Running)
            EXPECT_GT(blue, 0) << "no particle drawn after Start";
        else
            EXPECT_EQ(blue, 0) << "particles drawn after Reset";
    }

    void expectDarkNear(sf::Vector2i p, const std::string& what)
    {
        bool dark = false;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                dark = dark || isDark(m_f.pixel({p.x + dx, p.y + dy}));
        EXPECT_TRUE(dark) << what << " not drawn near (" << p.x << ", " << p.y << ")";
    }

    ScreenFixture& m_f;
    std::mt19937 m_random;
    sf::Image m_portrait;
    Screen m_screen = Screen::StartPage;
    RunPhase m_phase = RunPhase::Running;
    sf::Vector2i m_pointer{};
    std::deque<std::string> m_log;
    std::set<std::string> m_covered;
    int m_frames = 0;
    double m_simulatedMs = 0;
};

long residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

struct StormRun
{
    unsigned width, height;
    int actions;        // without STORM_SECONDS
    double shareOfTime; // of STORM_SECONDS
};

const StormRun stormRuns[] = {{1920, 1080, 100, 2.0 / 3.0}, {1280, 720, 200, 1.0 / 3.0}};

class InputStorm : public ::testing::TestWithParam<StormRun>
{
};

TEST_P(InputStorm, HoldsTheScreensToWhatWasPressed)
{
    const StormRun run = GetParam();
    const char* seedText = std::getenv("STORM_SEED");
    const char* secondsText = std::getenv("STORM_SECONDS");
    const std::uint32_t seed = seedText ? static_cast<std::uint32_t>(std::strtoul(seedText, nullptr, 10)) : 1957;
    const double seconds = secondsText ? std::atof(secondsText) * run.shareOfTime : 0.0;

    ScreenFixture f(run.width, run.height, seed);
    Storm storm(f, seed);
    const auto began = std::chrono::steady_clock::now();
    auto going = [&](int done)
    {
        if (seconds <= 0)
            return done < run.actions;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count() < seconds;
    };
    // A long storm also judges memory: at most 10 % more resident at the end
    // than after its first third.
    long thirdKb = 0;
    int done = 0;
    storm.crowd(); // every storm meets it once, however short
    for (; going(done) && !::testing::Test::HasFailure(); ++done)
    {
        storm.step();
        if (seconds > 0 && thirdKb == 0 &&
            std::chrono::steady_clock::now() - began > std::chrono::duration<double>(seconds / 3))
            thirdKb = residentKilobytes();
    }
    if (thirdKb > 0)
    {
        const long endKb = residentKilobytes();
        std::cout << "[storm] resident memory " << thirdKb << " kB after the first third, " << endKb
                  << " kB at the end\n";
        EXPECT_LE(endKb, thirdKb + thirdKb / 10) << "resident memory grew by more than 10 %";
    }
    // A long storm meets every kind of press in every state it can meet.
    if (seconds > 0 && !::testing::Test::HasFailure())
    {
        EXPECT_EQ(storm.missing(), "");
    }
    if (::testing::Test::HasFailure())
        ADD_FAILURE() << "seed " << seed << ", action " << done << "; the latest actions:\n" << storm.recent();
    std::cout << "[storm] " << run.width << "x" << run.height << " seed " << seed << ": " << done << " actions, "
              << storm.frames() << " frames, " << storm.simulatedSeconds()
              << " s of simulated time; not met: " << storm.missing() << "\n";
}

INSTANTIATE_TEST_SUITE_P(Desktops, InputStorm, ::testing::ValuesIn(stormRuns),
                         [](const ::testing::TestParamInfo<StormRun>& info)
                         { return std::to_string(info.param.width) + "x" + std::to_string(info.param.height); });
} // namespace
