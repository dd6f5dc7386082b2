#include "sim/FreeGas.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <random>
#include <tuple>
#include <vector>

namespace
{
FreeGasPrediction predict(int count, double width, const ScreenMetrics& metrics)
{
    const double unit = gapUnit(metrics);
    // The wall lines for the left edges of the end particles, as the model
    // computes them.
    const double leftWall = scaleX(metrics, wallMarginReference);
    const double rightWall =
        static_cast<double>(metrics.screenWidth) - width - static_cast<double>(scaleX(metrics, wallMarginReference));
    const int n = count;
    FreeGasPrediction p;
    p.freeLength = std::max(0.0, rightWall - leftWall - (n - 1) * (width + contactDistance));
    const double f = p.freeLength;
    p.gap = (contactDistance + f / (n + 1)) / unit;

    // One gap's free part is F times a Beta(1, N) variable:
    // P(gap <= t) = 1 - (1 - (t - contact) / F)^N.
    auto below = [&](double t)
    {
        if (f <= 0.0)
            return t >= contactDistance ? 1.0 : 0.0;
        const double s = std::clamp((t - contactDistance) / f, 0.0, 1.0);
        return 1.0 - std::pow(1.0 - s, n);
    };
    for (int b = 0; b < histogramBins; ++b)
    {
        // The edges the model compares the gaps with.
        const double from = binEdge(metrics, b);
        const double to = b + 1 < histogramBins ? binEdge(metrics, b + 1) : HUGE_VAL;
        p.shares[static_cast<std::size_t>(b)] = below(to) - below(from);
    }

    // sigma / E of one configuration has no simple expectation: draw them.
    std::mt19937_64 random(20261207);
    std::exponential_distribution<double> exponential(1.0);
    std::vector<double> parts(static_cast<std::size_t>(n + 1));
    double sum = 0.0, squares = 0.0;
    long long drawn = 0;
    constexpr long long batch = 10000;
    constexpr double wanted = 0.0005;
    for (;;)
    {
        for (long long k = 0; k < batch; ++k)
        {
            double total = 0.0;
            for (double& e : parts)
                total += e = exponential(random);
            // The N - 1 inner intervals; the two at the walls are parts[0] and parts[n].
            double mean = 0.0;
            for (int j = 1; j < n; ++j)
                mean += parts[static_cast<std::size_t>(j)];
            mean /= n - 1;
            double spread = 0.0;
            for (int j = 1; j < n; ++j)
            {
                const double d = (parts[static_cast<std::size_t>(j)] - mean) * f / total;
                spread += d * d;
            }
            const double q = std::sqrt(spread / (n - 1)) / (contactDistance + mean * f / total);
            sum += q;
            squares += q * q;
        }
        drawn += batch;
        const double mean = sum / drawn;
        p.ratio = mean;
        p.ratioError = std::sqrt(std::max(0.0, squares / drawn - mean * mean) / drawn);
        if (p.ratioError <= wanted || drawn >= 4000000)
            return p;
    }
}
} // namespace

FreeGasPrediction freeGasPrediction(int count, double width, const ScreenMetrics& metrics)
{
    using Key = std::tuple<int, double, unsigned, unsigned>;
    static std::mutex mutex;
    static std::map<Key, FreeGasPrediction> known;
    // Metrics are a function of the screen size alone.
    const Key key{count, width, static_cast<unsigned>(metrics.screenWidth), static_cast<unsigned>(metrics.screenHeight)};
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (const auto it = known.find(key); it != known.end())
            return it->second;
    }
    const FreeGasPrediction p = predict(count, width, metrics);
    std::lock_guard<std::mutex> lock(mutex);
    known.emplace(key, p);
    return p;
}
