#include "lab/LabRun.hpp"

#include <algorithm>
#include <cmath>
#include <random>

const char* qualityName(Quality q)
{
    switch (q)
    {
    case Quality::Short: return "short";
    case Quality::Drifting: return "drifting";
    case Quality::Frozen: return "frozen";
    case Quality::Ok: break;
    }
    return "ok";
}

SeriesAnalysis analyseSeries(const std::vector<const std::vector<double>*>& channels, bool findStart)
{
    SeriesAnalysis a;
    if (channels.empty())
        return a;
    const std::size_t n = channels[0]->size();
    // The slowest quantity decides where equilibrium begins.
    if (findStart)
        for (const std::vector<double>* x : channels)
            a.start = std::max(a.start, equilibrationStart(*x));
    const std::size_t measured = n - std::min(n, a.start);
    const std::size_t half = a.start + measured / 2;
    bool frozen = false, drifting = false;
    if (measured < 4)
        a.shortRule = ShortRule::FewPoints;
    // The rule to name: the first in ShortRule's order, and within
    // FewTaus the quantity measured over the fewest of its tau.
    auto flag = [&](ShortRule rule, std::size_t channel, double tau)
    {
        const bool fewer = rule == ShortRule::FewTaus && a.shortRule == rule && tau > a.shortTau;
        if (a.shortRule == ShortRule::None || rule < a.shortRule || fewer)
        {
            a.shortRule = rule;
            a.shortChannel = channel;
            a.shortTau = tau;
        }
    };
    for (std::size_t c = 0; c < channels.size(); ++c)
    {
        const std::vector<double>* x = channels[c];
        const CorrelatedMean m = correlatedMean(*x, a.start, n);
        a.means.push_back(m);
        if (measured < 4)
            continue;
        if (isPeriodic(*x, a.start, n))
        {
            frozen = true;
            continue;
        }
        if (!m.windowFound)
            flag(ShortRule::NoWindow, c, m.tau);
        else if (static_cast<double>(measured) < minimumTaus * m.tau)
            flag(ShortRule::FewTaus, c, m.tau);
        // The start is chosen where tau came out lowest; in a short run
        // that is most often where a slow mode the part is too short to
        // show hid. Trust it only if the whole run, warm-up included,
        // resolves its own correlation: Sokal's window found well inside it.
        if (a.start > 0)
            if (const CorrelatedMean whole = correlatedMean(*x, 0, n); !whole.windowFound)
                flag(ShortRule::WholeRun, c, whole.tau);
        // Each half's error with the whole run's correlation time.
        const CorrelatedMean first = correlatedMean(*x, a.start, half);
        const CorrelatedMean second = correlatedMean(*x, half, n);
        auto error2 = [&](const CorrelatedMean& h, std::size_t length)
        { return h.variance * 2.0 * m.tau / static_cast<double>(length); };
        const double combined = std::sqrt(error2(first, half - a.start) + error2(second, n - half));
        if (std::abs(first.mean - second.mean) > 3.0 * combined)
            drifting = true;
    }
    a.quality = frozen                           ? Quality::Frozen
                : drifting                       ? Quality::Drifting
                : a.shortRule != ShortRule::None ? Quality::Short
                                                 : Quality::Ok;
    return a;
}

KineticSample kineticSample(const std::vector<double>& v, double maxSpeed)
{
    KineticSample k;
    const std::size_t n = v.size();
    if (n < 2)
        return k;
    double inner = 0.0;
    int capped = 0;
    for (std::size_t i = 0; i < n; ++i)
    {
        if (std::abs(v[i]) >= maxSpeed)
            ++capped;
        if (i > 0 && i + 1 < n)
            inner += v[i] * v[i];
    }
    k.inner = n > 2 ? inner / static_cast<double>(n - 2) : std::numeric_limits<double>::quiet_NaN();
    k.ends = 0.5 * (v[0] * v[0] + v[n - 1] * v[n - 1]);
    k.capped = static_cast<double>(capped) / static_cast<double>(n);
    return k;
}

long long ticksFor(int seconds, int dt)
{
    const long long ms = 1000LL * std::max(0, seconds);
    return (ms + dt - 1) / dt;
}

