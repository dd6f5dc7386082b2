#pragma once

#include "base/ScreenMetrics.hpp"
#include "sim/GasCore.hpp"

#include <array>
#include <optional>

// The gas in equilibrium at a temperature theta: N rods of the model's width
// between the model's wall lines, nearest neighbours only. Every inner gap g
// is at least the contact distance (a hard core, as for the free gas) and
// carries the Boltzmann weight exp(-phi(g) / theta); the two wall intervals
// carry weight 1; the N + 1 intervals share the free length
// F = (right wall - left wall) - (N - 1) (w + contact).
//
// phi is the pair potential per unit mass whose derivative is the model's
// pair acceleration, with the push clamped at maxAcceleration as the model
// clamps it (phi continues linearly below the clamping gap); theta is a mean
// square velocity, (px/ms)^2. Under the zero law phi = 0: the hard-rod gas.
struct EquilibriumPrediction
{
    double gap = 0.0;                           // expected per-tick mean gap E, gap units
    double ratio = 0.0;                         // expected per-tick sigma / E, population deviation
    double ratioError = 0.0;                    // sampling standard error of ratio
    std::array<double, histogramBins> shares{}; // expected share of the gaps in each of the model's bins
    double theta = 0.0;                         // the temperature used, (px/ms)^2 (0 for the zero law)
};

// phi(g) for a gap g pixels wide, (px/ms)^2 (0 at infinity); 0 under the zero
// law. Attraction has none: its bonding is a rule of motion.
double pairPotential(PotentialKind law, const PairStrengths& strengths, double maxAcceleration, double gap);

// The uncached computation, at exactly theta. The density of one gap is
// exact up to the quadrature by numerical convolution of the intervals'
// weights on a grid fine against the gaps' spread; sigma / E is a mean over
// configurations drawn from the same convolutions, until its error is at
// most ratioError (fixed seed: the same arguments give the same figures).
// Empty for attraction, and for a theta that is not positive and finite
// under repulsion or Lennard-Jones.
std::optional<EquilibriumPrediction> computeEquilibrium(PotentialKind law, int count, double width, int C, int mass,
                                                        double theta, const ScreenMetrics& metrics,
                                                        double ratioError = 0.0005);

// The same, remembered: theta is first rounded to the centre of its bucket
// of 1 % (ln theta in steps of 0.01), so a sweep computes once per setting
// and bucket; the zero law's figures are computed once per geometry.
std::optional<EquilibriumPrediction> equilibriumPrediction(PotentialKind law, int count, double width, int C, int mass,
                                                           double theta, const ScreenMetrics& metrics);
