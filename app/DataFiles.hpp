#pragma once

#include <filesystem>
#include <iosfwd>
#include <vector>

// The font and the pictures live under one data folder: fonts/ArialCyr.ttf
// and images/*.png. A lecturer may start the program from anywhere, and an
// installed program keeps its data under share/velorin beside bin/; the
// working directory is never changed, so paths the user gives stay relative
// to where the program was started.

inline const std::filesystem::path fontFile = std::filesystem::path("fonts") / "ArialCyr.ttf";
inline const std::filesystem::path imageFolder = "images";

// The folders searched, in order: the working directory (as the empty,
// relative path), the executable's folder, then ../share/velorin beside it.
std::vector<std::filesystem::path> dataCandidates(const std::filesystem::path& executable);

struct DataRoot
{
    std::filesystem::path root; // prefix of fontFile and the picture paths; empty: the working directory
    bool hasFont = false;
};

// The first candidate holding a font that loads; failing that, the first holding the
// pictures' folder, so the pictures still show; failing that, the working
// directory.
DataRoot chooseDataRoot(const std::vector<std::filesystem::path>& candidates);

// The program's own lookup (executable from /proc/self/exe). When no folder
// has a font that loads, says once on `messages` where it looked.
DataRoot findDataFiles(std::ostream& messages);
