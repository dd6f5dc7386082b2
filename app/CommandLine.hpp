#pragma once

#include <iosfwd>
#include <optional>
#include <string>

// A window size, pixels.
struct WindowSize
{
    unsigned width = 0;
    unsigned height = 0;
};

// The sizes --window accepts, pixels: from a small projector's corner to 8K.
constexpr WindowSize smallestWindow{640, 360};
constexpr WindowSize largestWindow{7680, 4320};

// What the command line asks for. Without options: full screen at the size of
// the desktop, nothing recorded.
struct Options
{
    std::optional<WindowSize> window;      // an ordinary fixed-size window instead of full screen
    std::optional<std::string> recordPath; // the readouts go there as CSV; none: nothing is written
};

// "WIDTHxHEIGHT" within smallestWindow ... largestWindow. Returns the size,
// or nothing with the reason in `why`.
std::optional<WindowSize> parseWindowSize(const std::string& text, std::string& why);

// Reads the options. Returns the status to end with at once: 0 after --help
// (on out) or --version (on out), 2 after a usage error (the message and the
// usage on err); nothing when the program is to run. Needs no display.
std::optional<int> parseCommandLine(int argc, const char* const* argv, const std::string& version, Options& options,
                                    std::ostream& out, std::ostream& err);
