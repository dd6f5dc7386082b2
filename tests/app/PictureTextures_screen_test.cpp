#include "app/Pages.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <iostream>

// Each texture holds its file's pixels exactly, the last, shorter strip of
// rows included, and the sprite shows the whole texture.
TEST(PictureTextures, HoldEveryPixelOfTheirFiles)
{
    StaticPages pages;
    const ScreenMetrics metrics = makeScreenMetrics(1280, 720);
    loadPictures(pages, metrics, {}, std::cerr);
    for (int i = 0; i < pictureCount; ++i)
    {
        const char* path = pictureTable[static_cast<std::size_t>(i)].path;
        sf::Image file;
        ASSERT_TRUE(file.loadFromFile(path)) << path;
        const Picture& picture = pages.pictures[static_cast<std::size_t>(i)];
        const sf::Image shown = picture.texture.copyToImage();
        ASSERT_EQ(shown.getSize(), file.getSize()) << path;
        const std::size_t bytes = std::size_t{4} * file.getSize().x * file.getSize().y;
        EXPECT_EQ(std::memcmp(shown.getPixelsPtr(), file.getPixelsPtr(), bytes), 0) << path;
        EXPECT_EQ(picture.sprite.getTextureRect(),
                  sf::IntRect(0, 0, static_cast<int>(file.getSize().x), static_cast<int>(file.getSize().y)));
        EXPECT_EQ(picture.opaque, isOpaque(file.getPixelsPtr(), bytes / 4)) << path;
    }
}
