// The gap histogram: 15 equal bins from 0 to histogramRange and one overflow
// bin, and the mean gap and its spread in gap units.

#include "sim/GasCore.hpp"

#include <algorithm>
#include <cmath>

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

template <typename Term> double GasCore::sumOverGaps(Term term) const
{
    const double unit = gapUnit();
    double sum = 0.0;
    for (int j = 0; j + 1 < m_particleCount; ++j)
        sum += term(gap(j) / unit);
    return sum;
}

double GasCore::meanGap() const
{
    if (m_particleCount < minParticles)
        return 0.0;
    const double sum = sumOverGaps([](double g) { return g; });
    return std::round(sum * 100.0 / (m_particleCount - 1)) / 100.0;
}

// The spread of the current gaps about their rounded mean, over the number of
// gaps.
double GasCore::gapStdDev() const
{
    if (m_particleCount < minParticles)
        return 0.0;
    const double mean = meanGap();
    const double sum = sumOverGaps([mean](double g) { return (g - mean) * (g - mean); });
    return std::round(std::sqrt(sum / (m_particleCount - 1)) * 100.0) / 100.0;
}

GasCore::GapMoments GasCore::gapMoments() const
{
    GapMoments moments;
    if (m_particleCount < minParticles)
        return moments;
    const int gaps = m_particleCount - 1;
    moments.mean = sumOverGaps([](double g) { return g; }) / gaps;
    const double mean = moments.mean;
    moments.stdDev = std::sqrt(sumOverGaps([mean](double g) { return (g - mean) * (g - mean); }) / gaps);
    return moments;
}
