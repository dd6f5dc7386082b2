#include "sim/EquilibriumGas.hpp"
#include "sim/FreeGas.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
double widthPixels(const ScreenMetrics& m, int referenceWidth) { return scaleX(m, static_cast<float>(referenceWidth)); }

// Under the zero law the weight is 1 on every allowed configuration, at any
// temperature: the hard-rod gas whose figures are closed forms.
TEST(EquilibriumGas, ZeroLawIsTheExactHardRodGas)
{
    const struct
    {
        int count, width;
        unsigned screenWidth, screenHeight;
    } cases[] = {{15, 22, 1920, 1080}, {40, 10, 1280, 720}, {2, 22, 1920, 1080}, {70, 6, 2560, 1440}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.count);
        const ScreenMetrics m = makeScreenMetrics(c.screenWidth, c.screenHeight);
        const double w = widthPixels(m, c.width);
        const FreeGasPrediction exact = freeGasPrediction(c.count, w, m);
        const auto hot = equilibriumPrediction(PotentialKind::Zero, c.count, w, 5, 1, 4e-4, m);
        const auto cold = equilibriumPrediction(PotentialKind::Zero, c.count, w, 1, 50, 1e-6, m);
        ASSERT_TRUE(hot && cold);
        EXPECT_EQ(hot->ratio, cold->ratio);
        EXPECT_NEAR(hot->gap, exact.gap, 0.002);
        EXPECT_NEAR(hot->ratio, exact.ratio, 0.003);
        EXPECT_LE(hot->ratioError, 0.001);
        for (int b = 0; b < histogramBins; ++b)
            EXPECT_NEAR(hot->shares[static_cast<std::size_t>(b)], exact.shares[static_cast<std::size_t>(b)], 0.002)
                << b;
    }
}

// Attraction's bonding is no potential; the pair laws need a temperature.
TEST(EquilibriumGas, NoFiguresWithoutAPotentialOrATemperature)
{
    const ScreenMetrics m = makeScreenMetrics(1920, 1080);
    EXPECT_FALSE(equilibriumPrediction(PotentialKind::Attraction, 15, 22, 1, 25, 2e-4, m));
    EXPECT_FALSE(equilibriumPrediction(PotentialKind::Repulsion, 15, 22, 1, 25, NAN, m));
    EXPECT_FALSE(equilibriumPrediction(PotentialKind::LennardJones, 15, 22, 1, 25, 0.0, m));
}

// The potential's slope is the model's pair push, clamped at the limit:
// repulsion 10 C / m / g^2 clamps at sqrt(0.4 / 0.001) = 20 pixels at the
// defaults and 1920 pixels, where phi = 0.4 / 20 = 0.02.
TEST(EquilibriumGas, PotentialIsThePushIntegratedAndClamped)
{
    const PairStrengths k = pairStrengths(1, 25, 15);
    EXPECT_DOUBLE_EQ(pairPotential(PotentialKind::Repulsion, k, 0.001, 100.0), 0.004);
    EXPECT_DOUBLE_EQ(pairPotential(PotentialKind::Repulsion, k, 0.001, 20.0), 0.02);
    EXPECT_DOUBLE_EQ(pairPotential(PotentialKind::Repulsion, k, 0.001, 10.0), 0.02 + 0.001 * 10.0);
    EXPECT_EQ(pairPotential(PotentialKind::Zero, k, 0.001, 10.0), 0.0);
    for (PotentialKind law : {PotentialKind::Repulsion, PotentialKind::LennardJones})
        for (double g : {8.0, 25.0, 60.0, 99.0, 130.0})
        {
            // -d phi / dg by a central difference against the push.
            const double d = 1e-4;
            const double slope =
                -(pairPotential(law, k, 0.001, g + d) - pairPotential(law, k, 0.001, g - d)) / (2.0 * d);
            const double x = 0.01 * g;
            const double push = law == PotentialKind::Repulsion
                                    ? k.repulsion / (g * g)
                                    : k.lennardJones * (std::pow(x, -13.0) - std::pow(x, -7.0));
            EXPECT_NEAR(slope, std::min(push, 0.001), 1e-6 * std::abs(push) + 1e-12) << g;
        }
}

