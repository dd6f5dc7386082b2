#include "sim/EquilibriumGas.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <random>
#include <tuple>
#include <vector>

namespace
{
// Weights below this share of a sequence's largest are dropped: far beyond
// anything a figure of six digits can see, and it keeps narrow
// distributions cheap to convolve.
constexpr double negligible = 1e-24;

// Values on the grid s = k h, k = offset ... offset + v.size() - 1, zero
// elsewhere. As a quadrature weight the value at k = 0 is halved (the
// trapezoid rule's end point), so that a plain discrete convolution of two
// sequences is the trapezoid rule for the convolution integral.
struct Sequence
{
    int offset = 0;
    std::vector<double> v;
    int end() const { return offset + static_cast<int>(v.size()); }
    double at(int k) const { return k >= offset && k < end() ? v[static_cast<std::size_t>(k - offset)] : 0.0; }
};

// Scaled to a largest value of 1 and trimmed of negligible ends.
void normalise(Sequence& s)
{
    double largest = 0.0;
    for (double x : s.v)
        largest = std::max(largest, x);
    if (!(largest > 0.0))
    {
        s.v.clear();
        return;
    }
    for (double& x : s.v)
        x /= largest;
    std::size_t first = 0, last = s.v.size();
    while (first < last && s.v[first] < negligible)
        ++first;
    while (last > first && s.v[last - 1] < negligible)
        --last;
    s.v = std::vector<double>(s.v.begin() + static_cast<std::ptrdiff_t>(first),
                              s.v.begin() + static_cast<std::ptrdiff_t>(last));
    s.offset += static_cast<int>(first);
}

// a * b up to index last, normalised. Returns the factor by which the
// normalised result exceeds the plain discrete convolution. The value at 0
// is that of a convolution integral over no length: 0.
Sequence convolve(const Sequence& a, const Sequence& b, int last, double& scale)
{
    Sequence c;
    c.offset = a.offset + b.offset;
    const int top = std::min(last, a.end() + b.end() - 2);
    if (a.v.empty() || b.v.empty() || top < c.offset)
    {
        scale = 1.0;
        return c;
    }
    c.v.assign(static_cast<std::size_t>(top - c.offset + 1), 0.0);
    for (std::size_t i = 0; i < a.v.size(); ++i)
    {
        const double x = a.v[i];
        const std::size_t room = c.v.size() - std::min(c.v.size(), i);
        const std::size_t n = std::min(b.v.size(), room);
        double* out = c.v.data() + i;
        const double* in = b.v.data();
        for (std::size_t j = 0; j < n; ++j)
            out[j] += x * in[j];
    }
    if (c.offset == 0)
        c.v[0] = 0.0;
    double largest = 0.0;
    for (double x : c.v)
        largest = std::max(largest, x);
    scale = largest > 0.0 ? 1.0 / largest : 1.0;
    normalise(c);
    return c;
}

struct Geometry
{
    int count = 0;
    double freeLength = 0.0; // F, pixels
};

Geometry geometryOf(int count, double width, const ScreenMetrics& metrics)
{
    // The wall lines for the left edges of the end particles, as the model
    // computes them.
    const double leftWall = scaleX(metrics, wallMarginReference);
    const double rightWall =
        static_cast<double>(metrics.screenWidth) - width - static_cast<double>(scaleX(metrics, wallMarginReference));
    return {count, std::max(0.0, rightWall - leftWall - (count - 1) * (width + contactDistance))};
}

// ln of one gap's weight at free part s = g - contact, pixels.
struct GapWeight
{
    PotentialKind law;
    PairStrengths strengths;
    double maxAcceleration;
    double theta;
    double operator()(double s) const
    {
        if (law == PotentialKind::Zero)
            return 0.0;
        return -pairPotential(law, strengths, maxAcceleration, contactDistance + s) / theta;
    }
};

// ln of the gap weight on grid points k = offset ... offset + l.size() - 1
// (step h): the window where it matters; nothing outside it counts.
struct GapLog
{
    int offset = 0;
    std::vector<double> l;
};

GapLog gapLog(const GapWeight& weight, double h, int from, int to)
{
    GapLog g;
    g.offset = from;
    for (int k = from; k <= to; ++k)
        g.l.push_back(weight(k * h));
    return g;
}

// The gap's weights on the grid, tilted by exp(-lambda s): the tilt cancels
// (the intervals' sum is fixed) and keeps the convolutions' useful values
// near their peaks.
struct Tilted
{
    Sequence gap;
};

Tilted tilted(const GapLog& g, double h, double lambda)
{
    Tilted t;
    t.gap.offset = g.offset;
    t.gap.v.resize(g.l.size());
    double top = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < g.l.size(); ++i)
        top = std::max(top, g.l[i] - lambda * (g.offset + static_cast<double>(i)) * h);
    for (std::size_t i = 0; i < g.l.size(); ++i)
        t.gap.v[i] = std::exp(g.l[i] - lambda * (g.offset + static_cast<double>(i)) * h - top);
    if (g.offset == 0 && !t.gap.v.empty())
        t.gap.v[0] *= 0.5;
    normalise(t.gap);
    return t;
}

