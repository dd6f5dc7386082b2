#pragma once

// The gap histogram's geometry on the demonstration screen, reference pixels
// of a 1920 x 1080 screen: the model sorts the gaps with it and sizes its
// bars from it, the panel draws its axes and marks with it.

// 15 regular bins from 0 to histogramSpan, and above it an overflow bin.
constexpr int histogramBins = 16;

constexpr float histogramSpan = 846.0f;       // the regular bins' upper end; the bars' right ends are span / 16 apart
constexpr float barsLeft = 805.0f;            // left end of the bars' span
constexpr float barsWidth = 826.0f;           // all bars together
constexpr float barsBaseReference = 1033.0f;  // the base line the bars stand on
constexpr float tallestBarReference = 330.0f; // the fullest bar's height
