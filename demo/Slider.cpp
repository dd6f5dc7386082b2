#include "demo/Slider.hpp"

#include "base/Button.hpp"

#include <string>

namespace
{
// The knob's travel along its 246-pixel track, in window pixels: the
// mappings divide by it where the layout divides a reference x by 246.
float travel(const ScreenMetrics& m) { return m.screenWidth * 246.0f / referenceWidth; }

// The setting a row's knob stands for; the width needs the current count.
int settingFromKnob(SliderRow row, float windowX, int countSetting, const ScreenMetrics& m)
{
    switch (row)
    {
    case SliderRow::Count: return countFromKnob(windowX, m);
    case SliderRow::Width: return widthFromKnob(windowX, countSetting, m);
    case SliderRow::Temperature: return temperatureFromKnob(windowX, m);
    case SliderRow::Mass: return massFromKnob(windowX, m);
    case SliderRow::CoefficientC: return coefficientFromKnob(windowX, m);
    case SliderRow::RowCount: break;
    }
    return 0;
}

// The setting each row drives, indexed by SliderRow.
// Its size comes from the rows.
constexpr std::array settingOfRow = {&Settings::countSetting, &Settings::widthSetting, &Settings::temperature,
                                     &Settings::mass, &Settings::coefficientC};
static_assert(settingOfRow.size() == sliderCount, "one setting per slider");

int& settingOf(Settings& settings, SliderRow row) { return settings.*settingOfRow[static_cast<int>(row)]; }
int settingOf(const Settings& settings, SliderRow row) { return settings.*settingOfRow[static_cast<int>(row)]; }
} // namespace

bool knobFitsTrack(float windowX, const ScreenMetrics& m)
{
    return scaleX(m, knobLeftmost) <= windowX && windowX <= scaleX(m, knobRightmost);
}

int countFromKnob(float windowX, const ScreenMetrics& m)
{
    return static_cast<int>(28.0f * windowX / travel(m) + 1.0f - 51.0f);
}

int widthFromKnob(float windowX, int countSetting, const ScreenMetrics& m)
{
    // The widest particle, maxTotalWidth / count, is in window pixels while
    // the result is in reference pixels: the range follows the desktop width.
    const double perParticle = m.maxTotalWidth / countSetting;
    const double knobTravel = static_cast<double>(travel(m));
    return static_cast<int>((perParticle - 1.0) * static_cast<double>(windowX) / knobTravel +
                            (738.0 - 460.0 * perParticle) / 246.0);
}

int temperatureFromKnob(float windowX, const ScreenMetrics& m)
{
    return static_cast<int>(49.0f * windowX / travel(m) - 90.0f);
}

int massFromKnob(float windowX, const ScreenMetrics& m)
{
    return static_cast<int>(49.0f * windowX / travel(m) - 90.0f);
}

int coefficientFromKnob(float windowX, const ScreenMetrics& m)
{
    return static_cast<int>(4.0f * windowX / travel(m) - 6.0f);
}

int widthMaximumLabel(int countSetting, const ScreenMetrics& m)
{
    return static_cast<int>(m.maxTotalWidth) / countSetting;
}

void buildSliders(SliderPanel& panel, const sf::Font& font, const ScreenMetrics& m, const Catalogue& words)
{
    for (int i = 0; i < sliderCount; ++i)
    {
        const SliderLayoutRow& row = sliderTable[static_cast<std::size_t>(i)];
        Slider& slider = panel.sliders[static_cast<std::size_t>(i)];
        makeBox(slider.box, 20, row.boxY, 360, 64, m);
        makeText(slider.label, font, words(row.label), row.labelX, row.labelY, m);
        makeText(slider.value, font, L"", row.valueX, row.valueY, m);
        makeText(slider.minimumLabel, font, row.minimum, row.minimumX, row.minimumY, m);
        makeText(slider.maximumLabel, font, row.maximum ? row.maximum : L"", row.maximumX, row.maximumY, m);
        // A white box 0.1 pixel tall inside a 1-pixel outline: a thin black line.
        makeBox(slider.track, row.trackX, row.trackY, 246, 0.1f, m, 1.0f);
        makePentagon(slider.knob, row.knobX, row.knobY, m);
        slider.dragging = false;
        slider.grabOffset = 0.0f;
    }
    // Until the first frame writes it, the width maximum reads as for the start-up count.
    sliderAt(panel, SliderRow::Width)
        .maximumLabel.setString(std::to_string(widthMaximumLabel(Settings{}.countSetting, m)));
    makeText(panel.heading, font, words(L"Задайте параметры:"), 24, 228, m);
}

bool pressKnob(SliderPanel& panel, sf::Vector2f pointer)
{
    for (SliderRow row : sliderUpdateOrder)
    {
        Slider& slider = sliderAt(panel, row);
        if (!isUnderPointer(slider.knob, pointer))
            continue;
        slider.knob.setFillColor(lightGrey);
        slider.dragging = true;
        slider.grabOffset = pointer.x - slider.knob.getPosition().x;
        return true;
    }
    return false;
}

void releaseKnobs(SliderPanel& panel)
{
    for (Slider& slider : panel.sliders)
    {
        slider.dragging = false;
        slider.knob.setFillColor(sf::Color::White);
    }
}

void updateSliders(SliderPanel& panel, Settings& settings, bool& needsSetup, sf::Vector2f pointer,
                   const ScreenMetrics& m)
{
    for (SliderRow row : sliderUpdateOrder)
    {
        Slider& slider = sliderAt(panel, row);
        if (!slider.dragging)
            continue;
        // Past an end the knob stays where it last was, short of the end.
        const float x = pointer.x - slider.grabOffset;
        if (knobFitsTrack(x, m))
            slider.knob.setPosition(x, slider.knob.getPosition().y);

        settingOf(settings, row) = settingFromKnob(row, slider.knob.getPosition().x, settings.countSetting, m);
        if (row == SliderRow::Count)
        {
            const float widthKnobX = sliderAt(panel, SliderRow::Width).knob.getPosition().x;
            settings.widthSetting = widthFromKnob(widthKnobX, settings.countSetting, m);
        }
        needsSetup = true;
    }
}

void drawKnobs(sf::RenderTarget& target, const SliderPanel& panel)
{
    for (const Slider& slider : panel.sliders)
        drawOpaque(target, slider.knob);
}

void drawSliderLabels(sf::RenderTarget& target, const SliderPanel& panel)
{
    for (const Slider& slider : panel.sliders)
    {
        target.draw(slider.label);
        target.draw(slider.minimumLabel);
        target.draw(slider.maximumLabel);
    }
    target.draw(panel.heading);
}

void writeSliderValues(SliderPanel& panel, const Settings& settings, NumberFormatter& formatNumber,
                       const ScreenMetrics& m)
{
    for (SliderRow row : sliderUpdateOrder)
        sliderAt(panel, row).value.setString(formatNumber(settingOf(settings, row)));
    sliderAt(panel, SliderRow::Width).maximumLabel.setString(formatNumber(widthMaximumLabel(settings.countSetting, m)));
}

void drawSliderValues(sf::RenderTarget& target, SliderPanel& panel, const Settings& settings,
                      NumberFormatter& formatNumber, const ScreenMetrics& m)
{
    writeSliderValues(panel, settings, formatNumber, m);
    for (SliderRow row : sliderUpdateOrder)
        target.draw(sliderAt(panel, row).value);
}
