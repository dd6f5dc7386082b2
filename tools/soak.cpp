// Runs the gas alone, headless, for many ticks under each pair law and reports
// whether and when the order check stopped it (the program would close its
// window there). The time step is drawn anew for every tick, uniformly from 12
// to 40 ms, as a loaded frame loop would measure it (--frames 40-300 for a
// slow machine).
//
//   soak [--ticks N] [--seed S] [--startup] [--law zero|attraction|repulsion|lennard-jones|all] [--screen WxH]
//
// By default the sliders stand at their most extreme: 30 particles of the
// largest width the controls allow, T 50, m 1, C 5. --startup uses the
// start-up settings instead: 15 particles of width 22, T 25, m 25, C 1.
// Exits with 1 when a run was stopped by the order check, 2 on bad options.

#include "sim/GasCore.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace
{
struct Options
{
    long long ticks = 1000000;
    unsigned seed = 1;
    bool startup = false;
    std::string law = "all";
    unsigned screenWidth = 1920;
    unsigned screenHeight = 1080;
    int shortestFrame = 12; // ms
    int longestFrame = 40;  // ms: longer on a slow machine
};

void usage()
{
    std::fprintf(stderr, "usage: soak [--ticks N] [--seed S] [--startup] "
                         "[--law zero|attraction|repulsion|lennard-jones|all] [--screen WxH] [--frames MIN-MAX]\n");
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--startup")
            options.startup = true;
        else if (arg == "--ticks" && hasValue)
            options.ticks = std::atoll(argv[++i]);
        else if (arg == "--seed" && hasValue)
            options.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else if (arg == "--law" && hasValue)
            options.law = argv[++i];
        else if (arg == "--frames" && hasValue)
        {
            if (std::sscanf(argv[++i], "%d-%d", &options.shortestFrame, &options.longestFrame) != 2)
                return false;
        }
        else if (arg == "--screen" && hasValue)
        {
            if (std::sscanf(argv[++i], "%ux%u", &options.screenWidth, &options.screenHeight) != 2)
                return false;
        }
        else
            return false;
    }
    return options.ticks > 0 && options.screenWidth > 0 && options.screenHeight > 0 && options.shortestFrame > 11 &&
           options.longestFrame >= options.shortestFrame;
}

struct Outcome
{
    long long ticksRun = 0;
    long long overlapTick = 0;   // 1-based tick whose contact pass found it; 0 = never
    long long nonFiniteTick = 0; // first tick leaving a NaN or infinity; 0 = never
    double smallestGap = INFINITY;
    double seconds = 0.0;
};

Outcome soak(const Options& options, const ScreenMetrics& metrics, PotentialKind kind)
{
    GasSettings settings = defaultGasSettings();
    settings.law = kind;
    if (!options.startup)
    {
        settings.count = sliderCountRange.hi;
        settings.width = widestParticle(settings.count, metrics.maxTotalWidth);
        settings.temperature = temperatureRange.hi;
        settings.mass = massRange.lo;
        settings.C = coefficientRange.hi;
    }
    const int count = settings.count;

    GasCore gas(metrics, std::mt19937(options.seed));
    gas.setup(particleWidthPixels(settings.width, metrics), count);
    BondFlags bonded{};
    std::mt19937 frameClock(options.seed ^ 0x5eedu);
    std::uniform_int_distribution<int> dt(options.shortestFrame, options.longestFrame);

    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    for (long long t = 1; t <= options.ticks; ++t)
    {
        if (!gas.tick(settings, bonded, static_cast<float>(dt(frameClock))))
        {
            outcome.overlapTick = t;
            break;
        }
        outcome.ticksRun = t;

        const std::vector<double>& x = gas.positions();
        const std::vector<double>& v = gas.velocities();
        for (int i = 0; i < count; ++i)
        {
            if (!std::isfinite(x[i]) || !std::isfinite(v[i]))
            {
                if (outcome.nonFiniteTick == 0)
                    outcome.nonFiniteTick = t;
                break;
            }
            if (i + 1 < count)
                outcome.smallestGap = std::fmin(outcome.smallestGap, x[i + 1] - x[i] - gas.particleWidth());
        }
    }
    // The frame loop would look at the last positions on its next pass.
    if (outcome.overlapTick == 0)
    {
        gas.resolveContacts();
        if (gas.overlapDetected())
            outcome.overlapTick = outcome.ticksRun + 1;
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}
} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options))
    {
        usage();
        return 2;
    }
    const ScreenMetrics metrics = makeScreenMetrics(options.screenWidth, options.screenHeight);
    bool known = options.law == "all";
    for (const char* name : potentialNames)
        known = known || options.law == name;
    if (!known)
    {
        usage();
        return 2;
    }

    std::printf("screen %ux%u, seed %u, %lld ticks per law, %s settings, dt %d ... %d ms\n", options.screenWidth,
                options.screenHeight, options.seed, options.ticks, options.startup ? "start-up" : "extreme",
                options.shortestFrame, options.longestFrame);
    bool stopped = false;
    for (int law = 0; law < potentialKindCount; ++law)
    {
        const char* name = potentialNames[law];
        if (options.law != "all" && options.law != name)
            continue;
        const Outcome o = soak(options, metrics, static_cast<PotentialKind>(law));
        std::printf("%-13s ", name);
        if (o.overlapTick != 0)
            std::printf("overlap stop in the contact pass of tick %lld (%lld ticks ran before it)", o.overlapTick,
                        o.overlapTick - 1);
        else
            std::printf("no overlap stop in %lld ticks", o.ticksRun);
        std::printf(", smallest gap %.3f px", o.smallestGap);
        if (o.nonFiniteTick != 0)
            std::printf(", non-finite values from tick %lld", o.nonFiniteTick);
        std::printf(", %.2f s (%.2f us/tick)\n", o.seconds, o.ticksRun > 0 ? o.seconds * 1e6 / o.ticksRun : 0.0);
        std::fflush(stdout);
        stopped = stopped || o.overlapTick != 0;
    }
    return stopped ? 1 : 0;
}
