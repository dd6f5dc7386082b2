#pragma once

#include "sim/GasCore.hpp"

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

// One run of the gas without a window: the settings of the demonstration
// screen, a screen size, a fixed tick and a seed.
struct RunSettings
{
    PotentialKind law = defaultGasSettings().law;
    int count = defaultGasSettings().count; // particles
    int width = defaultGasSettings().width; // reference pixels, scaled with the screen width as on the slider
    int temperature = defaultGasSettings().temperature; // temperatureRange
    int mass = defaultGasSettings().mass;               // massRange
    int c = defaultGasSettings().coefficientC;          // coefficientRange
    int dt = 12;                                        // milliseconds per tick
    unsigned screenWidth = 1920;
    unsigned screenHeight = 1080;
    int seconds = 600; // simulated seconds measured
    int warmup = 30;   // simulated seconds before the measurement
    std::uint32_t seed = 1;
};

constexpr int histogramBinCount = histogramBins;

// A mean over correlated samples and its standard error from block averages.
struct Estimate
{
    double mean = std::numeric_limits<double>::quiet_NaN();
    double standardError = std::numeric_limits<double>::quiet_NaN();
};

// Successive ticks are correlated, so the spread of single ticks understates
// the error of their mean. The samples are cut into about `blocks` blocks of
// equal length; the block means are nearly independent when a block is much
// longer than the correlation time.
class BlockAverage
{
public:
    BlockAverage(long long expectedSamples, int blocks);
    void add(double sample);
    // NaN where undefined: no sample for the mean, fewer than two full
    // blocks for the error.
    Estimate estimate() const;

private:
    long long m_blockLength;
    long long m_count = 0;
    double m_sum = 0.0;
    long long m_inBlock = 0;
    double m_blockSum = 0.0;
    std::vector<double> m_blockMeans;
};

// One row per simulated second: the means of the ticks that ended in it.
struct SeriesRow
{
    int second = 0;
    double gap = 0.0;    // E, gap units
    double spread = 0.0; // sigma, gap units
    double ratio = 0.0;  // sigma / E
};

struct RunResult
{
    Estimate gap;    // E, gap units
    Estimate spread; // sigma, gap units
    Estimate ratio;  // sigma / E
    // Simulated seconds at which the particle order broke and the run ended.
    std::optional<double> overlapSeconds;
    // Share of the gaps counted after the warm-up in each bin; NaN when none
    // was counted.
    std::array<double, histogramBinCount> binFractions{};
    std::vector<SeriesRow> series;
    bool interrupted = false;
};

// Shared by the runs of one sweep: a request to stop, and a count of ticks
// done for the progress line.
struct RunControl
{
    const std::atomic<bool>* stop = nullptr;
    std::atomic<long long>* ticksDone = nullptr;
};

// Ticks of dt milliseconds that cover the given simulated seconds.
long long ticksFor(int seconds, int dt);

// Screen metrics of the run's screen and the particle width in its pixels.
ScreenMetrics runMetrics(const RunSettings& settings);
double particleWidthPixels(const RunSettings& settings, const ScreenMetrics& metrics);

RunResult runGas(const RunSettings& settings, bool withSeries, const RunControl& control = {});
