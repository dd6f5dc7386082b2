#include "app/DataFiles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace
{
// A scratch tree: work/ (the working directory while the test runs) and an
// installed layout prefix/bin/velorin with prefix/share/velorin.
struct Tree
{
    Tree()
    {
        char name[] = "/tmp/velorin-data-XXXXXX";
        top = mkdtemp(name);
        for (const fs::path& folder : {work(), bin(), share()})
            fs::create_directories(folder);
        std::ofstream(bin() / "velorin") << "";
        previous = fs::current_path();
        fs::current_path(work());
    }
    ~Tree()
    {
        fs::current_path(previous);
        fs::remove_all(top);
    }
    fs::path work() const { return top / "work"; }
    fs::path bin() const { return top / "prefix" / "bin"; }
    fs::path share() const { return top / "prefix" / "share" / "velorin"; }

    static void put(const fs::path& file)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "x";
    }

    fs::path top, previous;
};

enum Place
{
    Work,
    Bin,
    Share,
    Nowhere
};
} // namespace

// Which folder the program reads its data from, by what each folder holds.
TEST(DataFiles, FirstFolderWithTheFontWins)
{
    struct Case
    {
        const char* what;
        std::vector<Place> fonts, images;
        Place expected;
        bool hasFont;
    };
    const Case cases[] = {
        {"everywhere", {Work, Bin, Share}, {Work, Bin, Share}, Work, true},
        {"beside the program before share", {Bin, Share}, {}, Bin, true},
        {"installed", {Share}, {Share}, Share, true},
        {"the font decides, not the pictures", {Share}, {Work, Bin}, Share, true},
        {"no font: the pictures still show", {}, {Bin, Share}, Bin, false},
        {"nothing anywhere", {}, {}, Work, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const Tree tree;
        const fs::path folders[] = {tree.work(), tree.bin(), tree.share()};
        for (Place p : c.fonts)
            Tree::put(folders[p] / fontFile);
        for (Place p : c.images)
            Tree::put(folders[p] / imageFolder / "Imrel.png");

        const DataRoot found = chooseDataRoot(dataCandidates(tree.bin() / "velorin"));
        EXPECT_EQ(found.hasFont, c.hasFont);
        // The working directory stays relative: the program never moves out of it.
        const fs::path expected = c.expected == Work ? fs::path() : folders[c.expected];
        EXPECT_EQ(found.root, expected);
    }
}

// A folder of fonts without the file, or a link to a font that was removed
// (a package's font dependency gone), is no font.
TEST(DataFiles, BrokenFontIsPassedOver)
{
    const Tree tree;
    fs::create_directories(tree.work() / fontFile.parent_path());
    fs::create_directories(tree.bin() / fontFile.parent_path());
    fs::create_symlink(tree.top / "gone.ttf", tree.bin() / fontFile);
    Tree::put(tree.share() / fontFile);
    EXPECT_EQ(chooseDataRoot(dataCandidates(tree.bin() / "velorin")).root, tree.share());
}

TEST(DataFiles, SaysOnceWhereItLookedWhenNoFont)
{
    const Tree tree;
    std::ostringstream messages;
    const DataRoot found = findDataFiles(messages);
    EXPECT_FALSE(found.hasFont);
    const std::string text = messages.str();
    const fs::path home = fs::read_symlink("/proc/self/exe").parent_path();
    const std::string places[] = {tree.work().string(), home.string(),
                                  (home.parent_path() / "share" / "velorin").string()};
    std::size_t at = 0;
    for (const std::string& place : places)
    {
        at = text.find(place, at);
        EXPECT_NE(at, std::string::npos) << place << " missing or out of order in: " << text;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;

    Tree::put(tree.work() / fontFile);
    messages.str("");
    EXPECT_TRUE(findDataFiles(messages).hasFont);
    EXPECT_EQ(messages.str(), "");
}
