// The program's window and start-up as the measuring tools open them: real
// windows, full-screen at the desktop's size; another --size gives a
// borderless window at the top left, for a display that cannot change its
// mode (Xvfb).
#pragma once

#include "app/App.hpp"
#include "app/DataFiles.hpp"
#include "base/ScreenSize.hpp"

#include <CLI/CLI.hpp>

#include <SFML/Window/VideoMode.hpp>

#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

// --size WxH, the desktop's size when not given (zero).
inline void addSizeOption(CLI::App& cli, ScreenSize& size)
{
    cli.add_option_function<std::string>(
           "--size",
           [&size](const std::string& text)
           {
               std::string why;
               const std::optional<ScreenSize> parsed = parseScreenSize(text, why);
               if (!parsed)
                   throw CLI::ValidationError("--size", why);
               size = *parsed;
           },
           "WxH instead of the desktop's size")
        ->type_name("WxH");
}

inline ScreenMetrics toolMetrics(ScreenSize size)
{
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    return size.width ? makeScreenMetrics(size.width, size.height) : makeScreenMetrics(desktop.width, desktop.height);
}

inline void openToolWindow(sf::RenderWindow& window, ScreenSize size, const char* title, unsigned antialiasing = 8)
{
    const ScreenMetrics m = toolMetrics(size);
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    const bool fullScreen = m.screenWidth == desktop.width && m.screenHeight == desktop.height;
    openProgramWindow(window, m, fullScreen ? sf::Style::Fullscreen : sf::Style::None, title, antialiasing);
    if (!fullScreen)
        window.setPosition({0, 0});
}

// The program's own start-up; without its data every text and picture draws
// nothing, and the figures flatter.
inline std::unique_ptr<App> startToolProgram(sf::RenderWindow& window, ScreenSize size, const char* title,
                                             unsigned antialiasing = 8,
                                             const std::function<void(const char*)>& phase = {})
{
    const DataRoot data = findDataFiles(std::cerr);
    if (!data.hasFont)
        std::fprintf(stderr, "no fonts/ and images/ here or beside the program (build velorin_data)\n");
    return startProgram(
        toolMetrics(size), data, static_cast<std::uint32_t>(std::time(nullptr)), std::cerr,
        [&] { openToolWindow(window, size, title, antialiasing); }, phase);
}

inline std::vector<sf::Event> drainEvents(sf::RenderWindow& window)
{
    std::vector<sf::Event> events;
    for (sf::Event event; window.pollEvent(event);)
        events.push_back(event);
    return events;
}
