#include "sim/FreeGas.hpp"
#include "lab/Combined.hpp"
#include "lab/LabReport.hpp"
#include "lab/Sweep.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numeric>
#include <random>

namespace
{
LabRun shortRun(PotentialKind law, std::uint32_t seed)
{
    LabRun s;
    s.gas.law = law;
    s.seconds = 20;
    s.warmup = 2;
    s.seed = seed;
    return s;
}

// A CSV line's fields, the empty ones included.
std::vector<std::string> split(std::string line)
{
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    std::vector<std::string> fields(1);
    for (char ch : line)
        if (ch == ',')
            fields.emplace_back();
        else
            fields.back() += ch;
    return fields;
}

// A CSV row's fields by the header's names.
std::map<std::string, std::string> fieldsOf(const std::string& header, const std::string& row)
{
    const std::vector<std::string> names = split(header), values = split(row);
    EXPECT_EQ(names.size(), values.size());
    std::map<std::string, std::string> fields;
    for (std::size_t i = 0; i < std::min(names.size(), values.size()); ++i)
        fields[names[i]] = values[i];
    return fields;
}

std::vector<double> ar1(double phi, std::size_t n, std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    std::normal_distribution<double> normal;
    std::vector<double> x(n);
    double v = normal(random) / std::sqrt(1.0 - phi * phi);
    for (double& e : x)
        e = v = phi * v + normal(random);
    return x;
}

// An AR(1) series has tau = (1 + phi) / (2 (1 - phi)) and stationary
// variance 1 / (1 - phi^2), so the true error of its mean is known.
TEST(CorrelatedMean, ErrorOfAutoregressiveSeriesWithin20Percent)
{
    constexpr std::size_t n = 100000;
    for (double phi : {0.0, 0.5, 0.9, 0.97, -0.5})
    {
        SCOPED_TRACE(phi);
        const double tau = (1.0 + phi) / (2.0 * (1.0 - phi));
        const double trueError = std::sqrt(2.0 * tau / (1.0 - phi * phi) / n);
        const CorrelatedMean m = correlatedMean(ar1(phi, n, 7));
        EXPECT_TRUE(m.windowFound);
        EXPECT_NEAR(m.standardError / trueError, 1.0, 0.2);
        EXPECT_NEAR(m.tau / tau, 1.0, 0.2);
    }
}

TEST(CorrelatedMean, EquilibrationFoundAfterAStep)
{
    // 2000 samples 3 above the level the remaining 8000 keep.
    std::vector<double> x = ar1(0.5, 10000, 3);
    for (std::size_t i = 0; i < 2000; ++i)
        x[i] += 3.0;
    const std::size_t start = equilibrationStart(x);
    EXPECT_GE(start, 2000u);
    EXPECT_LE(start, 2500u); // the next candidate
    EXPECT_EQ(equilibrationStart(ar1(0.5, 10000, 3)), 0u);
}

TEST(CorrelatedMean, EachQualityOnASeriesThatEarnsIt)
{
    std::vector<double> ramp = ar1(0.0, 10000, 5);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] += 1e-4 * static_cast<double>(i);
    // Wanders for 450 samples, then white: the late start looks fine, but
    // the whole run cannot tell the wandering from a slow mode.
    std::vector<double> settlesLate = ar1(0.0, 1000, 5);
    const std::vector<double> wander = ar1(0.999, 450, 6);
    std::copy(wander.begin(), wander.end(), settlesLate.begin());
    std::vector<double> cycle(10000);
    for (std::size_t i = 0; i < cycle.size(); ++i)
        cycle[i] = (i % 2 == 0 ? 1.0 : 2.0) + 1e-9 * static_cast<double>(i); // a cycle with a tiny drift
    const struct
    {
        const char* name;
        std::vector<double> series;
        Quality quality;
        ShortRule rule; // the one a short run's message names
    } cases[] = {
        {"white noise", ar1(0.0, 10000, 5), Quality::Ok, ShortRule::None},
        {"slow, 20 tau long: the window does not close", ar1(0.99, 2000, 5), Quality::Short, ShortRule::NoWindow},
        {"slow, 30 tau long", ar1(0.98, 1500, 5), Quality::Short, ShortRule::FewTaus},
        {"white after a long wander", settlesLate, Quality::Short, ShortRule::WholeRun},
        {"three points", ar1(0.0, 3, 5), Quality::Short, ShortRule::FewPoints},
        {"ramp", ramp, Quality::Drifting, ShortRule::None},
        {"two-state cycle", cycle, Quality::Frozen, ShortRule::None},
        {"constant", std::vector<double>(10000, 0.3), Quality::Frozen, ShortRule::None},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        // One steady quantity beside it: the worst decides, with the start
        // found as for a run.
        const std::vector<double> steady = ar1(0.0, c.series.size(), 9);
        const SeriesAnalysis a = analyseSeries({&steady, &c.series}, true);
        EXPECT_STREQ(qualityName(a.quality), qualityName(c.quality));
        if (c.quality == Quality::Short)
        {
            EXPECT_EQ(a.shortRule, c.rule);
            if (c.rule != ShortRule::FewPoints)
            {
                EXPECT_EQ(a.shortChannel, 1u); // the slow one, not the steady one
            }
        }
    }
}

