// What a frame of each screen costs against the floor: a bare window of the
// same size and settings that only clears and presents. Needs an X display
// the size of the program's desktop (Xvfb 1920 x 1080); it opens real
// full-screen windows, so give it a display of its own.
//
//   framecost [--size WxH] [--seconds S] [--rounds R] [--warmup N] [--only SCREEN] [--aa LEVEL]
//       Each round: the floor, every screen, the floor again (the next round
//       starts with that floor), S seconds each after N warm-up frames. Rows
//       per segment, then the medians over rounds and the ratio of each
//       screen's frame time to the floor's around it. --only: the screens
//       whose name contains SCREEN; --aa: another anti-aliasing level than
//       the program's 8, only to see what the multisampling costs.
//   framecost --parts [--size WxH] [--seconds S] [--rounds R] [--aa LEVEL]
//       Where the time goes: each part of the screens drawn alone over the
//       cleared window, against the clear alone.
//   framecost --startup [--bare] [--size WxH]
//       Start-up as the program does it, timed from the process start to the
//       first presented frame, phase by phase, with the peak resident memory.
//       --bare: a bare window instead (create, clear, present).
//   framecost --bare-window
//       A bare window titled "velorin-bare" that clears and presents until it
//       is closed or clicked: the baseline for measurements from outside.
//
// --size WxH measures at another size than the desktop's (see desktopSize).
// Exits with 2 on bad options, 1 when the gas stopped on an overlap.

#include "app/App.hpp"
#include "app/DataFiles.hpp"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Mouse.hpp>
#include <SFML/Window/VideoMode.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <locale>
#include <memory>
#include <sstream>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <utility>
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
    // Field 22 of the file is the start time; fields 1 and 2 precede ')'.
    for (int i = 3; i <= 22 && fields >> field; ++i)
    {
    }
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    return nowMs - std::stod(field) * 1e3 / ticksPerSecond;
}

// A field of /proc/self/status in kB (VmHWM: peak resident memory).
long statusKb(const char* name)
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = -1;
    for (std::string line; std::getline(status, line);)
    {
        std::istringstream in(line);
        if (in >> key >> value && key == std::string(name) + ":")
            return value;
    }
    return -1;
}

std::string loadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Finds the data files as the program does; without them every text and
// picture draws nothing, and the figures flatter.
std::filesystem::path checkDataFiles()
{
    std::error_code error;
    const DataRoot data = findDataFiles(std::cerr);
    if (!data.hasFont || !std::filesystem::exists(data.root / imageFolder / "Theory.png", error))
        std::fprintf(stderr, "framecost: no fonts/ and images/ here or beside the program (build velorin_data)\n");
    return data.root;
}

// The size measured: the desktop's, or the one asked with --size. A window
// of another size than the desktop cannot be full-screen on a display that
// cannot change its mode (Xvfb): it is then a borderless window at the top
// left, which the software renderer fills alike.
sf::Vector2u askedSize;

sf::VideoMode desktopSize()
{
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    if (askedSize.x > 0 && askedSize.y > 0)
        return sf::VideoMode(askedSize.x, askedSize.y, 32);
    return sf::VideoMode(desktop.width, desktop.height, 32);
}

// The program's window settings: full-screen, anti-aliasing level 8 (another
// level only to see what the multisampling costs).
void openWindow(sf::RenderWindow& window, const char* title, unsigned antialiasing = 8)
{
    sf::ContextSettings context;
    context.antialiasingLevel = antialiasing;
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    const sf::VideoMode mode = desktopSize();
    const bool fullScreen = mode.width == desktop.width && mode.height == desktop.height;
    window.create(mode, sf::String(title, std::locale()), fullScreen ? sf::Style::Fullscreen : sf::Style::None,
                  context);
    if (!fullScreen)
        window.setPosition({0, 0});
}

