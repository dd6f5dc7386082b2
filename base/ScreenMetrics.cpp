#include "base/ScreenMetrics.hpp"

ScreenMetrics makeScreenMetrics(unsigned width, unsigned height)
{
    // The defaults are the reference screen's limits, scaled with the width:
    // the width limit in single precision, the two rates in double.
    const ScreenMetrics reference;
    ScreenMetrics m;
    m.screenWidth = static_cast<float>(width);
    m.screenHeight = static_cast<float>(height);
    m.maxTotalWidth =
        static_cast<double>(m.screenWidth * static_cast<float>(reference.maxTotalWidth) / reference.screenWidth);
    m.maxSpeed = static_cast<double>(m.screenWidth) * reference.maxSpeed / static_cast<double>(reference.screenWidth);
    m.maxAcceleration =
        static_cast<double>(m.screenWidth) * reference.maxAcceleration / static_cast<double>(reference.screenWidth);
    return m;
}