// Mean and spread of one sequence as a distribution on the grid, pixels.
void moments(const Sequence& s, double h, double& mean, double& spread)
{
    double w = 0.0, m1 = 0.0, m2 = 0.0;
    for (std::size_t i = 0; i < s.v.size(); ++i)
    {
        const double x = (s.offset + static_cast<double>(i)) * h;
        w += s.v[i];
        m1 += s.v[i] * x;
        m2 += s.v[i] * x * x;
    }
    mean = w > 0.0 ? m1 / w : 0.0;
    spread = w > 0.0 ? std::sqrt(std::max(0.0, m2 / w - mean * mean)) : 0.0;
}

// Mean of a wall interval's tilted weight exp(-lambda s) on [0, F], pixels.
double wallMean(double lambda, double f) { return 1.0 / lambda - f / std::expm1(lambda * f); }
// The tilt under which the intervals, taken as independent, fill the free
// length on average: 2 wall means + (N - 1) gap means = F.
double pressureTilt(const GapLog& g, double h, int count, double f)
{
    auto filled = [&](double lambda)
    {
        Sequence gap;
        gap.offset = g.offset;
        gap.v.resize(g.l.size());
        double top = -std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < g.l.size(); ++i)
            top = std::max(top, g.l[i] - lambda * (g.offset + static_cast<double>(i)) * h);
        for (std::size_t i = 0; i < g.l.size(); ++i)
            gap.v[i] = std::exp(g.l[i] - lambda * (g.offset + static_cast<double>(i)) * h - top);
        if (g.offset == 0 && !gap.v.empty())
            gap.v[0] *= 0.5;
        double gapMean = 0.0, spread = 0.0;
        moments(gap, h, gapMean, spread);
        return 2.0 * wallMean(lambda, f) + (count - 1) * gapMean;
    };
    // Without tilt the two walls alone fill F on average, and a steep tilt
    // empties every interval: the root lies between.
    double lo = 1e-6 / f, hi = 1e9 / f;
    // To full precision: a push clamped at the limit is a constant force,
    // balanced by a tilt that must match it to many digits.
    for (int i = 0; i < 200 && hi / lo > 1.0 + 1e-14; ++i)
    {
        const double mid = std::sqrt(lo * hi);
        (filled(mid) > f ? lo : hi) = mid;
    }
    return std::sqrt(lo * hi);
}

struct Grid
{
    double h = 0.0; // pixels
    int m = 0;      // steps in F
    GapLog gap;
    double lambda = 0.0; // the tilt, per pixel
    Tilted t;
};