// A message names the rule that flagged the run with its figures, and never
// advises what is already in force.
TEST(LabRun, QualityMessageNamesTheRuleAndTheSweptValue)
{
    LabRun automatic;
    LabRun fixed;
    fixed.warmup = 100;
    RunResult fewTaus;
    fewTaus.quality = Quality::Short;
    fewTaus.shortRule = ShortRule::FewTaus;
    fewTaus.shortQuantity = 0;
    fewTaus.shortTauSeconds = 60.0;
    fewTaus.measuredSeconds = 2400.0;
    RunResult wholeRun = fewTaus;
    wholeRun.shortRule = ShortRule::WholeRun;
    wholeRun.ratioTauSeconds = 18.0;
    wholeRun.measuredSeconds = 2551.0;
    wholeRun.warmupSeconds = 449.0;
    RunResult drifting;
    drifting.quality = Quality::Drifting;
    const struct
    {
        const LabRun& settings;
        const RunResult& result;
        const char* says;
        const char* never;
    } cases[] = {
        {automatic, fewTaus,
         "(zero, temperature 7, seed 1) is short: tau of E is 60 s, so the 2400 s measured hold 40 of "
         "the 50",
         "resolve"},
        {automatic, wholeRun,
         "--warmup auto left out 449 s, but the whole run of 3000 s, warm-up included, does not "
         "resolve the correlation time of E (tau 60 s or more)",
         "fewer than"},
        {automatic, drifting, "is drifting: its two halves disagree", "--warmup auto"},
        {fixed, drifting, "or let it settle (--warmup auto", "\n\n"},
    };
    for (const auto& c : cases)
    {
        const std::string text = qualityWarning(c.settings, c.result, 3, "temperature 7");
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        EXPECT_EQ(text.find(c.never), std::string::npos) << text;
    }
}

// Seeds combined by hand: weights 100, 100 and 25 give 240 / 225; chi-square
// 4 over 2 degrees of freedom, whose tail is exp(-2), widens the error
// 1 / 15 by sqrt(2). A seed without an error is left out.
TEST(Combined, WeightedMeanAndChiSquareOfTheSeeds)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        std::vector<Estimate> seeds;
        double mean, error, chi2PerDof;
        int dof;
    } cases[] = {
        {{{1.0, 0.1}, {1.2, 0.1}, {0.8, 0.2}}, 240.0 / 225.0, std::sqrt(2.0) / 15.0, 2.0, 2},
        {{{1.0, 0.1}, {1.2, 0.1}, {0.8, 0.2}, {5.0, nan}}, 240.0 / 225.0, std::sqrt(2.0) / 15.0, 2.0, 2},
        {{{1.0, 0.1}, {1.05, 0.1}}, 1.025, 0.1 / std::sqrt(2.0), 0.125, 1}, // agreeing better than their errors
        {{{0.5, 0.01}}, 0.5, 0.01, nan, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.seeds.size());
        const Combination r = combine(c.seeds);
        EXPECT_NEAR(r.estimate.mean, c.mean, 1e-12);
        EXPECT_NEAR(r.estimate.standardError, c.error, 1e-12);
        EXPECT_EQ(r.dof, c.dof);
        if (c.dof > 0)
            EXPECT_NEAR(r.chi2PerDof, c.chi2PerDof, 1e-12);
        else
            EXPECT_TRUE(std::isnan(r.chi2PerDof));
    }
    EXPECT_NEAR(combine(cases[0].seeds).p, std::exp(-2.0), 1e-12);
    // Tabled quantiles of the chi-square distribution, on both sides of the
    // mean (the series and the continued fraction).
    const struct
    {
        double chi2;
        int dof;
        double tail;
    } quantiles[] = {{3.841459, 1, 0.05},  {6.634897, 1, 0.01},   {23.209251, 10, 0.01},
                     {3.940299, 10, 0.95}, {135.8067, 100, 0.01}, {77.92947, 100, 0.95}};
    for (const auto& q : quantiles)
        EXPECT_NEAR(chiSquareTail(q.chi2, q.dof), q.tail, 1e-5) << q.chi2 << " over " << q.dof;
}

