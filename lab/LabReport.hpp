#pragma once

#include "lab/LabRun.hpp"

#include <string>
#include <vector>

// The three CSV tables, each a header line and its rows. Numbers carry six
// significant digits; a figure that is undefined (no sample, no overlap
// stop) is an empty field.
std::string resultsCsv(const std::vector<RunSettings>& runs, const std::vector<RunResult>& results);
std::string seriesCsv(const std::vector<RunSettings>& runs, const std::vector<RunResult>& results);
std::string histogramCsv(const std::vector<RunSettings>& runs, const std::vector<RunResult>& results);
