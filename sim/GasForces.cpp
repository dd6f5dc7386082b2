// Accelerations for the coming step: the pair law of the nearest neighbours,
// a thermal kick of size ~ sqrt(T) and friction. Every strength is C / m.

#include "sim/GasCore.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{
// Contact thresholds of the bonding rules, plain pixels (not scaled).
constexpr double bondGap = 9.0;
constexpr double releaseGap = 10.0;
// A stuck end particle is kicked only while farther than this from its wall's
// window edge, pixels.
constexpr double kickBorder = 9.0;
// Particles placed against each other have a gap of exactly 0, where the
// inverse-power laws give infinite pushes that cancel to NaN (inf - inf).
// A gap at which a law's term is not finite enters that law as this, with
// the gap's sign (+ at 0): a push far beyond the acceleration limit, finite,
// and equal on both sides of a squeezed particle. Every other gap, however
// small, keeps the law's own value.
constexpr double closestForceGap = 1e-6; // pixels

// Replaces the gaps at which `term` (the law's strongest term) is not finite.
template <typename Term> void keepTermsFinite(std::vector<double>& gaps, Term term)
{
    for (double& g : gaps)
    {
        if (!std::isfinite(term(g)))
            g = g == 0.0 ? closestForceGap : std::copysign(closestForceGap, g);
    }
}
} // namespace

PairStrengths pairStrengths(int C, int mass, int count)
{
    const int c = coefficientRange.clamp(C);
    const int m = massRange.clamp(mass);
    return {c * 10.0 / m, c * 0.1 / m, c * 1e-6 / m / count / count};
}

double GasCore::noise(double amplitude)
{
    const auto r = static_cast<std::uint32_t>(m_random());
    return (static_cast<int>(r % 3) - 1) * amplitude;
}

double GasCore::leftKick(double size)
{
    const auto r = static_cast<std::uint32_t>(m_random());
    return (static_cast<int>(r % 2) - 1) * size;
}

double GasCore::rightKick(double size)
{
    const auto r = static_cast<std::uint32_t>(m_random());
    return static_cast<int>(r % 2) * size;
}

// Its sign follows the previous acceleration, not the velocity: a particle
// whose previous acceleration is 0 feels none.
double GasCore::friction(int i, double k) const { return k * sign(m_accelerations[i]) * std::abs(m_velocities[i]); }

void GasCore::measureGaps()
{
    for (int j = 0; j + 1 < m_particleCount; ++j)
        m_gaps[j] = gap(j);
}

void GasCore::bond(BondFlags& bonded, int i)
{
    bonded[i] = 1;
    m_velocities[i] = 0.0;
    m_accelerations[i] = 0.0;
}

void GasCore::applyForces(const GasSettings& settings, BondFlags& bonded)
{
    if (!m_running || m_particleCount < minParticles)
        return;

    const int temperature = temperatureRange.clamp(settings.temperature);
    const int n = m_particleCount;
    const PairStrengths strengths = pairStrengths(settings.C, settings.mass, n);
    const double kRep = strengths.repulsion;
    const double kAtt = strengths.attraction;
    const double kLJ = strengths.lennardJones;
    const double rootT = std::sqrt(static_cast<double>(temperature));

    std::vector<double>& a = m_accelerations;
    const std::vector<double>& g = m_gaps;
    measureGaps();
    if (settings.law == PotentialKind::Repulsion)
        keepTermsFinite(m_gaps, [kRep](double gap) { return kRep / (gap * gap); });
    else if (settings.law == PotentialKind::LennardJones)
        keepTermsFinite(m_gaps, [kLJ](double gap) { return kLJ / std::pow(0.01 * gap, 13.0); });

    // Under the pair laws the two end particles come first, then the inner
    // ones from left to right; this order decides who gets which draw. In
    // each law k is the friction, 1/ms (times |v| in px/ms an acceleration),
    // and s the noise amplitude, px/ms^2 (T has no unit).
    switch (settings.law)
    {
    case PotentialKind::Zero:
    {
        const double k = 0.001;
        const double s = 3e-6 * rootT;
        for (int i = 0; i < n; ++i)
            a[i] = noise(s) - friction(i, k);
        break;
    }
    case PotentialKind::Repulsion:
    {
        // Each neighbour pushes with K / gap^2.
        const double k = 0.002;
        const double s = 1e-5 * rootT;
        a[0] = noise(s) - friction(0, k) - kRep / (g[0] * g[0]);
        a[n - 1] = kRep / (g[n - 2] * g[n - 2]) - friction(n - 1, k) + noise(s);
        for (int i = 1; i < n - 1; ++i)
        {
            const double left = g[i - 1];
            const double right = g[i];
            a[i] = kRep / (left * left) - kRep / (right * right) - friction(i, k) + noise(s);
        }
        break;
    }
    case PotentialKind::LennardJones:
    {
        // Each neighbour pushes with K / (0.01 g)^13 and pulls with
        // K / (0.01 g)^7: the two balance at a gap of 100 pixels. One pair of
        // powers per gap serves both particles of the gap.
        const double k = 0.001;
        const double s = 1e-5 * rootT;
        for (int j = 0; j < n - 1; ++j)
        {
            m_pull[j] = std::pow(0.01 * g[j], 7.0);
            m_push[j] = std::pow(0.01 * g[j], 13.0);
        }
        const std::vector<double>& p7 = m_pull;
        const std::vector<double>& p13 = m_push;
        a[0] = kLJ / p7[0] - kLJ / p13[0] - friction(0, k) + noise(s);
        a[n - 1] = kLJ / p13[n - 2] - kLJ / p7[n - 2] - friction(n - 1, k) + noise(s);
        for (int i = 1; i < n - 1; ++i)
            a[i] = kLJ / p13[i - 1] - kLJ / p7[i - 1] + kLJ / p7[i] - kLJ / p13[i] - friction(i, k) + noise(s);
        break;
    }
    case PotentialKind::Attraction:
        // k, s, and the stuck ends' kick in px/ms^2.
        applyAttraction(kAtt, 0.02, 1e-5 * rootT, 0.004 * rootT, bonded);
        break;
    default: // an unknown law exerts no force
        break;
    }

    const double limit = m_metrics.maxAcceleration;
    for (int i = 0; i < n; ++i)
    {
        if (std::abs(a[i]) > limit)
            a[i] = sign(a[i]) * limit;
    }
}