TEST(CoarseSeries, MergesPairsAndKeepsTheMean)
{
    CoarseSeries coarse(1, 3, 8);
    for (int k = 0; k < 3 * 8; ++k)
    {
        const double v = k;
        coarse.add(&v);
    }
    // 8 points of 3 ticks reached the limit: 4 points of 6 ticks.
    ASSERT_EQ(coarse.size(), 4u);
    EXPECT_EQ(coarse.ticksPerPoint(), 6);
    EXPECT_EQ(coarse.channel(0), (std::vector<double>{2.5, 8.5, 14.5, 20.5}));
}

TEST(LabRun, SameSeedSameFiguresOtherSeedOther)
{
    for (PotentialKind law :
         {PotentialKind::Zero, PotentialKind::Attraction, PotentialKind::Repulsion, PotentialKind::LennardJones})
    {
        SCOPED_TRACE(static_cast<int>(law));
        const std::vector<LabRun> runs{shortRun(law, 3), shortRun(law, 3), shortRun(law, 4)};
        std::vector<RunResult> results;
        for (const LabRun& r : runs)
            results.push_back(runGas(r, true));
        const std::string a = resultsRow(runs[0], results[0], 0) + seriesRows(runs[0], results[0], 0);
        const std::string b = resultsRow(runs[1], results[1], 0) + seriesRows(runs[1], results[1], 0);
        EXPECT_EQ(a, b);
        EXPECT_NE(results[0].gap.mean, results[2].gap.mean);
        // The histogram covers every gap counted after the warm-up, and the
        // series has one row per simulated second, warm-up included.
        EXPECT_NEAR(std::accumulate(results[0].binFractions.begin(), results[0].binFractions.end(), 0.0), 1.0, 1e-12);
        EXPECT_EQ(results[0].series.size(), 22u);
        for (const SeriesRow& row : results[0].series)
            EXPECT_EQ(row.measured, row.second > 2) << row.second;
        EXPECT_FALSE(results[0].overlapSeconds.has_value());
    }
}

TEST(LabRun, ParallelSweepMatchesSerialRowForRow)
{
    std::vector<LabRun> runs;
    for (PotentialKind law : {PotentialKind::Attraction, PotentialKind::LennardJones})
        for (int t : {1, 25, 50})
            for (std::uint32_t seed : {1u, 2u})
            {
                LabRun r = shortRun(law, seed);
                r.gas.temperature = t;
                runs.push_back(r);
            }
    // The rows of the three tables as velorin-lab writes them, run by run.
    const auto rows = [&runs](int jobs)
    {
        const std::atomic<bool> stop{false};
        std::string text;
        runEach(
            runs.size(), [&](std::size_t i) { return runs[i]; }, jobs, true, stop,
            [&](std::size_t i, const LabRun& run, RunResult&& result)
            {
                text += resultsRow(run, result, i) + seriesRows(run, result, i) + histogramRows(run, result, i);
                return true;
            });
        return text;
    };
    EXPECT_EQ(rows(1), rows(3));
}