// Grid step: a twelfth of a gap's spread, at most a pixel; the gap's weight only where it is not
// negligible. Found from a coarse grid, then refined where the gap is
// narrower than the coarse step.
Grid chooseGrid(const GapWeight& weight, int count, double f)
{
    Grid g;
    g.m = 4096;
    g.h = f / g.m;
    double from = 0.0, to = f; // the window, pixels
    for (int pass = 0;; ++pass)
    {
        g.gap = gapLog(weight, g.h, std::max(0, static_cast<int>(std::floor(from / g.h))),
                       std::min(g.m, static_cast<int>(std::ceil(to / g.h))));
        g.lambda = pressureTilt(g.gap, g.h, count, f);
        g.t = tilted(g.gap, g.h, g.lambda);
        if (pass == 2)
            return g;
        double mean = 0.0, gapSpread = 0.0;
        moments(g.t.gap, g.h, mean, gapSpread);
        const double wanted = std::max(f / 1e7, std::min({1.0, f / 512.0, gapSpread / 12.0}));
        // The gap's support widened by three old steps either side.
        from = (g.t.gap.offset - 3) * g.h;
        to = (g.t.gap.end() + 2) * g.h;
        if (pass == 1 && wanted > g.h / 1.5 && wanted < g.h * 1.5)
            return g;
        g.m = static_cast<int>(std::lround(f / wanted));
        g.h = f / g.m;
    }
}

// (a * b)(r) for r = from ... to, unscaled.
std::vector<double> convolveAt(const Sequence& a, const Sequence& b, int from, int to)
{
    std::vector<double> c(static_cast<std::size_t>(std::max(0, to - from + 1)), 0.0);
    for (int r = from; r <= to; ++r)
    {
        const int lo = std::max(a.offset, r - (b.end() - 1));
        const int hi = std::min(a.end() - 1, r - b.offset);
        double sum = 0.0;
        for (int j = lo; j <= hi; ++j)
            sum += a.v[static_cast<std::size_t>(j - a.offset)] * b.v[static_cast<std::size_t>(r - j - b.offset)];
        c[static_cast<std::size_t>(r - from)] = sum;
    }
    return c;
}
} // namespace

double pairPotential(PotentialKind law, const PairStrengths& k, double maxAcceleration, double gap)
{
    // The push of each law, and its potential (0 at infinity).
    auto push = [&](double g)
    {
        if (law == PotentialKind::Repulsion)
            return k.repulsion / (g * g);
        const double x = 0.01 * g;
        return k.lennardJones * (std::pow(x, -13.0) - std::pow(x, -7.0));
    };
    auto potential = [&](double g)
    {
        if (law == PotentialKind::Repulsion)
            return k.repulsion / g;
        const double x = 0.01 * g;
        return 100.0 * k.lennardJones * (std::pow(x, -12.0) / 12.0 - std::pow(x, -6.0) / 6.0);
    };
    if (law != PotentialKind::Repulsion && law != PotentialKind::LennardJones)
        return 0.0;
    // The push falls steadily with the gap up to where the law turns to a
    // pull (never, or at 100 pixels): the clamping gap is where it equals
    // the limit.
    const double steepEnd = law == PotentialKind::Repulsion ? HUGE_VAL : 100.0;
    double clampGap = 0.0;
    if (law == PotentialKind::Repulsion)
        clampGap = std::sqrt(k.repulsion / maxAcceleration);
    else
    {
        double lo = 1e-9, hi = steepEnd;
        for (int i = 0; i < 200 && hi - lo > 1e-12 * hi; ++i)
        {
            const double mid = 0.5 * (lo + hi);
            (push(mid) > maxAcceleration ? lo : hi) = mid;
        }
        clampGap = hi;
    }
    if (gap >= clampGap)
        return potential(gap);
    return potential(clampGap) + maxAcceleration * (clampGap - gap);
}

