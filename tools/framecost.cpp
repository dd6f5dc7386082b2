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
//   framecost --fill: what the renderer charges per pixel (a block of half
//       the window, flat or from a texture), per small quad and per glyph,
//       each against bare frames in the same window as --interleaved.
//   (--size: see ToolWindow.hpp; the start-up is measured by tools/startup)
// Exits with 2 on bad options, 1 when the gas stopped on an overlap.

#include "ToolWindow.hpp"

#include <SFML/Window/Mouse.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
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
    bool fill = false;
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

// `frame` (clear and drawing) in stretches of 10 frames, each followed by 10
// bare frames in the same window, for the seconds asked per round; the first
// two frames after a switch are not counted. Per round, the medians of each.
struct Alternation
{
    std::vector<double> frameMs, bareMs;
};
template <typename DrawFrame> Alternation alternateWithBare(sf::RenderWindow& window, const Options& o, DrawFrame frame)
{
    constexpr int stretch = 10, settle = 2;
    for (int i = 0; i < o.warmup; ++i)
        frame(), window.display();
    Alternation a;
    for (int round = 0; round < o.rounds; ++round)
    {
        std::vector<double> drawn, bare;
        const SteadyClock::time_point start = SteadyClock::now();
        for (int k = 0; msBetween(start, SteadyClock::now()) < o.seconds * 1e3 || k % (2 * stretch) != 0; ++k)
        {
            const bool bareFrame = (k / stretch) % 2 == 1;
            const SteadyClock::time_point t0 = SteadyClock::now();
            if (bareFrame)
                drainEvents(window), window.clear(sf::Color::White);
            else
                frame();
            window.display();
            if (k % stretch >= settle)
                (bareFrame ? bare : drawn).push_back(msBetween(t0, SteadyClock::now()));
        }
        a.frameMs.push_back(median(drawn));
        a.bareMs.push_back(median(bare));
    }
    return a;
}

// Each screen against the bare frames taken beside it.
int interleavedCost(const Options& o)
{
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
        const Alternation a = alternateWithBare(window, o,
                                                [&]
                                                {
                                                    const sf::Vector2i pointer = sf::Mouse::getPosition(window);
                                                    const std::vector<sf::Event> events = drainEvents(window);
                                                    const SteadyClock::time_point now = SteadyClock::now();
                                                    runFrame(*app, window, pointer, events, msBetween(previous, now));
                                                    previous = now;
                                                });
        std::vector<double> ratios;
        for (std::size_t i = 0; i < a.frameMs.size(); ++i)
            ratios.push_back(a.frameMs[i] / a.bareMs[i]);
        const bool within = median(ratios) <= targetRatio;
        withinTarget = withinTarget && within;
        std::printf("  %-18s frame %6.2f  bare %6.2f  ms (medians)  %s%s\n", c.name, median(a.frameMs),
                    median(a.bareMs), range(ratios).c_str(), within ? "" : "  above target");
    }
    std::printf("every screen within %.2fx the bare frame: %s\nload average at end: %s\n", targetRatio,
                withinTarget ? "yes" : "no", loadAverage().c_str());
    return app->gas.core().overlapDetected() ? 1 : 0;
}

