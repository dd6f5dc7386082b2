#include "lab/LabOptions.hpp"

#include "base/ScreenSize.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <sstream>
#include <thread>

namespace
{
// The settings a sweep may vary, with the range each accepts (the width's
// upper end depends on the count and the screen and is checked apart). The
// law has no field: its values are PotentialKind, given by name.
struct SweepSetting
{
    const char* name;
    int& (*field)(LabRun&);
    int lo;
    int hi;
};
constexpr SweepSetting sweepSettings[] = {
    {"law", nullptr, 0, potentialKindCount - 1},
    {"temperature", [](LabRun& r) -> int& { return r.gas.temperature; }, temperatureRange.lo, temperatureRange.hi},
    {"mass", [](LabRun& r) -> int& { return r.gas.mass; }, massRange.lo, massRange.hi},
    {"c", [](LabRun& r) -> int& { return r.gas.C; }, coefficientRange.lo, coefficientRange.hi},
    {"count", [](LabRun& r) -> int& { return r.gas.count; }, countRange.lo, countRange.hi},
    {"width", [](LabRun& r) -> int& { return r.gas.width; }, widthRange.lo, widthRange.hi},
    {"dt", [](LabRun& r) -> int& { return r.dt; }, 1, 1000},
};

const SweepSetting* findSweepSetting(const std::string& name)
{
    for (const SweepSetting& s : sweepSettings)
        if (name == s.name)
            return &s;
    return nullptr;
}

// A whole number written in decimal: an optional sign, then digits. A
// leading zero is only a zero (010 is ten, as a student means it), and 0x10
// is no number. Empty when text is one, else what is wrong with it.
std::string parseDecimal(const std::string& text, long long& value)
{
    const std::size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const bool digits = text.size() > sign && text.find_first_not_of("0123456789", sign) == std::string::npos;
    if (!digits)
        return "'" + text + "' is not a whole number in decimal digits";
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    if (std::from_chars(first, text.data() + text.size(), value).ec != std::errc())
        return text + " is too large a number";
    return {};
}

std::string parseInt(const std::string& text, int& value)
{
    long long wide = 0;
    std::string e = parseDecimal(text, wide);
    if (e.empty() && (wide < INT_MIN || wide > INT_MAX))
        e = text + " is too large a number";
    value = static_cast<int>(wide);
    return e;
}

// Rewrites an option's value as plain decimal before the option reads it,
// which would take a leading 0 for octal and 0x for hexadecimal.
const CLI::Validator decimal(
    [](std::string& text)
    {
        long long value = 0;
        std::string e = parseDecimal(text, value);
        if (e.empty())
            text = std::to_string(value);
        return e;
    },
    "");

std::string checkSweepValue(const SweepSetting& setting, int v)
{
    if (v >= setting.lo && v <= setting.hi)
        return {};
    return std::string(setting.name) + " " + std::to_string(v) + " not in range " + std::to_string(setting.lo) +
           " to " + std::to_string(setting.hi);
}

// NAME=FROM:TO:STEP or NAME=V1,V2,...; an empty string when it parses, else
// what is wrong.
std::string parseSweep(const std::string& text, Sweep& sweep)
{
    const char* const form = "expected NAME=FROM:TO:STEP or NAME=V1,V2,... with NAME one of temperature, mass, c, "
                             "count, width, dt, or law=L1,L2,... with laws of zero, attraction, repulsion, "
                             "lennard-jones";
    if (text.empty())
        return std::string("empty; ") + form;
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos)
        return "no '=' in '" + text + "'; " + form;
    const std::string name = text.substr(0, eq);
    const SweepSetting* setting = findSweepSetting(name);
    if (!setting)
        return "'" + name + "' is no setting a sweep varies; " + form;
    const std::string list = text.substr(eq + 1);
    if (list.empty())
        return "no values after " + name + "=; " + form;
    sweep.name = name;
    sweep.values.clear();
    std::vector<std::string> parts;
    const char separator = list.find(':') != std::string::npos ? ':' : ',';
    std::stringstream stream(list);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    if (list.back() == separator)
        parts.push_back("");
    if (!setting->field)
    {
        if (separator == ':')
            return "laws are named, not counted: expected law=L1,L2,... with laws of zero, attraction, repulsion, "
                   "lennard-jones";
        for (const std::string& part : parts)
        {
            const auto* law = std::find(std::begin(potentialNames), std::end(potentialNames), part);
            if (law == std::end(potentialNames))
                return "'" + part + "' is no law; expected zero, attraction, repulsion or lennard-jones";
            sweep.values.push_back(static_cast<int>(law - std::begin(potentialNames)));
        }
    }
    else if (separator == ':')
    {
        const std::string range = "expected " + name + "=FROM:TO:STEP";
        if (parts.size() != 3)
            return range + ", three numbers, not " + std::to_string(parts.size());
        int ends[3] = {};
        const char* const names[3] = {"FROM", "TO", "STEP"};
        for (int k = 0; k < 3; ++k)
            if (const std::string e = parseInt(parts[k], ends[k]); !e.empty())
                return range + ": " + names[k] + " " + e;
        const auto [from, to, step] = ends;
        if (step <= 0)
            return range + ": STEP " + std::to_string(step) + " is below 1";
        if (to < from)
            return range + ": TO " + std::to_string(to) + " is below FROM " + std::to_string(from);
        // The ends first: a range far outside would make billions of values.
        std::string e = checkSweepValue(*setting, from);
        if (e.empty())
            e = checkSweepValue(*setting, to);
        if (!e.empty())
            return e;
        for (long long v = from; v <= to; v += step)
            sweep.values.push_back(static_cast<int>(v));
    }
    else
    {
        for (const std::string& part : parts)
        {
            int v = 0;
            if (const std::string e = parseInt(part, v); !e.empty())
                return e;
            if (const std::string e = checkSweepValue(*setting, v); !e.empty())
                return e;
            sweep.values.push_back(v);
        }
    }
    return {};
}

