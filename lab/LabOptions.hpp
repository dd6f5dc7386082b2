#pragma once

#include "lab/LabRun.hpp"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

// One setting varied over a list of values, one run per value and seed.
struct Sweep
{
    std::string name;        // law, temperature, mass, c, count, width or dt; empty: no sweep
    std::vector<int> values; // a law as its PotentialKind
};

struct LabOptions
{
    LabRun settings;
    Sweep sweep;
    int repeat = 1;  // seeds per value: seed, seed + 1, ...
    int jobs = 1;    // runs at the same time
    std::string out; // empty: standard output
    std::string series;
    std::string histogram;
    std::string combined; // one row per setting value, its seeds combined
    int shardIndex = 0;   // --shard K/N: runs K, K + N, K + 2N, ... of the sweep
    int shardCount = 1;
};

// Parses the command line. Returns -1 when the runs should go ahead, else
// the exit status: 0 after --help or --version (printed on out), 2 for any
// usage error (a message naming the option and its range on err).
int parseLabOptions(int argc, const char* const* argv, LabOptions& options, std::ostream& out, std::ostream& err);

// The number of runs of the sweep, and run `index` of it (both before any
// shard is taken): made on demand, so a sweep of millions of runs is never
// held whole.
std::size_t runCount(const LabOptions& options);
LabRun runAt(const LabOptions& options, std::size_t index);

// The run's swept setting and value as messages name it ("temperature 15");
// empty without a sweep, and for a sweep of the law, which every message
// names anyway.
std::string sweptValue(const LabOptions& options, LabRun run);
