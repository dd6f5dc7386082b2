// Every screen, pixel for pixel, against reference pictures in
// tests/reference/: a change to how a screen is drawn must not change what it
// shows. VELORIN_WRITE_REFERENCES=1 writes the references instead. On a
// mismatch the actual picture and a difference picture (differing pixels red)
// go to pixel-diffs/ in the working directory.

#include "app/ShellProbes.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace probe;

namespace
{
namespace fs = std::filesystem;

// Multisampled as the program's window: it asks level 8 and gets the most
// the renderer grants (llvmpipe: 4), which a render texture must ask exactly.
unsigned windowAntialiasing() { return std::min(8u, sf::RenderTexture::getMaximumAntialiasingLevel()); }

// Fixed seed and frame times.
constexpr double frameMs = 16.0;
constexpr int runningFrames = 60; // about a second of gas: particles spread, bars and readouts filled

// From the source folder the build names: under ccache's base folder
// __FILE__ is relative to the compiler's folder, not the test's.
fs::path referenceDir() { return fs::path(VELORIN_SOURCE_DIR) / "tests" / "reference"; }

bool writingReferences()
{
    const char* value = std::getenv("VELORIN_WRITE_REFERENCES");
    return value && std::string(value) == "1";
}

enum class Scene
{
    Start,
    AuthorsMenuHovered,
    TheoryScrolled,
    Running,
    PausedStartHovered,
    Stopped,
};

struct Case
{
    unsigned width, height;
    const char* name;
    Scene scene;
    ButtonId law;              // the potential button pressed before the run
    bool theory = false;       // velorin --theory
    const char* language = ""; // velorin --language; empty: Russian
};

// Each law running at one size and paused at the other, to keep the
// references few.
constexpr Case cases[] = {
    {1920, 1080, "start", Scene::Start, ButtonId::ZeroPotential},
    {1920, 1080, "authors", Scene::AuthorsMenuHovered, ButtonId::ZeroPotential},
    {1920, 1080, "theory-scrolled", Scene::TheoryScrolled, ButtonId::ZeroPotential},
    {1920, 1080, "zero-running", Scene::Running, ButtonId::ZeroPotential},
    {1920, 1080, "attraction-paused", Scene::PausedStartHovered, ButtonId::Attraction},
    {1920, 1080, "repulsion-running", Scene::Running, ButtonId::Repulsion},
    {1920, 1080, "lennard-jones-paused", Scene::PausedStartHovered, ButtonId::LennardJones},
    {1920, 1080, "stopped", Scene::Stopped, ButtonId::ZeroPotential},
    {1280, 720, "start", Scene::Start, ButtonId::ZeroPotential},
    {1280, 720, "authors", Scene::AuthorsMenuHovered, ButtonId::ZeroPotential},
    {1280, 720, "theory-scrolled", Scene::TheoryScrolled, ButtonId::ZeroPotential},
    {1280, 720, "zero-paused", Scene::PausedStartHovered, ButtonId::ZeroPotential},
    {1280, 720, "attraction-running", Scene::Running, ButtonId::Attraction},
    {1280, 720, "repulsion-paused", Scene::PausedStartHovered, ButtonId::Repulsion},
    {1280, 720, "lennard-jones-running", Scene::Running, ButtonId::LennardJones},
    {1280, 720, "stopped", Scene::Stopped, ButtonId::ZeroPotential},
    {1920, 1080, "zero-theory-running", Scene::Running, ButtonId::ZeroPotential, true},
    {1280, 720, "zero-theory-running", Scene::Running, ButtonId::ZeroPotential, true},
    // velorin --language en: every screen at both sizes, the demonstration
    // with the theory's captions.
    {1920, 1080, "start", Scene::Start, ButtonId::ZeroPotential, false, "en"},
    {1920, 1080, "authors", Scene::AuthorsMenuHovered, ButtonId::ZeroPotential, false, "en"},
    {1920, 1080, "theory-scrolled", Scene::TheoryScrolled, ButtonId::ZeroPotential, false, "en"},
    {1920, 1080, "zero-theory-running", Scene::Running, ButtonId::ZeroPotential, true, "en"},
    {1280, 720, "start", Scene::Start, ButtonId::ZeroPotential, false, "en"},
    {1280, 720, "authors", Scene::AuthorsMenuHovered, ButtonId::ZeroPotential, false, "en"},
    {1280, 720, "theory-scrolled", Scene::TheoryScrolled, ButtonId::ZeroPotential, false, "en"},
    {1280, 720, "zero-theory-running", Scene::Running, ButtonId::ZeroPotential, true, "en"},
};

std::string fileName(const Case& c)
{
    return std::string(*c.language ? std::string(c.language) + "-" : "") + c.name + "-" + std::to_string(c.width) +
           "x" + std::to_string(c.height) + ".png";
}

void PrintTo(const Case& c, std::ostream* os) { *os << fileName(c); }

// The demonstration with the chosen law, set up anew and run for a while.
void runLaw(ScreenFixture& f, ButtonId law)
{
    show(f, Screen::Demonstration);
    f.click(inside(f, ButtonId::Pause));
    f.click(inside(f, law));
    f.click(inside(f, ButtonId::Start));
    f.moveTo(nowhere(f));
    f.run(runningFrames * frameMs, frameMs);
}

void stage(ScreenFixture& f, const Case& c)
{
    switch (c.scene)
    {
    case Scene::Start: f.run(3 * frameMs, frameMs); break;
    case Scene::AuthorsMenuHovered:
        show(f, Screen::Authors);
        f.moveTo(inside(f, ButtonId::MenuTheory));
        break;
    case Scene::TheoryScrolled:
        show(f, Screen::Theory);
        f.frame(nowhere(f), std::vector<sf::Event>(25, ScreenFixture::wheelScrolled(-1.0f, nowhere(f))));
        break;
    case Scene::Running: runLaw(f, c.law); break;
    case Scene::PausedStartHovered:
        runLaw(f, c.law);
        f.click(inside(f, ButtonId::Pause));
        f.moveTo(inside(f, ButtonId::Start));
        f.run(3 * frameMs, frameMs);
        break;
    case Scene::Stopped:
        runLaw(f, c.law);
        f.click(inside(f, ButtonId::Reset));
        f.moveTo(nowhere(f));
        break;
    }
}

// Differing pixels red over a faded copy of the reference.
sf::Image differenceImage(const sf::Image& reference, const sf::Image& actual, long& differing)
{
    const sf::Vector2u size = reference.getSize();
    sf::Image diff;
    diff.create(size.x, size.y);
    differing = 0;
    for (unsigned y = 0; y < size.y; ++y)
        for (unsigned x = 0; x < size.x; ++x)
        {
            const sf::Color r = reference.getPixel(x, y);
            if (r != actual.getPixel(x, y))
            {
                ++differing;
                diff.setPixel(x, y, sf::Color::Red);
                continue;
            }
            const auto fade = [](sf::Uint8 v) { return static_cast<sf::Uint8>(192 + v / 4); };
            diff.setPixel(x, y, sf::Color(fade(r.r), fade(r.g), fade(r.b)));
        }
    return diff;
}

class ScreenPixels : public ::testing::TestWithParam<Case>
{
};

TEST_P(ScreenPixels, MatchesTheReference)
{
    const Case& c = GetParam();
    ScreenFixture f(c.width, c.height, 7, windowAntialiasing(), c.language);
    if (c.theory)
        enableTheory(f.app());
    stage(f, c);

    const std::string file = fileName(c);
    const fs::path referencePath = referenceDir() / file;
    const sf::Image& actual = f.image();
    if (writingReferences())
    {
        fs::create_directories(referenceDir());
        ASSERT_TRUE(actual.saveToFile(referencePath.string()));
        return;
    }

    sf::Image reference;
    ASSERT_TRUE(reference.loadFromFile(referencePath.string()))
        << "no reference " << referencePath << "; VELORIN_WRITE_REFERENCES=1 writes it";
    ASSERT_EQ(reference.getSize(), actual.getSize());
    long differing = 0;
    const sf::Image diff = differenceImage(reference, actual, differing);
    // The single pixels other tests read are the frame's too.
    for (unsigned y = 0; y < c.height; y += 7)
        for (unsigned x = 0; x < c.width; x += 7)
            if (f.pixel({static_cast<int>(x), static_cast<int>(y)}) != actual.getPixel(x, y))
                FAIL() << "pixel (" << x << ", " << y << ") is not the frame's";
    if (differing == 0)
        return;
    const fs::path out = fs::current_path() / "pixel-diffs";
    fs::create_directories(out);
    const fs::path actualPath = out / file;
    const fs::path diffPath = out / ("diff-" + file);
    (void)actual.saveToFile(actualPath.string());
    (void)diff.saveToFile(diffPath.string());
    ADD_FAILURE() << differing << " pixels differ from " << referencePath << "; actual " << actualPath
                  << ", difference " << diffPath;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    std::string name = fileName(info.param);
    name.resize(name.size() - 4);
    std::replace_if(
        name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryScreen, ScreenPixels, ::testing::ValuesIn(cases), caseName);
} // namespace
