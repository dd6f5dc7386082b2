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

using RowsFunction = std::string (*)(const RunSettings&, const RunResult&, std::size_t);

std::string wholeTable(std::string header, RowsFunction rows, const std::vector<RunSettings>& runs,
                       const std::vector<RunResult>& results)
{
    for (std::size_t i = 0; i < runs.size(); ++i)
        header += rows(runs[i], results[i], i);
    return header;
}
} // namespace

std::string resultsHeader()
{
    std::string text = settingsHeader;
    text += ",E,E_se,sigma,sigma_se,ratio,ratio_se,overlap_s";
    for (int b = 0; b < histogramBinCount; ++b)
        text += ",bin" + std::to_string(b);
    return text + "\n";
}

std::string resultsRow(const RunSettings& settings, const RunResult& r, std::size_t run)
{
    std::string text = settingsFields(run, settings) + "," + estimateFields(r.gap) + "," + estimateFields(r.spread) +
                       "," + estimateFields(r.ratio) + "," +
                       (r.overlapSeconds ? number(*r.overlapSeconds) : std::string());
    for (double fraction : r.binFractions)
        text += "," + number(fraction);
    return text + "\n";
}

std::string seriesHeader() { return std::string(settingsHeader) + ",time_s,E,sigma,ratio\n"; }

std::string seriesRows(const RunSettings& settings, const RunResult& result, std::size_t run)
{
    const std::string prefix = settingsFields(run, settings);
    std::string text;
    for (const SeriesRow& row : result.series)
        text += prefix + "," + std::to_string(row.second) + "," + number(row.gap) + "," + number(row.spread) + "," +
                number(row.ratio) + "\n";
    return text;
}

std::string histogramHeader() { return std::string(settingsHeader) + ",bin,from_px,to_px,from_gap,to_gap,fraction\n"; }

// Edges as the model bins: 15 equal bins up to the histogram's range, and
// an overflow bin above it with no upper edge.
std::string histogramRows(const RunSettings& settings, const RunResult& result, std::size_t run)
{
    const ScreenMetrics metrics = runMetrics(settings);
    const double unit = gapUnit(metrics);
    const std::string prefix = settingsFields(run, settings);
    std::string text;
    for (int b = 0; b < histogramBinCount; ++b)
    {
        const double from = binEdge(metrics, b);
        const double to = b + 1 < histogramBinCount ? binEdge(metrics, b + 1) : NAN;
        text += prefix + "," + std::to_string(b) + "," + number(from) + "," + number(to) + "," + number(from / unit) +
                "," + number(to / unit) + "," + number(result.binFractions[b]) + "\n";
    }
    return text;
}

std::string resultsCsv(const std::vector<RunSettings>& runs, const std::vector<RunResult>& results)
{
    return wholeTable(resultsHeader(), resultsRow, runs, results);
}

std::string seriesCsv(const std::vector<RunSettings>& runs, const std::vector<RunResult>& results)
{
    return wholeTable(seriesHeader(), seriesRows, runs, results);
}

std::string histogramCsv(const std::vector<RunSettings>& runs, const std::vector<RunResult>& results)
{
    return wholeTable(histogramHeader(), histogramRows, runs, results);
}
