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
//   framecost --startup [--bare]: the program's start-up (or a bare window's)
//       step by step, from the process start to the first presented frame.
//   framecost --bare-window: a bare window, closed by a click, as a baseline
//       for measurements from outside.
//
// Another --size than the desktop's gives a borderless window at the top
// left on a display that cannot change its mode (Xvfb).
// Exits with 2 on bad options, 1 when the gas stopped on an overlap.

#include "app/App.hpp"
#include "app/DataFiles.hpp"
#include "base/ScreenSize.hpp"

#include <CLI/CLI.hpp>

#include <SFML/Window/Mouse.hpp>
#include <SFML/Window/VideoMode.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <sstream>
#include <string>
#include <unistd.h>
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

// Milliseconds since this process was started (fork), at the kernel's tick
// resolution (10 ms), or a negative value when /proc does not say.
double msSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) // field 22 is the start time
    {
    }
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    return nowMs - std::stod(field) * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A field of /proc/self/status in kB (VmRSS, VmHWM: peak resident memory).
long statusKb(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = -1;
    for (std::string line; std::getline(status, line);)
        if (std::istringstream(line) >> key >> value && key == name + ":")
            return value;
    return -1;
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
    bool parts = false, startup = false, bare = false, bareWindow = false;
    double seconds = 2.0;
    int rounds = 3;
    int warmup = 30;
    unsigned antialiasing = 8;
    std::string only;  // screens whose name contains this, all when empty
    ScreenSize size{}; // the desktop's when zero
};

// Returns the exit status when the program should end at once.
std::optional<int> parse(int argc, char** argv, Options& o)
{
    CLI::App cli("framecost: what a frame of each screen costs against a bare window", "framecost");
    cli.add_flag("--parts", o.parts, "Each screen's backdrop and content alone");
    cli.add_flag("--startup", o.startup, "The program's start-up, step by step");
    cli.add_flag("--bare", o.bare, "With --startup: a bare window instead");
    cli.add_flag("--bare-window", o.bareWindow, "A bare window until it is closed or clicked");
    cli.add_option("--seconds", o.seconds, "Seconds per stretch")->check(CLI::PositiveNumber);
    cli.add_option("--rounds", o.rounds, "Rounds")->check(CLI::PositiveNumber);
    cli.add_option("--warmup", o.warmup, "Warm-up frames per stretch")->check(CLI::NonNegativeNumber);
    cli.add_option("--aa", o.antialiasing, "Anti-aliasing level asked");
    cli.add_option("--only", o.only, "Only the screens whose name contains this");
    std::string size;
    cli.add_option("--size", size, "WxH instead of the desktop's size")
        ->check(CLI::Validator(
            [](std::string& text)
            {
                std::string why;
                return parseScreenSize(text, why) ? std::string() : why;
            },
            "WxH"));
    try
    {
        cli.parse(argc, argv);
    }
    catch (const CLI::ParseError& e)
    {
        return cli.exit(e) == 0 ? 0 : 2;
    }
    std::string why;
    if (!size.empty())
        o.size = *parseScreenSize(size, why);
    return std::nullopt;
}

ScreenMetrics metricsFor(const Options& o)
{
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    return o.size.width ? makeScreenMetrics(o.size.width, o.size.height)
                        : makeScreenMetrics(desktop.width, desktop.height);
}

// The program's window, full-screen when it is the desktop's size.
void openWindow(sf::RenderWindow& window, const Options& o, const char* title)
{
    const ScreenMetrics m = metricsFor(o);
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    const bool fullScreen = m.screenWidth == desktop.width && m.screenHeight == desktop.height;
    openProgramWindow(window, m, fullScreen ? sf::Style::Fullscreen : sf::Style::None, title, o.antialiasing);
    if (!fullScreen)
        window.setPosition({0, 0});
}

// The program's own start-up; without its data every text and picture draws
// nothing, and the figures flatter.
std::unique_ptr<App> startProgram(sf::RenderWindow& window, const Options& o, const char* title,
                                  const std::function<void(const char*)>& phase = {})
{
    const DataRoot data = findDataFiles(std::cerr);
    if (!data.hasFont)
        std::fprintf(stderr, "framecost: no fonts/ and images/ here or beside the program (build velorin_data)\n");
    return startProgram(
        metricsFor(o), data, static_cast<std::uint32_t>(std::time(nullptr)), std::cerr,
        [&] { openWindow(window, o, title); }, phase);
}

// One timed stretch of frames on one window.
struct Segment
{
    int frames = 0;
    double wallMs = 0;
    double cpuMs = 0; // per frame

    double meanFrameMs() const { return frames ? wallMs / frames : 0; }
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
    Segment s;
    const double cpuStart = processCpuMs();
    const SteadyClock::time_point start = SteadyClock::now();
    for (; s.wallMs < o.seconds * 1e3; ++s.frames)
    {
        frame();
        window.display();
        s.wallMs = msBetween(start, SteadyClock::now());
    }
    s.cpuMs = (processCpuMs() - cpuStart) / s.frames;
    return s;
}