// K/N: every N-th run of the sweep from run K on.
std::string parseShard(const std::string& text, LabOptions& options)
{
    const std::string form = "expected K/N, the K-th of N shards with 0 <= K < N, such as 0/4";
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos)
        return "no '/' in '" + text + "'; " + form;
    int k = 0, n = 0;
    if (std::string e = parseInt(text.substr(0, slash), k); !e.empty())
        return "K " + e + "; " + form;
    if (std::string e = parseInt(text.substr(slash + 1), n); !e.empty())
        return "N " + e + "; " + form;
    if (n < 1 || k < 0 || k >= n)
        return "'" + text + "': " + form;
    options.shardIndex = k;
    options.shardCount = n;
    return {};
}

std::string parseScreen(const std::string& text, LabRun& settings)
{
    std::string why;
    const std::optional<ScreenSize> form = parseSizeForm(text, why);
    if (!form)
        return why;
    const std::optional<ScreenSize> size = parseScreenSize(text, why);
    if (!size)
        return "Value " + text + " not in range " + sizeText(smallestScreen) + " to " + sizeText(largestScreen);
    settings.screenWidth = size->width;
    settings.screenHeight = size->height;
    return {};
}

std::string parseWarmup(const std::string& text, LabRun& settings)
{
    if (text == "auto")
    {
        settings.warmup = autoWarmup;
        return {};
    }
    int seconds = 0;
    if (!parseInt(text, seconds).empty())
        return "'" + text + "' is neither auto nor a whole number of seconds in decimal digits";
    if (seconds < 0 || seconds > 1000000)
        return "Value " + text + " not in range 0 to 1000000 or auto";
    settings.warmup = seconds;
    return {};
}

