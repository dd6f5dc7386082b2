#include "lab/LabOptions.hpp"

#include "base/ScreenSize.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <thread>

namespace
{
// The settings a sweep may vary, with the range each accepts (the width's
// upper end depends on the count and the screen and is checked apart).
struct SweepSetting
{
    const char* name;
    int RunSettings::*field;
    int lo;
    int hi;
};
constexpr SweepSetting sweepSettings[] = {
    {"temperature", &RunSettings::temperature, 1, 50},
    {"mass", &RunSettings::mass, 1, 50},
    {"c", &RunSettings::c, 1, 5},
    {"count", &RunSettings::count, minParticles, maxParticles},
    {"width", &RunSettings::width, 1, 250},
    {"dt", &RunSettings::dt, 1, 1000},
};

const SweepSetting* findSweepSetting(const std::string& name)
{
    for (const SweepSetting& s : sweepSettings)
        if (name == s.name)
            return &s;
    return nullptr;
}

bool parseInt(const std::string& text, int& value)
{
    std::size_t used = 0;
    try
    {
        value = std::stoi(text, &used);
    }
    catch (const std::exception&)
    {
        return false;
    }
    return used == text.size();
}

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
    const std::size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const SweepSetting* setting = findSweepSetting(name);
    if (eq == std::string::npos || !setting)
        return "expected NAME=FROM:TO:STEP or NAME=V1,V2,... with NAME one of temperature, mass, c, count, width, dt";
    const std::string list = text.substr(eq + 1);
    sweep.name = name;
    sweep.values.clear();
    std::vector<std::string> parts;
    const char separator = list.find(':') != std::string::npos ? ':' : ',';
    std::stringstream stream(list);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    if (list.empty() || list.back() == separator)
        parts.push_back("");
    if (separator == ':')
    {
        int from = 0, to = 0, step = 0;
        if (parts.size() != 3 || !parseInt(parts[0], from) || !parseInt(parts[1], to) || !parseInt(parts[2], step) ||
            step <= 0 || to < from)
            return "expected " + name + "=FROM:TO:STEP, whole numbers with FROM <= TO and STEP >= 1";
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
            if (!parseInt(part, v))
                return "'" + part + "' is not a whole number";
            if (const std::string e = checkSweepValue(*setting, v); !e.empty())
                return e;
            sweep.values.push_back(v);
        }
    }
    return {};
}

std::string parseScreen(const std::string& text, RunSettings& settings)
{
    std::string why;
    const std::optional<ScreenSize> size = parseScreenSize(text, why);
    if (!size)
        return "Value " + text + " not in range " + sizeText(smallestScreen) + " to " + sizeText(largestScreen);
    settings.screenWidth = size->width;
    settings.screenHeight = size->height;
    return {};
}

std::string parseWarmup(const std::string& text, RunSettings& settings)
{
    if (text == "auto")
    {
        settings.warmup = autoWarmup;
        return {};
    }
    int seconds = 0;
    if (!parseInt(text, seconds) || seconds < 0 || seconds > 1000000)
        return "Value " + text + " not in range 0 to 1000000 or auto";
    settings.warmup = seconds;
    return {};
}

// The width must fit the count on the screen, for every run.
std::string checkWidths(const LabOptions& options)
{
    for (const RunSettings& run : expandRuns(options))
    {
        const int widest = widestParticle(run.count);
        if (run.width > widest)
        {
            const std::string option = options.sweep.name == "width" ? "--sweep" : "--width";
            return option + ": Value " + std::to_string(run.width) + " not in range 1 to " + std::to_string(widest) +
                   " for " + std::to_string(run.count) + " particles (a row of at most 500 reference pixels)";
        }
    }
    return {};
}
} // namespace

