#include "app/CommandLine.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>
#include <sstream>

namespace
{
constexpr int usageError = 2;

// "ru (the default) and en", "ru (the default), en and de".
std::string languagesSpoken()
{
    std::vector<std::string> names{defaultLanguage + " (the default)"};
    for (const std::string& language : catalogueLanguages())
        names.push_back(language);
    std::string said = names.front();
    for (std::size_t i = 1; i < names.size(); ++i)
        said += (i + 1 == names.size() ? " and " : ", ") + names[i];
    return said;
}
} // namespace

std::vector<std::string> catalogueLanguages()
{
    // Space-separated, from the catalogues the build compiled.
    std::istringstream built(VELORIN_LANGUAGES);
    std::vector<std::string> languages;
    for (std::string language; built >> language;)
        languages.push_back(language);
    return languages;
}

std::optional<int> parseCommandLine(int argc, const char* const* argv, const std::string& version, Options& options,
                                    std::ostream& out, std::ostream& err)
{
    CLI::App cli("velorin: density fluctuations of a one-dimensional gas, a lecture demonstration.\n"
                 "Full screen at the size of the desktop, unless --window is given.",
                 "velorin");
    cli.set_help_flag("-h,--help", "Print this help and exit");
    cli.set_version_flag("--version", "velorin " + version, "Print the version and exit");

    // Each option at most once (the parser's default), as velorin-lab: a
    // second --record would otherwise silently drop the first file.
    std::string window;
    cli.add_option("--window", window,
                   "An ordinary window of WxH pixels, not full screen,\n" + sizeText(smallestScreen) + " to " +
                       sizeText(largestScreen) + " and no larger than the\ndesktop; the layout follows it")
        ->type_name("WxH")
        ->check(CLI::Validator(
            [](std::string& text)
            {
                std::string why;
                return parseScreenSize(text, why) ? std::string() : why;
            },
            ""));
    std::string record;
    cli.add_option("--record", record,
                   "Write the readouts to FILE as CSV, one row per\nrefresh: time, law, settings, E, sigma, "
                   "sigma / E,\nbin totals")
        ->type_name("FILE")
        ->check(CLI::Validator([](std::string& name) { return name.empty() ? "the file name is empty" : ""; }, ""));

    cli.add_flag(
           "--theory", options.theory,
           "Under the zero law, draw the exact hard-rod gas over\nthe histogram in red and show its E and sigma / E\n"
           "beside the readouts, with their means since the last\nset-up; a press in the histogram hides and shows "
           "them")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);

    cli.add_option("--language", options.language,
                   "The language of the texts and pictures, whatever\nthe desktop's locale: " + languagesSpoken())
        ->type_name("LANG");

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

    const std::vector<std::string> known = catalogueLanguages();
    if (options.language != defaultLanguage && std::find(known.begin(), known.end(), options.language) == known.end())
    {
        err << "velorin: no language \"" << options.language << "\"; this program speaks " << languagesSpoken()
            << "\n\n"
            << cli.help();
        return usageError;
    }

    if (!window.empty())
    {
        std::string why;
        options.window = parseScreenSize(window, why);
    }
    if (cli.count("--record") > 0)
        options.recordPath = record;
    return std::nullopt;
}