void drainEvents(sf::RenderWindow& window, std::vector<sf::Event>& events)
{
    events.clear();
    for (sf::Event event; window.pollEvent(event);)
        events.push_back(event);
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
    enum class Mode
    {
        FrameCost,
        Parts,
        Startup,
        BareWindow
    } mode = Mode::FrameCost;
    bool bare = false;
    double seconds = 2.0;
    int rounds = 3;
    int warmup = 30;
    unsigned antialiasing = 8;
    std::string only; // screens whose name contains this, all when empty
};

void usage()
{
    std::fprintf(stderr,
                 "usage: framecost [--parts] [--size WxH] [--seconds S] [--rounds R] [--warmup N] [--aa LEVEL]\n"
                 "                 [--only SCREEN]\n"
                 "       framecost --startup [--bare] [--size WxH]\n"
                 "       framecost --bare-window\n");
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--startup")
            options.mode = Options::Mode::Startup;
        else if (arg == "--bare")
            options.bare = true;
        else if (arg == "--parts")
            options.mode = Options::Mode::Parts;
        else if (arg == "--only" && hasValue)
            options.only = argv[++i];
        else if (arg == "--size" && hasValue)
        {
            unsigned width = 0, height = 0;
            char by = 0;
            std::istringstream size(argv[++i]);
            if (!(size >> width >> by >> height) || by != 'x' || width == 0 || height == 0)
                return false;
            askedSize = {width, height};
        }
        else if (arg == "--aa" && hasValue)
            options.antialiasing = static_cast<unsigned>(std::atoi(argv[++i]));
        else if (arg == "--bare-window")
            options.mode = Options::Mode::BareWindow;
        else if (arg == "--seconds" && hasValue)
            options.seconds = std::atof(argv[++i]);
        else if (arg == "--rounds" && hasValue)
            options.rounds = std::atoi(argv[++i]);
        else if (arg == "--warmup" && hasValue)
            options.warmup = std::atoi(argv[++i]);
        else
            return false;
    }
    return options.seconds > 0 && options.rounds > 0 && options.warmup >= 0;
}

// ---------------------------------------------------------------- frame cost

// One timed stretch of frames on one window.
struct Segment
{
    int frames = 0;
    double wallMs = 0;           // the whole stretch
    std::vector<double> frameMs; // display to display
    double drawMs = 0;           // per frame, mean: events, clear and drawing calls
    double displayMs = 0;        // per frame, mean: display() (rasterising and presenting)
    double cpuMs = 0;            // per frame, mean: process CPU time

    double meanFrameMs() const { return frames ? wallMs / frames : 0; }
    double fps() const { return wallMs > 0 ? frames * 1e3 / wallMs : 0; }
};

// Runs `frame` (which draws into the window) for the warm-up frames, then for
// `seconds`, presenting each frame.
template <typename DrawFrame> Segment timeFrames(sf::RenderWindow& window, const Options& options, DrawFrame frame)
{
    for (int i = 0; i < options.warmup; ++i)
    {
        frame();
        window.display();
    }
    Segment s;
    const double cpuStart = processCpuMs();
    const SteadyClock::time_point start = SteadyClock::now();
    SteadyClock::time_point last = start;
    double drawTotal = 0, displayTotal = 0;
    while (msBetween(start, last) < options.seconds * 1e3)
    {
        frame();
        const SteadyClock::time_point drawn = SteadyClock::now();
        window.display();
        const SteadyClock::time_point shown = SteadyClock::now();
        drawTotal += msBetween(last, drawn);
        displayTotal += msBetween(drawn, shown);
        s.frameMs.push_back(msBetween(last, shown));
        last = shown;
        ++s.frames;
    }
    s.wallMs = msBetween(start, last);
    s.drawMs = drawTotal / s.frames;
    s.displayMs = displayTotal / s.frames;
    s.cpuMs = (processCpuMs() - cpuStart) / s.frames;
    return s;
}