// Each neighbour pulls with K / gap^2. Neighbours closer than 9 pixels stick:
// they stop and are marked, and random kicks shake them loose again. A flag
// set while treating one particle already governs a neighbour treated later.
void GasCore::applyAttraction(double kAtt, double k, double s, double kick, BondFlags& bonded)
{
    const int n = m_particleCount;
    std::vector<double>& a = m_accelerations;
    const std::vector<double>& x = m_positions;
    const std::vector<double>& g = m_gaps;

    // Particle 0: one neighbour.
    const double first = g[0];
    if (bonded[0] == 0)
    {
        if (first > bondGap)
            a[0] = kAtt / (first * first) - friction(0, k) + noise(s);
        else
        {
            bond(bonded, 0);
            bond(bonded, 1);
        }
    }
    else
    {
        a[0] = x[0] > kickBorder ? leftKick(kick) : 0.0;
        if (first > bondGap)
            bonded[0] = bonded[1] = 0;
    }

    // Particle N-1, mirrored at the right wall.
    const double last = g[n - 2];
    if (bonded[n - 1] == 0)
    {
        if (last > bondGap)
            a[n - 1] = noise(s) - (friction(n - 1, k) + kAtt / (last * last));
        else
        {
            bond(bonded, n - 1);
            bond(bonded, n - 2);
        }
    }
    else
    {
        a[n - 1] = x[n - 1] < static_cast<double>(m_metrics.screenWidth) - kickBorder ? rightKick(kick) : 0.0;
        if (last > bondGap)
            bonded[n - 1] = bonded[n - 2] = 0;
    }

    for (int i = 1; i < n - 1; ++i)
    {
        const double left = g[i - 1];
        const double right = g[i];
        if (bonded[i] == 0)
        {
            // First matching row only; a gap of exactly 9 matches none and
            // leaves the acceleration as it was.
            if (right > bondGap && left > bondGap)
                a[i] = kAtt / (right * right) - kAtt / (left * left) - friction(i, k) + noise(s);
            else if (right < bondGap && left > bondGap)
            {
                bond(bonded, i);
                bond(bonded, i + 1);
            }
            else if (right > bondGap && left < bondGap)
            {
                bond(bonded, i);
                bond(bonded, i - 1);
            }
            else if (right < bondGap && left < bondGap)
            {
                bond(bonded, i - 1);
                bond(bonded, i);
                bond(bonded, i + 1);
            }
        }
        else
        {
            // Every matching row applies in turn, a later one overwriting.
            if (right < releaseGap && left > bondGap) // stuck on the right: kick and pull left
                a[i] = leftKick(kick) - kAtt / (left * left);
            if (right > bondGap && left < releaseGap) // stuck on the left: kick and pull right
                a[i] = rightKick(kick) + kAtt / (right * right);
            if (right < releaseGap && left < releaseGap) // held from both sides
                a[i] = 0.0;
            if (right > bondGap && left > bondGap) // free of both: only its own flag
                bonded[i] = 0;
        }
    }
}
