#pragma once

// The desktop size and the limits derived from it. Every layout value of the
// program is authored for a 1920 x 1080 reference screen and scaled to the
// real desktop by the helpers below; the two axes scale independently.

constexpr float referenceWidth = 1920.0f;
constexpr float referenceHeight = 1080.0f;

struct ScreenMetrics
{
    float screenWidth = referenceWidth;   // pixels
    float screenHeight = referenceHeight; // pixels
    double maxTotalWidth = 500.0;         // pixels: the widest row of particles
    double maxSpeed = 0.08;               // pixels per millisecond
    double maxAcceleration = 0.001;       // pixels per millisecond squared
};

// The one source of ScreenMetrics: a pure function of the desktop size.
ScreenMetrics makeScreenMetrics(unsigned width, unsigned height);

// Reference pixels to window pixels, in single precision, multiplying first:
// screenWidth * x / 1920, never x / 1920 * screenWidth.
inline float scaleX(const ScreenMetrics& m, float x) { return m.screenWidth * x / referenceWidth; }
inline float scaleY(const ScreenMetrics& m, float y) { return m.screenHeight * y / referenceHeight; }

// The same for a reference coordinate in double precision: scaled in double,
// then narrowed (the potential graph's curves are computed in double).
inline float scaleXFromDouble(const ScreenMetrics& m, double x)
{
    return static_cast<float>(x * static_cast<double>(m.screenWidth) / static_cast<double>(referenceWidth));
}
inline float scaleYFromDouble(const ScreenMetrics& m, double y)
{
    return static_cast<float>(y * static_cast<double>(m.screenHeight) / static_cast<double>(referenceHeight));
}

// Character sizes follow the width alone and are truncated, not rounded.
inline unsigned scaleCharacterSize(const ScreenMetrics& m, unsigned size)
{
    return static_cast<unsigned>(m.screenWidth * static_cast<float>(size) / referenceWidth);
}
