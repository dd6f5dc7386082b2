#include "base/ScreenSize.hpp"

#include <charconv>

namespace
{
// A whole number of pixels: digits only, no sign, no overflow.
bool parsePixels(const char* first, const char* last, unsigned& value)
{
    if (first == last)
        return false;
    const std::from_chars_result result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}
} // namespace

std::string sizeText(ScreenSize size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

std::optional<ScreenSize> parseScreenSize(const std::string& text, std::string& why)
{
    const std::size_t cross = text.find('x');
    ScreenSize size;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (cross == std::string::npos || !parsePixels(begin, begin + cross, size.width) ||
        !parsePixels(begin + cross + 1, end, size.height))
    {
        why = "'" + text + "' is not a size; give WIDTHxHEIGHT in pixels, such as 1280x720";
        return std::nullopt;
    }
    if (size.width < smallestScreen.width || size.height < smallestScreen.height)
    {
        why = sizeText(size) + " is smaller than the smallest size, " + sizeText(smallestScreen);
        return std::nullopt;
    }
    if (size.width > largestScreen.width || size.height > largestScreen.height)
    {
        why = sizeText(size) + " is larger than the largest size, " + sizeText(largestScreen);
        return std::nullopt;
    }
    return size;
}
