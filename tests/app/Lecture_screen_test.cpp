// A lecture through the real frame function: the desktops of lecture halls,
// the demonstration worked through its controls and velorin --record, each
// judged by what the frames draw or write (velorin --theory: the
// demonstration screen's tests).
#include "app/ShellProbes.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace probe;

namespace
{
const sf::Color blue(0, 0, 255);
const sf::Color green(0, 255, 0);

struct Size
{
    unsigned width, height;
};
std::string sizeName(const testing::TestParamInfo<Size>& info)
{
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

bool dark(sf::Color c) { return c.r + c.g + c.b < 300; }

// Runs of blue along the channel's row at reference y 140: the particles crossing it.
int particlesInTheChannel(ScreenFixture& f)
{
    const int y = f.at(0, 140).y;
    int runs = 0;
    bool was = false;
    for (int x = 0; x < static_cast<int>(f.metrics().screenWidth); ++x)
    {
        const bool isBlue = f.pixel({x, y}) == blue;
        runs += isBlue && !was;
        was = isBlue;
    }
    return runs;
}

// The dark rows of one column between two reference heights, window pixels.
std::vector<int> darkRows(ScreenFixture& f, float x, float y0, float y1)
{
    std::vector<int> rows;
    const int column = f.at(x, 0).x;
    const int last = std::min(f.at(0, y1).y, static_cast<int>(f.metrics().screenHeight) - 1);
    for (int y = f.at(0, y0).y; y <= last; ++y)
        if (dark(f.pixel({column, y})))
            rows.push_back(y);
    return rows;
}

// Pixels of a reference rectangle that differ between two frames.
int changedPixels(ScreenFixture& f, const sf::Image& before, float x, float y, float w, float h)
{
    const sf::Vector2i from = f.at(x, y), to = f.at(x + w, y + h);
    int n = 0;
    for (int py = from.y; py < to.y; ++py)
        for (int px = from.x; px < to.x; ++px)
            n += f.pixel({px, py}) != before.getPixel(static_cast<unsigned>(px), static_cast<unsigned>(py));
    return n;
}

// The channel and the three readouts, reference rectangles.
constexpr float channel[] = {0, 75, 1920, 130};
constexpr float readouts[] = {640, 695, 150, 270};
int channelChanges(ScreenFixture& f, const sf::Image& before)
{
    return changedPixels(f, before, channel[0], channel[1], channel[2], channel[3]);
}
int readoutChanges(ScreenFixture& f, const sf::Image& before)
{
    return changedPixels(f, before, readouts[0], readouts[1], readouts[2], readouts[3]);
}

// The mean difference (0 ... 1 per channel) between the frame and the theory
// picture's last lines (picture rows 1990 ... 2110, columns 40 ... 1480)
// drawn at their place: the picture at x = 370 / 1920 of the width, scaled
// by min(W / 1920, H / 1080), its bottom edge `offset` window pixels below
// the window's. Sampled at the nearest texel, so smoothing and the
// renderer's rounding leave a small difference where the lines are right.
double lastLinesDifference(ScreenFixture& f, int offset)
{
    const sf::Image picture = f.app().pages.pictures[static_cast<int>(PictureId::Theory)].texture.copyToImage();
    const double width = f.metrics().screenWidth, height = f.metrics().screenHeight;
    const double s = std::min(width / 1920.0, height / 1080.0);
    const double left = width * 370.0 / 1920.0, top = height + offset - picture.getSize().y * s;
    double sum = 0;
    long n = 0;
    const int last = std::min(static_cast<int>(top + 2110 * s), static_cast<int>(height));
    for (int y = static_cast<int>(top + 1990 * s) + 1; y < last; ++y)
        for (int x = static_cast<int>(left + 40 * s) + 1; x < static_cast<int>(left + 1480 * s); ++x)
        {
            const sf::Color seen = f.pixel({x, y});
            const sf::Color want = picture.getPixel(static_cast<unsigned>((x + 0.5 - left) / s),
                                                    static_cast<unsigned>((y + 0.5 - top) / s));
            sum += std::abs(seen.r - want.r) + std::abs(seen.g - want.g) + std::abs(seen.b - want.b);
            n += 3;
        }
    return sum / (255.0 * static_cast<double>(n));
}

void clickAt(ScreenFixture& f, float x, float y)
{
    f.click(f.at(x, y));
    f.moveTo(nowhere(f));
}

// Projectors of 4:3, 16:10 and 16:9 and a wall screen: every screen shows
// from the menu, and the theory thumb dragged to the end of its track brings
// the picture's last lines to the window's bottom edge.
class LectureHallDesktop : public testing::TestWithParam<Size>
{
};

TEST_P(LectureHallDesktop, EveryScreenAndTheTheorysLastLines)
{
    ScreenFixture f(GetParam().width, GetParam().height);
    for (Screen screen : {Screen::Demonstration, Screen::Authors, Screen::Theory})
    {
        show(f, screen);
        EXPECT_EQ(f.app().screen, screen);
    }
    const ScreenMetrics& m = f.metrics();
    const int x = f.at(1886, 0).x;
    const int grabY = static_cast<int>(theoryTop(m)) + 10;
    const int endY = static_cast<int>(theoryBottom(m) + (grabY - theoryTop(m)));
    f.press({x, grabY});
    for (int step = 1; step <= 12; ++step)
        f.moveTo({x, grabY + (endY - grabY) * step / 12});
    f.release({x, endY});

    const float height = static_cast<float>(m.screenHeight);
    const float pictureBottom = f.app().pages.scroll.imageY + theoryPictureHeight * theoryScale(m);
    EXPECT_GE(pictureBottom, height - 0.01f) << "the picture ends above the window's bottom edge";
    EXPECT_LE(pictureBottom, height + 3.0f) << "the picture's last lines are below the window";
    // The picture's last lines on the screen, within two pixels of the
    // thumb's rounding: where they are, the difference is at most 0.03 (the
    // smoothing of a scaled picture); two pixels off, it is over 0.05.
    double closest = 1.0;
    for (int offset : {0, 1, 2})
        closest = std::min(closest, lastLinesDifference(f, offset));
    EXPECT_LT(closest, 0.04) << "the frame does not show the picture's last lines at the bottom edge";
}

INSTANTIATE_TEST_SUITE_P(Projectors, LectureHallDesktop,
                         testing::Values(Size{1024, 768}, Size{1280, 720}, Size{1280, 800}, Size{1366, 768},
                                         Size{1920, 1080}, Size{2560, 1440}),
                         sizeName);

// A theory picture that did not load leaves its sprite empty; the page
// scrolls all the same: ten wheel steps of 20 pixels move the thumb by
// about 167 reference pixels.
TEST(TheoryPage, ScrollsWithoutItsPicture)
{
    ScreenFixture f;
    f.app().pages.pictures[static_cast<int>(PictureId::Theory)].sprite = sf::Sprite();
    show(f, Screen::Theory);
    const float before = f.app().pages.thumb.getPosition().y;
    const sf::Vector2i pointer = nowhere(f);
    f.frame(pointer, std::vector<sf::Event>(10, ScreenFixture::wheelScrolled(-1.0f, pointer)));
    EXPECT_NEAR(f.app().pages.thumb.getPosition().y - before, 167.0f, 2.0f);
}

// The demonstration worked as a lecturer works it: reset, each potential's
// plot, the count knob down to two, and Start.
class DemonstrationWorked : public testing::TestWithParam<Size>
{
};

TEST_P(DemonstrationWorked, ResetPotentialsTwoParticlesAndStart)
{
    ScreenFixture f(GetParam().width, GetParam().height);
    show(f, Screen::Demonstration);
    f.run(300);
    EXPECT_EQ(particlesInTheChannel(f), 15);
    sf::Image before = f.image();
    f.run(3000); // from rest the spread grows slowly: sigma's last digit moves within seconds
    EXPECT_GT(channelChanges(f, before), 0) << "the gas does not move";
    EXPECT_GT(readoutChanges(f, before), 0) << "the readouts do not change while running";

    clickAt(f, 200, 742); // "Пауза"
    before = f.image();
    f.run(500);
    EXPECT_EQ(channelChanges(f, before), 0) << "the gas moves while paused";
    EXPECT_EQ(readoutChanges(f, before), 0) << "the readouts change while paused";

    clickAt(f, 200, 812); // "Сброс"
    EXPECT_EQ(f.countPixels(blue, 0, 75, 1920, 130), 0) << "particles remain after Reset";
    EXPECT_EQ(f.countPixels(green, 800, 640, 900, 390), 0) << "histogram bars remain after Reset";
    // The left outlines of the count box and of the Start button: the controls stay.
    EXPECT_TRUE(dark(f.pixel({f.at(20, 322).x - 1, f.at(20, 322).y})) &&
                dark(f.pixel({f.at(20, 672).x - 1, f.at(20, 672).y})))
        << "the controls vanished with Reset";

    // Each potential's R axis at its own height in the column between the U
    // axis and every curve, and (but for the zero potential) a curve in a
    // column where every curve is steep.
    struct Plot
    {
        const char* name;
        float buttonY, axisY;
        bool curve;
    };
    for (Plot plot : {Plot{"attraction", 322, 340, true}, Plot{"repulsion", 392, 690, true},
                      Plot{"Lennard-Jones", 462, 530, true}, Plot{"zero", 532, 690, false}})
    {
        SCOPED_TRACE(plot.name);
        clickAt(f, 1080, plot.buttonY);
        const int want = f.at(0, plot.axisY).y;
        const std::vector<int> axis = darkRows(f, 1362, 300, 700);
        ASSERT_FALSE(axis.empty());
        EXPECT_GE(axis.front() - want, -1);
        EXPECT_LE(axis.front() - want, 2);
        int curve = 0;
        for (int row : darkRows(f, 1385, 300, 680))
            curve += row < want - 1 || row > want + 5;
        EXPECT_EQ(curve > 0, plot.curve) << curve << " curve pixels";
    }

    // The count knob dragged to its left end (its left edge at 460): two particles.
    const sf::Vector2i grab = f.at(615, 310);
    f.press(grab);
    f.moveTo({grab.x - f.at(583, 0).x + f.at(460, 0).x, grab.y});
    f.release({grab.x - f.at(583, 0).x + f.at(460, 0).x, grab.y});
    clickAt(f, 200, 672); // "Старт"
    f.run(500);
    EXPECT_EQ(particlesInTheChannel(f), 2);
    EXPECT_GT(f.countPixels(green, 800, 640, 900, 390), 0) << "no histogram bars after Start";
    // With one gap sigma and sigma / E stay 0; E moves with the gap.
    before = f.image();
    f.run(3000); // the gap drifts slowly at T = 25: E's last digit moves within two seconds
    EXPECT_GT(readoutChanges(f, before), 0) << "the readouts do not change after Start";
}

INSTANTIATE_TEST_SUITE_P(Desktops, DemonstrationWorked, testing::Values(Size{1920, 1080}, Size{1280, 720}), sizeName);

std::vector<std::vector<std::string>> csvRows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
    {
        rows.emplace_back();
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            rows.back().push_back(field);
    }
    return rows;
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// velorin --record: one row per refresh of the readouts once they are shown,
// each on disk as soon as written (read here while the record is still
// open: a kill would lose none), none while paused, and the last row holds
// what the readouts show.
TEST(RecordOption, RowsFollowTheReadoutsAndStopWithPause)
{
    const std::string path = testing::TempDir() + "velorin-lecture-record.csv";
    std::remove(path.c_str());
    std::ostringstream quiet;
    ScreenFixture f;
    f.app().record = openReadoutRecord(path, quiet);
    ASSERT_TRUE(f.app().record.recording()) << quiet.str();
    f.run(1000); // on the start page, the gas running unseen
    show(f, Screen::Demonstration);
    f.run(2000);
    clickAt(f, 200, 742); // "Пауза"
    const std::string atPause = fileText(path);
    f.run(1000);
    EXPECT_EQ(fileText(path), atPause) << "rows were recorded while paused";
    EXPECT_EQ(quiet.str(), "");

    const auto rows = csvRows(atPause);
    ASSERT_GT(rows.size(), 10u);
    const std::vector<std::string>& header = rows.front();
    ASSERT_EQ(header.size(), 26u);
    EXPECT_EQ(header[0], "time_s");
    EXPECT_EQ(header[7], "E");
    EXPECT_EQ(header[9], "sigma_over_E");
    EXPECT_EQ(header[25], "bin15");
    EXPECT_GE(std::stod(rows[1][0]), 1.0) << "a row recorded before the readouts were shown";
    for (std::size_t i = 1; i < rows.size(); ++i)
    {
        ASSERT_EQ(rows[i].size(), header.size()) << "row " << i;
        if (i > 1)
        {
            EXPECT_GT(std::stod(rows[i][0]), std::stod(rows[i - 1][0])) << "row " << i << " out of time order";
        }
    }
    const std::vector<std::string>& last = rows.back();
    EXPECT_EQ((std::vector<std::string>(last.begin() + 1, last.begin() + 7)),
              (std::vector<std::string>{"zero", "15", "22", "25", "25", "1"}));
    const HistogramPanel& shown = f.app().histogram;
    EXPECT_EQ(last[7], shown.meanText.getString().toAnsiString());
    EXPECT_EQ(last[8], shown.sigmaText.getString().toAnsiString());
    EXPECT_EQ(last[9], shown.ratioText.getString().toAnsiString());
    std::remove(path.c_str());
}
} // namespace