ScreenMetrics runMetrics(const LabRun& settings)
{
    return makeScreenMetrics(settings.screenWidth, settings.screenHeight);
}

namespace
{
constexpr long long pollTicks = 4096; // ticks between looks at the stop request
// The coarse series: means over half a simulated second (far below the
// shortest correlation time, about 4 s under Lennard-Jones), at most 16384 of
// them before pairs are merged.
constexpr int pointMilliseconds = 500;
constexpr std::size_t maxPoints = 16384;
// With a precision: the first look after this many simulated seconds, then
// after every half as much again.
constexpr int firstLookSeconds = 100;

using BinTotals = std::array<double, histogramBins>;

BinTotals totalsOf(const GasCore& gas)
{
    BinTotals t{};
    std::copy_n(gas.binTotals().begin(), histogramBins, t.begin());
    return t;
}

struct SecondAccumulator
{
    double gap = 0.0, spread = 0.0, ratio = 0.0;
    int ticks = 0;
    long long firstTick = 0;
};

SeriesAnalysis analyse(const CoarseSeries& coarse, bool findStart)
{
    return analyseSeries({&coarse.channel(0), &coarse.channel(1), &coarse.channel(2)}, findStart);
}
} // namespace

RunResult runGas(const LabRun& settings, bool withSeries, const RunControl& control)
{
    const ScreenMetrics metrics = runMetrics(settings);
    GasCore gas(metrics, std::mt19937(settings.seed));
    gas.setup(particleWidthPixels(settings.gas.width, metrics), settings.gas.count);
    BondFlags bonded{};

    const bool findStart = settings.warmup == autoWarmup;
    const long long warmTicks = ticksFor(settings.warmup, settings.dt);
    const long long capTicks = ticksFor(settings.seconds, settings.dt);
    const bool seekPrecision = settings.precision > 0.0;
    long long lookTicks = seekPrecision ? std::min(capTicks, ticksFor(firstLookSeconds, settings.dt)) : capTicks;
    const auto dt = static_cast<float>(settings.dt);
    const long long pointTicks = std::max(1, (pointMilliseconds + settings.dt / 2) / settings.dt);

    // E, sigma, sigma / E and the kinetic figures per point of the coarse
    // series, and the bin totals at its start and at the end of every point.
    // The quality and the start are those of the gaps' three.
    CoarseSeries coarse(6, pointTicks, maxPoints);
    const bool hasInner = gas.particleCount() > 2;
    BinTotals totalsAtStart{};
    std::vector<BinTotals> totalsAtPoint;
    int merges = 0;

    RunResult result;
    SecondAccumulator second;
    std::vector<long long> secondStarts;
    int nextSecond = 1;

    long long k = 0;
    long long reported = 0;
    for (;; ++k)
    {
        if (k == warmTicks)
            totalsAtStart = totalsOf(gas);
        if (k % pollTicks == 0 && k > 0)
        {
            if (control.ticksDone)
                *control.ticksDone += k - reported;
            reported = k;
            if (control.stop && control.stop->load())
            {
                result.interrupted = true;
                break;
            }
        }
        // The tick of the demonstration; a broken order ends the run as it
        // ends the program.
        if (!gas.tick(settings.gas, bonded, dt))
        {
            result.overlapSeconds = static_cast<double>(k) * settings.dt / 1000.0;
            break;
        }

        const GasCore::GapMoments moments = gas.gapMoments();
        const double q = moments.mean > 0.0 ? moments.stdDev / moments.mean : 0.0;
        if (withSeries)
        {
            second.gap += moments.mean;
            second.spread += moments.stdDev;
            second.ratio += q;
            ++second.ticks;
            const long long endMs = (k + 1) * settings.dt;
            if (endMs >= 1000LL * nextSecond)
            {
                const double n = second.ticks;
                result.series.push_back({nextSecond, second.gap / n, second.spread / n, second.ratio / n, false});
                secondStarts.push_back(second.firstTick);
                second = {};
                second.firstTick = k + 1;
                nextSecond = static_cast<int>(endMs / 1000) + 1;
            }
        }
        if (k < warmTicks)
            continue;
        const KineticSample kinetic = kineticSample(gas.velocities(), metrics.maxSpeed);
        const double values[] = {moments.mean, moments.stdDev, q, hasInner ? kinetic.inner : 0.0,
                                 kinetic.ends, kinetic.capped};
        if (!coarse.add(values))
            continue;
        totalsAtPoint.push_back(totalsOf(gas));
        if (coarse.merges() != merges)
        {
            // A merged point ends where the second of its pair ended.
            for (std::size_t i = 0; i < totalsAtPoint.size() / 2; ++i)
                totalsAtPoint[i] = totalsAtPoint[2 * i + 1];
            totalsAtPoint.resize(totalsAtPoint.size() / 2);
            merges = coarse.merges();
        }
        // Runs end on a whole point, so that every tick measured is in the series.
        if (k + 1 - warmTicks < lookTicks)
            continue;
        if (lookTicks >= capTicks)
            break;
        const SeriesAnalysis look = analyse(coarse, findStart);
        if (look.quality == Quality::Ok && look.means[2].standardError <= settings.precision)
            break;
        lookTicks = std::min(capTicks, lookTicks + lookTicks / 2);
    }
    if (control.ticksDone)
        *control.ticksDone += k - reported;

    const SeriesAnalysis a = analyse(coarse, findStart);
    const double pointSeconds = static_cast<double>(coarse.ticksPerPoint()) * settings.dt / 1000.0;
    const std::size_t points = coarse.size();
    const std::size_t start = std::min(a.start, points);
    result.quality = a.quality;
    result.warmupSeconds = static_cast<double>(warmTicks) * settings.dt / 1000.0 + start * pointSeconds;
    result.measuredSeconds = static_cast<double>(points - start) * pointSeconds;
    Estimate* estimates[] = {&result.gap, &result.spread, &result.ratio};
    for (std::size_t i = 0; i < 3; ++i)
        *estimates[i] = {a.means[i].mean, a.means[i].standardError};
    result.ratioTauSeconds = a.means[2].tau * pointSeconds;
    if (a.quality == Quality::Short)
    {
        result.shortRule = a.shortRule;
        result.shortQuantity = static_cast<int>(a.shortChannel);
        result.shortTauSeconds = a.shortTau * pointSeconds;
    }
    // The kinetic figures over the same measured points, each with its own
    // correlation time.
    const CorrelatedMean inner = correlatedMean(coarse.channel(3), start, points);
    const CorrelatedMean ends = correlatedMean(coarse.channel(4), start, points);
    result.thetaInner = hasInner ? Estimate{inner.mean, inner.standardError} : Estimate{};
    result.thetaEnds = {ends.mean, ends.standardError};
    result.speedCapShare = correlatedMean(coarse.channel(5), start, points).mean;
    if (a.quality == Quality::Frozen)
    {
        // A cycle has no error to give.
        for (Estimate* e : estimates)
            e->standardError = std::numeric_limits<double>::quiet_NaN();
        result.thetaInner.standardError = result.thetaEnds.standardError = std::numeric_limits<double>::quiet_NaN();
        result.ratioTauSeconds = std::numeric_limits<double>::quiet_NaN();
    }

    const long long firstMeasured = warmTicks + static_cast<long long>(start) * coarse.ticksPerPoint();
    for (std::size_t i = 0; i < result.series.size(); ++i)
        result.series[i].measured = secondStarts[i] >= firstMeasured;

    const BinTotals from = start == 0 ? totalsAtStart : totalsAtPoint[start - 1];
    const BinTotals to = points == 0 ? from : totalsAtPoint[points - 1];
    double counted = 0.0;
    for (int b = 0; b < histogramBins; ++b)
        counted += to[b] - from[b];
    for (int b = 0; b < histogramBins; ++b)
        result.binFractions[b] = (to[b] - from[b]) / counted;

    // Computed here, on the run's own thread, and remembered per setting and
    // temperature bucket.
    if (!result.interrupted)
        result.boltzmann = equilibriumPrediction(settings.gas.law, gas.particleCount(), gas.particleWidth(),
                                                 settings.gas.C, settings.gas.mass, result.thetaInner.mean, metrics);
    return result;
}
