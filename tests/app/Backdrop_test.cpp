#include "app/App.hpp"
#include "base/ScreenSize.hpp"

#include <SFML/Graphics/Font.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

// Each screen draws its white boxes first, by their outlines alone, and its
// content afterwards. That shows what drawing everything in the screen's
// natural order would show only while no content lies where a box is (a box
// drawn last would hide it) and no box's fill covers another box's outline.
// Labels on their buttons, knobs on their tracks and particles in the
// channel lie there by design and are left out here.

namespace
{
struct Area
{
    Area(std::string what_, sf::FloatRect rect_, std::vector<const sf::Shape*> on_ = {})
        : what(std::move(what_)), rect(rect_), on(std::move(on_))
    {
    }
    std::string what;
    sf::FloatRect rect;
    std::vector<const sf::Shape*> on; // the boxes it may lie on by design
};

// A shape's fill alone, without its outline band.
sf::FloatRect fillOf(const sf::Shape& shape)
{
    const sf::FloatRect b = shape.getGlobalBounds();
    const float t = shape.getOutlineThickness();
    return {b.left + t, b.top + t, b.width - 2 * t, b.height - 2 * t};
}

sf::Vector2u pictureSize(PictureId id)
{
    static std::array<sf::Vector2u, pictureCount> sizes{};
    sf::Vector2u& size = sizes[static_cast<std::size_t>(id)];
    if (size.x == 0)
    {
        const std::filesystem::path root = VELORIN_SOURCE_DIR;
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile((root / pictureTable[static_cast<std::size_t>(id)].path).string()));
        size = image.getSize();
    }
    return size;
}

// Everything a screen draws over its backdrop that has an extent without a
// font (the texts' need the glyphs, which need a graphics context).
std::vector<Area> contentOf(Screen screen, const ScreenMetrics& m, const SliderPanel& sliders)
{
    std::vector<Area> areas;
    auto picture = [&](PictureId id)
    {
        const PictureRow& row = pictureTable[static_cast<std::size_t>(id)];
        const sf::Vector2u size = pictureSize(id);
        areas.push_back(
            Area(row.path, {scalePoint(m, row.x, row.y),
                            {size.x * m.screenWidth / referenceWidth, size.y * m.screenHeight / referenceHeight}}));
    };
    if (screen == Screen::StartPage || screen == Screen::Authors)
    {
        picture(PictureId::FirstLogo);
        picture(PictureId::SecondLogo);
    }
    if (screen == Screen::Authors)
    {
        picture(PictureId::FirstPortrait);
        picture(PictureId::SecondPortrait);
    }
    if (screen == Screen::Theory) // the picture anywhere along its scroll
    {
        const float scale = theoryScale(m);
        const sf::Vector2u size = pictureSize(PictureId::Theory);
        areas.push_back(Area("theory picture", {scaleX(m, 370), theoryLowest(m), size.x * scale,
                                                theoryTop(m) - theoryLowest(m) + size.y * scale}));
    }
    if (screen != Screen::Demonstration)
        return areas;

    sf::Font font;
    PotentialGraph graph;
    buildPotentialGraph(graph, font, m);
    areas.push_back(Area("U axis", graph.uAxis.getGlobalBounds()));
    for (const sf::RectangleShape& axis : graph.rAxes)
        areas.push_back(Area("R axis", axis.getGlobalBounds()));
    for (PotentialKind kind : {PotentialKind::Attraction, PotentialKind::Repulsion, PotentialKind::LennardJones})
        for (int c = 1; c <= 5; ++c)
        {
            recomputeCurve(graph, kind, c);
            for (const auto& group : graph.curveStrips)
                for (const sf::VertexArray& strip : group)
                    if (strip.getVertexCount() > 0)
                        areas.push_back(Area("curve, C = " + std::to_string(c), strip.getBounds()));
        }

    NumberFormatter formatNumber;
    HistogramPanel histogram;
    buildHistogramPanel(histogram, font, m, formatNumber);
    // The bars stand on the x axis and reach the top count mark at most.
    const sf::FloatRect xAxis = histogram.histogramXAxis.getGlobalBounds();
    const sf::FloatRect topMark = histogram.countTickMarks.back().getGlobalBounds();
    areas.push_back(Area("histogram", {xAxis.left, topMark.top, xAxis.width, xAxis.top + xAxis.height - topMark.top}));
    areas.push_back(Area("histogram y axis", histogram.histogramYAxis.getGlobalBounds()));
    for (const sf::RectangleShape& mark : histogram.binTickMarks)
        areas.push_back(Area("bin tick mark", mark.getGlobalBounds()));
    for (const sf::RectangleShape& mark : histogram.countTickMarks)
        areas.push_back(Area("count tick mark", mark.getGlobalBounds()));

    // A knob anywhere along its travel. The knobs come after every track in
    // any order, and reach into the outline of the track above on scaled desktops.
    std::vector<const sf::Shape*> tracks;
    for (const Slider& slider : sliders.sliders)
        tracks.push_back(&slider.track);
    for (const Slider& slider : sliders.sliders)
    {
        const sf::FloatRect knob = slider.knob.getGlobalBounds();
        const float left = scaleX(m, knobLeftmost) - slider.knob.getOutlineThickness();
        areas.push_back(Area(
            "knob travel",
            {left, knob.top, scaleX(m, knobRightmost) - scaleX(m, knobLeftmost) + knob.width, knob.height}, tracks));
    }
    return areas;
}

TEST(Backdrop, NothingDrawnAfterItLiesOnABox)
{
    constexpr struct
    {
        unsigned width, height;
    } desktops[] = {{1920, 1080},
                    {1280, 720},
                    {1024, 768},
                    {1280, 800},
                    {1366, 768},
                    {2560, 1440},
                    {smallestScreen.width, smallestScreen.height},
                    {largestScreen.width, largestScreen.height}};
    for (const auto& desktop : desktops)
    {
        const ScreenMetrics m = makeScreenMetrics(desktop.width, desktop.height);
        sf::Font font;
        Buttons buttons;
        buildButtons(buttons, font, m);
        SliderPanel sliders;
        buildSliders(sliders, font, m);
        sf::RectangleShape channel;
        makeGasChannel(channel, m);

        for (Screen screen : {Screen::StartPage, Screen::Demonstration, Screen::Theory, Screen::Authors})
        {
            const Backdrop backdrop = backdropOf(screen, buttons, sliders, channel);
            const std::string where = std::to_string(desktop.width) + "x" + std::to_string(desktop.height) +
                                      ", screen " + std::to_string(static_cast<int>(screen));
            const std::vector<Area> content = contentOf(screen, m, sliders);
            for (std::size_t i = 0; i < backdrop.size(); ++i)
            {
                const sf::FloatRect box = backdrop[i]->getGlobalBounds();
                for (std::size_t j = 0; j < backdrop.size(); ++j)
                    EXPECT_TRUE(i == j || !fillOf(*backdrop[j]).intersects(box))
                        << where << ": the fill of box " << j << " covers box " << i << "'s outline";
                for (const Area& area : content)
                    EXPECT_TRUE(std::count(area.on.begin(), area.on.end(), backdrop[i]) > 0 ||
                                !area.rect.intersects(box))
                        << where << ": " << area.what << " meets box " << i;
            }
        }
    }
}
} // namespace
