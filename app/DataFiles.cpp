#include "app/DataFiles.hpp"

#include <SFML/Graphics/Font.hpp>
#include <SFML/System/Err.hpp>

#include <ostream>
#include <streambuf>

namespace fs = std::filesystem;

std::vector<fs::path> dataCandidates(const fs::path& executable)
{
    std::vector<fs::path> candidates{fs::path()};
    if (executable.empty())
        return candidates;
    const fs::path home = executable.parent_path();
    candidates.push_back(home);
    candidates.push_back((home / ".." / "share" / "velorin").lexically_normal());
    return candidates;
}

namespace
{
// Follows links: a link to a font that is gone counts as no font.
bool holds(const fs::path& folder, const fs::path& entry)
{
    std::error_code error;
    return fs::exists(folder / entry, error);
}

// Swallows what it is given.
struct NullBuffer : std::streambuf
{
    int overflow(int c) override { return traits_type::not_eof(c); }
};

// A font file that is empty or cut off counts as no font. The drawing
// library's own complaint is kept back: the lookup goes on, and says once
// where it looked if no folder has a font that loads. Main thread only, like
// every use of the library's error stream.
bool holdsLoadableFont(const fs::path& folder)
{
    if (!holds(folder, fontFile))
        return false;
    NullBuffer quiet;
    std::streambuf* const previous = sf::err().rdbuf(&quiet);
    sf::Font font;
    const bool loaded = font.loadFromFile((folder / fontFile).string());
    sf::err().rdbuf(previous);
    return loaded;
}

// For the message: the working directory by its name where it still has one.
std::string describe(const fs::path& folder)
{
    if (!folder.empty())
        return folder.string();
    std::error_code error;
    const fs::path here = fs::current_path(error);
    return error ? std::string("the working directory") : here.string();
}
} // namespace

DataRoot chooseDataRoot(const std::vector<fs::path>& candidates)
{
    for (const fs::path& folder : candidates)
        if (holdsLoadableFont(folder))
            return {folder, true};
    for (const fs::path& folder : candidates)
        if (holds(folder, imageFolder))
            return {folder, false};
    return {};
}

DataRoot findDataFiles(std::ostream& messages)
{
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    const std::vector<fs::path> candidates = dataCandidates(error ? fs::path() : executable);
    const DataRoot found = chooseDataRoot(candidates);
    if (!found.hasFont)
    {
        messages << "velorin: no " << fontFile.string() << " that loads found in";
        for (std::size_t i = 0; i < candidates.size(); ++i)
            messages << (i == 0 ? " " : i + 1 == candidates.size() ? " or " : ", ") << describe(candidates[i]);
        messages << "; texts will not be drawn.\n";
    }
    return found;
}
