// The program's start-up step by step, from the process start to the first
// presented frame, with the resident memory at each step; tools/measure-startup
// runs it. It opens a real full-screen window: give it an X display of its
// own (Xvfb 1920 x 1080).
//
//   startup [--size WxH] [--bare]
//       --bare: a bare window of the same size and settings instead, which
//       only clears and presents.
//   startup --bare-window [--size WxH]: a bare window until it is closed or
//       clicked, as a baseline for measurements from outside.
//
// Exits with 2 on bad options.

#include "ToolWindow.hpp"

#include <SFML/Window/Mouse.hpp>

#include <chrono>
#include <fstream>
#include <malloc.h>
#include <sstream>
#include <unistd.h>

namespace
{
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

int startup(ScreenSize size, bool bare)
{
    const double startToMainMs = msSinceProcessStart();
    const auto top = std::chrono::steady_clock::now();
    double previous = 0;
    auto mark = [&](const char* name)
    {
        const double at = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - top).count();
        std::printf("  %-22s %8.1f ms  (+%5.1f)  resident %7ld kB\n", name, at, at - previous, statusKb("VmRSS"));
        previous = at;
    };
    const ScreenMetrics m = toolMetrics(size);
    std::printf("%s start-up, %.0fx%.0f:\n", bare ? "bare window" : "program", m.screenWidth, m.screenHeight);
    sf::RenderWindow window;
    std::unique_ptr<App> app;
    if (bare)
    {
        openToolWindow(window, size, "velorin-bare");
        mark("window created");
        window.clear(sf::Color::White);
    }
    else
    {
        (void)mallopt(M_MMAP_THRESHOLD, 1 << 20); // as the program does
        app = startToolProgram(window, size, "velorin-startup", 8, mark);
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

int bareWindow(ScreenSize size)
{
    sf::RenderWindow window;
    openToolWindow(window, size, "velorin-bare");
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
    CLI::App cli("startup: the program's start-up step by step, or a bare window's", "startup");
    bool bare = false, window = false;
    ScreenSize size{};
    cli.add_flag("--bare", bare, "A bare window's start-up instead of the program's");
    cli.add_flag("--bare-window", window, "A bare window until it is closed or clicked");
    addSizeOption(cli, size);
    try
    {
        cli.parse(argc, argv);
    }
    catch (const CLI::ParseError& e)
    {
        return cli.exit(e) == 0 ? 0 : 2;
    }
    return window ? bareWindow(size) : startup(size, bare);
}
