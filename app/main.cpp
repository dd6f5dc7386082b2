#include "app/App.hpp"
#include "app/DataFiles.hpp"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/System/Clock.hpp>
#include <SFML/Window/Mouse.hpp>
#include <SFML/Window/VideoMode.hpp>

#include <ctime>
#include <iostream>
#include <locale>
#include <malloc.h>
#include <memory>
#include <utility>

namespace
{
// Captured once, before the entry point: the program follows the desktop it
// was started on, and never the one it may later be moved to.
const ScreenMetrics desktopMetrics =
    makeScreenMetrics(sf::VideoMode::getDesktopMode().width, sf::VideoMode::getDesktopMode().height);
} // namespace

int main()
{
    // Large blocks (the decoded pictures, tens of megabytes) straight from
    // and back to the system: otherwise the heap keeps them after they are
    // freed and the resident memory never comes down.
    (void)mallopt(M_MMAP_THRESHOLD, 1 << 20);
    (void)findDataFiles();                       // without them the texts and pictures draw nothing
    PictureDecoding pictures = decodePictures(); // while the window opens
    auto app = std::make_unique<App>(desktopMetrics, static_cast<std::uint32_t>(std::time(nullptr)));
    loadFont(*app);

    sf::ContextSettings context;
    context.antialiasingLevel = 8;
    auto window = std::make_unique<sf::RenderWindow>();
    window->create(sf::VideoMode(static_cast<unsigned>(desktopMetrics.screenWidth),
                                 static_cast<unsigned>(desktopMetrics.screenHeight), 32),
                   sf::String("velorin", std::locale()), sf::Style::Fullscreen, context);

    buildDrawables(*app);
    loadPictures(app->pages, app->metrics, std::move(pictures));
    startGas(*app);

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

    const bool overlapped = app->gas.overlapDetected();
    window.reset();
    app.reset();
    if (overlapped)
    {
        std::cerr << "velorin: two particles overlapped by more than 2 pixels; the simulation had to stop.\n";
        return 1;
    }
    return 0;
}