// Long and short runs finish out of order on three threads; they are
// delivered in run order all the same, each with its own settings, and a
// refused delivery (a failed write) ends the sweep there.
TEST(LabRun, SweepDeliversInRunOrderAndEndsWhenRefused)
{
    std::vector<LabRun> runs;
    for (std::uint32_t i = 0; i < 24; ++i)
    {
        LabRun r = shortRun(PotentialKind::Repulsion, i + 1);
        r.seconds = i % 5 == 0 ? 60 : 1;
        runs.push_back(r);
    }
    const std::atomic<bool> stop{false};
    for (std::size_t refusedAt : {runs.size(), std::size_t{7}})
    {
        std::vector<std::size_t> order;
        runEach(
            runs.size(), [&](std::size_t i) { return runs[i]; }, 3, false, stop,
            [&](std::size_t i, const LabRun& settings, RunResult&& result)
            {
                order.push_back(i);
                EXPECT_EQ(settings.seed, runs[i].seed);
                EXPECT_FALSE(result.interrupted);
                return i != refusedAt;
            });
        std::vector<std::size_t> expected(std::min(runs.size(), refusedAt + 1));
        std::iota(expected.begin(), expected.end(), std::size_t{0});
        EXPECT_EQ(order, expected);
    }
}

TEST(LabRun, FiguresAreTheScreensUnitUnrounded)
{
    // Without warm-up and in ticks of 1 ms, the particles leave their even
    // start by a fraction of a pixel in the first second: every gap stays
    // 98 pixels, 98 / 52 = 1.8846 gap units at 1920 (the screen rounds it to
    // 1.88).
    LabRun s;
    s.warmup = 0;
    s.seconds = 1;
    s.dt = 1;
    const RunResult r = runGas(s, false);
    EXPECT_NEAR(r.gap.mean, 98.0 / 52.0, 0.001);
    // At 3840 pixels the lengths double and the unit is 105 pixels.
    s.screenWidth = 3840;
    s.screenHeight = 2160;
    const RunResult doubled = runGas(s, false);
    EXPECT_NEAR(doubled.gap.mean, 196.0 / 105.0, 0.001);
}

// The zero law against the exact hard-rod gas of the same geometry, within
// three errors, in a run long enough to be trusted.
TEST(LabRun, FreeGasAgreesWithTheExactHardRods)
{
    const struct
    {
        int count, width;
        unsigned screenWidth, screenHeight;
    } cases[] = {{15, 22, 1920, 1080}, {40, 10, 1280, 720}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.count);
        LabRun s;
        s.gas.count = c.count;
        s.gas.width = c.width;
        s.screenWidth = c.screenWidth;
        s.screenHeight = c.screenHeight;
        s.seconds = 12000;
        const RunResult r = runGas(s, false);
        const ScreenMetrics metrics = runMetrics(s);
        const FreeGasPrediction exact =
            freeGasPrediction(s.gas.count, particleWidthPixels(s.gas.width, metrics), metrics);
        ASSERT_EQ(qualityName(r.quality), std::string("ok"));
        EXPECT_LT(std::abs(r.gap.mean - exact.gap), 3.0 * r.gap.standardError);
        EXPECT_LT(std::abs(r.ratio.mean - exact.ratio), 3.0 * r.ratio.standardError + exact.ratioError);
        EXPECT_LE(exact.ratioError, 0.0005);
        double shares = 0.0;
        for (int b = 0; b < histogramBins; ++b)
        {
            shares += exact.shares[b];
            EXPECT_NEAR(r.binFractions[b], exact.shares[b], 0.01) << b;
        }
        EXPECT_NEAR(shares, 1.0, 1e-12);
    }
}

// The kinetic figures of one tick, by hand: inner particles 1 ... N - 2, the
// ends 0 and N - 1, and who is at the speed limit.
TEST(KineticTemperature, OneTickByHand)
{
    const KineticSample four = kineticSample({0.01, -0.02, 0.03, -0.08}, 0.08);
    EXPECT_DOUBLE_EQ(four.inner, (0.0004 + 0.0009) / 2.0);
    EXPECT_DOUBLE_EQ(four.ends, (0.0001 + 0.0064) / 2.0);
    EXPECT_DOUBLE_EQ(four.capped, 0.25);
    const KineticSample two = kineticSample({0.08, 0.02}, 0.08);
    EXPECT_TRUE(std::isnan(two.inner));
    EXPECT_DOUBLE_EQ(two.ends, (0.0064 + 0.0004) / 2.0);
    EXPECT_DOUBLE_EQ(two.capped, 0.5);
}

