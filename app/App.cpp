#include "app/App.hpp"
#include "app/DataFiles.hpp"

#include <iostream>
#include <locale>

namespace
{
constexpr ButtonId menuItems[] = {ButtonId::MenuStartPage, ButtonId::MenuDemonstration, ButtonId::MenuTheory,
                                  ButtonId::MenuAuthors};

// The potential buttons in dispatch order, with the law each selects.
struct PotentialButton
{
    ButtonId button;
    PotentialKind kind;
};
constexpr PotentialButton potentialButtons[] = {
    {ButtonId::Attraction, PotentialKind::Attraction},
    {ButtonId::Repulsion, PotentialKind::Repulsion},
    {ButtonId::LennardJones, PotentialKind::LennardJones},
    {ButtonId::ZeroPotential, PotentialKind::Zero},
};

constexpr ButtonId demonstrationButtons[] = {ButtonId::Start,        ButtonId::Pause,     ButtonId::Reset,
                                             ButtonId::Attraction,   ButtonId::Repulsion, ButtonId::LennardJones,
                                             ButtonId::ZeroPotential};

bool isSelected(const App& app, ButtonId id)
{
    for (const PotentialButton& p : potentialButtons)
        if (p.button == id)
            return app.run.potentialSelected[static_cast<std::size_t>(p.kind)];
    return false;
}

sf::RectangleShape& rectangleOf(App& app, ButtonId id) { return buttonAt(app.buttons, id).rectangle; }

bool hits(App& app, ButtonId id, sf::Vector2f pointer) { return isUnderPointer(rectangleOf(app, id), pointer); }

// The labels of the menu and of the exit button; their boxes are in the
// backdrop except on the theory page.
void drawMenuAndExitLabels(App& app, sf::RenderTarget& target)
{
    for (ButtonId id : menuItems)
        target.draw(buttonAt(app.buttons, id).label);
    target.draw(buttonAt(app.buttons, ButtonId::Exit).label);
}

// At every set-up of the gas: the exact free gas of its count, width and
// screen when it runs under the zero law, and the means begun anew.
void setUpTheoryForGas(App& app)
{
    if (!app.theory.enabled)
        return;
    if (app.settings.law != PotentialKind::Zero)
    {
        setUpTheory(app.theory, nullptr, app.formatNumber);
        return;
    }
    const FreeGasPrediction exact =
        freeGasPrediction(app.gas.core().particleCount(), app.gas.core().particleWidth(), app.metrics);
    setUpTheory(app.theory, &exact, app.formatNumber);
}

// The theory hides or shows only where it would be drawn.
bool theoryPressable(const App& app)
{
    return app.theory.enabled && app.theory.known && app.run.started && app.settings.law == PotentialKind::Zero;
}

// Draws the demonstration screen; on the way, as its order has it, refreshes
// the readouts when due (recording a row) and moves the dragged knobs.
void updateAndDrawDemonstration(App& app, sf::RenderTarget& target, sf::Vector2f pointer)
{
    drawKnobs(target, app.sliders);
    for (ButtonId id : demonstrationButtons)
        target.draw(buttonAt(app.buttons, id).label);
    drawSliderLabels(target, app.sliders);
    target.draw(app.potentialHeading);
    target.draw(app.graph.graphTitle);

    drawPotentialGraph(target, app.graph, app.settings.law, app.settings.C);

    if (app.run.started)
    {
        if (!app.run.paused && app.readoutClock.wholeMilliseconds() > 100)
        {
            refreshReadouts(app.histogram, app.gas, app.formatNumber, app.readoutClock);
            if (app.theory.enabled)
                refreshTheoryMeans(app.theory, app.formatNumber);
            app.record.write(app.sinceStartMs, app.settings, app.histogram, app.gas);
        }
        drawHistogramPanel(target, app.histogram, app.gas);
        if (theoryVisible(app))
            drawTheoryOverlay(target, app.theory, app.gas);
    }

    updateSliders(app.sliders, app.settings, app.run.needsSetup, pointer, app.metrics);
    writeSliderValues(app.sliders, app.settings, app.formatNumber, app.metrics);
    drawSliderValues(target, app.sliders);
}
} // namespace

App::App(const ScreenMetrics& metrics_, std::uint32_t seed) : metrics(metrics_), gas(metrics_, std::mt19937(seed)) {}

void loadFont(App& app, const std::filesystem::path& root)
{
    // A missing font is not fatal: every text then draws nothing. The data
    // lookup has already said where it looked for one.
    std::error_code error;
    if (std::filesystem::exists(root / fontFile, error))
        (void)app.font.loadFromFile((root / fontFile).string());
}

void makeGasChannel(sf::RectangleShape& channel, const ScreenMetrics& m) { makeBox(channel, 0, 70, 1920, 140, m); }