// The width must fit the count on the screen, for every run.
std::string checkWidths(const LabOptions& options)
{
    for (std::size_t i = 0, n = runCount(options); i < n; i += static_cast<std::size_t>(options.repeat))
    {
        const LabRun run = runAt(options, i);
        const int widest = widestParticle(run.gas.count);
        if (run.gas.width > widest)
        {
            const std::string option = options.sweep.name == "width" ? "--sweep" : "--width";
            return option + ": Value " + std::to_string(run.gas.width) + " not in range 1 to " +
                   std::to_string(widest) + " for " + std::to_string(run.gas.count) +
                   " particles (a row of at most 500 reference pixels)";
        }
    }
    return {};
}
} // namespace

int parseLabOptions(int argc, const char* const* argv, LabOptions& options, std::ostream& out, std::ostream& err)
{
    LabRun& s = options.settings;
    options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::string screen = "1920x1080";
    std::vector<std::string> sweeps;

    CLI::App app{"Runs the one-dimensional gas of velorin without a window and writes what it measures as CSV.\n"
                 "Every tick the N - 1 gaps between neighbours are measured: E is their mean, sigma their population\n"
                 "standard deviation (divided by N - 1), and sigma / E their ratio; a row gives the means of these\n"
                 "over the measured ticks (sigma / E is the mean of the per-tick ratios, not E and sigma divided).\n"
                 "E and sigma are in the gap unit: one sixteenth of the histogram's range, 52 pixels on a\n"
                 "1920-pixel-wide screen (not the bin width, 56.4 pixels). Each standard error (_se) comes from the\n"
                 "run's own integrated autocorrelation time; sigma_over_E_tau_s is that of sigma / E in simulated\n"
                 "seconds. quality is ok, short (fewer than 50 autocorrelation times of E, sigma or sigma / E\n"
                 "measured, or one not resolved within them, or with --warmup auto a whole run too short to\n"
                 "resolve its own correlation time: the error is unreliable), drifting (the two halves disagree\n"
                 "by more than three errors) or frozen (nothing fluctuates); anything but ok is also said on\n"
                 "standard error, with the rule that flagged it and its figures. Under the zero law E_exact,\n"
                 "sigma_over_E_exact and the histogram's share_exact are the exact hard-rod gas of the same\n"
                 "count, width and screen (contact distance 7 pixels).\n"
                 "theta_inner and theta_ends are the kinetic temperature, the mean square velocity in\n"
                 "(px/ms)^2 over the measured ticks of particles 1 ... N - 2 and of the two end particles,\n"
                 "each with its error (_se) from its own correlation time (empty inner fields with two\n"
                 "particles); speed_cap_share is the share of particle-ticks at the speed limit. T is not\n"
                 "this temperature: it sets the size of the random kicks (as sqrt T), which the mass does not\n"
                 "divide. E_boltzmann, sigma_over_E_boltzmann and the histogram's share_boltzmann are the\n"
                 "equilibrium gas at theta_inner: N rods between the wall lines, every gap at least 7 pixels\n"
                 "with the weight exp(-phi(gap) / theta_inner), phi the pair law's potential per unit mass\n"
                 "(its push clamped at the acceleration limit as the model clamps it); theta_inner is\n"
                 "rounded to within 0.5 % for this. E and the shares are exact up to a quadrature error of\n"
                 "about 0.1 % of E and 0.001 of a share; sigma / E is a mean over drawn configurations, to an\n"
                 "error of 0.0005. Under the zero law they are the hard-rod figures; under attraction they\n"
                 "are empty: its bonding of close neighbours is a rule of motion, not a potential, and has no\n"
                 "Boltzmann weight.",
                 "velorin-lab"};
    app.footer("A field is empty only where no value exists: no overlap stop, the exact figures of a law\n"
               "other than zero, the open upper edge of the last bin, the errors of a frozen run, a figure with\n"
               "no sample, the inner temperature of two particles, the Boltzmann figures under attraction or\n"
               "without an inner temperature, the chi-square and agreement of a single seed.\n"
               "Ticks longer than 100 ms are warned about: the tick then shapes the gas more than its law.\n"
               "Numbers are decimal: 010 is ten. Rows are written as the runs finish, in run order. A file\n"
               "appears whole or not at all and keeps its mode; a link is followed; a device or FIFO is\n"
               "written straight through. Exit status: 0 done, 1 an output could not be written, 2 bad\n"
               "arguments or two outputs naming one file (nothing run), 130 interrupted (no file written).");
    app.set_version_flag("--version", std::string("velorin-lab ") + VELORIN_VERSION);
    std::string law = lawName(s.gas.law);
    // A whole-number setting: decimal, within its range, its default shown.
    auto wholeOption = [&](const char* name, int& value, const char* help, int lo, int hi)
    { app.add_option(name, value, help)->check(CLI::Range(lo, hi))->transform(decimal)->capture_default_str(); };
    app.add_option("--law", law, "Pair law")
        ->check(CLI::IsMember(std::vector<std::string>(std::begin(potentialNames), std::end(potentialNames))))
        ->capture_default_str();
    wholeOption("--count", s.gas.count, "Number of particles", countRange.lo, countRange.hi);
    wholeOption("--width", s.gas.width,
                "Particle width in reference pixels (of a 1920-pixel-wide screen, scaled with the screen); "
                "at most 500 / COUNT",
                widthRange.lo, widthRange.hi);
    wholeOption("--temperature", s.gas.temperature,
                "Temperature setting T: the random kicks grow as sqrt T (the kinetic temperature is theta_inner)",
                temperatureRange.lo, temperatureRange.hi);
    wholeOption("--mass", s.gas.mass, "Particle mass m", massRange.lo, massRange.hi);
    wholeOption("--c", s.gas.C, "Strength C of the pair law", coefficientRange.lo, coefficientRange.hi);
    app.add_option("--screen", screen, "Screen size in pixels, 640x360 to 7680x4320")
        ->type_name("WxH")
        ->capture_default_str();
    wholeOption("--dt", s.dt, "Milliseconds per tick", 1, 1000);
    wholeOption("--seconds", s.seconds,
                "Simulated seconds per run: measured after a fixed --warmup S, the whole run with --warmup "
                "auto, the most with --precision",
                1, 1000000);
    std::string warmup = "auto";
    app.add_option("--warmup", warmup,
                   "Simulated seconds run before the measurement, 0 to 1000000, or auto: the start is left out up "
                   "to where the run has settled (the start that leaves the most independent samples), within "
                   "--seconds")
        ->type_name("auto|S")
        ->capture_default_str();
    app.add_option("--precision", s.precision,
                   "Run until the standard error of sigma / E is at most X and the quality is ok, at most "
                   "--seconds; the row's seconds say how long was measured")
        ->type_name("X")
        ->check(CLI::PositiveNumber);
    app.add_option("--seed", s.seed, "Seed of the first run")
        ->check(CLI::Range(0LL, static_cast<long long>(UINT32_MAX)))
        ->transform(decimal)
        ->capture_default_str();
    app.add_option("--repeat", options.repeat, "Runs per value, with seeds SEED, SEED + 1, ...")
        ->check(CLI::Range(1, 1000))
        ->transform(decimal)
        ->capture_default_str();
    // Taken as a list so that a second --sweep gets a message of its own.
    app.add_option("--sweep", sweeps,
                   "One run per value of one setting: NAME=FROM:TO:STEP or NAME=V1,V2,... with NAME one of "
                   "temperature, mass, c, count, width, dt; or law=L1,L2,... such as law=zero,repulsion")
        ->type_name("NAME=FROM:TO:STEP|NAME=V1,V2,...")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--jobs", options.jobs, "Runs at the same time (default: all cores)")
        ->check(CLI::Range(1, 1024))
        ->transform(decimal);
    app.add_option("--out", options.out,
                   "CSV file of one row per run (default: standard output); share0 ... share15 are the shares of "
                   "the gaps in each bin, not counts (velorin's --record counts them as bin0 ... bin15)")
        ->type_name("FILE");
    app.add_option("--series", options.series, "CSV file of one row per simulated second of each run")
        ->type_name("FILE");
    app.add_option("--histogram", options.histogram,
                   "CSV file of the 16 bins of each run with their edges, each bin's share of the gaps and "
                   "share_exact")
        ->type_name("FILE");
    app.add_option("--combined", options.combined,
                   "CSV file of one row per setting value, its --repeat seeds combined: for E, sigma and sigma / E "
                   "the mean weighted by 1 / se^2, its error (widened by sqrt(chi2 / dof) when the seeds scatter "
                   "more than their errors say) and chi2 / dof of the seeds about the mean; seeds_agree is yes "
                   "when for each quantity a chi-square so large has a chance of 1 % or more with honest errors, "
                   "else no (also said on standard error); seeds_ok counts the ok rows; a seed without an error "
                   "(frozen) is left out. Not with --shard")
        ->type_name("FILE");
    std::string shard;
    app.add_option("--shard", shard,
                   "Only every N-th run of the sweep from run K on (K from 0), for K of N machines; each row keeps "
                   "its run index, so the shards' rows together are the whole sweep's")
        ->type_name("K/N");

    std::string problem;
    try
    {
        app.parse(argc, argv);
        s.gas.law = static_cast<PotentialKind>(std::find(std::begin(potentialNames), std::end(potentialNames), law) -
                                               std::begin(potentialNames));
        if (const std::string e = parseScreen(screen, s); !e.empty())
            problem = "--screen: " + e;
        else if (const std::string e = parseWarmup(warmup, s); !e.empty())
            problem = "--warmup: " + e;
        else if (sweeps.size() > 1)
            problem = "--sweep: given " + std::to_string(sweeps.size()) +
                      " times; a sweep varies one setting (for a grid of two, run one sweep per value of the "
                      "other setting, each with its own --out)";
        else if (sweeps.size() == 1)
        {
            if (const std::string e = parseSweep(sweeps[0], options.sweep); !e.empty())
                problem = "--sweep: " + e;
        }
        if (problem.empty() && app.count("--shard") > 0)
            if (const std::string e = parseShard(shard, options); !e.empty())
                problem = "--shard: " + e;
        if (problem.empty() && !options.combined.empty() && options.shardCount > 1)
            problem = "--combined: a shard holds only some of each value's seeds; run the sweep whole to combine "
                      "them";
        if (problem.empty())
            problem = checkWidths(options);
    }
    catch (const CLI::ParseError& e)
    {
        const int status = app.exit(e, out, err);
        return status == 0 ? 0 : 2;
    }
    if (!problem.empty())
    {
        err << problem << "\nRun with --help for more information.\n";
        return 2;
    }
    return -1;
}

std::size_t runCount(const LabOptions& options)
{
    const std::size_t values = findSweepSetting(options.sweep.name) ? options.sweep.values.size() : 1;
    return values * static_cast<std::size_t>(options.repeat);
}

LabRun runAt(const LabOptions& options, std::size_t index)
{
    const std::size_t repeat = static_cast<std::size_t>(options.repeat);
    LabRun run = options.settings;
    if (const SweepSetting* setting = findSweepSetting(options.sweep.name))
    {
        const int value = options.sweep.values[index / repeat];
        if (setting->field)
            setting->field(run) = value;
        else
            run.gas.law = static_cast<PotentialKind>(value);
    }
    run.seed = options.settings.seed + static_cast<std::uint32_t>(index % repeat);
    return run;
}

std::string sweptValue(const LabOptions& options, LabRun run)
{
    const SweepSetting* setting = findSweepSetting(options.sweep.name);
    if (!setting || !setting->field)
        return {};
    return std::string(setting->name) + " " + std::to_string(setting->field(run));
}
