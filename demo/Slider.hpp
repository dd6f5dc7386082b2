#pragma once

#include "base/Layout.hpp"
#include "demo/NumberFormat.hpp"
#include "demo/RunControls.hpp"

#include <SFML/Graphics/ConvexShape.hpp>
#include <SFML/Graphics/RenderTarget.hpp>

#include <array>
#include <iterator>

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

// One parameter row, in reference pixels (top-left corners). The box is
// always at x = 20 and 360 x 64; the track is 246 x 0.1.
struct SliderLayoutRow
{
    float boxY;
    const wchar_t* label;
    float labelX, labelY;
    float valueX, valueY;
    const wchar_t* minimum;
    float minimumX, minimumY;
    const wchar_t* maximum; // nullptr: the width row's maximum follows the count
    float maximumX, maximumY;
    float trackX, trackY;
    float knobX, knobY; // at start-up
};

constexpr SliderLayoutRow sliderTable[] = {
    {290, L"Число частиц:", 60, 298, 304, 298, L"2", 424, 298, L"30", 784, 298, 492, 356, 583, 290},    // Count
    {360, L"Ширина частиц:", 44, 368, 319, 368, L"1", 424, 368, nullptr, 784, 368, 492, 426, 583, 360}, // Width
    {430, L"Температура:", 64, 438, 300, 438, L"1", 424, 438, L"50", 784, 438, 492, 496, 583, 430},     // Temperature
    {500, L"Масса частицы:", 50, 508, 324, 508, L"1", 424, 508, L"50", 784, 508, 492, 566, 583, 500},   // Mass
    {570, L"Коэффициент C:", 42, 578, 338, 578, L"1", 424, 578, L"5", 784, 578, 492, 636, 460, 570},    // CoefficientC
};
static_assert(std::size(sliderTable) == sliderCount, "one row per slider");

// The order in which knob presses are tested, dragged knobs updated and value
// texts written.
constexpr SliderRow sliderUpdateOrder[] = {SliderRow::Width, SliderRow::Count, SliderRow::Temperature, SliderRow::Mass,
                                           SliderRow::CoefficientC};
static_assert(std::size(sliderUpdateOrder) == sliderCount, "every slider once");

// The range of a knob's left edge, reference pixels; its point at x + 32 then
// stays over the track (492 ... 738).
constexpr float knobLeftmost = 460.0f;
constexpr float knobRightmost = 706.0f;

// Whether a knob may stand at window x: both ends included.
bool knobFitsTrack(float windowX, const ScreenMetrics& m);

// Settings from a knob's left edge in window pixels, truncated toward zero.
// The travel 460 ... 706 maps onto the range (sliderCountRange for the count,
// temperatureRange, massRange, coefficientRange); the width runs from 1 to
// about maxTotalWidth / count.
int settingFromKnob(SettingRange range, float windowX, const ScreenMetrics& m);
int widthFromKnob(float windowX, int count, const ScreenMetrics& m);

// The width row's maximum label: the widest particle that still fits
// count of them into maxTotalWidth, whole reference pixels.
int widthMaximumLabel(int count, const ScreenMetrics& m);

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

inline Slider& sliderAt(SliderPanel& panel, SliderRow row) { return panel.sliders[static_cast<int>(row)]; }
inline const Slider& sliderAt(const SliderPanel& panel, SliderRow row) { return panel.sliders[static_cast<int>(row)]; }

void buildSliders(SliderPanel& panel, const sf::Font& font, const ScreenMetrics& m);

// Press dispatch for the knobs (width, count, temperature, mass, C in this
// order); the caller has checked the screen and the run state. Returns true
// when a knob took the press and started its drag.
bool pressKnob(SliderPanel& panel, sf::Vector2f pointer);

// The left button's release, anywhere: every drag ends, every knob turns white.
void releaseKnobs(SliderPanel& panel);

// Once per frame on the demonstration screen: dragged knobs follow the pointer
// within their tracks and their settings are recomputed.
void updateSliders(SliderPanel& panel, GasSettings& settings, bool& needsSetup, sf::Vector2f pointer,
                   const ScreenMetrics& m);

// Drawing, in the screen's order after the boxes and tracks (its backdrop):
// knobs; labels, limits and heading; and last, the value texts, written from
// the settings just before.
void drawKnobs(sf::RenderTarget& target, const SliderPanel& panel);
void drawSliderLabels(sf::RenderTarget& target, const SliderPanel& panel);
// The value texts from the settings (width, count, temperature, mass, C), then
// the width row's maximum label.
void writeSliderValues(SliderPanel& panel, const GasSettings& settings, NumberFormatter& formatNumber,
                       const ScreenMetrics& m);
void drawSliderValues(sf::RenderTarget& target, const SliderPanel& panel);