int parseLabOptions(int argc, const char* const* argv, LabOptions& options, std::ostream& out, std::ostream& err)
{
    RunSettings& s = options.settings;
    options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::string screen = "1920x1080";
    std::string sweep;

    CLI::App app{"Runs the one-dimensional gas of velorin without a window and writes what it measures as CSV.\n"
                 "Every tick the N - 1 gaps between neighbours are measured: E is their mean, sigma their population\n"
                 "standard deviation (divided by N - 1), and sigma / E their ratio; a row gives the means of these\n"
                 "over the measured ticks (sigma / E is the mean of the per-tick ratios, not E and sigma divided).\n"
                 "E and sigma are in the gap unit: one sixteenth of the histogram's range, 52 pixels on a\n"
                 "1920-pixel-wide screen (not the bin width, 56.4 pixels). Each standard error (_se) comes from the\n"
                 "run's own integrated autocorrelation time; sigma_over_E_tau_s is that of sigma / E in simulated\n"
                 "seconds. quality is ok, short (fewer than 50 autocorrelation times measured: the error is\n"
                 "unreliable), drifting (the two halves disagree by more than three errors) or frozen (nothing\n"
                 "fluctuates); anything but ok is also said on standard error. Under the zero law E_exact,\n"
                 "sigma_over_E_exact and the histogram's share_exact are the exact hard-rod gas of the same count,\n"
                 "width and screen (contact distance 7 pixels).",
                 "velorin-lab"};
    app.footer("A field is empty only where no value exists: no overlap stop, the exact figures of a law\n"
               "other than zero, the open upper edge of the last bin, the errors of a frozen run, a figure with\n"
               "no sample.\n"
               "Ticks longer than 100 ms are warned about: the tick then shapes the gas more than its law.\n"
               "Output files appear whole or not at all. Exit status: 0 done, 1 an output file could not be\n"
               "written, 2 bad arguments (nothing run), 130 interrupted (no file written).");
    app.set_version_flag("--version", std::string("velorin-lab ") + VELORIN_VERSION);
    std::string law = "zero";
    app.add_option("--law", law, "Pair law")
        ->check(CLI::IsMember(std::vector<std::string>(potentialNames.begin(), potentialNames.end())))
        ->capture_default_str();
    app.add_option("--count", s.count, "Number of particles")
        ->check(CLI::Range(minParticles, maxParticles))
        ->capture_default_str();
    app.add_option("--width", s.width,
                   "Particle width in reference pixels (of a 1920-pixel-wide screen, scaled with the screen); "
                   "at most 500 / COUNT")
        ->check(CLI::Range(1, 250))
        ->capture_default_str();
    app.add_option("--temperature", s.temperature, "Temperature T")->check(CLI::Range(1, 50))->capture_default_str();
    app.add_option("--mass", s.mass, "Particle mass m")->check(CLI::Range(1, 50))->capture_default_str();
    app.add_option("--c", s.c, "Strength C of the pair law")->check(CLI::Range(1, 5))->capture_default_str();
    app.add_option("--screen", screen, "Screen size in pixels, 640x360 to 7680x4320")
        ->type_name("WxH")
        ->capture_default_str();
    app.add_option("--dt", s.dt, "Milliseconds per tick")->check(CLI::Range(1, 1000))->capture_default_str();
    app.add_option("--seconds", s.seconds,
                   "Simulated seconds per run: measured after a fixed --warmup S, the whole run with --warmup "
                   "auto, the most with --precision")
        ->check(CLI::Range(1, 1000000))
        ->capture_default_str();
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
        ->capture_default_str();
    app.add_option("--repeat", options.repeat, "Runs per value, with seeds SEED, SEED + 1, ...")
        ->check(CLI::Range(1, 1000))
        ->capture_default_str();
    app.add_option("--sweep", sweep,
                   "One run per value of one setting: NAME=FROM:TO:STEP or NAME=V1,V2,... with NAME one of "
                   "temperature, mass, c, count, width, dt")
        ->type_name("NAME=FROM:TO:STEP|NAME=V1,V2,...");
    app.add_option("--jobs", options.jobs, "Runs at the same time (default: all cores)")->check(CLI::Range(1, 1024));
    app.add_option("--out", options.out, "CSV file of one row per run (default: standard output)")->type_name("FILE");
    app.add_option("--series", options.series, "CSV file of one row per simulated second of each run")
        ->type_name("FILE");
    app.add_option("--histogram", options.histogram, "CSV file of the 16 bins of each run with their edges")
        ->type_name("FILE");

    std::string problem;
    try
    {
        app.parse(argc, argv);
        s.law = static_cast<PotentialKind>(std::find(potentialNames.begin(), potentialNames.end(), law) -
                                           potentialNames.begin());
        if (const std::string e = parseScreen(screen, s); !e.empty())
            problem = "--screen: " + e;
        else if (const std::string e = parseWarmup(warmup, s); !e.empty())
            problem = "--warmup: " + e;
        else if (!sweep.empty())
        {
            if (const std::string e = parseSweep(sweep, options.sweep); !e.empty())
                problem = "--sweep: " + e;
        }
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

std::vector<RunSettings> expandRuns(const LabOptions& options)
{
    std::vector<RunSettings> runs;
    const SweepSetting* setting = findSweepSetting(options.sweep.name);
    const std::vector<int> values = setting ? options.sweep.values : std::vector<int>{0};
    for (int value : values)
    {
        for (int r = 0; r < options.repeat; ++r)
        {
            RunSettings run = options.settings;
            if (setting)
                run.*(setting->field) = value;
            run.seed = options.settings.seed + static_cast<std::uint32_t>(r);
            runs.push_back(run);
        }
    }
    return runs;
}
