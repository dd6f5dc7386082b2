#include "lab/Combined.hpp"
#include "lab/LabReport.hpp"

#include <algorithm>
#include <cmath>

namespace
{

const char* const quantityNames[] = {"E", "sigma", "sigma / E"};

std::vector<Combination> combineEach(const std::vector<SeedFigures>& seeds)
{
    std::vector<Estimate> gap, spread, ratio;
    for (const SeedFigures& s : seeds)
    {
        gap.push_back(s.gap);
        spread.push_back(s.spread);
        ratio.push_back(s.ratio);
    }
    return {combine(gap), combine(spread), combine(ratio)};
}

// The worst quantity's test, or none when the seeds cannot be compared.
const Combination* worst(const std::vector<Combination>& each)
{
    const Combination* w = nullptr;
    for (const Combination& c : each)
        if (c.dof > 0 && std::isfinite(c.p) && (!w || c.p < w->p))
            w = &c;
    return w;
}
} // namespace

Combination combine(const std::vector<Estimate>& seeds)
{
    double weights = 0.0, weighted = 0.0;
    int n = 0;
    for (const Estimate& e : seeds)
        if (std::isfinite(e.mean) && std::isfinite(e.standardError) && e.standardError > 0.0)
        {
            const double w = 1.0 / (e.standardError * e.standardError);
            weights += w;
            weighted += w * e.mean;
            ++n;
        }
    Combination c;
    if (n == 0)
        return c;
    c.estimate.mean = weighted / weights;
    c.estimate.standardError = 1.0 / std::sqrt(weights);
    c.dof = n - 1;
    if (c.dof == 0)
        return c;
    double chi2 = 0.0;
    for (const Estimate& e : seeds)
        if (std::isfinite(e.mean) && std::isfinite(e.standardError) && e.standardError > 0.0)
            chi2 += std::pow((e.mean - c.estimate.mean) / e.standardError, 2);
    c.chi2PerDof = chi2 / c.dof;
    c.p = chiSquareTail(chi2, c.dof);
    // Seeds that scatter more than their errors say: the error of their
    // mean is widened to match, as the Particle Data Group does.
    if (c.chi2PerDof > 1.0)
        c.estimate.standardError *= std::sqrt(c.chi2PerDof);
    return c;
}

double chiSquareTail(double chi2, int dof)
{
    const double a = 0.5 * dof, x = 0.5 * chi2;
    if (!(x > 0.0))
        return 1.0;
    const double front = std::exp(a * std::log(x) - x - std::lgamma(a));
    if (x < a + 1.0)
    {
        // The series of the lower function P = 1 - Q.
        double term = 1.0 / a, sum = term;
        for (int k = 1; k < 1000 && std::abs(term) > 1e-16 * sum; ++k)
            sum += term *= x / (a + k);
        return std::max(0.0, 1.0 - front * sum);
    }
    // Q's continued fraction, by Lentz's method.
    constexpr double tiny = 1e-300;
    double b = x + 1.0 - a, c = 1.0 / tiny, d = 1.0 / b, h = d;
    for (int k = 1; k < 1000; ++k)
    {
        const double an = -k * (k - a);
        b += 2.0;
        d = an * d + b;
        d = std::abs(d) < tiny ? tiny : d;
        c = b + an / c;
        c = std::abs(c) < tiny ? tiny : c;
        d = 1.0 / d;
        h *= d * c;
        if (std::abs(d * c - 1.0) < 1e-15)
            break;
    }
    return front * h;
}

SeedFigures seedFigures(const LabRun& settings, const RunResult& result)
{
    return {settings.seed, result.gap, result.spread, result.ratio, result.quality == Quality::Ok};
}

std::string combinedHeader()
{
    return "version,law,count,width,temperature,mass,c,screen,dt,first_seed,seeds,seeds_ok,dof,E,E_se,E_chi2_dof,"
           "sigma,sigma_se,sigma_chi2_dof,sigma_over_E,sigma_over_E_se,sigma_over_E_chi2_dof,seeds_agree\n";
}

std::string combinedRow(const LabRun& s, const std::vector<SeedFigures>& seeds)
{
    int ok = 0;
    for (const SeedFigures& f : seeds)
        ok += f.ok ? 1 : 0;
    const std::vector<Combination> each = combineEach(seeds);
    std::string text =
        VELORIN_VERSION "," + std::string(lawName(s.gas.law)) + "," + std::to_string(s.gas.count) + "," +
        std::to_string(s.gas.width) + "," + std::to_string(s.gas.temperature) + "," + std::to_string(s.gas.mass) + "," +
        std::to_string(s.gas.C) + "," + std::to_string(s.screenWidth) + "x" + std::to_string(s.screenHeight) + "," +
        std::to_string(s.dt) + "," + (seeds.empty() ? std::string() : std::to_string(seeds.front().seed)) + "," +
        std::to_string(seeds.size()) + "," + std::to_string(ok) + "," + std::to_string(each[2].dof);
    for (const Combination& c : each)
        text += "," + csvNumber(c.estimate.mean) + "," + csvNumber(c.estimate.standardError) + "," +
                csvNumber(c.chi2PerDof);
    const Combination* w = worst(each);
    return text + "," + (w ? (w->p >= agreementLevel ? "yes" : "no") : "") + "\n";
}

std::string disagreementWarning(const LabRun& settings, const std::vector<SeedFigures>& seeds, const std::string& swept)
{
    const std::vector<Combination> each = combineEach(seeds);
    const Combination* w = worst(each);
    if (!w || w->p >= agreementLevel || seeds.empty())
        return {};
    return "velorin-lab: seeds " + std::to_string(seeds.front().seed) + " to " + std::to_string(seeds.back().seed) +
           " (" + lawName(settings.gas.law) + (swept.empty() ? std::string() : ", " + swept) +
           ") disagree beyond their errors (" + quantityNames[w - each.data()] + ": chi-square per degree of freedom " +
           csvNumber(w->chi2PerDof) + " over " + std::to_string(w->dof) + ", p " + csvNumber(w->p) +
           "); the combined error is widened to match, but runs too short or not settled are the usual cause: "
           "run longer (--seconds)\n";
}
