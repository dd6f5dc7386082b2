#pragma once

#include "app/Layout.hpp"
#include "demo/NumberFormat.hpp"
#include "demo/RunControls.hpp"

#include <SFML/Graphics/ConvexShape.hpp>
#include <SFML/Graphics/RenderTarget.hpp>

#include <array>

// The parameter rows, top to bottom.
enum class SliderRow : int
{
    Count,
    Width,
    Temperature,
    Mass,
    CoefficientC,
    RowCount
};
constexpr int sliderCount = static_cast<int>(SliderRow::RowCount);

struct Slider
{
    sf::RectangleShape box;
    sf::Text label;
    sf::Text value;
    sf::Text minimumLabel;
    sf::Text maximumLabel;
    sf::RectangleShape track;
    sf::ConvexShape knob;
    bool dragging = false;
    float grabOffset = 0.0f; // window pixels: pointer x minus knob x at the press
};

struct SliderPanel
{
    std::array<Slider, sliderCount> sliders; // indexed by SliderRow
    sf::Text heading;
};

void buildSliders(SliderPanel& panel, const sf::Font& font, const ScreenMetrics& m);

// Press dispatch for the knobs (width, count, temperature, mass, C in this
// order); the caller has checked the screen and the run state. Returns true
// when a knob took the press and started its drag.
bool pressKnob(SliderPanel& panel, sf::Vector2f pointer);

// The left button's release, anywhere: every drag ends, every knob turns white.
void releaseKnobs(SliderPanel& panel);

// Once per frame on the demonstration screen: dragged knobs follow the pointer
// within their tracks and their settings are recomputed.
void updateSliders(SliderPanel& panel, Settings& settings, bool& needsSetup, sf::Vector2f pointer,
                   const ScreenMetrics& m);

// Drawing, in the screen's order: boxes and tracks; knobs; labels, limits and
// heading; and last, the value texts (set from the settings as they are drawn).
void drawSliderFrames(sf::RenderTarget& target, const SliderPanel& panel);
void drawKnobs(sf::RenderTarget& target, const SliderPanel& panel);
void drawSliderLabels(sf::RenderTarget& target, const SliderPanel& panel);
void drawSliderValues(sf::RenderTarget& target, SliderPanel& panel, const Settings& settings,
                      NumberFormatter& formatNumber, const ScreenMetrics& m);
