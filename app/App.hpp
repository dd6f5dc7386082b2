#pragma once

#include "base/Button.hpp"
#include "base/PaceClock.hpp"
#include "app/DataFiles.hpp"
#include "app/Pages.hpp"
#include "app/Screen.hpp"
#include "demo/HistogramPanel.hpp"
#include "demo/NumberFormat.hpp"
#include "demo/PotentialGraph.hpp"
#include "demo/ReadoutRecord.hpp"
#include "demo/RunControls.hpp"
#include "demo/Slider.hpp"
#include "demo/TheoryOverlay.hpp"
#include "sim/GasModel.hpp"

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Event.hpp>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

// Everything the program owns for the whole run: the font, the state of the
// demonstration, every drawable of every screen, and the one gas.
struct App
{
    App(const ScreenMetrics& metrics, std::uint32_t seed);
    App(const App&) = delete; // the backdrops point into it
    App& operator=(const App&) = delete;

    ScreenMetrics metrics;
    sf::Font font;

    Screen screen = Screen::StartPage;
    RunState run;
    GasSettings settings;
    BondFlags bonded{};
    PaceClock simulationClock; // paces the ticks: one when more than 11 ms have passed
    PaceClock readoutClock;    // paces the readouts: refreshed when more than 100 ms have passed
    NumberFormatter formatNumber;
    double sinceStartMs = 0.0; // the frames' elapsed times added up
    ReadoutRecord record;      // records nothing unless given a sink

    sf::RectangleShape gasChannel;
    Buttons buttons;
    SliderPanel sliders;
    sf::Text potentialHeading;
    PotentialGraph graph;
    HistogramPanel histogram;
    TheoryOverlay theory; // drawn only when enabled (velorin --theory)
    StaticPages pages;
    std::array<Backdrop, 4> backdrops; // indexed by Screen, built with the drawables

    GasModel gas;

    bool closeRequested = false; // the window closes after the current frame
};

// Start-up, in its order. The entry point opens the window between the font
// and the drawables. The font is read under the data folder `root` (empty:
// the working directory).
void loadFont(App& app, const std::filesystem::path& root = {});
void buildDrawables(App& app);
void makeGasChannel(sf::RectangleShape& channel, const ScreenMetrics& m); // the box the particles run in
void startGas(App& app); // pictures already loaded: restart the clocks, set up 15 particles, run
// velorin --theory: the exact free gas over the histogram and beside the
// readouts, from the gas as it is now set up on.
void enableTheory(App& app);
// Whether the theory is drawn this frame: enabled, not hidden by a press,
// and the gas set up and still selected under the zero law.
bool theoryVisible(const App& app);

// The program's window: multisampled at level 8 (or another level, only to
// measure what the multisampling costs).
void openProgramWindow(sf::RenderWindow& window, const ScreenMetrics& metrics, std::uint32_t style,
                       const char* title = "velorin", unsigned antialiasing = 8);
// The program's whole start-up, up to its first frame: the pictures are
// decoded while `openWindow` opens the window; pictures that did not load are
// said on `messages`. `phase`, when given, hears the
// end of each step by name (start-up timing).
std::unique_ptr<App> startProgram(const ScreenMetrics& metrics, const DataRoot& data, std::uint32_t seed,
                                  std::ostream& messages, const std::function<void()>& openWindow,
                                  const std::function<void(const char*)>& phase = {});

// A screen's white boxes, which it draws first (see Backdrop): the menu and
// the exit button, except on the theory page, whose picture scrolls under
// them; on the demonstration also the gas channel, the buttons, and the
// parameter boxes and tracks.
Backdrop backdropOf(Screen screen, const Buttons& buttons, const SliderPanel& sliders,
                    const sf::RectangleShape& gasChannel);

// One pass of the frame loop: the pointer sampled once (window pixels), the
// events of the pass, and the milliseconds since the previous pass. Draws
// the frame into the target; presenting it is the caller's.
void runFrame(App& app, sf::RenderTarget& target, sf::Vector2i pointer, const std::vector<sf::Event>& events,
              double elapsedMs);

// The parts of a frame, exposed for tests.
void hoverPass(App& app, sf::Vector2f pointer);
void pressDispatch(App& app, sf::Vector2f pointer);
void releaseDrags(App& app);
void tickSimulation(App& app);
// The current screen: its backdrop, then its content. On the way the
// demonstration refreshes its readouts (and records them) and moves dragged
// knobs, the theory page moves its dragged thumb.
void updateAndDrawScreen(App& app, sf::RenderTarget& target, sf::Vector2f pointer);
// What the screen draws over its backdrop, with the same updates.
void updateAndDrawContent(App& app, sf::RenderTarget& target, sf::Vector2f pointer);