constexpr const char* programTitle = "velorin-framecost";
constexpr double targetRatio = 1.25; // a screen's frame time against the floor's

// A bare window of the program's size and settings for one stretch. SFML
// allows one full-screen window at a time (a second one silently becomes an
// ordinary window), so the program's window is closed meanwhile and opened
// again afterwards; the program's drawables and textures outlive it.
Segment floorSegment(sf::RenderWindow& programWindow, const Options& options)
{
    programWindow.close();
    Segment s;
    {
        sf::RenderWindow bare;
        openWindow(bare, "velorin-floor", options.antialiasing);
        std::vector<sf::Event> events;
        s = timeFrames(bare, options,
                       [&]
                       {
                           drainEvents(bare, events);
                           bare.clear(sf::Color::White);
                       });
    }
    openWindow(programWindow, programTitle, options.antialiasing);
    return s;
}

struct ScreenCase
{
    const char* name;
    Screen screen;
    PotentialKind potential;
};

// The four screens as the program shows them after launch (the gas running,
// no potential selected), and the demonstration once more under each law
// with a curve.
constexpr ScreenCase screenCases[] = {
    {"start page", Screen::StartPage, PotentialKind::Zero},
    {"demonstration", Screen::Demonstration, PotentialKind::Zero},
    {"demonstration, att", Screen::Demonstration, PotentialKind::Attraction},
    {"demonstration, rep", Screen::Demonstration, PotentialKind::Repulsion},
    {"demonstration, LJ", Screen::Demonstration, PotentialKind::LennardJones},
    {"theory", Screen::Theory, PotentialKind::Zero},
    {"authors", Screen::Authors, PotentialKind::Zero},
};
constexpr int caseCount = static_cast<int>(sizeof screenCases / sizeof screenCases[0]);

bool wanted(const ScreenCase& c, const Options& options)
{
    return std::string(c.name).find(options.only) != std::string::npos;
}

void selectPotential(App& app, PotentialKind kind)
{
    app.run.selectedPotential = kind;
    for (std::size_t k = 0; k < app.run.potentialSelected.size(); ++k)
        app.run.potentialSelected[k] = k == static_cast<std::size_t>(kind);
}

// The program's own loop body, without input: the pointer sampled, the events
// drained, one frame with the measured time since the previous one.
Segment screenSegment(App& app, sf::RenderWindow& window, const ScreenCase& c, const Options& options)
{
    app.screen = c.screen;
    selectPotential(app, c.potential);
    std::vector<sf::Event> events;
    SteadyClock::time_point previous = SteadyClock::now();
    Segment s = timeFrames(window, options,
                           [&]
                           {
                               const sf::Vector2i pointer = sf::Mouse::getPosition(window);
                               drainEvents(window, events);
                               const SteadyClock::time_point now = SteadyClock::now();
                               const double elapsedMs = msBetween(previous, now);
                               previous = now;
                               runFrame(app, window, pointer, events, elapsedMs);
                           });
    selectPotential(app, PotentialKind::Zero);
    return s;
}

void printSegment(const char* name, const Segment& s, double floorMs)
{
    std::printf("  %-18s %7.1f fps  frame %6.2f ms (median %6.2f)  draw %5.2f  display %6.2f  cpu %6.2f", name, s.fps(),
                s.meanFrameMs(), median(s.frameMs), s.drawMs, s.displayMs, s.cpuMs);
    if (floorMs > 0)
        std::printf("  x%.2f", s.meanFrameMs() / floorMs);
    std::printf("\n");
}

// The program's start-up, in the entry point's order, into `window`.
std::unique_ptr<App> startProgram(sf::RenderWindow& window, const Options& options)
{
    const std::filesystem::path data = checkDataFiles();
    PictureDecoding pictures = decodePictures(data);
    const sf::VideoMode mode = desktopSize();
    auto app = std::make_unique<App>(makeScreenMetrics(mode.width, mode.height),
                                     static_cast<std::uint32_t>(std::time(nullptr)));
    loadFont(*app, data);
    openWindow(window, programTitle, options.antialiasing);
    buildDrawables(*app);
    loadPictures(app->pages, app->metrics, std::move(pictures), data, std::cerr);
    startGas(*app);
    return app;
}

