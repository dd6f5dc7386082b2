#include "lab/LabRun.hpp"

#include <algorithm>
#include <cmath>
#include <random>

BlockAverage::BlockAverage(long long expectedSamples, int blocks)
    : m_blockLength(std::max(1LL, expectedSamples / std::max(1, blocks)))
{
}

void BlockAverage::add(double sample)
{
    ++m_count;
    m_sum += sample;
    m_blockSum += sample;
    if (++m_inBlock == m_blockLength)
    {
        m_blockMeans.push_back(m_blockSum / static_cast<double>(m_blockLength));
        m_inBlock = 0;
        m_blockSum = 0.0;
    }
}

Estimate BlockAverage::estimate() const
{
    Estimate e;
    if (m_count > 0)
        e.mean = m_sum / static_cast<double>(m_count);
    const auto blocks = static_cast<double>(m_blockMeans.size());
    if (m_blockMeans.size() >= 2)
    {
        double mean = 0.0;
        for (double b : m_blockMeans)
            mean += b;
        mean /= blocks;
        double squares = 0.0;
        for (double b : m_blockMeans)
            squares += (b - mean) * (b - mean);
        e.standardError = std::sqrt(squares / (blocks * (blocks - 1.0)));
    }
    return e;
}

long long ticksFor(int seconds, int dt)
{
    const long long ms = 1000LL * seconds;
    return (ms + dt - 1) / dt;
}

ScreenMetrics runMetrics(const RunSettings& settings)
{
    return makeScreenMetrics(settings.screenWidth, settings.screenHeight);
}

double particleWidthPixels(const RunSettings& settings, const ScreenMetrics& metrics)
{
    return scaleX(metrics, static_cast<float>(settings.width));
}

namespace
{
constexpr int errorBlocks = 20;
constexpr long long pollTicks = 4096; // ticks between looks at the stop request

struct SecondAccumulator
{
    double gap = 0.0, spread = 0.0, ratio = 0.0;
    int ticks = 0;
};
} // namespace

RunResult runGas(const RunSettings& settings, bool withSeries, const RunControl& control)
{
    const ScreenMetrics metrics = runMetrics(settings);
    GasCore gas(metrics, std::mt19937(settings.seed));
    gas.setup(particleWidthPixels(settings, metrics), settings.count);
    ForceSettings force;
    force.kind = settings.law;
    force.temperature = settings.temperature;
    force.mass = settings.mass;
    force.coefficientC = settings.c;
    BondFlags bonded{};

    const long long warmTicks = ticksFor(settings.warmup, settings.dt);
    const long long runTicks = ticksFor(settings.seconds, settings.dt);
    const auto dt = static_cast<float>(settings.dt);
    BlockAverage gap(runTicks, errorBlocks), spread(runTicks, errorBlocks), ratio(runTicks, errorBlocks);
    std::vector<double> totalsAtStart;
    RunResult result;
    SecondAccumulator second;
    int nextSecond = 1;

    long long k = 0;
    long long reported = 0;
    for (; k < warmTicks + runTicks; ++k)
    {
        if (k == warmTicks)
            totalsAtStart = gas.binTotals();
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
        if (!gas.tick(force, bonded, dt))
        {
            result.overlapSeconds = static_cast<double>(k) * settings.dt / 1000.0;
            break;
        }

        const GasCore::GapMoments moments = gas.gapMoments();
        const double q = moments.mean > 0.0 ? moments.stdDev / moments.mean : 0.0;
        if (k >= warmTicks)
        {
            gap.add(moments.mean);
            spread.add(moments.stdDev);
            if (moments.mean > 0.0)
                ratio.add(q);
        }
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
                result.series.push_back({nextSecond, second.gap / n, second.spread / n, second.ratio / n});
                second = {};
                nextSecond = static_cast<int>(endMs / 1000) + 1;
            }
        }
    }
    if (control.ticksDone)
        *control.ticksDone += k - reported;

    result.gap = gap.estimate();
    result.spread = spread.estimate();
    result.ratio = ratio.estimate();
    if (totalsAtStart.empty())
        totalsAtStart = gas.binTotals();
    const std::vector<double>& totals = gas.binTotals();
    double counted = 0.0;
    for (int b = 0; b < histogramBinCount; ++b)
        counted += totals[b] - totalsAtStart[b];
    for (int b = 0; b < histogramBinCount; ++b)
        result.binFractions[b] = (totals[b] - totalsAtStart[b]) / counted;
    return result;
}