// Velocities of a known mean square s^2, correlated from tick to tick as an
// AR(1) series: the estimate lands within its error of s^2, and the error
// is the true one (v^2 of a Gaussian AR(1) series has variance 2 s^4 and
// tau = (1 + phi^2) / (2 (1 - phi^2)) ticks; inner particles average n - 2
// independent ones).
TEST(KineticTemperature, EstimateOfAKnownMeanSquare)
{
    constexpr int particles = 6;
    constexpr long long ticks = 400000;
    constexpr double phi = 0.95, s = 0.01;
    std::mt19937_64 random(11);
    std::normal_distribution<double> normal;
    std::vector<double> v(particles);
    for (double& x : v)
        x = s * normal(random);
    CoarseSeries coarse(2, 40, 4096);
    for (long long k = 0; k < ticks; ++k)
    {
        for (double& x : v)
            x = phi * x + s * std::sqrt(1.0 - phi * phi) * normal(random);
        const KineticSample sample = kineticSample(v, 1.0);
        const double values[] = {sample.inner, sample.ends};
        coarse.add(values);
    }
    const double tau = (1.0 + phi * phi) / (2.0 * (1.0 - phi * phi));
    const struct
    {
        const char* name;
        int channel, averaged;
    } cases[] = {{"inner", 0, particles - 2}, {"ends", 1, 2}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const CorrelatedMean m = correlatedMean(coarse.channel(c.channel));
        const double trueError = std::sqrt(2.0 * s * s * s * s / c.averaged * 2.0 * tau / ticks);
        EXPECT_NEAR(m.mean, s * s, 3.0 * trueError);
        EXPECT_NEAR(m.standardError / trueError, 1.0, 0.2);
    }
}

// Every law and two counts: the kinetic fields are empty only where no
// value exists (no inner particles), the equilibrium fields only under
// attraction or without an inner temperature; the zero law's are the exact
// hard rods'.
TEST(LabRun, KineticAndEquilibriumFieldsWhereTheyExist)
{
    for (PotentialKind law :
         {PotentialKind::Zero, PotentialKind::Attraction, PotentialKind::Repulsion, PotentialKind::LennardJones})
        for (int count : {2, 15})
        {
            SCOPED_TRACE(std::string(lawName(law)) + " " + std::to_string(count));
            LabRun s = shortRun(law, 1);
            s.gas.count = count;
            const RunResult r = runGas(s, false);
            EXPECT_EQ(std::isfinite(r.thetaInner.mean), count > 2);
            EXPECT_EQ(std::isfinite(r.thetaInner.standardError), count > 2);
            EXPECT_GT(r.thetaEnds.mean, 0.0);
            EXPECT_GE(r.speedCapShare, 0.0);
            EXPECT_EQ(r.boltzmann.has_value(),
                      law == PotentialKind::Zero || (law != PotentialKind::Attraction && count > 2));
            const std::map<std::string, std::string> row = fieldsOf(resultsHeader(), resultsRow(s, r, 0));
            EXPECT_EQ(row.at("theta_inner").empty(), count == 2);
            EXPECT_EQ(row.at("theta_inner_se").empty(), count == 2);
            EXPECT_FALSE(row.at("theta_ends").empty());
            EXPECT_FALSE(row.at("speed_cap_share").empty());
            EXPECT_EQ(row.at("E_boltzmann").empty(), !r.boltzmann);
            EXPECT_EQ(row.at("sigma_over_E_boltzmann").empty(), !r.boltzmann);
            if (law == PotentialKind::Zero)
            {
                const ScreenMetrics metrics = runMetrics(s);
                const FreeGasPrediction exact =
                    freeGasPrediction(count, particleWidthPixels(s.gas.width, metrics), metrics);
                EXPECT_NEAR(r.boltzmann->gap, exact.gap, 0.002);
            }
        }
}

TEST(LabRun, PrecisionRunsUntilReachedAndSaysHowLong)
{
    LabRun s;
    s.gas.law = PotentialKind::Repulsion;
    s.precision = 0.005;
    s.seconds = 100000;
    const RunResult r = runGas(s, false);
    EXPECT_EQ(qualityName(r.quality), std::string("ok"));
    EXPECT_LE(r.ratio.standardError, 0.005);
    EXPECT_LT(r.warmupSeconds + r.measuredSeconds, 10000.0);
    // A cap too short for it: the row says so.
    s.seconds = 60;
    const RunResult capped = runGas(s, false);
    EXPECT_NE(qualityName(capped.quality), std::string("ok"));
    EXPECT_LE(capped.warmupSeconds + capped.measuredSeconds, 61.0);
}

} // namespace