// What the renderer charges for the kinds of drawing the screens are made
// of, each drawn alone over the clear against the bare frames beside it: a
// block of half the window's width and height (per pixel), small quads and
// the pages' own texts (per quad, per glyph). Positions are a third of a
// pixel off the grid, as most of a scaled layout is, but for the texture
// shown texel for pixel (the theory page at 1920 x 1080).
int fillCost(const Options& o)
{
    sf::RenderWindow window;
    const std::unique_ptr<App> app = startToolProgram(window, o.size, programTitle, o.antialiasing);
    const sf::Vector2u windowSize = window.getSize();
    const sf::Vector2f corner(windowSize.x / 4 + 1 / 3.0f, windowSize.y / 4 + 1 / 3.0f);
    const sf::Vector2u block(windowSize.x / 2, windowSize.y / 2);
    const double blockPixels = double(block.x) * block.y;

    sf::RectangleShape flat{sf::Vector2f(block)};
    flat.setPosition(corner);
    flat.setFillColor(sf::Color(225, 235, 250));
    // A texture half as large again as the block, so that two thirds of it
    // cover the block, as the theory page is shown at 1280 x 720; dark lines
    // on light, like a page of text.
    sf::Image paper;
    paper.create(block.x * 3 / 2, block.y * 3 / 2, sf::Color(250, 250, 250));
    for (unsigned y = 0; y < paper.getSize().y; y += 3)
        for (unsigned x = y % 7; x < paper.getSize().x; x += 2)
            paper.setPixel(x, y, sf::Color(20, 40, 90));
    sf::Texture sharp, smooth;
    if (!sharp.loadFromImage(paper) || !smooth.loadFromImage(paper))
    {
        std::fprintf(stderr, "framecost: no texture of %ux%u\n", paper.getSize().x, paper.getSize().y);
        return 1;
    }
    smooth.setSmooth(true);
    sf::Sprite oneToOne(sharp, sf::IntRect(0, 0, int(block.x), int(block.y)));
    oneToOne.setPosition(std::floor(corner.x), std::floor(corner.y)); // texel for pixel
    sf::Sprite twoThirds(smooth);
    twoThirds.setPosition(corner);
    twoThirds.setScale(2 / 3.0f, 2 / 3.0f);

    // As many quads as a screen has small shapes and glyphs, on a grid that
    // fits the smallest window (640 x 360: 40 x 15 places).
    constexpr int quadCount = 250;
    const int columns = int(windowSize.x) / 16;
    sf::VertexArray quads(sf::Triangles);
    for (int i = 0; i < quadCount; ++i)
    {
        const float x = 1 / 3.0f + float(i % columns) * 16, y = 1 / 3.0f + float(i / columns) * 24, w = 12, h = 18;
        for (const sf::Vector2f v :
             {sf::Vector2f(x, y), {x + w, y}, {x, y + h}, {x, y + h}, {x + w, y}, {x + w, y + h}})
            quads.append(sf::Vertex(v, sf::Color(40, 60, 200)));
    }
    int glyphs = 0; // without the font the texts draw nothing
    if (!app->font.getInfo().family.empty())
        for (const sf::Text& text : app->pages.texts)
            for (const sf::Uint32 c : text.getString())
                glyphs += c != ' ' && c != '\t' && c != '\n'; // white space has no quad
    if (glyphs == 0)
    {
        std::fprintf(stderr, "framecost: the pages have no texts to draw (no font found)\n");
        return 1;
    }

    const sf::RenderStates opaque(sf::BlendNone);
    struct Item
    {
        const char* name;
        double count;     // of what the extra time is divided among
        double unitPerMs; // 1e6 for ns, 1e3 for us
        const char* per;
        std::function<void()> draw;
    };
    const Item items[] = {
        {"flat block, opaque", blockPixels, 1e6, "ns per pixel", [&] { window.draw(flat, opaque); }},
        {"texture 1:1, opaque", blockPixels, 1e6, "ns per pixel", [&] { window.draw(oneToOne, opaque); }},
        {"texture 1:1, blended", blockPixels, 1e6, "ns per pixel", [&] { window.draw(oneToOne); }},
        {"texture x2/3 smoothed, opaque", blockPixels, 1e6, "ns per pixel", [&] { window.draw(twoThirds, opaque); }},
        {"250 quads 12x18, opaque", quadCount, 1e3, "us per quad", [&] { window.draw(quads, opaque); }},
        {"the pages' texts", double(glyphs), 1e3, "us per glyph",
         [&]
         {
             for (const sf::Text& text : app->pages.texts)
                 window.draw(text);
         }},
    };
    std::printf("framecost --fill: %ux%u, anti-aliasing %u granted, %.1f s per item and round, %d rounds; block "
                "%ux%u, %d glyphs; load average at start %s\n",
                windowSize.x, windowSize.y, window.getSettings().antialiasingLevel, o.seconds, o.rounds, block.x,
                block.y, glyphs, loadAverage().c_str());
    std::printf("extra ms per frame over the bare frames beside it: median (lowest-highest round), and per unit\n");
    std::vector<double> bareMs;
    for (const Item& item : items)
    {
        const Alternation a =
            alternateWithBare(window, o, [&] { drainEvents(window), window.clear(sf::Color::White), item.draw(); });
        std::vector<double> extra;
        for (std::size_t i = 0; i < a.frameMs.size(); ++i)
            extra.push_back(a.frameMs[i] - a.bareMs[i]);
        bareMs.insert(bareMs.end(), a.bareMs.begin(), a.bareMs.end());
        std::printf("  %-30s %+6.3f (%+.3f to %+.3f)  %6.2f %s\n", item.name, median(extra),
                    *std::min_element(extra.begin(), extra.end()), *std::max_element(extra.begin(), extra.end()),
                    median(extra) * item.unitPerMs / item.count, item.per);
    }
    std::printf("  %-30s %6.3f ms  %6.2f ns per window pixel\nload average at end: %s\n", "bare frame", median(bareMs),
                median(bareMs) * 1e6 / (double(windowSize.x) * windowSize.y), loadAverage().c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    CLI::App cli("framecost: what a frame of each screen costs against a bare window", "framecost");
    const auto parts = cli.add_flag("--parts", o.parts, "Each screen's backdrop and content alone");
    const auto interleaved =
        cli.add_flag("--interleaved", o.interleaved, "Each screen alternating with bare frames in the same window");
    cli.add_flag("--fill", o.fill, "What the renderer charges per pixel, quad and glyph, against bare frames")
        ->excludes(parts)
        ->excludes(interleaved);
    parts->excludes(interleaved);
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
    return o.parts ? partCosts(o) : o.interleaved ? interleavedCost(o) : o.fill ? fillCost(o) : frameCost(o);
}
