#include "base/ScreenMetrics.hpp"

ScreenMetrics makeScreenMetrics(unsigned width, unsigned height)
{
    ScreenMetrics m;
    m.screenWidth = static_cast<float>(width);
    m.screenHeight = static_cast<float>(height);
    // The width limit is formed in single precision; the two rates in double.
    m.maxTotalWidth = static_cast<double>(m.screenWidth * 500.0f / referenceWidth);
    m.maxSpeed = static_cast<double>(m.screenWidth) * 0.08 / 1920.0;
    m.maxAcceleration = static_cast<double>(m.screenWidth) * 0.001 / 1920.0;
    return m;
}