std::vector<sf::Event> drainEvents(sf::RenderWindow& window)
{
    std::vector<sf::Event> events;
    for (sf::Event event; window.pollEvent(event);)
        events.push_back(event);
    return events;
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
        openWindow(bare, o, "velorin-floor");
        s = timeFrames(bare, o, [&] { drainEvents(bare), bare.clear(sf::Color::White); });
    }
    openWindow(programWindow, o, programTitle);
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

// The program's own loop body, with the pointer where it is and the events drained.
Segment screenSegment(App& app, sf::RenderWindow& window, const ScreenCase& c, const Options& o)
{
    app.screen = c.screen;
    pressPotential(app.run, c.potential); // as the button would, were the gas not running
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
    const std::unique_ptr<App> app = startProgram(window, o, programTitle);
    const sf::ContextSettings got = window.getSettings();
    std::printf("framecost: %ux%u, anti-aliasing %u granted (%u asked), %.1f s per segment, %d warm-up frames, "
                "%d rounds; load average at start %s\n",
                window.getSize().x, window.getSize().y, got.antialiasingLevel, o.antialiasing, o.seconds, o.warmup,
                o.rounds, loadAverage().c_str());

    // Per case and round, ms per frame: wall and process CPU time (all threads,
    // the software rasteriser's included), and both against the floors around
    // the round. The last case is the floor.
    struct Figures
    {
        std::vector<double> frameMs, cpuMs, ratio, cpuRatio;
    };
    std::vector<Figures> figures(caseCount + 1);
    auto wanted = [&](int i) { return std::string(screenCases[i].name).find(o.only) != std::string::npos; };
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
            figures[i].frameMs.push_back(segments[i].meanFrameMs());
            figures[i].cpuMs.push_back(segments[i].cpuMs);
            figures[i].ratio.push_back(2 * segments[i].meanFrameMs() / (before.meanFrameMs() + after.meanFrameMs()));
            figures[i].cpuRatio.push_back(2 * segments[i].cpuMs / (before.cpuMs + after.cpuMs));
        }
        std::printf("round %d: floor %.2f ms, then %.2f ms per frame (load %s)\n", round, before.meanFrameMs(),
                    after.meanFrameMs(), loadAverage().c_str());
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
    if (app->gas.overlapDetected())
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
    const std::unique_ptr<App> app = startProgram(window, o, programTitle);
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
            drawContent(*app, window, {0, 0});
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
            frameMs[i].push_back(s.meanFrameMs());
            extraMs[i].push_back(s.meanFrameMs() - clear.meanFrameMs());
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

int startup(const Options& o)
{
    const double startToMainMs = msSinceProcessStart();
    const SteadyClock::time_point top = SteadyClock::now();
    double previous = 0;
    auto mark = [&](const char* name)
    {
        const double at = msBetween(top, SteadyClock::now());
        std::printf("  %-22s %8.1f ms  (+%5.1f)  resident %7ld kB\n", name, at, at - previous, statusKb("VmRSS"));
        previous = at;
    };
    const ScreenMetrics m = metricsFor(o);
    std::printf("%s start-up, %.0fx%.0f:\n", o.bare ? "bare window" : "program", m.screenWidth, m.screenHeight);
    sf::RenderWindow window;
    std::unique_ptr<App> app;
    if (o.bare)
    {
        openWindow(window, o, "velorin-bare");
        mark("window created");
        window.clear(sf::Color::White);
    }
    else
    {
        (void)mallopt(M_MMAP_THRESHOLD, 1 << 20); // as the program does
        app = startProgram(window, o, "velorin-startup", mark);
        runFrame(*app, window, sf::Mouse::getPosition(window), drainEvents(window), 0.0);
        mark("first frame drawn");
    }
    window.display();
    mark("first frame presented");
    if (startToMainMs >= 0)
        std::printf("  process start to main  %8.0f ms  (10 ms ticks)\n  process start to first frame %6.0f ms\n",
                    startToMainMs, startToMainMs + previous);
    std::printf("  peak resident memory   %8ld kB after the first frame\n", statusKb("VmHWM"));
    if (!app)
        return 0;
    for (Screen screen : {Screen::Demonstration, Screen::Theory, Screen::Authors, Screen::StartPage})
    {
        app->screen = screen; // every screen once, so that every glyph and texture has been used
        runFrame(*app, window, sf::Mouse::getPosition(window), drainEvents(window), 16.0);
        window.display();
    }
    std::printf("  peak resident memory   %8ld kB after one frame of each screen\n", statusKb("VmHWM"));
    return 0;
}

int bareWindow(const Options& o)
{
    sf::RenderWindow window;
    openWindow(window, o, "velorin-bare");
    while (window.isOpen())
    {
        for (const sf::Event& event : drainEvents(window))
            if (event.type == sf::Event::Closed || event.type == sf::Event::MouseButtonPressed)
                window.close();
        window.clear(sf::Color::White);
        window.display();
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (const std::optional<int> status = parse(argc, argv, o))
        return *status;
    if (o.startup)
        return startup(o);
    if (o.bareWindow)
        return bareWindow(o);
    return o.parts ? partCosts(o) : frameCost(o);
}
