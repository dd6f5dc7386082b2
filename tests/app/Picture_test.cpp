#include "app/Pages.hpp"

#include <gtest/gtest.h>

namespace
{
bool opaque(const sf::Image& image)
{
    return isOpaque(image.getPixelsPtr(), std::size_t{image.getSize().x} * image.getSize().y);
}
} // namespace

// Pictures without any see-through pixel are drawn without blending; one
// pixel short of full alpha must keep the blending.
TEST(Picture, OpaqueOnlyWhenEveryPixelIsAtFullAlpha)
{
    sf::Image image;
    image.create(3, 2, sf::Color(10, 20, 30));
    EXPECT_TRUE(opaque(image));

    image.setPixel(2, 1, sf::Color(10, 20, 30, 254));
    EXPECT_FALSE(opaque(image));

    image.setPixel(2, 1, sf::Color::White);
    image.setPixel(0, 0, sf::Color::Transparent);
    EXPECT_FALSE(opaque(image));
}
