#include "app/Pages.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

// Pictures without any see-through pixel are drawn without blending; one
// pixel short of full alpha must keep the blending.
TEST(Picture, OpaqueOnlyWhenEveryPixelIsAtFullAlpha)
{
    sf::Image image;
    image.create(3, 2, sf::Color(10, 20, 30));
    EXPECT_TRUE(isOpaque(image));

    image.setPixel(2, 1, sf::Color(10, 20, 30, 254));
    EXPECT_FALSE(isOpaque(image));

    image.setPixel(2, 1, sf::Color::White);
    image.setPixel(0, 0, sf::Color::Transparent);
    EXPECT_FALSE(isOpaque(image));
}

// What of an opaque picture is drawn on the white page: the tiles holding a
// texel other than opaque white, or lying within one texel of one (a
// smoothed picture mixes neighbours), joined along each band.
TEST(Picture, InkRunsCoverEveryTexelNotWhiteAndItsNeighbours)
{
    struct Case
    {
        const char* what;
        std::vector<std::pair<unsigned, unsigned>> ink; // texels of 40 x 20, 16-texel tiles
        sf::Color colour;
        std::vector<sf::IntRect> runs;
    };
    const Case cases[] = {
        {"all white", {}, sf::Color::Black, {}},
        {"inside a tile", {{8, 8}}, sf::Color::Black, {{0, 0, 16, 16}}},
        {"first texel of a tile: the tile before too", {{16, 5}}, sf::Color::Black, {{0, 0, 32, 16}}},
        {"last texel of a tile: the band below too", {{20, 15}}, sf::Color::Black, {{16, 0, 16, 16}, {16, 16, 16, 4}}},
        {"the partial last tile", {{39, 19}}, sf::Color::Black, {{32, 16, 8, 4}}},
        {"white not quite opaque", {{8, 8}}, sf::Color(255, 255, 255, 254), {{0, 0, 16, 16}}},
        {"two tiles apart, two runs", {{2, 2}, {36, 2}}, sf::Color::Black, {{0, 0, 16, 16}, {32, 0, 8, 16}}},
    };
    for (const Case& c : cases)
    {
        sf::Image image;
        image.create(40, 20, sf::Color::White);
        for (const auto& [x, y] : c.ink)
            image.setPixel(x, y, c.colour);
        EXPECT_EQ(inkRuns(image.getPixelsPtr(), image.getSize(), 16), c.runs) << c.what;
    }
}
