// The gap histogram: 15 equal bins from 0 to histogramRange and one overflow
// bin, the bars drawn from the running totals, and the mean gap and its
// spread in gap units.

#include "sim/GasModel.hpp"

#include <SFML/Graphics/Color.hpp>

#include <algorithm>

namespace
{
constexpr int histogramBins = 16;

// Reference pixels.
constexpr float histogramSpan = 846.0f; // upper end of the regular bins; also the bars' span
constexpr float barsLeft = 805.0f;      // left end of the bars' span
constexpr float barsBase = 1033.0f;     // base line the bars stand on
constexpr float barsWidth = 826.0f;     // all bars together
constexpr float tallestBar = 330.0f;
constexpr float barOutline = 1.0f; // absolute pixels
} // namespace

void GasModel::resetHistogram()
{
    m_binCount = histogramBins;
    m_binTotals.assign(m_binCount, 0.0);
    m_binCounts.assign(m_binCount, 0);

    // Edge k of the regular bins, in single precision: the index first, then
    // times 846, times screenWidth, over 1920, over the number of regular bins.
    const float sw = m_metrics.screenWidth;
    m_binEdges.resize(m_binCount);
    for (int k = 0; k < m_binCount; ++k)
        m_binEdges[k] =
            static_cast<float>(k) * histogramSpan * sw / referenceWidth / static_cast<float>(m_binCount - 1);

    // Turned by 180 degrees about their top-left corner, the bars reach left
    // and up from their position: they stand on the base line with their
    // right ends 846 / 16 reference pixels apart.
    m_barShapes.assign(m_binCount, sf::RectangleShape());
    m_barSizes.assign(m_binCount, sf::Vector2f(0.0f, 0.0f));
    for (int k = 0; k < m_binCount; ++k)
    {
        sf::RectangleShape& bar = m_barShapes[k];
        bar.setOutlineThickness(barOutline);
        bar.setOutlineColor(sf::Color::Black);
        bar.setRotation(180.0f);
        bar.setPosition(scaleX(m_metrics, histogramSpan) / static_cast<float>(m_binCount) * static_cast<float>(k + 1) +
                            scaleX(m_metrics, barsLeft),
                        scaleY(m_metrics, barsBase));
        bar.setFillColor(sf::Color::Green);
    }
}

void GasModel::binGaps()
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

void GasModel::updateBarHeights()
{
    double fullest = 0.0;
    for (double total : m_binTotals)
        fullest = std::max(fullest, total);

    // The fullest bin is 330 reference pixels tall; with nothing counted yet
    // every bar is flat.
    const float width = scaleX(m_metrics, barsWidth) / static_cast<float>(m_binCount);
    for (int k = 0; k < m_binCount; ++k)
    {
        const float share = fullest > 0.0 ? static_cast<float>(m_binTotals[k] / fullest) : 0.0f;
        m_barSizes[k] = {width, share * tallestBar * m_metrics.screenHeight / referenceHeight};
    }
}

int GasModel::maxBinCount() const
{
    int fullest = 0;
    for (int count : m_binCounts)
        fullest = std::max(fullest, count);
    return fullest;
}

double GasModel::histogramRange() const { return scaleX(m_metrics, histogramSpan); }

double GasModel::gapUnit() const { return std::trunc(scaleX(m_metrics, histogramSpan) * 0.0625f); }

double GasModel::meanGap() const
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
double GasModel::gapStdDev() const
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

GasModel::GapMoments GasModel::gapMoments() const
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
