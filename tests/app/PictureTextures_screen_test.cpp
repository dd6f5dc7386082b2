#include "app/Pages.hpp"
#include "support/Frames.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace
{
void expectTextureHoldsImage(const Picture& picture, const sf::Image& file, const std::string& path)
{
    const sf::Image shown = picture.texture.copyToImage();
    ASSERT_EQ(shown.getSize(), file.getSize()) << path;
    const std::size_t bytes = std::size_t{4} * file.getSize().x * file.getSize().y;
    EXPECT_EQ(std::memcmp(shown.getPixelsPtr(), file.getPixelsPtr(), bytes), 0) << path;
    EXPECT_EQ(picture.sprite.getTextureRect(),
              sf::IntRect(0, 0, static_cast<int>(file.getSize().x), static_cast<int>(file.getSize().y)));
    EXPECT_EQ(picture.opaque, isOpaque(file.getPixelsPtr(), bytes / 4)) << path;
}
} // namespace

// Each texture holds its file's pixels exactly, the last, shorter strip of
// rows included, and the sprite shows the whole texture. The program's
// files have no alpha (decoded as RGB, given alpha strip by strip); one
// with a see-through pixel is decoded as RGBA and keeps its blending.
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
        expectTextureHoldsImage(pages.pictures[static_cast<std::size_t>(i)], file, path);
    }

    const std::filesystem::path root = std::filesystem::path(testing::TempDir()) / "velorin-alpha-pictures";
    std::filesystem::create_directories(root / "images");
    sf::Image seeThrough;
    seeThrough.create(70, 130, sf::Color::White);
    seeThrough.setPixel(3, 5, sf::Color(10, 20, 30));
    seeThrough.setPixel(69, 129, sf::Color(255, 255, 255, 128));
    const std::string theoryPath = (root / pictureTable[static_cast<int>(PictureId::Theory)].path).string();
    ASSERT_TRUE(seeThrough.saveToFile(theoryPath));
    std::ostringstream messages; // the other four are missing
    loadPictures(pages, metrics, root, messages);
    const Picture& theory = pages.pictures[static_cast<int>(PictureId::Theory)];
    expectTextureHoldsImage(theory, seeThrough, theoryPath);
    EXPECT_FALSE(theory.opaque);
    EXPECT_EQ(theory.ink[5].first, 3);
    EXPECT_EQ(theory.ink[5].last, 3);
    EXPECT_EQ(theory.ink[129].first, 69); // white, but not opaque
    EXPECT_GT(theory.ink[0].first, theory.ink[0].last);
    std::filesystem::remove_all(root);
}

// The theory picture drawn band by band where it has ink looks exactly as
// the picture drawn whole: at the scales of 1920 x 1080 (unsmoothed), 1280 x
// 720, 1024 x 768 and a small window, scrolled to whole and fractional rows,
// with ink at the picture's edges, single texels, and white gaps of one to
// many rows and columns.
TEST(TheoryInkBands, LookAsThePictureDrawnWhole)
{
    sf::Image paper;
    paper.create(150, 240, sf::Color::White);
    const sf::Color ink(40, 60, 200);
    for (unsigned x = 0; x < 150; x += 149)
        for (unsigned y = 0; y < 240; y += 239)
            paper.setPixel(x, y, ink); // the four corners
    for (unsigned y = 30; y < 240; y += 9 + y % 7)
        for (unsigned x = (y * 37) % 120; x < 150; x += 31 + y % 5)
            paper.setPixel(x, y, sf::Color(static_cast<sf::Uint8>(y), 0, static_cast<sf::Uint8>(x)));

    StaticPages pages;
    Picture& picture = pages.pictures[static_cast<int>(PictureId::Theory)];
    ASSERT_TRUE(picture.texture.loadFromImage(paper));
    picture.sprite.setTexture(picture.texture, true);
    picture.opaque = false;
    picture.ink = inkSpans(paper.getPixelsPtr(), paper.getSize());

    sf::RenderTexture target;
    ASSERT_TRUE(makeWindowLikeTarget(target, 180, 200));
    struct Placement
    {
        float scale;
        sf::Vector2f origin;
    };
    const Placement placements[] = {
        {1.0f, {20, 10}},
        {1.0f, {20, -57.37f}},
        {2.0f / 3, {13.33f, 46.67f}},
        {2.0f / 3, {13.33f, -80.41f}},
        {1024.0f / 1920, {11.2f, 3.5f}},
        {0.4f, {7.9f, 30.61f}},
    };
    long bandRows = 0, pictureRows = 0;
    for (bool opaque : {false, true})
        for (const Placement& p : placements)
        {
            picture.opaque = opaque;
            picture.sprite.setPosition(p.origin);
            picture.sprite.setScale(p.scale, p.scale);
            picture.texture.setSmooth(p.scale != 1.0f);
            const sf::Image whole = renderFrame(
                target, [&](sf::RenderTarget& t)
                { t.draw(picture.sprite, opaque ? sf::RenderStates(sf::BlendNone) : sf::RenderStates::Default); });
            const sf::Image banded = renderFrame(target, [&](sf::RenderTarget& t) { drawTheoryPicture(t, pages); });
            EXPECT_TRUE(samePixels(whole, banded)) << "scale " << p.scale << ", top " << p.origin.y;

            for (const InkBand& band : inkBands(picture.ink, p.origin, picture.sprite.getScale(), 200))
                bandRows += band.bottom - band.top;
            const sf::FloatRect shown = picture.sprite.getGlobalBounds();
            pictureRows += std::lround(std::min(shown.top + shown.height, 200.0f) - std::max(shown.top, 0.0f));
        }
    // The bands leave out white rows, or the test would prove nothing.
    EXPECT_LT(bandRows, pictureRows * 3 / 4);
}
