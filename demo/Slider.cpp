#include "demo/Slider.hpp"

// Placeholder bodies, replaced by the slider implementation.
void buildSliders(SliderPanel&, const sf::Font&, const ScreenMetrics&) {}
bool pressKnob(SliderPanel&, sf::Vector2f) { return false; }
void releaseKnobs(SliderPanel&) {}
void updateSliders(SliderPanel&, Settings&, bool&, sf::Vector2f, const ScreenMetrics&) {}
void drawSliderFrames(sf::RenderTarget&, const SliderPanel&) {}
void drawKnobs(sf::RenderTarget&, const SliderPanel&) {}
void drawSliderLabels(sf::RenderTarget&, const SliderPanel&) {}
void drawSliderValues(sf::RenderTarget&, SliderPanel&, const Settings&, NumberFormatter&, const ScreenMetrics&) {}
