#include "app/DataFiles.hpp"

#include <filesystem>

bool findDataFiles()
{
    namespace fs = std::filesystem;
    const fs::path font = fs::path("fonts") / "ArialCyr.ttf";
    std::error_code error;
    if (fs::exists(font, error))
        return true;
    const fs::path home = fs::read_symlink("/proc/self/exe", error).parent_path();
    if (!error && fs::exists(home / font, error))
        fs::current_path(home, error);
    return fs::exists(font, error);
}
