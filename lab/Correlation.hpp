#pragma once

#include <cstddef>
#include <limits>
#include <vector>

// The mean of a correlated series and its error from the series' own
// integrated autocorrelation time, tau = 1/2 + sum of the autocorrelations
// over all lags (an AR(1) series with coefficient phi has
// tau = (1 + phi) / (2 (1 - phi)) samples). The sum is cut at Sokal's
// automatic window, the smallest M with M >= windowFactor * 2 tau(M), as
// emcee does; the variance of the mean is then var * 2 tau / n.
struct CorrelatedMean
{
    double mean = std::numeric_limits<double>::quiet_NaN();
    double standardError = std::numeric_limits<double>::quiet_NaN();
    double tau = std::numeric_limits<double>::quiet_NaN(); // samples
    double variance = std::numeric_limits<double>::quiet_NaN();
    // False when the window reached the end of the series: tau is then a
    // lower bound and the error too small.
    bool windowFound = false;
};

constexpr double windowFactor = 5.0;

// Over x[from], ..., x[to - 1]. NaN figures for fewer than two samples.
CorrelatedMean correlatedMean(const std::vector<double>& x, std::size_t from, std::size_t to);
inline CorrelatedMean correlatedMean(const std::vector<double>& x) { return correlatedMean(x, 0, x.size()); }

// The start of the equilibrated part (as pymbar chooses it): of the
// candidates 0, n/20, 2n/20, ..., up to half the series, the start t0 that
// gives the most independent samples, (n - t0) / (2 tau of x[t0...]).
std::size_t equilibrationStart(const std::vector<double>& x);

// True when the series is constant, or repeats itself with a period of at
// most maxPeriod samples up to a drift a thousand times smaller than its
// swing: nothing fluctuates, and no error can be had from it.
bool isPeriodic(const std::vector<double>& x, std::size_t from, std::size_t to, std::size_t maxPeriod = 8);

// Means of fixed blocks of ticks, for several quantities at once, so that a
// long run keeps a short series. When the series reaches maxPoints, pairs of
// points are merged and the block doubles: the memory stays bounded, and the
// block stays far below the correlation times as long as the run is long.
class CoarseSeries
{
public:
    CoarseSeries(int channels, long long ticksPerPoint, std::size_t maxPoints);
    // One tick's values, one per channel. True when a point was completed.
    bool add(const double* values);
    std::size_t size() const { return m_channels.empty() ? 0 : m_channels[0].size(); }
    long long ticksPerPoint() const { return m_ticksPerPoint; }
    const std::vector<double>& channel(int k) const { return m_channels[static_cast<std::size_t>(k)]; }
    // Times the points were merged in pairs since the start.
    int merges() const { return m_merges; }

private:
    std::vector<std::vector<double>> m_channels;
    std::vector<double> m_partial;
    long long m_ticksPerPoint;
    long long m_inPoint = 0;
    std::size_t m_maxPoints;
    int m_merges = 0;
};
