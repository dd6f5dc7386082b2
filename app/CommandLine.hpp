#pragma once

#include "base/ScreenSize.hpp"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// The language the program is written in, and the default whatever the
// desktop's locale.
inline const std::string defaultLanguage = "ru";
// The other languages: one catalogue each (po/<language>.po), as built.
std::vector<std::string> catalogueLanguages();

// What the command line asks for. Without options: full screen at the size of
// the desktop, nothing recorded.
struct Options
{
    std::optional<ScreenSize> window;       // an ordinary fixed-size window instead of full screen
    std::optional<std::string> recordPath;  // the readouts go there as CSV; none: nothing is written
    bool theory = false;                    // the exact free gas drawn over the histogram, beside the readouts
    std::string language = defaultLanguage; // of the texts and the pictures
};

// Reads the options. Returns the status to end with at once: 0 after --help
// (on out) or --version (on out), 2 after a usage error (the message and the
// usage on err); nothing when the program is to run. Needs no display.
std::optional<int> parseCommandLine(int argc, const char* const* argv, const std::string& version, Options& options,
                                    std::ostream& out, std::ostream& err);
