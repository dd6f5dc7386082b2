#pragma once

#include <optional>
#include <string>

// A screen or window size, pixels.
struct ScreenSize
{
    unsigned width = 0;
    unsigned height = 0;
};

// The sizes the program and its tools accept, pixels: from a small
// projector's corner to 8K.
constexpr ScreenSize smallestScreen{640, 360};
constexpr ScreenSize largestScreen{7680, 4320};

std::string sizeText(ScreenSize size); // "WIDTHxHEIGHT"

// "WIDTHxHEIGHT", two whole numbers of pixels in decimal and a small x, of
// any magnitude. Returns the size, or nothing with what is malformed in `why`.
std::optional<ScreenSize> parseSizeForm(const std::string& text, std::string& why);

// A well-formed size within smallestScreen ... largestScreen. Returns the
// size, or nothing with the reason in `why`.
std::optional<ScreenSize> parseScreenSize(const std::string& text, std::string& why);

// The largest size of the shape of `size` (its width to height, rounded
// down to whole pixels) that fits on `desktop`: `size` itself when it fits.
ScreenSize largestOfShapeOn(ScreenSize size, ScreenSize desktop);