void buildDrawables(App& app)
{
    const ScreenMetrics& m = app.metrics;
    makeGasChannel(app.gasChannel, m);
    buildPotentialGraph(app.graph, app.font, m);
    buildHistogramPanel(app.histogram, app.font, m, app.formatNumber);
    buildTheoryOverlay(app.theory, app.font, m);

    buildButtons(app.buttons, app.font, m);
    buildSliders(app.sliders, app.font, m);
    buildStaticPages(app.pages, app.font, m);
    makeText(app.potentialHeading, app.font, L"Выберите потенциал:", 904, 228, m);
    for (Screen screen : {Screen::StartPage, Screen::Demonstration, Screen::Theory, Screen::Authors})
        app.backdrops[static_cast<std::size_t>(screen)] = backdropOf(screen, app.buttons, app.sliders, app.gasChannel);

    // The start page is the current screen: its menu item starts grey, until the first event.
    rectangleOf(app, ButtonId::MenuStartPage).setFillColor(lightGrey);
}

void startGas(App& app)
{
    app.simulationClock.restart();
    app.readoutClock.restart();
    const GasSettings start = defaultGasSettings();
    app.gas.setup(particleWidthPixels(start.width, app.metrics), particleHeightPixels(app.metrics), start.count);
    app.run.started = true;
    app.run.paused = false;
    setUpTheoryForGas(app);
}

void enableTheory(App& app)
{
    app.theory.enabled = true;
    app.theory.shown = true;
    setUpTheoryForGas(app);
}

bool theoryVisible(const App& app) { return theoryPressable(app) && app.theory.shown; }

void openProgramWindow(sf::RenderWindow& window, const ScreenMetrics& metrics, std::uint32_t style, const char* title,
                       unsigned antialiasing)
{
    sf::ContextSettings context;
    context.antialiasingLevel = antialiasing;
    window.create(
        sf::VideoMode(static_cast<unsigned>(metrics.screenWidth), static_cast<unsigned>(metrics.screenHeight), 32),
        sf::String(title, std::locale()), style, context);
}

std::unique_ptr<App> startProgram(const ScreenMetrics& metrics, const DataRoot& data, std::uint32_t seed,
                                  std::ostream& messages, const std::function<void()>& openWindow,
                                  const std::function<void(const char*)>& phase)
{
    auto mark = [&](const char* name)
    {
        if (phase)
            phase(name);
    };
    PictureDecoding pictures = decodePictures(data.root); // while the window opens
    auto app = std::make_unique<App>(metrics, seed);
    mark("program state made"); // its first texture brings up the shared OpenGL context
    if (data.hasFont)           // else the lookup has said where it looked
        loadFont(*app, data.root);
    mark("font loaded");
    openWindow();
    mark("window created");
    buildDrawables(*app);
    mark("drawables built");
    loadPictures(app->pages, app->metrics, std::move(pictures), data.root, messages); // from this thread, in order
    mark("pictures loaded");
    startGas(*app);
    mark("gas set up");
    return app;
}

void hoverPass(App& app, sf::Vector2f pointer)
{
    for (int i = 0; i < buttonCount; ++i)
    {
        sf::RectangleShape& rectangle = app.buttons[i].rectangle;
        rectangle.setFillColor(hoverFill(isUnderPointer(rectangle, pointer), isSelected(app, ButtonId(i))));
    }
    for (Slider& slider : app.sliders.sliders)
        slider.knob.setFillColor(hoverFill(isUnderPointer(slider.knob, pointer), false));
    app.pages.thumb.setFillColor(hoverFill(isUnderPointer(app.pages.thumb, pointer), false));
}

void pressDispatch(App& app, sf::Vector2f pointer)
{
    for (int i = 0; i < 4; ++i)
    {
        if (!hits(app, menuItems[i], pointer))
            continue;
        rectangleOf(app, menuItems[static_cast<int>(app.screen)]).setFillColor(sf::Color::White);
        app.screen = Screen(i);
        rectangleOf(app, menuItems[i]).setFillColor(lightGrey);
        return;
    }

    const bool onDemonstration = app.screen == Screen::Demonstration;
    if (onDemonstration && acceptsStart(app.run) && hits(app, ButtonId::Start, pointer))
    {
        rectangleOf(app, ButtonId::Start).setFillColor(lightGrey);
        const bool setUp = app.run.needsSetup;
        pressStart(app.run, app.settings, app.gas, app.simulationClock, app.readoutClock, app.metrics);
        if (setUp)
            setUpTheoryForGas(app);
        return;
    }

    if (hits(app, ButtonId::Exit, pointer))
    {
        app.closeRequested = true;
        return;
    }

    if (onDemonstration && acceptsPotential(app.run))
    {
        for (const PotentialButton& p : potentialButtons)
        {
            if (!hits(app, p.button, pointer))
                continue;
            pressPotential(app.run, app.settings, p.kind);
            for (const PotentialButton& other : potentialButtons)
                rectangleOf(app, other.button).setFillColor(other.button == p.button ? lightGrey : sf::Color::White);
            return;
        }
    }

    if (onDemonstration && acceptsPauseOrReset(app.run))
    {
        for (ButtonId id : {ButtonId::Pause, ButtonId::Reset})
        {
            if (!hits(app, id, pointer))
                continue;
            rectangleOf(app, id).setFillColor(lightGrey);
            rectangleOf(app, ButtonId::Start).setFillColor(sf::Color::White);
            if (id == ButtonId::Pause)
                pressPause(app.run);
            else
                pressReset(app.run);
            return;
        }
    }

    if (onDemonstration && acceptsKnob(app.run) && pressKnob(app.sliders, pointer))
        return;

    if (onDemonstration && theoryPressable(app) && app.theory.panelArea.contains(pointer))
    {
        app.theory.shown = !app.theory.shown;
        return;
    }

    if (app.screen == Screen::Theory && isUnderPointer(app.pages.thumb, pointer))
    {
        app.pages.thumb.setFillColor(lightGrey);
        app.pages.scroll.dragging = true;
        app.pages.scroll.grabOffset = pointer.y - app.pages.thumb.getPosition().y;
    }
}

