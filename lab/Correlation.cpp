#include "lab/Correlation.hpp"

#include <algorithm>
#include <cmath>
#include <complex>

namespace
{
using Complex = std::complex<double>;

// In-place radix-2 transform; a.size() is a power of two. inverse leaves
// out the 1/n.
void fft(std::vector<Complex>& a, bool inverse)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i)
    {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1)
    {
        const double angle = 2.0 * M_PI / static_cast<double>(len) * (inverse ? 1.0 : -1.0);
        const Complex w1(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len)
        {
            Complex w(1.0, 0.0);
            for (std::size_t k = 0; k < len / 2; ++k)
            {
                const Complex u = a[i + k];
                const Complex v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= w1;
            }
        }
    }
}

// Autocovariance c[k] = (1/n) sum_i (x_i - mean)(x_{i+k} - mean) for every
// lag, by the transform of the series padded to twice its length.
std::vector<double> autocovariance(const std::vector<double>& x, std::size_t from, std::size_t to, double mean)
{
    const std::size_t n = to - from;
    std::size_t size = 1;
    while (size < 2 * n)
        size <<= 1;
    std::vector<Complex> a(size);
    for (std::size_t i = 0; i < n; ++i)
        a[i] = x[from + i] - mean;
    fft(a, false);
    for (Complex& z : a)
        z = std::norm(z);
    fft(a, true);
    std::vector<double> c(n);
    for (std::size_t k = 0; k < n; ++k)
        c[k] = a[k].real() / static_cast<double>(size) / static_cast<double>(n);
    return c;
}
} // namespace

CorrelatedMean correlatedMean(const std::vector<double>& x, std::size_t from, std::size_t to)
{
    CorrelatedMean r;
    if (to > x.size() || from >= to)
        return r;
    const std::size_t n = to - from;
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += x[i];
    r.mean = sum / static_cast<double>(n);
    if (n < 2)
        return r;
    const std::vector<double> c = autocovariance(x, from, to, r.mean);
    r.variance = c[0];
    if (!(c[0] > 0.0))
    {
        r.tau = 0.5;
        r.standardError = 0.0;
        return r;
    }
    // g(M) = 1 + 2 sum_{k=1..M} rho_k = 2 tau(M).
    double g = 1.0;
    std::size_t m = 1;
    for (; m < n; ++m)
    {
        g += 2.0 * c[m] / c[0];
        // At least windowFactor lags: an anticorrelated series sums to
        // nearly nothing at the first lag and needs a few more.
        if (static_cast<double>(m) >= windowFactor * std::max(g, 1.0))
        {
            r.windowFound = true;
            break;
        }
    }
    // Each autocovariance about the series' own mean is low by about the
    // variance of that mean, c0 g / n; the 2M + 1 terms of the window sum
    // lose (2M + 1) g / n of g together.
    const double lost = static_cast<double>(2 * m + 1) / static_cast<double>(n);
    if (lost < 0.5)
        g /= 1.0 - lost;
    else
        r.windowFound = false;
    // Noise can drive the sum below zero for anticorrelated series; the
    // variance of a mean is never negative.
    g = std::max(g, 0.0);
    r.tau = g / 2.0;
    r.standardError = std::sqrt(c[0] * g / static_cast<double>(n));
    return r;
}

std::size_t equilibrationStart(const std::vector<double>& x)
{
    constexpr std::size_t candidates = 10;
    const std::size_t n = x.size();
    std::size_t best = 0;
    double mostSamples = -1.0;
    for (std::size_t c = 0; c < candidates; ++c)
    {
        const std::size_t t0 = n * c / (2 * candidates);
        if (n - t0 < 2)
            break;
        const CorrelatedMean m = correlatedMean(x, t0, n);
        const double g = std::max(2.0 * m.tau, 1.0);
        const double samples = static_cast<double>(n - t0) / g;
        if (samples > mostSamples)
        {
            mostSamples = samples;
            best = t0;
        }
    }
    return best;
}

bool isPeriodic(const std::vector<double>& x, std::size_t from, std::size_t to, std::size_t maxPeriod)
{
    // Sum of |x[i + p] - x[i]| over the part.
    auto change = [&](std::size_t p)
    {
        double sum = 0.0;
        for (std::size_t i = from; i + p < to; ++i)
            sum += std::abs(x[i + p] - x[i]);
        return sum;
    };
    double scale = 0.0;
    for (std::size_t i = from; i < to; ++i)
        scale = std::max(scale, std::abs(x[i]));
    const double step = change(1);
    if (step <= 1e-9 * scale * static_cast<double>(to - from))
        return true; // constant but for rounding
    // A cycle: after p samples the series comes back, up to a drift far
    // smaller than its swing from one sample to the next.
    for (std::size_t p = 2; p <= maxPeriod && from + 2 * p <= to; ++p)
        if (change(p) <= 1e-3 * step)
            return true;
    return false;
}

CoarseSeries::CoarseSeries(int channels, long long ticksPerPoint, std::size_t maxPoints)
    : m_channels(static_cast<std::size_t>(channels)), m_partial(static_cast<std::size_t>(channels), 0.0),
      m_ticksPerPoint(std::max(1LL, ticksPerPoint)), m_maxPoints(std::max<std::size_t>(2, maxPoints & ~std::size_t{1}))
{
}

bool CoarseSeries::add(const double* values)
{
    for (std::size_t k = 0; k < m_partial.size(); ++k)
        m_partial[k] += values[k];
    if (++m_inPoint < m_ticksPerPoint)
        return false;
    for (std::size_t k = 0; k < m_partial.size(); ++k)
    {
        m_channels[k].push_back(m_partial[k] / static_cast<double>(m_ticksPerPoint));
        m_partial[k] = 0.0;
    }
    m_inPoint = 0;
    if (size() == m_maxPoints)
    {
        for (std::vector<double>& c : m_channels)
        {
            for (std::size_t i = 0; i < c.size() / 2; ++i)
                c[i] = 0.5 * (c[2 * i] + c[2 * i + 1]);
            c.resize(c.size() / 2);
        }
        m_ticksPerPoint *= 2;
        ++m_merges;
    }
    return true;
}