std::optional<EquilibriumPrediction> computeEquilibrium(PotentialKind law, int count, double width, int C, int mass,
                                                        double theta, const ScreenMetrics& metrics, double ratioError)
{
    if (law == PotentialKind::Attraction)
        return std::nullopt;
    const bool interacting = law == PotentialKind::Repulsion || law == PotentialKind::LennardJones;
    if (!interacting && law != PotentialKind::Zero)
        return std::nullopt;
    if (interacting && !(theta > 0.0 && std::isfinite(theta)))
        return std::nullopt;

    const int n = countRange.clamp(count);
    const Geometry geometry = geometryOf(n, width, metrics);
    const double f = geometry.freeLength;
    const double unit = gapUnit(metrics);
    EquilibriumPrediction p;
    p.theta = interacting ? theta : 0.0;
    auto binOf = [&](double g)
    {
        for (int b = 0; b + 1 < histogramBins; ++b)
            if (binEdge(metrics, b) <= g && binEdge(metrics, b + 1) >= g)
                return b;
        return histogramBins - 1;
    };
    if (f < 1e-9)
    {
        // No room: every gap is the contact distance.
        p.gap = contactDistance / unit;
        p.shares[static_cast<std::size_t>(binOf(contactDistance))] = 1.0;
        return p;
    }

    const GapWeight weight{law, pairStrengths(C, mass, n), metrics.maxAcceleration, theta};
    const Grid grid = chooseGrid(weight, n, f);
    const int m = grid.m;
    const double h = grid.h;
    const Tilted& t = grid.t;
    if (t.gap.v.empty())
        return std::nullopt;

    // Convolution powers of the gap weight: power[k] = gap^(*k), k = 1 ...
    // N - 1, each with the factor it was scaled by. The two walls together
    // weigh (wall * wall)(t) = t exp(-lambda t) (their sum spread evenly
    // between them), taken apart because their room may be far narrower
    // than a gap's spread, or far wider.
    std::vector<Sequence> power(static_cast<std::size_t>(n));
    std::vector<double> scales(static_cast<std::size_t>(n), 1.0);
    if (n > 1)
        power[1] = t.gap;
    for (int k = 2; k < n; ++k)
        power[static_cast<std::size_t>(k)] =
            convolve(power[static_cast<std::size_t>(k - 1)], t.gap, m, scales[static_cast<std::size_t>(k)]);
    Sequence walls;
    {
        // The mass of r exp(-lambda r) in each grid cell (half a cell at 0),
        // in units of lambda: exact however narrow the walls' room is
        // against the step.
        const double x = grid.lambda * h; // tilt per step
        const int end = static_cast<int>(std::min<double>(m, std::ceil(80.0 / x) + 1.0));
        auto below = [](double u) { return -(u + 1.0) * std::exp(-u); }; // integral of u exp(-u)
        walls.v.resize(static_cast<std::size_t>(end + 1));
        for (int r = 0; r <= end; ++r)
            walls.v[static_cast<std::size_t>(r)] = below((r + 0.5) * x) - below(std::max(0.0, (r - 0.5) * x));
        normalise(walls);
    }

    // One gap's density: its weight times that of the other N intervals
    // (N - 2 gaps and two walls) filling the rest; only where the gap's
    // own weight is not negligible.
    const int gapFrom = t.gap.offset, gapTo = t.gap.end() - 1;
    std::vector<double> othersAt;
    if (n == 2)
    {
        for (int r = m - gapTo; r <= m - gapFrom; ++r)
            othersAt.push_back(walls.at(r));
    }
    else
        othersAt = convolveAt(power[static_cast<std::size_t>(n - 2)], walls, m - gapTo, m - gapFrom);
    auto others = [&](int r) { return othersAt[static_cast<std::size_t>(r - (m - gapTo))]; };
    // The density on its window k = gapFrom ... gapTo, zero outside.
    const int span = gapTo - gapFrom;
    std::vector<double> density(static_cast<std::size_t>(span + 1));
    for (int k = gapFrom; k <= gapTo; ++k)
    {
        const double own = t.gap.at(k) * (k == 0 ? 2.0 : 1.0); // the value, not the end-point weight
        density[static_cast<std::size_t>(k - gapFrom)] = own * others(m - k);
    }
    // Integrals of the density's piecewise-linear interpolant: total, mean,
    // and up to any point. The window's ends fall to nothing.
    std::vector<double> below(static_cast<std::size_t>(span + 1), 0.0);
    double first = 0.0;
    for (int i = 0; i < span; ++i)
    {
        const double a = density[static_cast<std::size_t>(i)], b = density[static_cast<std::size_t>(i + 1)];
        const double k = gapFrom + i;
        below[static_cast<std::size_t>(i + 1)] = below[static_cast<std::size_t>(i)] + 0.5 * h * (a + b);
        first += h * h * (a * (3.0 * k + 1.0) + b * (3.0 * k + 2.0)) / 6.0;
    }
    const double total = below[static_cast<std::size_t>(span)];
    if (!(total > 0.0))
    {
        // A window of one point: every gap there.
        const double g = contactDistance + gapFrom * h;
        p.gap = g / unit;
        p.shares[static_cast<std::size_t>(binOf(g))] = 1.0;
        return p;
    }
    p.gap = (contactDistance + first / total) / unit;
    auto cumulative = [&](double g)
    {
        const double s = g - contactDistance - gapFrom * h;
        if (s <= 0.0)
            return 0.0;
        if (s >= span * h)
            return 1.0;
        const int i = std::min(span - 1, static_cast<int>(s / h));
        const double u = s - i * h;
        const double a = density[static_cast<std::size_t>(i)], b = density[static_cast<std::size_t>(i + 1)];
        return (below[static_cast<std::size_t>(i)] + u * a + u * u * (b - a) / (2.0 * h)) / total;
    };
    for (int b = 0; b < histogramBins; ++b)
    {
        const double from = binEdge(metrics, b);
        const double to = b + 1 < histogramBins ? binEdge(metrics, b + 1) : HUGE_VAL;
        p.shares[static_cast<std::size_t>(b)] = cumulative(to) - cumulative(from);
    }

    // sigma / E of one configuration has no closed expectation: draw whole
    // configurations of the same weight from the same convolutions: the two
    // walls' sum first, then the gaps right to left, each from its weight
    // times the power that must fill what is left; the first gap is the rest.
    if (n < 3)
        return p; // one gap: no spread
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    // The walls' sum r: weight walls(r) power[N - 1](M - r), one table.
    const Sequence& all = power[static_cast<std::size_t>(n - 1)];
    std::vector<int> wallSums;
    std::vector<double> wallCumulative;
    {
        double running = 0.0;
        for (int r = std::max(0, m - (all.end() - 1)); r <= std::min(walls.end() - 1, m - all.offset); ++r)
        {
            const double w = walls.at(r) * all.at(m - r);
            if (w <= 0.0)
                continue;
            running += w;
            wallSums.push_back(r);
            wallCumulative.push_back(running);
        }
    }
    if (wallSums.empty())
        return p;
    // Grid steps of gap k (power[k - 1] left of it) when r steps remain.
    auto draw = [&](int k, int r, double sum)
    {
        const Sequence& rest = power[static_cast<std::size_t>(k - 1)];
        const Sequence& own = t.gap;
        const int lo = std::max(own.offset, r - (rest.end() - 1));
        const int hi = std::min(own.end() - 1, r - rest.offset);
        const double target = uniform(random) * sum;
        double running = 0.0;
        int last = lo;
        for (int j = lo; j <= hi; ++j)
        {
            const double w =
                own.v[static_cast<std::size_t>(j - own.offset)] * rest.v[static_cast<std::size_t>(r - j - rest.offset)];
            if (w > 0.0)
                last = j;
            running += w;
            if (running >= target && w > 0.0)
                return j;
        }
        return last;
    };

    // Control variates: a configuration's mean gap and mean square
    // deviation from the expected gap, whose expectations under the same
    // grid weights are known from one gap's density; sigma / E follows them
    // closely, so the regression on them removes most of its scatter.
    double expected = 0.0, variance = 0.0, weightSum = 0.0;
    for (int k = gapFrom; k <= gapTo; ++k)
    {
        const double w = t.gap.at(k) * others(m - k);
        weightSum += w;
        expected += w * (contactDistance + k * h);
    }
    expected /= weightSum;
    for (int k = gapFrom; k <= gapTo; ++k)
    {
        const double d = contactDistance + k * h - expected;
        variance += t.gap.at(k) * others(m - k) * d * d;
    }
    variance /= weightSum;

    std::vector<int> gaps(static_cast<std::size_t>(n - 1));
    // Sums of q, x1, x2 and their products; both x have expectation 0.
    double sq = 0.0, sqq = 0.0, s1 = 0.0, s2 = 0.0, s11 = 0.0, s12 = 0.0, s22 = 0.0, sq1 = 0.0, sq2 = 0.0;
    long long drawn = 0;
    constexpr long long batch = 500;
    constexpr long long most = 400000;
    for (;;)
    {
        for (long long b = 0; b < batch; ++b)
        {
            const double u = uniform(random) * wallCumulative.back();
            const std::size_t at = static_cast<std::size_t>(
                std::lower_bound(wallCumulative.begin(), wallCumulative.end(), u) - wallCumulative.begin());
            int r = m - wallSums[std::min(at, wallSums.size() - 1)];
            for (int k = n - 1; k >= 2; --k)
            {
                // The whole weight of gap k's choices is power[k] at r, unscaled.
                const double here = power[static_cast<std::size_t>(k)].at(r) / scales[static_cast<std::size_t>(k)];
                const int j =
                    here > 0.0 ? draw(k, r, here) : std::max(0, r - (power[static_cast<std::size_t>(k - 1)].end() - 1));
                gaps[static_cast<std::size_t>(k - 1)] = j;
                r -= j;
            }
            gaps[0] = r;
            double x1 = 0.0, square = 0.0; // mean deviation from expected, its mean square
            for (int j : gaps)
            {
                const double d = contactDistance + j * h - expected;
                x1 += d;
                square += d * d;
            }
            x1 /= n - 1;
            square /= n - 1;
            const double q = std::sqrt(std::max(0.0, square - x1 * x1)) / (expected + x1);
            const double x2 = square - variance;
            sq += q;
            sqq += q * q;
            s1 += x1;
            s2 += x2;
            s11 += x1 * x1;
            s12 += x1 * x2;
            s22 += x2 * x2;
            sq1 += q * x1;
            sq2 += q * x2;
        }
        drawn += batch;
        const double d = static_cast<double>(drawn);
        const double mq = sq / d, m1 = s1 / d, m2 = s2 / d;
        const double c11 = s11 / d - m1 * m1, c12 = s12 / d - m1 * m2, c22 = s22 / d - m2 * m2;
        const double cq1 = sq1 / d - mq * m1, cq2 = sq2 / d - mq * m2, cqq = sqq / d - mq * mq;
        // A control that hardly varies (the mean gap, when the walls leave
        // no room) carries only rounding, and regressing on it would
        // amplify that: it is left out, as is the first of two that move
        // together.
        const bool use1 = c11 > 1e-6 * variance / (n - 1);
        const bool use2 = c22 > 1e-6 * variance * variance / (n - 1);
        const double det = c11 * c22 - c12 * c12;
        double b1 = 0.0, b2 = 0.0;
        if (use1 && use2 && det > 1e-6 * c11 * c22)
        {
            b1 = (c22 * cq1 - c12 * cq2) / det;
            b2 = (c11 * cq2 - c12 * cq1) / det;
        }
        else if (use2)
            b2 = cq2 / c22;
        else if (use1)
            b1 = cq1 / c11;
        p.ratio = mq - b1 * m1 - b2 * m2;
        const double residual = cqq - b1 * cq1 - b2 * cq2;
        p.ratioError = std::sqrt(std::max(0.0, residual) / d);
        if ((drawn >= 8 * batch && p.ratioError <= ratioError) || drawn >= most)
            return p;
    }
}