// Two and three particles by direct quadrature, independent of the
// convolutions: with free parts s (gap = 7 + s) and free length F, two
// particles have p(s) ~ exp(-phi / theta) (F - s) (the two wall intervals
// share the rest evenly); three have p(s1, s2) ~ exp(-(phi1 + phi2) / theta)
// (F - s1 - s2), and sigma / E of one configuration is |g1 - g2| / (g1 + g2).
TEST(EquilibriumGas, FewParticlesAgreeWithDirectQuadrature)
{
    const struct
    {
        PotentialKind law;
        int count, width, c, mass;
        double theta;
        unsigned screenWidth, screenHeight;
    } cases[] = {
        {PotentialKind::Repulsion, 2, 22, 1, 25, 1.9e-4, 1920, 1080},
        {PotentialKind::LennardJones, 2, 100, 3, 2, 3e-5, 1280, 720},
        {PotentialKind::Repulsion, 3, 150, 2, 40, 2.5e-4, 1024, 768},
        {PotentialKind::LennardJones, 3, 40, 5, 10, 1e-5, 1920, 1080},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.law) * 10 + c.count);
        const ScreenMetrics m = makeScreenMetrics(c.screenWidth, c.screenHeight);
        const double w = widthPixels(m, c.width);
        const auto p = computeEquilibrium(c.law, c.count, w, c.c, c.mass, c.theta, m);
        ASSERT_TRUE(p);
        const PairStrengths k = pairStrengths(c.c, c.mass, c.count);
        const double f = (m.screenWidth - w - scaleX(m, 6.0f)) - scaleX(m, 6.0f) - (c.count - 1) * (w + 7.0);
        const int steps = c.count == 2 ? 200000 : 3000;
        const double ds = f / steps;
        std::vector<double> weight(static_cast<std::size_t>(steps));
        double top = -HUGE_VAL;
        for (int i = 0; i < steps; ++i)
            top = std::max(top, -pairPotential(c.law, k, m.maxAcceleration, 7.0 + (i + 0.5) * ds) / c.theta);
        for (int i = 0; i < steps; ++i)
            weight[static_cast<std::size_t>(i)] =
                std::exp(-pairPotential(c.law, k, m.maxAcceleration, 7.0 + (i + 0.5) * ds) / c.theta - top);
        // Midpoint sums: the weight of each gap value, and sigma / E.
        std::vector<double> gapWeight(static_cast<std::size_t>(steps), 0.0);
        double ratio = 0.0;
        for (int i = 0; i < steps; ++i)
        {
            const double s1 = (i + 0.5) * ds;
            if (c.count == 2)
            {
                gapWeight[static_cast<std::size_t>(i)] = weight[static_cast<std::size_t>(i)] * (f - s1);
                continue;
            }
            for (int j = 0; i + j < steps; ++j)
            {
                const double s2 = (j + 0.5) * ds;
                const double both = weight[static_cast<std::size_t>(i)] * weight[static_cast<std::size_t>(j)] *
                                    std::max(0.0, f - s1 - s2);
                gapWeight[static_cast<std::size_t>(i)] += both;
                ratio += both * std::abs(s1 - s2) / (14.0 + s1 + s2);
            }
        }
        double total = 0.0, mean = 0.0;
        std::array<double, histogramBins> shares{};
        for (int i = 0; i < steps; ++i)
        {
            const double g = 7.0 + (i + 0.5) * ds;
            const double x = gapWeight[static_cast<std::size_t>(i)];
            total += x;
            mean += x * g;
            int b = histogramBins - 1;
            for (int e = 0; e + 1 < histogramBins; ++e)
                if (binEdge(m, e) <= g && binEdge(m, e + 1) >= g)
                {
                    b = e;
                    break;
                }
            shares[static_cast<std::size_t>(b)] += x;
        }
        EXPECT_NEAR(p->gap / (mean / total / gapUnit(m)), 1.0, 0.001);
        for (int b = 0; b < histogramBins; ++b)
            EXPECT_NEAR(p->shares[static_cast<std::size_t>(b)], shares[static_cast<std::size_t>(b)] / total, 0.003)
                << b;
        if (c.count == 2)
            EXPECT_EQ(p->ratio, 0.0); // one gap has no spread
        else
            EXPECT_NEAR(p->ratio, ratio / total, 0.002);
    }
}
} // namespace
