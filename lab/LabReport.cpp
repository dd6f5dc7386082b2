#include "lab/LabReport.hpp"

#include "sim/FreeGas.hpp"
#include "lab/LabOptions.hpp"

#include <cmath>
#include <cstdio>

std::string csvNumber(double value)
{
    if (!std::isfinite(value))
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

namespace
{
// The settings that make a run; how long it was measured is in the results.
const char* const settingsHeader = "run,version,law,count,width,temperature,mass,c,screen,dt,seed";

std::string settingsFields(std::size_t index, const LabRun& s)
{
    return std::to_string(index) + "," VELORIN_VERSION "," + lawName(s.gas.law) + "," + std::to_string(s.gas.count) +
           "," + std::to_string(s.gas.width) + "," + std::to_string(s.gas.temperature) + "," +
           std::to_string(s.gas.mass) + "," + std::to_string(s.gas.C) + "," + std::to_string(s.screenWidth) + "x" +
           std::to_string(s.screenHeight) + "," + std::to_string(s.dt) + "," + std::to_string(s.seed);
}

// The exact hard-rod figures exist for the zero law alone.
std::optional<FreeGasPrediction> exactFor(const LabRun& s)
{
    if (s.gas.law != PotentialKind::Zero)
        return std::nullopt;
    const ScreenMetrics metrics = runMetrics(s);
    return freeGasPrediction(s.gas.count, particleWidthPixels(s.gas.width, metrics), metrics);
}

std::string estimateFields(const Estimate& e) { return csvNumber(e.mean) + "," + csvNumber(e.standardError); }
} // namespace

std::string resultsHeader()
{
    std::string text = settingsHeader;
    text += ",warmup_s,seconds,E,E_se,sigma,sigma_se,sigma_over_E,sigma_over_E_se,sigma_over_E_tau_s,quality,"
            "E_exact,sigma_over_E_exact,overlap_s";
    // Shares of the gaps, not counts (velorin's --record writes counts as bin0 ...).
    for (int b = 0; b < histogramBins; ++b)
        text += ",share" + std::to_string(b);
    text += ",theta_inner,theta_inner_se,theta_ends,theta_ends_se,speed_cap_share,E_boltzmann,sigma_over_E_boltzmann";
    return text + "\n";
}

std::string resultsRow(const LabRun& settings, const RunResult& r, std::size_t run)
{
    const std::optional<FreeGasPrediction> exact = exactFor(settings);
    std::string text = settingsFields(run, settings) + "," + csvNumber(r.warmupSeconds) + "," +
                       csvNumber(r.measuredSeconds) + "," + estimateFields(r.gap) + "," + estimateFields(r.spread) +
                       "," + estimateFields(r.ratio) + "," + csvNumber(r.ratioTauSeconds) + "," +
                       qualityName(r.quality) + "," +
                       (exact ? csvNumber(exact->gap) + "," + csvNumber(exact->ratio) : std::string(",")) + "," +
                       (r.overlapSeconds ? csvNumber(*r.overlapSeconds) : std::string());
    for (double fraction : r.binFractions)
        text += "," + csvNumber(fraction);
    text += "," + estimateFields(r.thetaInner) + "," + estimateFields(r.thetaEnds) + "," + csvNumber(r.speedCapShare) +
            "," + (r.boltzmann ? csvNumber(r.boltzmann->gap) + "," + csvNumber(r.boltzmann->ratio) : std::string(","));
    return text + "\n";
}

std::string seriesHeader() { return std::string(settingsHeader) + ",time_s,measured,E,sigma,sigma_over_E\n"; }

std::string seriesRows(const LabRun& settings, const RunResult& result, std::size_t run)
{
    const std::string prefix = settingsFields(run, settings);
    std::string text;
    for (const SeriesRow& row : result.series)
        text += prefix + "," + std::to_string(row.second) + "," + (row.measured ? "1," : "0,") + csvNumber(row.gap) +
                "," + csvNumber(row.spread) + "," + csvNumber(row.ratio) + "\n";
    return text;
}

std::string histogramHeader()
{
    return std::string(settingsHeader) + ",bin,from_px,to_px,from_gap,to_gap,share,share_exact,share_boltzmann\n";
}

// Edges as the model bins: 15 equal bins up to the histogram's range, and
// an overflow bin above it with no upper edge.
std::string histogramRows(const LabRun& settings, const RunResult& result, std::size_t run)
{
    const ScreenMetrics metrics = runMetrics(settings);
    const double unit = gapUnit(metrics);
    const std::string prefix = settingsFields(run, settings);
    const std::optional<FreeGasPrediction> exact = exactFor(settings);
    std::string text;
    for (int b = 0; b < histogramBins; ++b)
    {
        const double from = binEdge(metrics, b);
        const double to = b + 1 < histogramBins ? binEdge(metrics, b + 1) : NAN;
        text += prefix + "," + std::to_string(b) + "," + csvNumber(from) + "," + csvNumber(to) + "," +
                csvNumber(from / unit) + "," + csvNumber(to / unit) + "," + csvNumber(result.binFractions[b]) + "," +
                (exact ? csvNumber(exact->shares[static_cast<std::size_t>(b)]) : std::string()) + "," +
                (result.boltzmann ? csvNumber(result.boltzmann->shares[static_cast<std::size_t>(b)]) : std::string()) +
                "\n";
    }
    return text;
}

std::string qualityWarning(const LabRun& settings, const RunResult& r, std::size_t run, const std::string& swept)
{
    const char* const quantities[] = {"E", "sigma", "sigma / E"};
    const std::string quantity = r.shortQuantity >= 0 && r.shortQuantity < 3 ? quantities[r.shortQuantity] : "";
    const std::string tau = csvNumber(r.shortTauSeconds) + " s";
    const std::string measured = csvNumber(r.measuredSeconds) + " s measured";
    std::string what;
    switch (r.quality)
    {
    case Quality::Ok: return {};
    case Quality::Short:
        switch (r.shortRule)
        {
        case ShortRule::FewTaus:
            what = "tau of " + quantity + " is " + tau + ", so the " + measured + " hold " +
                   csvNumber(std::floor(r.measuredSeconds / r.shortTauSeconds)) + " of the " + csvNumber(minimumTaus) +
                   " correlation times an error needs";
            break;
        case ShortRule::NoWindow:
            what = "the correlation time of " + quantity + " is not resolved within the " + measured + " (tau " + tau +
                   " or more)";
            break;
        case ShortRule::WholeRun:
            // The measured part may look fine: say so, lest the figures
            // read as a contradiction.
            what = "--warmup auto left out " + csvNumber(r.warmupSeconds) + " s, but the whole run of " +
                   csvNumber(r.warmupSeconds + r.measuredSeconds) + " s, warm-up included, does not resolve the " +
                   "correlation time of " + quantity + " (tau " + tau + " or more), so the start found may hide a " +
                   "slow mode (in the " + measured + ", tau of sigma / E is " + csvNumber(r.ratioTauSeconds) + " s)";
            break;
        case ShortRule::FewPoints:
        case ShortRule::None: what = "only " + measured + ", too few half-second points for an error"; break;
        }
        what += "; its errors are unreliable: run longer (--seconds, or --precision)";
        break;
    case Quality::Drifting:
        what =
            "its two halves disagree by more than three errors, so it is not in equilibrium; run longer "
            "(--seconds)" +
            std::string(settings.warmup == autoWarmup ? "" : " or let it settle (--warmup auto, or a longer --warmup)");
        break;
    case Quality::Frozen:
        what = "nothing fluctuates (a cycle of a few ticks), so no error can be given; use a smaller --dt";
        break;
    }
    return "velorin-lab: run " + std::to_string(run) + " (" + lawName(settings.gas.law) +
           (swept.empty() ? "" : ", " + swept) + ", seed " + std::to_string(settings.seed) + ") is " +
           qualityName(r.quality) + ": " + what + "\n";
}
