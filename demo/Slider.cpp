#include "demo/Slider.hpp"

#include "base/Button.hpp"

#include <string>

namespace
{
// The knob's travel along its 246-pixel track, in window pixels: the
// mappings divide by it where the layout divides a reference x by 246.
float travel(const ScreenMetrics& m) { return scaleX(m, 246.0f); }

// The setting a row's knob stands for; the width needs the current count.
int settingOfKnob(SliderRow row, float windowX, int count, const ScreenMetrics& m)
{
    switch (row)
    {
    case SliderRow::Count: return settingFromKnob(sliderCountRange, windowX, m);
    case SliderRow::Width: return widthFromKnob(windowX, count, m);
    case SliderRow::Temperature: return settingFromKnob(temperatureRange, windowX, m);
    case SliderRow::Mass: return settingFromKnob(massRange, windowX, m);
    case SliderRow::CoefficientC: return settingFromKnob(coefficientRange, windowX, m);
    case SliderRow::RowCount: break;
    }
    return 0;
}

// The setting each row drives, indexed by SliderRow.
// Its size comes from the rows.
constexpr std::array settingOfRow = {&GasSettings::count, &GasSettings::width, &GasSettings::temperature,
                                     &GasSettings::mass, &GasSettings::C};
static_assert(settingOfRow.size() == sliderCount, "one setting per slider");

int& settingOf(GasSettings& settings, SliderRow row) { return settings.*settingOfRow[static_cast<int>(row)]; }
int settingOf(const GasSettings& settings, SliderRow row) { return settings.*settingOfRow[static_cast<int>(row)]; }
} // namespace

bool knobFitsTrack(float windowX, const ScreenMetrics& m)
{
    return scaleX(m, knobLeftmost) <= windowX && windowX <= scaleX(m, knobRightmost);
}

int settingFromKnob(SettingRange range, float windowX, const ScreenMetrics& m)
{
    // span units per 246 reference pixels of travel; the whole units up to
    // the knob's left end (460) are taken off and lo added, so the left end
    // reads lo. Summed in this order (28 x / 246 + 1 - 51 for the count,
    // 49 x / 246 + 0 - 90 for the temperature), every knob position rounds
    // in single precision as it always has.
    const int span = range.hi - range.lo;
    const int whole = span * static_cast<int>(knobLeftmost) / 246;
    return static_cast<int>(static_cast<float>(span) * windowX / travel(m) + static_cast<float>(range.lo - 1) -
                            static_cast<float>(whole - 1));
}

int widthFromKnob(float windowX, int count, const ScreenMetrics& m)
{
    // The widest particle, maxTotalWidth / count, is in window pixels while
    // the result is in reference pixels: the range follows the desktop width.
    const double perParticle = m.maxTotalWidth / count;
    const double knobTravel = static_cast<double>(travel(m));
    return static_cast<int>((perParticle - 1.0) * static_cast<double>(windowX) / knobTravel +
                            (738.0 - 460.0 * perParticle) / 246.0);
}

int widthMaximumLabel(int count, const ScreenMetrics& m) { return static_cast<int>(m.maxTotalWidth) / count; }

void buildSliders(SliderPanel& panel, const sf::Font& font, const ScreenMetrics& m)
{
    for (int i = 0; i < sliderCount; ++i)
    {
        const SliderLayoutRow& row = sliderTable[static_cast<std::size_t>(i)];
        Slider& slider = panel.sliders[static_cast<std::size_t>(i)];
        makeBox(slider.box, 20, row.boxY, 360, 64, m);
        makeText(slider.label, font, row.label, row.labelX, row.labelY, m);
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
        .maximumLabel.setString(std::to_string(widthMaximumLabel(defaultGasSettings().count, m)));
    makeText(panel.heading, font, L"Задайте параметры:", 24, 228, m);
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

void updateSliders(SliderPanel& panel, GasSettings& settings, bool& needsSetup, sf::Vector2f pointer,
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

        settingOf(settings, row) = settingOfKnob(row, slider.knob.getPosition().x, settings.count, m);
        if (row == SliderRow::Count)
        {
            const float widthKnobX = sliderAt(panel, SliderRow::Width).knob.getPosition().x;
            settings.width = widthFromKnob(widthKnobX, settings.count, m);
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

void writeSliderValues(SliderPanel& panel, const GasSettings& settings, NumberFormatter& formatNumber,
                       const ScreenMetrics& m)
{
    for (SliderRow row : sliderUpdateOrder)
        sliderAt(panel, row).value.setString(formatNumber(settingOf(settings, row)));
    sliderAt(panel, SliderRow::Width).maximumLabel.setString(formatNumber(widthMaximumLabel(settings.count, m)));
}

void drawSliderValues(sf::RenderTarget& target, const SliderPanel& panel)
{
    for (SliderRow row : sliderUpdateOrder)
        target.draw(sliderAt(panel, row).value);
}
