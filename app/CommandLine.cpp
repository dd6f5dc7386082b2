#include "app/CommandLine.hpp"

#include <CLI/CLI.hpp>

#include <charconv>
#include <ostream>

namespace
{
constexpr int usageError = 2;

std::string sizeText(WindowSize size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

// A whole number of pixels: digits only, no sign, no overflow.
bool parsePixels(const char* first, const char* last, unsigned& value)
{
    if (first == last)
        return false;
    const std::from_chars_result result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}
} // namespace

std::optional<WindowSize> parseWindowSize(const std::string& text, std::string& why)
{
    const std::size_t cross = text.find('x');
    WindowSize size;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (cross == std::string::npos || !parsePixels(begin, begin + cross, size.width) ||
        !parsePixels(begin + cross + 1, end, size.height))
    {
        why = "'" + text + "' is not a size; give WIDTHxHEIGHT in pixels, such as 1280x720";
        return std::nullopt;
    }
    if (size.width < smallestWindow.width || size.height < smallestWindow.height)
    {
        why = sizeText(size) + " is smaller than the smallest window, " + sizeText(smallestWindow);
        return std::nullopt;
    }
    if (size.width > largestWindow.width || size.height > largestWindow.height)
    {
        why = sizeText(size) + " is larger than the largest window, " + sizeText(largestWindow);
        return std::nullopt;
    }
    return size;
}

std::optional<int> parseCommandLine(int argc, const char* const* argv, const std::string& version, Options& options,
                                    std::ostream& out, std::ostream& err)
{
    CLI::App cli("velorin: density fluctuations of a one-dimensional gas, a lecture demonstration.\n"
                 "Full screen at the size of the desktop, unless --window is given.",
                 "velorin");
    cli.set_help_flag("-h,--help", "Print this help and exit");
    cli.set_version_flag("--version", "velorin " + version, "Print the version and exit");

    std::string window;
    cli.add_option("--window", window,
                   "An ordinary window of WxH pixels, not full screen,\n" + sizeText(smallestWindow) + " to " +
                       sizeText(largestWindow) + "; the layout follows it")
        ->type_name("WxH")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
        ->check(CLI::Validator(
            [](std::string& text)
            {
                std::string why;
                return parseWindowSize(text, why) ? std::string() : why;
            },
            ""));
    std::string record;
    cli.add_option("--record", record,
                   "Write the readouts to FILE as CSV, one row per\nrefresh: time, law, settings, E, sigma, "
                   "sigma / E,\nbin totals")
        ->type_name("FILE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    cli.failure_message([](const CLI::App* app, const CLI::Error& e)
                        { return "velorin: " + std::string(e.what()) + "\n\n" + app->help(); });
    try
    {
        cli.parse(argc, argv);
    }
    catch (const CLI::ParseError& e)
    {
        const int status = cli.exit(e, out, err);
        return status == static_cast<int>(CLI::ExitCodes::Success) ? 0 : usageError;
    }

    if (!window.empty())
    {
        std::string why;
        options.window = parseWindowSize(window, why);
    }
    if (cli.count("--record") > 0)
        options.recordPath = record;
    return std::nullopt;
}
