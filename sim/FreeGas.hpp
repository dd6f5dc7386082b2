#pragma once

#include "base/ScreenMetrics.hpp"
#include "sim/GasCore.hpp"

#include <array>

// The zero law's gas is a gas of hard rods: neighbours closer than the
// contact distance exchange velocities, the end particles turn at the wall
// lines, and nothing else acts between them. In equilibrium the free length
// F = (right wall - left wall) - (N - 1) (w + contact) is spread uniformly
// over the N + 1 free intervals (a flat Dirichlet distribution), so each of
// the N - 1 gaps is contact + F D_j.
struct FreeGasPrediction
{
    double gap = 0.0;                           // expected per-tick mean gap E, gap units
    double ratio = 0.0;                         // expected per-tick sigma / E, population deviation
    double ratioError = 0.0;                    // Monte Carlo standard error of ratio
    std::array<double, histogramBins> shares{}; // expected share of the gaps in each bin
    double freeLength = 0.0;                    // F, pixels
};

// The standard error the sampled sigma / E is drawn to: a twentieth of the
// readouts' last digit (0.01).
constexpr double ratioAccuracy = 0.0005;

// For count particles of width pixels on the screen the metrics describe
// (the law, temperature, mass and tick play no part). The mean and the shares
// are closed forms; the ratio is a Monte Carlo of the Dirichlet construction
// with a fixed seed and control variates, run until its error is at most
// ratioAccuracy (6 to 13 ms of a Release build). Remembered per geometry, so the
// first call for a geometry alone costs.
FreeGasPrediction freeGasPrediction(int count, double width, const ScreenMetrics& metrics);
// The same, computed afresh at every call (to measure what a set-up costs).
FreeGasPrediction computeFreeGasPrediction(int count, double width, const ScreenMetrics& metrics);