int frameCost(const Options& options)
{
    sf::RenderWindow window;
    std::unique_ptr<App> app = startProgram(window, options);
    const sf::VideoMode mode = desktopSize();

    const sf::ContextSettings got = window.getSettings();
    std::printf("framecost: %ux%u, anti-aliasing %u granted (%u asked), OpenGL %u.%u, %.1f s per segment, "
                "%d warm-up frames, %d rounds\n",
                mode.width, mode.height, got.antialiasingLevel, options.antialiasing, got.majorVersion,
                got.minorVersion, options.seconds, options.warmup, options.rounds);
    std::printf("load average at start: %s\n", loadAverage().c_str());
    std::printf("per frame, ms: frame = display to display; draw = events, clear, drawing calls; display = "
                "display(); cpu = process CPU time (all threads). xN: mean frame time / the floors around it\n");

    // Per round: the mean frame time (wall), the process CPU time per frame,
    // and both against the mean of the two floor stretches around the round.
    struct Figures
    {
        std::vector<double> fps, frameMs, cpuMs, ratio, cpuRatio;
    };
    std::vector<Figures> figures(caseCount);
    Figures floorFigures;
    auto addFloor = [&](const Segment& s)
    {
        floorFigures.fps.push_back(s.fps());
        floorFigures.frameMs.push_back(s.meanFrameMs());
        floorFigures.cpuMs.push_back(s.cpuMs);
    };

    Segment before = floorSegment(window, options);
    addFloor(before);
    for (int round = 1; round <= options.rounds; ++round)
    {
        std::vector<Segment> segments;
        for (const ScreenCase& c : screenCases)
            segments.push_back(wanted(c, options) ? screenSegment(*app, window, c, options) : Segment{});
        const Segment after = floorSegment(window, options);
        addFloor(after);
        const double floorAround = (before.meanFrameMs() + after.meanFrameMs()) / 2;
        const double floorCpuAround = (before.cpuMs + after.cpuMs) / 2;

        std::printf("round %d (load %s)\n", round, loadAverage().c_str());
        printSegment("floor before", before, 0);
        for (int i = 0; i < caseCount; ++i)
        {
            if (!wanted(screenCases[i], options))
                continue;
            const Segment& s = segments[i];
            printSegment(screenCases[i].name, s, floorAround);
            figures[i].fps.push_back(s.fps());
            figures[i].frameMs.push_back(s.meanFrameMs());
            figures[i].cpuMs.push_back(s.cpuMs);
            figures[i].ratio.push_back(s.meanFrameMs() / floorAround);
            figures[i].cpuRatio.push_back(s.cpuMs / floorCpuAround);
        }
        printSegment("floor after", after, 0);
        before = after;
    }

    auto range = [](const std::vector<double>& v)
    {
        char text[48];
        std::snprintf(text, sizeof text, "x%.2f (x%.2f-%.2f)", median(v), *std::min_element(v.begin(), v.end()),
                      *std::max_element(v.begin(), v.end()));
        return std::string(text);
    };
    std::printf("medians over %d rounds; against the floor: median (lowest-highest round)\n", options.rounds);
    std::printf("  floor: %zu stretches, frame %.2f ms first, %.2f ms last\n", floorFigures.frameMs.size(),
                floorFigures.frameMs.front(), floorFigures.frameMs.back());
    std::printf("  %-18s %7.1f fps  frame %6.2f ms  cpu %6.2f ms\n", "floor", median(floorFigures.fps),
                median(floorFigures.frameMs), median(floorFigures.cpuMs));
    bool withinTarget = true;
    for (int i = 0; i < caseCount; ++i)
    {
        if (!wanted(screenCases[i], options))
            continue;
        const Figures& f = figures[i];
        const double ratio = median(f.ratio);
        withinTarget = withinTarget && ratio <= targetRatio;
        std::printf("  %-18s %7.1f fps  frame %6.2f ms  cpu %6.2f ms  frame %s  cpu %s%s\n", screenCases[i].name,
                    median(f.fps), median(f.frameMs), median(f.cpuMs), range(f.ratio).c_str(),
                    range(f.cpuRatio).c_str(), ratio <= targetRatio ? "" : "  above target");
    }
    std::printf("every screen within %.2fx the floor: %s\n", targetRatio, withinTarget ? "yes" : "no");
    std::printf("load average at end: %s\n", loadAverage().c_str());

    if (app->gas.overlapDetected())
    {
        std::printf("the gas stopped on an overlap during the run: later figures lack the particles\n");
        return 1;
    }
    return 0;
}

