#include "lab/LabReport.hpp"

#include "lab/LabOptions.hpp"

#include <cmath>
#include <cstdio>

namespace
{
std::string number(double value)
{
    if (!std::isfinite(value))
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

const char* const settingsHeader = "run,law,count,width,temperature,mass,c,screen,dt,seconds,warmup,seed";

std::string settingsFields(std::size_t index, const RunSettings& s)
{
    return std::to_string(index) + "," + lawName(s.law) + "," + std::to_string(s.count) + "," +
           std::to_string(s.width) + "," + std::to_string(s.temperature) + "," + std::to_string(s.mass) + "," +
           std::to_string(s.c) + "," + std::to_string(s.screenWidth) + "x" + std::to_string(s.screenHeight) + "," +
           std::to_string(s.dt) + "," + std::to_string(s.seconds) + "," + std::to_string(s.warmup) + "," +
           std::to_string(s.seed);
}

std::string estimateFields(const Estimate& e) { return number(e.mean) + "," + number(e.standardError); }
} // namespace

std::string resultsCsv(const std::vector<RunSettings>& runs, const std::vector<RunResult>& results)
{
    std::string text = settingsHeader;
    text += ",E,E_se,sigma,sigma_se,ratio,ratio_se,overlap_s";
    for (int b = 0; b < histogramBinCount; ++b)
        text += ",bin" + std::to_string(b);
    text += "\n";
    for (std::size_t i = 0; i < runs.size(); ++i)
    {
        const RunResult& r = results[i];
        text += settingsFields(i, runs[i]) + "," + estimateFields(r.gap) + "," + estimateFields(r.spread) + "," +
                estimateFields(r.ratio) + "," + (r.overlapSeconds ? number(*r.overlapSeconds) : std::string());
        for (double fraction : r.binFractions)
            text += "," + number(fraction);
        text += "\n";
    }
    return text;
}

std::string seriesCsv(const std::vector<RunSettings>& runs, const std::vector<RunResult>& results)
{
    std::string text = std::string(settingsHeader) + ",time_s,E,sigma,ratio\n";
    for (std::size_t i = 0; i < runs.size(); ++i)
    {
        const std::string prefix = settingsFields(i, runs[i]);
        for (const SeriesRow& row : results[i].series)
            text += prefix + "," + std::to_string(row.second) + "," + number(row.gap) + "," + number(row.spread) + "," +
                    number(row.ratio) + "\n";
    }
    return text;
}

// Edges as the model bins: 15 equal bins up to the histogram's range, and
// an overflow bin above it with no upper edge.
std::string histogramCsv(const std::vector<RunSettings>& runs, const std::vector<RunResult>& results)
{
    std::string text = std::string(settingsHeader) + ",bin,from_px,to_px,from_gap,to_gap,fraction\n";
    for (std::size_t i = 0; i < runs.size(); ++i)
    {
        const ScreenMetrics metrics = runMetrics(runs[i]);
        const double unit = gapUnit(metrics);
        const std::string prefix = settingsFields(i, runs[i]);
        for (int b = 0; b < histogramBinCount; ++b)
        {
            const double from = binEdge(metrics, b);
            const double to = b + 1 < histogramBinCount ? binEdge(metrics, b + 1) : NAN;
            text += prefix + "," + std::to_string(b) + "," + number(from) + "," + number(to) + "," +
                    number(from / unit) + "," + number(to / unit) + "," + number(results[i].binFractions[b]) + "\n";
        }
    }
    return text;
}
