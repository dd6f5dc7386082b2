#pragma once

#include "lab/LabRun.hpp"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

// Seeds of one setting value, combined: each quantity's error-weighted mean
// and a chi-square test of whether the seeds agree within their errors.

// The level below which the seeds are said to disagree: the chance that
// seeds with honest errors scatter at least as much.
constexpr double agreementLevel = 0.01;

struct Combination
{
    Estimate estimate; // weighted by 1 / se^2; the error widened by sqrt(chi2 / dof) when that exceeds 1
    double chi2PerDof = std::numeric_limits<double>::quiet_NaN();
    double p = std::numeric_limits<double>::quiet_NaN(); // chance of a chi-square at least as large
    int dof = 0;                                         // seeds with an error, less one
};

// Seeds without an error (a frozen run) are left out.
Combination combine(const std::vector<Estimate>& seeds);

// The chance that a chi-square of dof degrees of freedom is at least chi2:
// the regularized upper incomplete gamma function Q(dof / 2, chi2 / 2).
double chiSquareTail(double chi2, int dof);

// What the combined row needs of each seed's run.
struct SeedFigures
{
    std::uint32_t seed = 0;
    Estimate gap, spread, ratio;
    bool ok = false;
};
SeedFigures seedFigures(const LabRun& settings, const RunResult& result);

// The --combined table: one row per setting value. settings are any of the
// value's runs (the seed is not written; first_seed is).
std::string combinedHeader();
std::string combinedRow(const LabRun& settings, const std::vector<SeedFigures>& seeds);

// One line for standard error when the seeds disagree, naming the value
// (with `swept`, such as "temperature 15") and the worst quantity; empty
// when they agree or cannot be compared.
std::string disagreementWarning(const LabRun& settings, const std::vector<SeedFigures>& seeds,
                                const std::string& swept = {});