// ---------------------------------------------------------------- parts

// Where a frame's time goes: each part of a screen drawn alone over the
// cleared window, without the frame loop (the gas stands still).
struct Part
{
    const char* name;
    void (*draw)(App& app, sf::RenderTarget& target);
};

void drawMenuAndExit(App& app, sf::RenderTarget& target)
{
    for (ButtonId id : {ButtonId::MenuStartPage, ButtonId::MenuDemonstration, ButtonId::MenuTheory,
                        ButtonId::MenuAuthors, ButtonId::Exit})
    {
        target.draw(buttonAt(app.buttons, id).rectangle);
        target.draw(buttonAt(app.buttons, id).label);
    }
}

constexpr ButtonId demonstrationButtons[] = {ButtonId::Start,        ButtonId::Pause,     ButtonId::Reset,
                                             ButtonId::Attraction,   ButtonId::Repulsion, ButtonId::LennardJones,
                                             ButtonId::ZeroPotential};

const Part parts[] = {
    {"clear only", [](App&, sf::RenderTarget&) {}},
    {"one 10 x 10 square",
     [](App&, sf::RenderTarget& t)
     {
         static sf::RectangleShape square({10, 10});
         square.setPosition(100, 100);
         square.setFillColor(sf::Color::Black);
         t.draw(square);
     }},
    {"menu and exit", drawMenuAndExit},
    {"start page body",
     [](App& app, sf::RenderTarget& t)
     {
         DrawnAreas drawn;
         drawStartPage(t, app.pages, drawn);
     }},
    {"  two logos",
     [](App& app, sf::RenderTarget& t)
     {
         t.draw(app.pages.pictures[static_cast<int>(PictureId::FirstLogo)].sprite);
         t.draw(app.pages.pictures[static_cast<int>(PictureId::SecondLogo)].sprite);
     }},
    {"  outlined title",
     [](App& app, sf::RenderTarget& t) { t.draw(app.pages.texts[static_cast<int>(PageTextId::Title)]); }},
    {"authors page body",
     [](App& app, sf::RenderTarget& t)
     {
         DrawnAreas drawn;
         drawAuthorsPage(t, app.pages, drawn);
     }},
    {"theory page body",
     [](App& app, sf::RenderTarget& t) {
         drawTheoryPage(t, app.pages, {0, 0}, app.metrics);
     }},
    {"  theory image alone",
     [](App& app, sf::RenderTarget& t) { t.draw(app.pages.pictures[static_cast<int>(PictureId::Theory)].sprite); }},
    {"demonstration, whole",
     [](App& app, sf::RenderTarget& t)
     {
         app.screen = Screen::Demonstration;
         drawScreen(app, t, {0, 0});
     }},
    {"  gas channel", [](App& app, sf::RenderTarget& t) { t.draw(app.gasChannel); }},
    {"  button boxes, knobs",
     [](App& app, sf::RenderTarget& t)
     {
         for (ButtonId id : demonstrationButtons)
             t.draw(buttonAt(app.buttons, id).rectangle);
         DrawnAreas drawn;
         drawSliderFrames(t, app.sliders, drawn);
         drawKnobs(t, app.sliders);
     }},
    {"  button, slider texts",
     [](App& app, sf::RenderTarget& t)
     {
         for (ButtonId id : demonstrationButtons)
             t.draw(buttonAt(app.buttons, id).label);
         drawSliderLabels(t, app.sliders);
         t.draw(app.potentialHeading);
         t.draw(app.graph.graphTitle);
         drawSliderValues(t, app.sliders, app.settings, app.formatNumber, app.metrics);
     }},
    {"  graph, zero", [](App& app, sf::RenderTarget& t)
     { drawPotentialGraph(t, app.graph, PotentialKind::Zero, app.settings.coefficientC); }},
    {"  graph, LJ", [](App& app, sf::RenderTarget& t)
     { drawPotentialGraph(t, app.graph, PotentialKind::LennardJones, app.settings.coefficientC); }},
    {"  histogram panel", [](App& app, sf::RenderTarget& t) { drawHistogramPanel(t, app.histogram, app.gas); }},
};
constexpr int partCount = static_cast<int>(sizeof parts / sizeof parts[0]);