std::optional<EquilibriumPrediction> equilibriumPrediction(PotentialKind law, int count, double width, int C, int mass,
                                                           double theta, const ScreenMetrics& metrics)
{
    constexpr double bucket = 0.01; // in ln theta
    const bool zero = law == PotentialKind::Zero;
    if (law == PotentialKind::Attraction || (!zero && !(theta > 0.0 && std::isfinite(theta))))
        return std::nullopt;
    const long long index = zero ? 0 : std::llround(std::log(theta) / bucket);
    const double centre = zero ? 0.0 : std::exp(static_cast<double>(index) * bucket);
    if (zero)
        C = mass = 0;
    using Key = std::tuple<int, int, double, int, int, long long, unsigned, unsigned>;
    static std::mutex mutex;
    static std::map<Key, std::optional<EquilibriumPrediction>> known;
    // Metrics are a function of the screen size alone.
    const Key key{static_cast<int>(law),
                  count,
                  width,
                  C,
                  mass,
                  index,
                  static_cast<unsigned>(metrics.screenWidth),
                  static_cast<unsigned>(metrics.screenHeight)};
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (const auto it = known.find(key); it != known.end())
            return it->second;
    }
    const std::optional<EquilibriumPrediction> p = computeEquilibrium(law, count, width, C, mass, centre, metrics);
    std::lock_guard<std::mutex> lock(mutex);
    known.emplace(key, p);
    return p;
}
