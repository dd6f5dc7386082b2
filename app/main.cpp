#include "app/App.hpp"
#include "app/CommandLine.hpp"
#include "app/DataFiles.hpp"
#include "app/DisplayCheck.hpp"
#include "app/LibraryMessages.hpp"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/System/Clock.hpp>
#include <SFML/Window/Mouse.hpp>
#include <SFML/Window/VideoMode.hpp>

#include <algorithm>
#include <ctime>
#include <iostream>
#include <locale>
#include <malloc.h>
#include <memory>
#include <string>
#include <utility>

namespace
{
// Read once, at start-up and after the command line (--help and its like
// need no display): the program follows the window or the desktop it was
// started with, and never the one it may later be moved to.
ScreenMetrics screenMetricsFor(const Options& options)
{
    if (options.window)
        return makeScreenMetrics(options.window->width, options.window->height);
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    return makeScreenMetrics(desktop.width, desktop.height);
}

// Centred on the desktop and wholly on it while it fits (the top left corner
// when it does not): the window system would put it where SFML asks, which
// centres the height on the desktop's width.
sf::Vector2i centredOn(const sf::VideoMode& desktop, const sf::Vector2u& window)
{
    const auto centre = [](unsigned outer, unsigned inner)
    { return std::max(0, (static_cast<int>(outer) - static_cast<int>(inner)) / 2); };
    return {centre(desktop.width, window.x), centre(desktop.height, window.y)};
}

// A window larger than the desktop would put its menu and its close button
// out of reach: refused before any window opens, with the largest size of
// its shape that fits.
bool fitsDesktop(ScreenSize window, std::ostream& err)
{
    const sf::VideoMode mode = sf::VideoMode::getDesktopMode();
    const ScreenSize desktop{mode.width, mode.height};
    const ScreenSize fitting = largestOfShapeOn(window, desktop);
    if (fitting.width == window.width && fitting.height == window.height)
        return true;
    err << "velorin: --window " << sizeText(window) << " is larger than the desktop, " << sizeText(desktop) << "; ";
    if (fitting.width >= smallestScreen.width && fitting.height >= smallestScreen.height)
        err << sizeText(fitting) << " has its shape and fits, or ";
    err << "leave out --window for the full screen.\n";
    return false;
}

// An ordinary window keeps its size: title bar and close button, no resizing.
std::uint32_t windowStyle(const Options& options)
{
    return options.window ? sf::Style::Titlebar | sf::Style::Close : sf::Style::Fullscreen;
}
} // namespace

int main(int argc, char* argv[])
{
    // Large blocks (the decoded pictures, tens of megabytes) straight from
    // and back to the system: otherwise the heap keeps them after they are
    // freed and the resident memory never comes down.
    (void)mallopt(M_MMAP_THRESHOLD, 1 << 20);
    Options options;
    if (const std::optional<int> status = parseCommandLine(argc, argv, VELORIN_VERSION, options, std::cout, std::cerr))
        return *status;
    const LibraryMessages held; // a normal start prints nothing
    // Held until the window is open (see holdDisplay).
    DisplayHold display = holdDisplay(std::cerr);
    if (!display)
        return 1;
    if (options.window && !fitsDesktop(*options.window, std::cerr))
        return 2;
    // A relative FILE is where the user started the program.
    ReadoutRecord record = options.recordPath ? openReadoutRecord(*options.recordPath, std::cerr) : ReadoutRecord();

    const DataRoot data = findDataFiles(std::cerr); // without it the texts and pictures draw nothing
    const ScreenMetrics metrics = screenMetricsFor(options);
    auto window = std::make_unique<sf::RenderWindow>();
    auto app = startProgram(metrics, data, static_cast<std::uint32_t>(std::time(nullptr)), std::cerr,
                            [&]
                            {
                                openProgramWindow(*window, metrics, windowStyle(options));
                                if (options.window && window->isOpen())
                                    window->setPosition(centredOn(sf::VideoMode::getDesktopMode(), window->getSize()));
                            });
    app->record = std::move(record);
    display.reset(); // the window holds its own connection now
    if (!window->isOpen())
    {
        const std::string said = takeLibraryMessages();
        std::cerr << "velorin: the window could not be opened" << (said.empty() ? "" : " (" + said + ")") << ".\n";
        return 1;
    }
    (void)takeLibraryMessages(); // what a normal start says: vertical sync, the context granted
    if (options.theory)
        enableTheory(*app);

    sf::Clock frameClock;
    std::vector<sf::Event> events;
    events.reserve(64);
    while (window->isOpen())
    {
        const sf::Vector2i pointer = sf::Mouse::getPosition(*window);
        events.clear();
        for (sf::Event event; window->pollEvent(event);)
            events.push_back(event);

        const double elapsedMs = static_cast<double>(frameClock.restart().asMicroseconds()) / 1000.0;
        runFrame(*app, *window, pointer, events, elapsedMs);
        // A frame that asked to close is not presented: the window goes first.
        if (app->closeRequested)
            window->close();
        window->display();
    }

    const bool overlapped = app->gas.core().overlapDetected();
    window.reset();
    app.reset();
    if (overlapped)
    {
        std::cerr << "velorin: two particles overlapped by more than 2 pixels; the simulation had to stop.\n";
        return 1;
    }
    return 0;
}
