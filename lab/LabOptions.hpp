#pragma once

#include "lab/LabRun.hpp"

#include <iosfwd>
#include <string>
#include <vector>

// One setting varied over a list of values, one run per value and seed.
struct Sweep
{
    std::string name; // temperature, mass, c, count, width or dt; empty: no sweep
    std::vector<int> values;
};

struct LabOptions
{
    RunSettings settings;
    Sweep sweep;
    int repeat = 1;  // seeds per value: seed, seed + 1, ...
    int jobs = 1;    // runs at the same time
    std::string out; // empty: standard output
    std::string series;
    std::string histogram;
};

// Parses the command line. Returns -1 when the runs should go ahead, else
// the exit status: 0 after --help or --version (printed on out), 2 for any
// usage error (a message naming the option and its range on err).
int parseLabOptions(int argc, const char* const* argv, LabOptions& options, std::ostream& out, std::ostream& err);

// Every run, in output order: the sweep's values in the order given, each
// with its seeds in ascending order.
std::vector<RunSettings> expandRuns(const LabOptions& options);
