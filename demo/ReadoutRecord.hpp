#pragma once

#include "demo/HistogramPanel.hpp"
#include "demo/RunControls.hpp"
#include "sim/GasModel.hpp"

#include <iosfwd>
#include <memory>
#include <string>

// The lecture's numbers as a file: one CSV row per refresh of the readouts,
// so that what a class saw can be handed out afterwards. Each row is flushed
// at once: a crash or a kill loses nothing already shown.
//
// Columns: time_s (seconds since start-up), law, count, width (reference
// pixels), temperature, mass, c, then E, sigma and sigma_over_E exactly as the
// readouts show them, then bin0 ... bin15, the running totals of the gap
// histogram.
class ReadoutRecord
{
public:
    ReadoutRecord() = default; // records nothing
    // Writes the header to `out` unless told not to; `name` names the sink in messages.
    ReadoutRecord(std::unique_ptr<std::ostream> out, std::string name, bool withHeader = true);

    bool recording() const { return m_out != nullptr; }

    // One row, after refreshReadouts. A sink that fails is reported once on
    // standard error and dropped: the program runs on without recording.
    void write(double sinceStartMs, const GasSettings& settings, const HistogramPanel& panel, const GasModel& gas);

private:
    void checkWritten();

    std::unique_ptr<std::ostream> m_out;
    std::string m_name;
};

// The record of --record FILE, opened now for appending; the header is
// written only into an empty file. A file that cannot
// be opened is reported on `err`; the record then records nothing.
ReadoutRecord openReadoutRecord(const std::string& path, std::ostream& err);
