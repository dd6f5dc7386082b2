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

// The intervals' weights on a grid of step h over [0, F], tilted by
// exp(-lambda s): the tilt cancels (the intervals' sum is fixed) and keeps
// the convolutions' useful values near their peaks.
struct Tilted
{
    Sequence gap;
    Sequence wall;
};

Tilted tilted(const std::vector<double>& logWeight, double h, double lambda)
{
    const int m = static_cast<int>(logWeight.size()) - 1;
    Tilted t;
    t.gap.v.resize(logWeight.size());
    t.wall.v.resize(logWeight.size());
    double top = -std::numeric_limits<double>::infinity();
    for (int k = 0; k <= m; ++k)
        top = std::max(top, logWeight[static_cast<std::size_t>(k)] - lambda * k * h);
    for (int k = 0; k <= m; ++k)
    {
        t.gap.v[static_cast<std::size_t>(k)] = std::exp(logWeight[static_cast<std::size_t>(k)] - lambda * k * h - top);
        t.wall.v[static_cast<std::size_t>(k)] = std::exp(-lambda * k * h);
    }
    t.gap.v[0] *= 0.5;
    t.wall.v[0] *= 0.5;
    normalise(t.gap);
    normalise(t.wall);
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

std::vector<double> logWeights(const GapWeight& weight, double h, int m)
{
    std::vector<double> l(static_cast<std::size_t>(m + 1));
    for (int k = 0; k <= m; ++k)
        l[static_cast<std::size_t>(k)] = weight(k * h);
    return l;
}

// The tilt under which the intervals, taken as independent, fill the free
// length on average: 2 wall means + (N - 1) gap means = F.
double pressureTilt(const std::vector<double>& logWeight, double h, int count, double f)
{
    auto filled = [&](double lambda)
    {
        const Tilted t = tilted(logWeight, h, lambda);
        double gapMean = 0.0, wallMean = 0.0, spread = 0.0;
        moments(t.gap, h, gapMean, spread);
        moments(t.wall, h, wallMean, spread);
        return 2.0 * wallMean + (count - 1) * gapMean;
    };
    // Without tilt the two walls alone fill F on average, and a steep tilt
    // empties every interval: the root lies between.
    double lo = 1e-6 / f, hi = 1e6 / f;
    for (int i = 0; i < 24 && hi / lo > 1.01; ++i)
    {
        const double mid = std::sqrt(lo * hi);
        (filled(mid) > f ? lo : hi) = mid;
    }
    return std::sqrt(lo * hi);
}

// Grid step: a fraction of the narrower of a gap's and a wall interval's
// spread, and of the bins' and the contact distance's pixel scale.
double gridStep(const GapWeight& weight, int count, double f)
{
    double h = f / 4096.0;
    for (int pass = 0; pass < 4; ++pass)
    {
        const int m = static_cast<int>(std::lround(f / h));
        const std::vector<double> l = logWeights(weight, f / m, m);
        const double lambda = pressureTilt(l, f / m, count, f);
        const Tilted t = tilted(l, f / m, lambda);
        double mean = 0.0, gapSpread = 0.0, wallSpread = 0.0;
        moments(t.gap, f / m, mean, gapSpread);
        moments(t.wall, f / m, mean, wallSpread);
        const double wanted = std::max(f / 2e6, std::min({1.0, f / 512.0, gapSpread / 12.0, wallSpread / 12.0}));
        // Resolved at this step: a step as fine as it asks for is enough.
        if (wanted > h / 1.5)
            return wanted;
        h = wanted;
    }
    return h;
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

std::optional<EquilibriumPrediction> computeEquilibrium(PotentialKind law, int count, double width, int coefficientC,
                                                        int mass, double theta, const ScreenMetrics& metrics,
                                                        double ratioError)
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

    const GapWeight weight{law, pairStrengths(coefficientC, mass, n), metrics.maxAcceleration, theta};
    const int m = static_cast<int>(std::lround(f / gridStep(weight, n, f)));
    const double h = f / m;
    const std::vector<double> l = logWeights(weight, h, m);
    const Tilted t = tilted(l, h, pressureTilt(l, h, n, f));

    // Prefix convolutions: prefix[j] = wall * gap^(*j), j = 0 ... N - 1,
    // with the factor each was scaled by.
    std::vector<Sequence> prefix(static_cast<std::size_t>(n));
    std::vector<double> scales(static_cast<std::size_t>(n), 1.0);
    prefix[0] = t.wall;
    for (int j = 1; j < n; ++j)
        prefix[static_cast<std::size_t>(j)] =
            convolve(prefix[static_cast<std::size_t>(j - 1)], t.gap, m, scales[static_cast<std::size_t>(j)]);

    // One gap's density: its weight times that of the other N intervals
    // (N - 2 gaps and two walls) filling the rest, on the grid.
    double unused = 1.0;
    const Sequence others = convolve(prefix[static_cast<std::size_t>(n - 2)], t.wall, m, unused);
    std::vector<double> density(static_cast<std::size_t>(m + 1));
    for (int k = 0; k <= m; ++k)
    {
        const double own = t.gap.at(k) * (k == 0 ? 2.0 : 1.0); // the value, not the end-point weight
        density[static_cast<std::size_t>(k)] = own * others.at(m - k);
    }
    // Integrals of the density's piecewise-linear interpolant: total, mean,
    // and up to any point.
    std::vector<double> below(static_cast<std::size_t>(m + 1), 0.0);
    double first = 0.0;
    for (int k = 0; k < m; ++k)
    {
        const double a = density[static_cast<std::size_t>(k)], b = density[static_cast<std::size_t>(k + 1)];
        below[static_cast<std::size_t>(k + 1)] = below[static_cast<std::size_t>(k)] + 0.5 * h * (a + b);
        first += h * h * (a * (3.0 * k + 1.0) + b * (3.0 * k + 2.0)) / 6.0;
    }
    const double total = below[static_cast<std::size_t>(m)];
    if (!(total > 0.0))
        return std::nullopt;
    p.gap = (contactDistance + first / total) / unit;
    auto cumulative = [&](double g)
    {
        const double s = g - contactDistance;
        if (s <= 0.0)
            return 0.0;
        if (s >= f)
            return 1.0;
        const int k = std::min(m - 1, static_cast<int>(s / h));
        const double u = s - k * h;
        const double a = density[static_cast<std::size_t>(k)], b = density[static_cast<std::size_t>(k + 1)];
        return (below[static_cast<std::size_t>(k)] + u * a + u * u * (b - a) / (2.0 * h)) / total;
    };
    for (int b = 0; b < histogramBins; ++b)
    {
        const double from = binEdge(metrics, b);
        const double to = b + 1 < histogramBins ? binEdge(metrics, b + 1) : HUGE_VAL;
        p.shares[static_cast<std::size_t>(b)] = cumulative(to) - cumulative(from);
    }

    // sigma / E of one configuration has no closed expectation: draw whole
    // configurations of the same weight, right to left, each interval from
    // its weight times the prefix convolution that must fill what is left.
    if (n < 3)
        return p; // one gap: no spread
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    // Grid steps of interval `what` with prefix[k] left of it when r steps
    // remain; sum is the whole weight over every choice.
    auto draw = [&](const Sequence& what, int k, int r, double sum)
    {
        const Sequence& rest = prefix[static_cast<std::size_t>(k)];
        const int lo = std::max(what.offset, r - (rest.end() - 1));
        const int hi = std::min(what.end() - 1, r - rest.offset);
        const double target = uniform(random) * sum;
        const double* own = what.v.data() - what.offset;
        const double* left = rest.v.data() - rest.offset;
        double running = 0.0;
        int last = lo;
        for (int j = lo; j <= hi; ++j)
        {
            const double w = own[j] * left[r - j];
            if (w > 0.0)
                last = j;
            running += w;
            if (running >= target && w > 0.0)
                return j;
        }
        return last;
    };
    double wholeWeight = 0.0;
    for (int j = t.wall.offset; j < t.wall.end() && j <= m; ++j)
        wholeWeight += t.wall.at(j) * prefix[static_cast<std::size_t>(n - 1)].at(m - j);
    if (!(wholeWeight > 0.0))
        return p;

    // Control variates: a configuration's mean gap and mean square gap,
    // whose expectations under the same grid weights are known from one
    // gap's density; sigma / E follows them closely, so the regression on
    // them removes most of its scatter.
    double known[2] = {0.0, 0.0}, weightSum = 0.0;
    for (int k = 0; k <= m; ++k)
    {
        const double w = t.gap.at(k) * others.at(m - k);
        const double g = contactDistance + k * h;
        weightSum += w;
        known[0] += w * g;
        known[1] += w * g * g;
    }
    known[0] /= weightSum;
    known[1] /= weightSum;

    std::vector<int> gaps(static_cast<std::size_t>(n - 1));
    // Sums of q, x1, x2 and their products, the x about their expectations.
    double sq = 0.0, sqq = 0.0, s1 = 0.0, s2 = 0.0, s11 = 0.0, s12 = 0.0, s22 = 0.0, sq1 = 0.0, sq2 = 0.0;
    long long drawn = 0;
    constexpr long long batch = 500;
    constexpr long long most = 400000;
    for (;;)
    {
        for (long long b = 0; b < batch; ++b)
        {
            int r = m - draw(t.wall, n - 1, m, wholeWeight);
            for (int k = n - 2; k >= 0; --k)
            {
                // Gap k of the row, prefix[k] left of it: the whole weight
                // is prefix[k + 1] at r, unscaled.
                int j = 0;
                if (r > 0)
                {
                    const double here =
                        prefix[static_cast<std::size_t>(k + 1)].at(r) / scales[static_cast<std::size_t>(k + 1)];
                    j = here > 0.0 ? draw(t.gap, k, r, here) : 0;
                }
                gaps[static_cast<std::size_t>(k)] = j;
                r -= j;
            }
            double mean = 0.0, square = 0.0;
            for (int j : gaps)
            {
                const double g = contactDistance + j * h;
                mean += g;
                square += g * g;
            }
            mean /= n - 1;
            square /= n - 1;
            const double q = std::sqrt(std::max(0.0, square - mean * mean)) / mean;
            const double x1 = mean - known[0], x2 = square - known[1];
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
        const double det = c11 * c22 - c12 * c12;
        double b1 = 0.0, b2 = 0.0;
        if (det > 1e-12 * c11 * c22)
        {
            b1 = (c22 * cq1 - c12 * cq2) / det;
            b2 = (c11 * cq2 - c12 * cq1) / det;
        }
        p.ratio = mq - b1 * m1 - b2 * m2;
        const double residual = cqq - b1 * cq1 - b2 * cq2;
        p.ratioError = std::sqrt(std::max(0.0, residual) / d);
        if ((drawn >= 8 * batch && p.ratioError <= ratioError) || drawn >= most)
            return p;
    }
}

std::optional<EquilibriumPrediction> equilibriumPrediction(PotentialKind law, int count, double width, int coefficientC,
                                                           int mass, double theta, const ScreenMetrics& metrics)
{
    constexpr double bucket = 0.01; // in ln theta
    const bool zero = law == PotentialKind::Zero;
    if (law == PotentialKind::Attraction || (!zero && !(theta > 0.0 && std::isfinite(theta))))
        return std::nullopt;
    const long long index = zero ? 0 : std::llround(std::log(theta) / bucket);
    const double centre = zero ? 0.0 : std::exp(static_cast<double>(index) * bucket);
    if (zero)
        coefficientC = mass = 0;
    using Key = std::tuple<int, int, double, int, int, long long, unsigned, unsigned>;
    static std::mutex mutex;
    static std::map<Key, std::optional<EquilibriumPrediction>> known;
    // Metrics are a function of the screen size alone.
    const Key key{static_cast<int>(law),
                  count,
                  width,
                  coefficientC,
                  mass,
                  index,
                  static_cast<unsigned>(metrics.screenWidth),
                  static_cast<unsigned>(metrics.screenHeight)};
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (const auto it = known.find(key); it != known.end())
            return it->second;
    }
    const std::optional<EquilibriumPrediction> p =
        computeEquilibrium(law, count, width, coefficientC, mass, centre, metrics);
    std::lock_guard<std::mutex> lock(mutex);
    known.emplace(key, p);
    return p;
}
