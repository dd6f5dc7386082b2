// The gap histogram: 15 equal bins from 0 to histogramRange and one overflow
// bin, and the mean gap and its spread in gap units.

#include "sim/GasCore.hpp"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float histogramSpan = 846.0f; // reference pixels: the upper end of the regular bins
} // namespace

double histogramRange(const ScreenMetrics& m) { return scaleX(m, histogramSpan); }

// In single precision: the index first, then times 846, times screenWidth,
// over 1920, over the number of regular bins.
float binEdge(const ScreenMetrics& m, int k)
{
    return static_cast<float>(k) * histogramSpan * m.screenWidth / referenceWidth /
           static_cast<float>(histogramBins - 1);
}

double gapUnit(const ScreenMetrics& m) { return std::trunc(scaleX(m, histogramSpan) * 0.0625f); }

void GasCore::resetHistogram()
{
    m_binCount = histogramBins;
    m_binTotals.assign(m_binCount, 0.0);
    m_binCounts.assign(m_binCount, 0);

    m_binEdges.resize(m_binCount);
    for (int k = 0; k < m_binCount; ++k)
        m_binEdges[k] = binEdge(m_metrics, k);
}

void GasCore::binGaps()
{
    std::fill(m_binCounts.begin(), m_binCounts.end(), 0);
    const double range = histogramRange();
    const int overflow = m_binCount - 1;
    for (int j = 0; j + 1 < m_particleCount; ++j)
    {
        const double g = gap(j);
        if (g > range)
        {
            m_binTotals[overflow] += 1.0;
            ++m_binCounts[overflow];
            continue;
        }
        // First bin whose closed interval holds the gap: a gap on an edge goes
        // to the lower bin, a negative gap to none.
        for (int k = 0; k < overflow; ++k)
        {
            if (m_binEdges[k] <= g && m_binEdges[k + 1] >= g)
            {
                m_binTotals[k] += 1.0;
                ++m_binCounts[k];
                break;
            }
        }
    }
}

int GasCore::maxBinCount() const
{
    int fullest = 0;
    for (int count : m_binCounts)
        fullest = std::max(fullest, count);
    return fullest;
}

double GasCore::meanGap() const
{
    if (m_particleCount < minParticles)
        return 0.0;
    const double unit = gapUnit();
    double sum = 0.0;
    for (int j = 0; j + 1 < m_particleCount; ++j)
        sum += gap(j) / unit;
    return std::round(sum * 100.0 / (m_particleCount - 1)) / 100.0;
}

// The spread of the current gaps about their rounded mean, over the number of
// gaps.
double GasCore::gapStdDev() const
{
    if (m_particleCount < minParticles)
        return 0.0;
    const double unit = gapUnit();
    const double mean = meanGap();
    double sum = 0.0;
    for (int j = 0; j + 1 < m_particleCount; ++j)
    {
        const double deviation = gap(j) / unit - mean;
        sum += deviation * deviation;
    }
    return std::round(std::sqrt(sum / (m_particleCount - 1)) * 100.0) / 100.0;
}

GasCore::GapMoments GasCore::gapMoments() const
{
    GapMoments moments;
    if (m_particleCount < minParticles)
        return moments;
    const double unit = gapUnit();
    const int gaps = m_particleCount - 1;
    double sum = 0.0;
    for (int j = 0; j < gaps; ++j)
        sum += gap(j) / unit;
    moments.mean = sum / gaps;
    double squares = 0.0;
    for (int j = 0; j < gaps; ++j)
    {
        const double deviation = gap(j) / unit - moments.mean;
        squares += deviation * deviation;
    }
    moments.stdDev = std::sqrt(squares / gaps);
    return moments;
}
