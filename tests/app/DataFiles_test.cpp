#include "app/DataFiles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace
{
enum Place
{
    Work,
    Bin,
    Share
};

// work/ (the working directory while it lives) and an installed layout,
// prefix/bin/velorin beside prefix/share/velorin.
struct Tree
{
    Tree()
    {
        for (const fs::path& folder : folders)
            fs::create_directories(folder);
        fs::current_path(folders[Work]);
    }
    ~Tree()
    {
        fs::current_path(previous);
        fs::remove_all(top);
    }
    // The font is a real one, cut to `fontBytes` when given; any other file holds "x".
    void put(Place place, const fs::path& file, std::size_t fontBytes = 0) const
    {
        fs::create_directories((folders[place] / file).parent_path());
        if (file != fontFile)
            std::ofstream(folders[place] / file) << "x";
        else if (fontBytes == 0)
            fs::copy_file(VELORIN_TEST_FONT, folders[place] / file);
        else
        {
            std::string bytes(fontBytes, '\0');
            std::ifstream(VELORIN_TEST_FONT, std::ios::binary)
                .read(bytes.data(), static_cast<std::streamsize>(fontBytes));
            std::ofstream(folders[place] / file, std::ios::binary) << bytes;
        }
    }
    static fs::path scratch()
    {
        char name[] = "/tmp/velorin-data-XXXXXX";
        return mkdtemp(name);
    }
    const fs::path previous = fs::current_path(), top = scratch();
    const fs::path folders[3] = {top / "work", top / "prefix/bin", top / "prefix/share/velorin"};
    const fs::path executable = folders[Bin] / "velorin";
};
} // namespace

// Which folder the data is read from, by what each folder holds.
TEST(DataFiles, FirstFolderWithTheFontWins)
{
    struct Case
    {
        const char* what;
        std::vector<Place> fonts, images, deadFontLinks;
        Place expected;
        bool hasFont;
        std::vector<Place> brokenFonts = {}; // Work: empty; elsewhere: cut after 100 bytes
    } const cases[] = {
        {"everywhere", {Work, Bin, Share}, {Work, Bin, Share}, {}, Work, true},
        {"beside the program before share", {Bin, Share}, {}, {}, Bin, true},
        {"installed; the font decides, not the pictures", {Share}, {Work, Bin}, {}, Share, true},
        {"a link to a removed font is no font", {Share}, {}, {Work, Bin}, Share, true},
        {"an empty or cut-off font is no font", {Share}, {}, {}, Share, true, {Work, Bin}},
        {"no font that loads: the pictures still show", {}, {Bin}, {}, Bin, false, {Work, Share}},
        {"no font: the pictures still show", {}, {Bin, Share}, {}, Bin, false},
        {"nothing anywhere", {}, {}, {}, Work, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const Tree tree;
        for (Place p : c.fonts)
            tree.put(p, fontFile);
        for (Place p : c.images)
            tree.put(p, imageFolder / "Imrel.png");
        for (Place p : c.brokenFonts)
        {
            tree.put(p, fontFile, 100);
            if (p == Work)
                fs::resize_file(tree.folders[p] / fontFile, 0);
        }
        for (Place p : c.deadFontLinks)
        {
            fs::create_directories(tree.folders[p] / "fonts");
            fs::create_symlink(tree.top / "gone.ttf", tree.folders[p] / fontFile);
        }
        const DataRoot found = chooseDataRoot(dataCandidates(tree.executable));
        EXPECT_EQ(found.hasFont, c.hasFont);
        // The working directory stays relative: the program never moves out of it.
        EXPECT_EQ(found.root, c.expected == Work ? fs::path() : tree.folders[c.expected]);
    }
}

TEST(DataFiles, SaysOnceWhereItLookedWhenNoFont)
{
    const Tree tree;
    std::ostringstream messages;
    EXPECT_FALSE(findDataFiles(messages).hasFont);
    const std::string text = messages.str();
    const fs::path home = fs::read_symlink("/proc/self/exe").parent_path();
    std::size_t at = 0;
    for (const fs::path& place : {tree.folders[Work], home, home.parent_path() / "share/velorin"})
    {
        at = text.find(place.string(), at);
        ASSERT_NE(at, std::string::npos) << place << " missing or out of order in: " << text;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;

    tree.put(Work, fontFile);
    messages.str("");
    EXPECT_TRUE(findDataFiles(messages).hasFont);
    EXPECT_EQ(messages.str(), "");
}