int partCosts(const Options& options)
{
    sf::RenderWindow window;
    std::unique_ptr<App> app = startProgram(window, options);
    // Some seconds of gas and readouts, so that the histogram has bars.
    app->screen = Screen::Demonstration;
    std::vector<sf::Event> events;
    for (int i = 0; i < 200; ++i)
    {
        window.clear(sf::Color::White);
        runFrame(*app, window, {0, 0}, events, 16.0);
    }
    std::printf("parts: each drawn alone over the cleared program window (anti-aliasing %u granted), %.1f s "
                "each, %d rounds; load %s\n",
                window.getSettings().antialiasingLevel, options.seconds, options.rounds, loadAverage().c_str());

    // Each part right after a stretch of the clear alone, so that a machine
    // whose speed drifts (others' work) shifts both alike; the extra of a
    // part is taken against the clear just before it.
    auto stretch = [&](const Part& part)
    {
        return timeFrames(window, options,
                          [&]
                          {
                              drainEvents(window, events);
                              window.clear(sf::Color::White);
                              part.draw(*app, window);
                          });
    };
    std::vector<std::vector<double>> frameMs(partCount), cpuMs(partCount), drawMs(partCount);
    std::vector<std::vector<double>> extraMs(partCount), extraCpuMs(partCount);
    for (int round = 0; round < options.rounds; ++round)
        for (int i = 0; i < partCount; ++i)
        {
            const Segment clear = stretch(parts[0]);
            const Segment s = i == 0 ? clear : stretch(parts[i]);
            frameMs[i].push_back(s.meanFrameMs());
            cpuMs[i].push_back(s.cpuMs);
            drawMs[i].push_back(s.drawMs);
            extraMs[i].push_back(s.meanFrameMs() - clear.meanFrameMs());
            extraCpuMs[i].push_back(s.cpuMs - clear.cpuMs);
        }

    std::printf("medians, ms per frame; extra = over the \"clear only\" stretch just before\n");
    for (int i = 0; i < partCount; ++i)
        std::printf("  %-24s frame %6.2f (extra %+6.2f)  cpu %6.2f (extra %+6.2f)  drawing calls %5.2f\n",
                    parts[i].name, median(frameMs[i]), median(extraMs[i]), median(cpuMs[i]), median(extraCpuMs[i]),
                    median(drawMs[i]));
    std::printf("load average at end: %s\n", loadAverage().c_str());
    return 0;
}

// ---------------------------------------------------------------- start-up