void releaseDrags(App& app)
{
    releaseKnobs(app.sliders);
    app.pages.scroll.dragging = false;
    app.pages.thumb.setFillColor(sf::Color::White);
}

void tickSimulation(App& app)
{
    if (!app.run.started)
        return;
    if (app.run.paused)
    {
        app.gas.pause();
        return;
    }
    if (static_cast<float>(app.simulationClock.wholeMilliseconds()) > 11.0f)
    {
        // dt: the whole milliseconds the frame loop has counted since the previous
        // tick, up to the start of this frame. The clock moves only between
        // frames, so this tick's own work is counted in the next frame's time.
        const float dt = static_cast<float>(app.simulationClock.wholeMilliseconds());
        app.simulationClock.restart();
        // A broken order stops the tick; the next frame closes the window.
        if (app.gas.tick(app.settings, app.bonded, dt) && app.theory.enabled && app.theory.known)
            addTickToTheory(app.theory, app.gas.core().gapMoments());
    }
}

Backdrop backdropOf(Screen screen, const Buttons& buttons, const SliderPanel& sliders,
                    const sf::RectangleShape& gasChannel)
{
    Backdrop backdrop;
    if (screen == Screen::Theory)
        return backdrop;
    for (ButtonId id : menuItems)
        backdrop.push_back(&buttonAt(buttons, id).rectangle);
    backdrop.push_back(&buttonAt(buttons, ButtonId::Exit).rectangle);
    if (screen != Screen::Demonstration)
        return backdrop;
    backdrop.push_back(&gasChannel);
    for (ButtonId id : demonstrationButtons)
        backdrop.push_back(&buttonAt(buttons, id).rectangle);
    for (const Slider& slider : sliders.sliders)
        backdrop.push_back(&slider.box);
    for (const Slider& slider : sliders.sliders)
        backdrop.push_back(&slider.track);
    return backdrop;
}

void updateAndDrawContent(App& app, sf::RenderTarget& target, sf::Vector2f pointer)
{
    switch (app.screen)
    {
    case Screen::StartPage: drawStartPage(target, app.pages); break;
    case Screen::Demonstration: updateAndDrawDemonstration(app, target, pointer); break;
    case Screen::Theory:
        drawTheoryPicture(target, app.pages);
        followThumbDrag(app.pages, pointer, app.metrics);
        drawTheoryScrollbar(target, app.pages);
        // The picture scrolls under the menu and beside the exit button.
        for (ButtonId id : menuItems)
            drawOpaque(target, buttonAt(app.buttons, id).rectangle);
        drawOpaque(target, buttonAt(app.buttons, ButtonId::Exit).rectangle);
        break;
    case Screen::Authors: drawAuthorsPage(target, app.pages); break;
    }
    drawMenuAndExitLabels(app, target);
}

void updateAndDrawScreen(App& app, sf::RenderTarget& target, sf::Vector2f pointer)
{
    drawBackdrop(target, app.backdrops[static_cast<std::size_t>(app.screen)]);
    updateAndDrawContent(app, target, pointer);
}

void runFrame(App& app, sf::RenderTarget& target, sf::Vector2i pointerSample, const std::vector<sf::Event>& events,
              double elapsedMs)
{
    app.simulationClock.advance(elapsedMs);
    app.readoutClock.advance(elapsedMs);
    app.sinceStartMs += elapsedMs;

    // One pointer sample serves every hit test of the frame.
    const sf::Vector2f pointer(static_cast<float>(pointerSample.x), static_cast<float>(pointerSample.y));

    if (app.gas.core().overlapDetected())
        app.closeRequested = true;

    for (const sf::Event& event : events)
    {
        hoverPass(app, pointer);
        if (event.type == sf::Event::MouseButtonPressed && event.mouseButton.button == sf::Mouse::Left)
            pressDispatch(app, pointer);
        else if (event.type == sf::Event::MouseButtonReleased && event.mouseButton.button == sf::Mouse::Left)
            releaseDrags(app);
        else if (event.type == sf::Event::Closed)
            app.closeRequested = true;
        else if (event.type == sf::Event::MouseWheelScrolled && app.screen == Screen::Theory)
        {
            if (scrollTheory(app.pages.scroll, event.mouseWheelScroll.delta, app.metrics))
                placeTheory(app.pages, app.metrics);
        }
    }

    target.clear(sf::Color::White);
    tickSimulation(app);
    updateAndDrawScreen(app, target, pointer);
}
