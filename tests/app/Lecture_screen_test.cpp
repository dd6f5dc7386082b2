// A lecture through the real frame function: the desktops of lecture halls,
// the demonstration worked through its controls, velorin --theory and
// velorin --record, each judged by what the frames draw or write.
#include "app/ShellProbes.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace probe;

namespace
{
const sf::Color blue(0, 0, 255);
const sf::Color green(0, 255, 0);
const sf::Color theoryRed(200, 0, 0);

struct Size
{
    unsigned width, height;
};
std::string sizeName(const testing::TestParamInfo<Size>& info)
{
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

bool dark(sf::Color c) { return c.r + c.g + c.b < 300; }

// Pixels of exactly `colour` in a reference rectangle.
int countColour(ScreenFixture& f, sf::Color colour, float x, float y, float w, float h)
{
    const sf::Vector2i from = f.at(x, y), to = f.at(x + w, y + h);
    int n = 0;
    for (int py = from.y; py < to.y; ++py)
        for (int px = from.x; px < to.x; ++px)
            n += f.pixel({px, py}) == colour;
    return n;
}

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
    for (int y = f.at(0, y0).y; y <= f.at(0, y1).y; ++y)
        if (dark(f.pixel({column, y})))
            rows.push_back(y);
    return rows;
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
    // The thumb's bottom outline on the window's last rows.
    const std::vector<int> rows = darkRows(f, 1886, 1000, 1079);
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.back(), static_cast<int>(m.screenHeight) - 3);
}

INSTANTIATE_TEST_SUITE_P(Projectors, LectureHallDesktop,
                         testing::Values(Size{1024, 768}, Size{1280, 800}, Size{1366, 768}, Size{2560, 1440}),
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

    clickAt(f, 200, 812); // "Сброс"
    EXPECT_EQ(countColour(f, blue, 0, 75, 1920, 130), 0) << "particles remain after Reset";
    EXPECT_EQ(countColour(f, green, 800, 640, 900, 390), 0) << "histogram bars remain after Reset";

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
    EXPECT_GT(countColour(f, green, 800, 640, 900, 390), 0) << "no histogram bars after Start";
}

INSTANTIATE_TEST_SUITE_P(Desktops, DemonstrationWorked, testing::Values(Size{1920, 1080}, Size{1280, 720}), sizeName);

// velorin --theory: the red marks over the histogram and the red values
// under the readouts come with the free gas; without it neither is drawn.
TEST(TheoryOption, MarksAndValuesWithTheFreeGas)
{
    for (Size size : {Size{1920, 1080}, Size{1280, 720}})
        for (bool enabled : {false, true})
        {
            SCOPED_TRACE(testing::Message() << size.width << "x" << size.height << (enabled ? " --theory" : ""));
            ScreenFixture f(size.width, size.height);
            if (enabled)
                enableTheory(f.app());
            show(f, Screen::Demonstration);
            f.run(300);
            EXPECT_EQ(countColour(f, theoryRed, 806, 643, 890, 395) > 0, enabled) << "marks over the histogram";
            EXPECT_EQ(countColour(f, theoryRed, 400, 990, 395, 40) > 0, enabled) << "values under the readouts";
        }
}

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

// velorin --record: one row per refresh of the readouts once they are shown,
// none while paused, and the last row holds what the readouts show.
TEST(RecordOption, RowsFollowTheReadoutsAndStopWithPause)
{
    ScreenFixture f;
    auto sink = std::make_unique<std::ostringstream>();
    const std::ostringstream& written = *sink;
    f.app().record = ReadoutRecord(std::move(sink), "lecture.csv");
    f.run(1000); // on the start page, the gas running unseen
    show(f, Screen::Demonstration);
    f.run(2000);
    clickAt(f, 200, 742); // "Пауза"
    const std::string atPause = written.str();
    f.run(1000);
    EXPECT_EQ(written.str(), atPause) << "rows were recorded while paused";

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
            EXPECT_GT(std::stod(rows[i][0]), std::stod(rows[i - 1][0])) << "row " << i << " out of time order";
    }
    const std::vector<std::string>& last = rows.back();
    EXPECT_EQ((std::vector<std::string>(last.begin() + 1, last.begin() + 7)),
              (std::vector<std::string>{"zero", "15", "22", "25", "25", "1"}));
    const HistogramPanel& shown = f.app().histogram;
    EXPECT_EQ(last[7], shown.meanText.getString().toAnsiString());
    EXPECT_EQ(last[8], shown.sigmaText.getString().toAnsiString());
    EXPECT_EQ(last[9], shown.ratioText.getString().toAnsiString());
}
} // namespace