struct Phase
{
    const char* name;
    double atMs;     // since the top of main
    long residentKb; // VmRSS then
};

void printStartup(const std::vector<Phase>& phases, double startToMainMs)
{
    double previous = 0;
    for (const Phase& p : phases)
    {
        std::printf("  %-22s %8.1f ms  (+%5.1f)  resident %7ld kB\n", p.name, p.atMs, p.atMs - previous, p.residentKb);
        previous = p.atMs;
    }
    if (startToMainMs >= 0)
        std::printf("  process start to main  %8.0f ms  (10 ms ticks)\n  process start to first frame %6.0f ms\n",
                    startToMainMs, startToMainMs + previous);
}

int startup(const Options& options)
{
    const double startToMainMs = msSinceProcessStart();
    const SteadyClock::time_point top = SteadyClock::now();
    std::vector<Phase> phases;
    auto mark = [&](const char* name) {
        phases.push_back({name, msBetween(top, SteadyClock::now()), statusKb("VmRSS")});
    };

    const sf::VideoMode mode = desktopSize();
    mark("desktop mode");
    sf::RenderWindow window;
    if (options.bare)
    {
        openWindow(window, "velorin-bare");
        mark("window created");
        window.clear(sf::Color::White);
        window.display();
        mark("first frame presented");
        std::printf("bare window start-up, %ux%u:\n", mode.width, mode.height);
        printStartup(phases, startToMainMs);
        std::printf("  peak resident memory   %8ld kB\n", statusKb("VmHWM"));
        return 0;
    }

    (void)mallopt(M_MMAP_THRESHOLD, 1 << 20); // as the program does
    const std::filesystem::path data = checkDataFiles();
    PictureDecoding pictures = decodePictures(data); // while the window opens, as the program does
    auto app = std::make_unique<App>(makeScreenMetrics(mode.width, mode.height),
                                     static_cast<std::uint32_t>(std::time(nullptr)));
    // Its first texture member brings up SFML's shared OpenGL context.
    mark("program state made");
    loadFont(*app, data);
    mark("font loaded");
    openWindow(window, "velorin-startup");
    mark("window created");
    buildDrawables(*app);
    mark("drawables built");
    loadPictures(app->pages, app->metrics, std::move(pictures), data, std::cerr);
    mark("pictures loaded");
    startGas(*app);
    mark("gas set up");
    std::vector<sf::Event> events;
    const sf::Vector2i pointer = sf::Mouse::getPosition(window);
    drainEvents(window, events);
    runFrame(*app, window, pointer, events, 0.0);
    mark("first frame drawn");
    window.display();
    mark("first frame presented");

    std::printf("program start-up, %ux%u:\n", mode.width, mode.height);
    printStartup(phases, startToMainMs);
    std::printf("  peak resident memory   %8ld kB after the first frame\n", statusKb("VmHWM"));
    // Every screen once, so that every glyph and texture has been used.
    for (Screen screen : {Screen::Demonstration, Screen::Theory, Screen::Authors, Screen::StartPage})
    {
        app->screen = screen;
        drainEvents(window, events);
        runFrame(*app, window, pointer, events, 16.0);
        window.display();
    }
    std::printf("  peak resident memory   %8ld kB after one frame of each screen\n", statusKb("VmHWM"));
    return 0;
}

// A bare window until it is closed or clicked, for measurements from outside.
int bareWindow()
{
    sf::RenderWindow window;
    openWindow(window, "velorin-bare");
    while (window.isOpen())
    {
        for (sf::Event event; window.pollEvent(event);)
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
    Options options;
    if (!parse(argc, argv, options))
    {
        usage();
        return 2;
    }
    switch (options.mode)
    {
    case Options::Mode::Startup: return startup(options);
    case Options::Mode::BareWindow: return bareWindow();
    case Options::Mode::Parts: return partCosts(options);
    case Options::Mode::FrameCost: break;
    }
    return frameCost(options);
}
