#pragma once

#include "lab/LabRun.hpp"

#include <cstddef>
#include <string>
#include <vector>

// The three CSV tables, each a header line and then every run's rows in run
// order. Numbers carry six significant digits; a figure that is undefined
// (no sample, no overlap stop) is an empty field. The rows of one run are
// formatted from that run alone, so a sweep's rows can be written as its runs
// finish; `run` is the run's index in the whole sweep.
// A figure as the tables write it: six significant digits, empty when
// undefined.
std::string csvNumber(double value);

std::string resultsHeader();
std::string resultsRow(const LabRun& settings, const RunResult& result, std::size_t run);
std::string seriesHeader();
std::string seriesRows(const LabRun& settings, const RunResult& result, std::size_t run);
std::string histogramHeader();
std::string histogramRows(const LabRun& settings, const RunResult& result, std::size_t run);

// One line for standard error when the run's figures cannot be trusted,
// naming the run (with `swept`, its swept setting and value, such as
// "temperature 15", when the sweep varies one besides the law), the rule
// that flagged it with its figures, and what to do; empty when its quality
// is ok.
std::string qualityWarning(const LabRun& settings, const RunResult& result, std::size_t run,
                           const std::string& swept = {});
