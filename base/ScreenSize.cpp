#include "base/ScreenSize.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace
{
// A whole number of pixels, decimal: digits only, no sign, no overflow.
// Empty when it is one, else what is wrong with it.
std::string parsePixels(const std::string& text, const char* what, unsigned& value)
{
    if (text.empty())
        return std::string("no ") + what;
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    if (!std::all_of(text.begin(), text.end(), digit))
        return std::string("the ") + what + " '" + text + "' is not a whole number of pixels";
    const std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc())
        return std::string("the ") + what + " " + text + " is too large a number";
    return {};
}
} // namespace

std::string sizeText(ScreenSize size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

std::optional<ScreenSize> parseSizeForm(const std::string& text, std::string& why)
{
    const std::size_t cross = text.find('x');
    ScreenSize size;
    std::string fault;
    if (cross == std::string::npos)
        fault = text.find('X') != std::string::npos ? "the width and height are parted by a small x, not X"
                                                    : "no x between the width and the height";
    else if (text.find('x', cross + 1) != std::string::npos)
        fault = "more than one x";
    else if (fault = parsePixels(text.substr(0, cross), "width", size.width); fault.empty())
        fault = parsePixels(text.substr(cross + 1), "height", size.height);
    if (fault.empty())
        return size;
    why = "'" + text + "' is not a size: " + fault + "; give WIDTHxHEIGHT in pixels, such as 1280x720";
    return std::nullopt;
}

std::optional<ScreenSize> parseScreenSize(const std::string& text, std::string& why)
{
    const std::optional<ScreenSize> size = parseSizeForm(text, why);
    if (!size)
        return std::nullopt;
    if (size->width < smallestScreen.width || size->height < smallestScreen.height)
    {
        why = sizeText(*size) + " is smaller than the smallest size, " + sizeText(smallestScreen);
        return std::nullopt;
    }
    if (size->width > largestScreen.width || size->height > largestScreen.height)
    {
        why = sizeText(*size) + " is larger than the largest size, " + sizeText(largestScreen);
        return std::nullopt;
    }
    return size;
}

ScreenSize largestOfShapeOn(ScreenSize size, ScreenSize desktop)
{
    if (size.width <= desktop.width && size.height <= desktop.height)
        return size;
    // The narrower of the two room-to-size ratios decides; in whole numbers,
    // so that the shape is kept as exactly as whole pixels allow.
    const auto w = static_cast<unsigned long long>(size.width), h = static_cast<unsigned long long>(size.height);
    const auto dw = static_cast<unsigned long long>(desktop.width),
               dh = static_cast<unsigned long long>(desktop.height);
    if (dw * h <= dh * w)
        return {desktop.width, static_cast<unsigned>(dw * h / w)};
    return {static_cast<unsigned>(dh * w / h), desktop.height};
}
