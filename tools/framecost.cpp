// What a frame of each screen costs against the floor: a bare window of the
// same size and settings that only clears and presents. It opens real
// full-screen windows: give it an X display of its own (Xvfb 1920 x 1080).
//
//   framecost [--size WxH] [--seconds S] [--rounds R] [--warmup N] [--only SCREEN] [--aa LEVEL]
//       Each round: the floor, every screen, the floor again, S seconds each
//       after N warm-up frames; then each screen's frame time against the
//       floors around it. --aa: another level than the program's 8, only to
//       see what the multisampling costs.
//   framecost --parts: each screen's backdrop and content alone over the clear.
//   framecost --interleaved: each screen against bare frames (clear and
//       display only) in the same window, alternating every 10 frames for S
//       seconds per screen and round, so that a machine whose speed wanders
//       (a shared virtual machine) shifts both alike.
//   (--size: see ToolWindow.hpp; the start-up is measured by tools/startup)
// Exits with 2 on bad options, 1 when the gas stopped on an overlap.

#include "ToolWindow.hpp"

#include <SFML/Window/Mouse.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace
{
using SteadyClock = std::chrono::steady_clock;

double msBetween(SteadyClock::time_point from, SteadyClock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU time of the whole process (the software rasteriser's threads included), ms.
double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string loadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Options
{
    bool parts = false;
    bool interleaved = false;
    double seconds = 2.0;
    int rounds = 3;
    int warmup = 30;
    unsigned antialiasing = 8;
    std::string only;  // screens whose name contains this, all when empty
    ScreenSize size{}; // the desktop's when zero
};

// One timed stretch of frames on one window, ms per frame: wall and process
// CPU time (all threads, the software rasteriser's included).
struct Segment
{
    double frameMs = 0, cpuMs = 0;
};

// `frame` (events, clear, drawing) for the warm-up frames, then for the
// seconds asked, presenting each.
template <typename DrawFrame> Segment timeFrames(sf::RenderWindow& window, const Options& o, DrawFrame frame)
{
    for (int i = 0; i < o.warmup; ++i)
    {
        frame();
        window.display();
    }
    const double cpuStart = processCpuMs();
    const SteadyClock::time_point start = SteadyClock::now();
    double wallMs = 0;
    int frames = 0;
    for (; wallMs < o.seconds * 1e3; ++frames)
    {
        frame();
        window.display();
        wallMs = msBetween(start, SteadyClock::now());
    }
    return {wallMs / frames, (processCpuMs() - cpuStart) / frames};
}

constexpr const char* programTitle = "velorin-framecost";
constexpr double targetRatio = 1.25; // a screen's frame time against the floor's

// A bare window of the program's size and settings for one stretch. SFML
// allows one full-screen window at a time, so the program's window is closed
// meanwhile; its drawables and textures outlive it.
Segment floorSegment(sf::RenderWindow& programWindow, const Options& o)
{
    programWindow.close();
    Segment s;
    {
        sf::RenderWindow bare;
        openToolWindow(bare, o.size, "velorin-floor", o.antialiasing);
        s = timeFrames(bare, o, [&] { drainEvents(bare), bare.clear(sf::Color::White); });
    }
    openToolWindow(programWindow, o.size, programTitle, o.antialiasing);
    return s;
}

// The screens as the program shows them after launch (the gas running, no
// potential selected), and the demonstration once more under each law with a curve.
struct ScreenCase
{
    const char* name;
    Screen screen;
    PotentialKind potential;
};
constexpr ScreenCase screenCases[] = {
    {"start page", Screen::StartPage, PotentialKind::Zero},
    {"demonstration", Screen::Demonstration, PotentialKind::Zero},
    {"demonstration, att", Screen::Demonstration, PotentialKind::Attraction},
    {"demonstration, rep", Screen::Demonstration, PotentialKind::Repulsion},
    {"demonstration, LJ", Screen::Demonstration, PotentialKind::LennardJones},
    {"theory", Screen::Theory, PotentialKind::Zero},
    {"authors", Screen::Authors, PotentialKind::Zero},
};
constexpr int caseCount = static_cast<int>(std::size(screenCases));

bool named(const ScreenCase& c, const std::string& part) { return std::string(c.name).find(part) != std::string::npos; }

// The program's own loop body, with the pointer where it is and the events drained.
Segment screenSegment(App& app, sf::RenderWindow& window, const ScreenCase& c, const Options& o)
{
    app.screen = c.screen;
    pressPotential(app.run, app.settings, c.potential); // as the button would, were the gas not running
    SteadyClock::time_point previous = SteadyClock::now();
    return timeFrames(window, o,
                      [&]
                      {
                          const sf::Vector2i pointer = sf::Mouse::getPosition(window);
                          const std::vector<sf::Event> events = drainEvents(window);
                          const SteadyClock::time_point now = SteadyClock::now();
                          runFrame(app, window, pointer, events, msBetween(previous, now));
                          previous = now;
                      });
}

std::string range(const std::vector<double>& v)
{
    char text[48];
    std::snprintf(text, sizeof text, "x%.2f (x%.2f-%.2f)", median(v), *std::min_element(v.begin(), v.end()),
                  *std::max_element(v.begin(), v.end()));
    return text;
}

int frameCost(const Options& o)
{
    sf::RenderWindow window;
    const std::unique_ptr<App> app = startToolProgram(window, o.size, programTitle, o.antialiasing);
    const sf::ContextSettings got = window.getSettings();
    std::printf("framecost: %ux%u, anti-aliasing %u granted (%u asked), %.1f s per segment, %d warm-up frames, "
                "%d rounds; load average at start %s\n",
                window.getSize().x, window.getSize().y, got.antialiasingLevel, o.antialiasing, o.seconds, o.warmup,
                o.rounds, loadAverage().c_str());

    // Per case and round, ms per frame and against the floors around the
    // round. The last case is the floor.
    struct Figures
    {
        std::vector<double> frameMs, cpuMs, ratio, cpuRatio;
    };
    std::vector<Figures> figures(caseCount + 1);
    auto wanted = [&](int i) { return named(screenCases[i], o.only); };
    Segment before = floorSegment(window, o);
    for (int round = 1; round <= o.rounds; ++round)
    {
        std::vector<Segment> segments(caseCount);
        for (int i = 0; i < caseCount; ++i)
            if (wanted(i))
                segments[i] = screenSegment(*app, window, screenCases[i], o);
        segments.push_back(floorSegment(window, o));
        const Segment& after = segments.back();
        for (int i = 0; i <= caseCount; ++i)
        {
            if (i < caseCount && !wanted(i))
                continue;
            figures[i].frameMs.push_back(segments[i].frameMs);
            figures[i].cpuMs.push_back(segments[i].cpuMs);
            figures[i].ratio.push_back(2 * segments[i].frameMs / (before.frameMs + after.frameMs));
            figures[i].cpuRatio.push_back(2 * segments[i].cpuMs / (before.cpuMs + after.cpuMs));
        }
        std::printf("round %d: floor %.2f ms, then %.2f ms per frame (load %s)\n", round, before.frameMs, after.frameMs,
                    loadAverage().c_str());
        before = after;
    }

    std::printf("medians over %d rounds, ms per frame; against the floor: median (lowest-highest round)\n", o.rounds);
    bool withinTarget = true;
    for (int i = 0; i <= caseCount; ++i)
    {
        const Figures& f = figures[i];
        if (f.frameMs.empty())
            continue;
        const bool within = i == caseCount || median(f.ratio) <= targetRatio;
        withinTarget = withinTarget && within;
        std::printf("  %-18s frame %6.2f  cpu %6.2f", i < caseCount ? screenCases[i].name : "floor", median(f.frameMs),
                    median(f.cpuMs));
        if (i < caseCount)
            std::printf("  frame %s  cpu %s%s", range(f.ratio).c_str(), range(f.cpuRatio).c_str(),
                        within ? "" : "  above target");
        std::printf("\n");
    }
    std::printf("every screen within %.2fx the floor: %s\nload average at end: %s\n", targetRatio,
                withinTarget ? "yes" : "no", loadAverage().c_str());
    if (app->gas.core().overlapDetected())
    {
        std::printf("the gas stopped on an overlap during the run: later figures lack the particles\n");
        return 1;
    }
    return 0;
}

// Where a frame's time goes: each screen's backdrop and content drawn alone
// over the cleared window, each right after a stretch of the clear alone, so
// that a machine whose speed drifts shifts both alike.
int partCosts(const Options& o)
{
    sf::RenderWindow window;
    const std::unique_ptr<App> app = startToolProgram(window, o.size, programTitle, o.antialiasing);
    app->screen = Screen::Demonstration;
    for (int i = 0; i < 200; ++i) // some seconds of gas and readouts, so that the histogram has bars
        runFrame(*app, window, {0, 0}, {}, 16.0);
    std::printf("parts: each drawn alone over the cleared program window (anti-aliasing %u granted), %.1f s "
                "each, %d rounds; load %s\n",
                window.getSettings().antialiasingLevel, o.seconds, o.rounds, loadAverage().c_str());
    constexpr const char* screenNames[] = {"start page", "demonstration", "theory", "authors"};
    std::vector<std::string> names = {"clear only"};
    for (const char* screen : screenNames)
        for (const char* layer : {"backdrop", "content"})
            names.push_back(std::string(screen) + ", " + layer);
    auto drawPart = [&](std::size_t part)
    {
        if (part == 0)
            return;
        app->screen = Screen(static_cast<int>((part - 1) / 2));
        if (part % 2)
            drawBackdrop(window, app->backdrops[(part - 1) / 2]);
        else
            updateAndDrawContent(*app, window, {0, 0});
    };
    auto stretch = [&](std::size_t part)
    { return timeFrames(window, o, [&] { drainEvents(window), window.clear(sf::Color::White), drawPart(part); }); };
    std::vector<std::vector<double>> frameMs(names.size()), extraMs(names.size()), cpuMs(names.size()),
        extraCpuMs(names.size());
    for (int round = 0; round < o.rounds; ++round)
        for (std::size_t i = 0; i < names.size(); ++i)
        {
            const Segment clear = stretch(0);
            const Segment s = i == 0 ? clear : stretch(i);
            frameMs[i].push_back(s.frameMs);
            extraMs[i].push_back(s.frameMs - clear.frameMs);
            cpuMs[i].push_back(s.cpuMs);
            extraCpuMs[i].push_back(s.cpuMs - clear.cpuMs);
        }
    std::printf("medians, ms per frame; extra = over the \"clear only\" stretch just before\n");
    for (std::size_t i = 0; i < names.size(); ++i)
        std::printf("  %-24s frame %6.2f (extra %+6.2f)  cpu %6.2f (extra %+6.2f)\n", names[i].c_str(),
                    median(frameMs[i]), median(extraMs[i]), median(cpuMs[i]), median(extraCpuMs[i]));
    std::printf("load average at end: %s\n", loadAverage().c_str());
    return 0;
}

// Each screen in stretches of 10 frames, each stretch followed by 10 bare
// frames; the first two frames after a switch are not counted. Per round,
// the median screen frame against the median bare frame.
int interleavedCost(const Options& o)
{
    constexpr int stretch = 10, settle = 2;
    sf::RenderWindow window;
    const std::unique_ptr<App> app = startToolProgram(window, o.size, programTitle, o.antialiasing);
    std::printf("framecost --interleaved: %ux%u, anti-aliasing %u granted, %.1f s per screen and round, %d rounds; "
                "load average at start %s\n",
                window.getSize().x, window.getSize().y, window.getSettings().antialiasingLevel, o.seconds, o.rounds,
                loadAverage().c_str());
    bool withinTarget = true;
    for (const ScreenCase& c : screenCases)
    {
        if (!named(c, o.only))
            continue;
        app->screen = c.screen;
        pressPotential(app->run, app->settings, c.potential);
        SteadyClock::time_point previous = SteadyClock::now();
        auto screenFrame = [&]
        {
            const sf::Vector2i pointer = sf::Mouse::getPosition(window);
            const std::vector<sf::Event> events = drainEvents(window);
            const SteadyClock::time_point now = SteadyClock::now();
            runFrame(*app, window, pointer, events, msBetween(previous, now));
            previous = now;
        };
        for (int i = 0; i < o.warmup; ++i)
            screenFrame(), window.display();
        std::vector<double> screenMs, bareMs, ratios;
        for (int round = 0; round < o.rounds; ++round)
        {
            std::vector<double> screen, bare;
            const SteadyClock::time_point start = SteadyClock::now();
            for (int k = 0; msBetween(start, SteadyClock::now()) < o.seconds * 1e3 || k % (2 * stretch) != 0; ++k)
            {
                const bool bareFrame = (k / stretch) % 2 == 1;
                const SteadyClock::time_point t0 = SteadyClock::now();
                if (bareFrame)
                    drainEvents(window), window.clear(sf::Color::White);
                else
                    screenFrame();
                window.display();
                if (k % stretch >= settle)
                    (bareFrame ? bare : screen).push_back(msBetween(t0, SteadyClock::now()));
            }
            screenMs.push_back(median(screen));
            bareMs.push_back(median(bare));
            ratios.push_back(screenMs.back() / bareMs.back());
        }
        const bool within = median(ratios) <= targetRatio;
        withinTarget = withinTarget && within;
        std::printf("  %-18s frame %6.2f  bare %6.2f  ms (medians)  %s%s\n", c.name, median(screenMs), median(bareMs),
                    range(ratios).c_str(), within ? "" : "  above target");
    }
    std::printf("every screen within %.2fx the bare frame: %s\nload average at end: %s\n", targetRatio,
                withinTarget ? "yes" : "no", loadAverage().c_str());
    return app->gas.core().overlapDetected() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    CLI::App cli("framecost: what a frame of each screen costs against a bare window", "framecost");
    cli.add_flag("--parts", o.parts, "Each screen's backdrop and content alone");
    cli.add_flag("--interleaved", o.interleaved, "Each screen alternating with bare frames in the same window");
    cli.add_option("--seconds", o.seconds, "Seconds per stretch")->check(CLI::PositiveNumber);
    cli.add_option("--rounds", o.rounds, "Rounds")->check(CLI::PositiveNumber);
    cli.add_option("--warmup", o.warmup, "Warm-up frames per stretch")->check(CLI::NonNegativeNumber);
    cli.add_option("--aa", o.antialiasing, "Anti-aliasing level asked");
    cli.add_option("--only", o.only, "Only the screens whose name contains this")
        ->check(CLI::Validator(
            [](std::string& part)
            {
                const bool any = std::any_of(std::begin(screenCases), std::end(screenCases),
                                             [&](const ScreenCase& c) { return named(c, part); });
                return any ? std::string() : "no screen's name contains \"" + part + "\"";
            },
            "SCREEN"));
    addSizeOption(cli, o.size);
    try
    {
        cli.parse(argc, argv);
    }
    catch (const CLI::ParseError& e)
    {
        return cli.exit(e) == 0 ? 0 : 2;
    }
    return o.parts ? partCosts(o) : o.interleaved ? interleavedCost(o) : frameCost(o);
}
