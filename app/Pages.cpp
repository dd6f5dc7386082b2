#include "app/Pages.hpp"
#include "app/LibraryMessages.hpp"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ostream>

float theoryTop(const ScreenMetrics& m) { return scaleY(m, 70.0f); }

// 1080 minus the thumb's height of 64.
float theoryBottom(const ScreenMetrics& m) { return scaleY(m, 1016.0f); }

float theoryScale(const ScreenMetrics& m)
{
    return std::min(m.screenWidth / referenceWidth, m.screenHeight / referenceHeight);
}

// A picture shorter than the room below the top of the page does not scroll.
float theoryLowest(const ScreenMetrics& m)
{
    return std::min(theoryTop(m), m.screenHeight - theoryPictureHeight * theoryScale(m));
}

namespace
{
// Reference pixels: the left edge of the theory page's scrollbar.
constexpr float scrollbarLeft = 1854.0f;

// The thumb's travel in window pixels (946 reference pixels).
float thumbSpan(const ScreenMetrics& m) { return m.screenHeight - scaleY(m, 64.0f) - theoryTop(m); }

// Image pixels moved per thumb pixel; negative, since the image rises as the thumb falls.
float imagePerThumb(const ScreenMetrics& m) { return (theoryLowest(m) - theoryTop(m)) / thumbSpan(m); }
} // namespace

TheoryScroll initialTheoryScroll(const ScreenMetrics& m)
{
    TheoryScroll scroll;
    scroll.imageY = theoryTop(m);
    scroll.thumbY = theoryTop(m);
    return scroll;
}

float imageYForThumb(float thumbY, const ScreenMetrics& m)
{
    const float top = theoryTop(m);
    if (thumbY < top)
        return top;
    const float lowest = theoryLowest(m);
    if (thumbY > theoryBottom(m))
        return lowest;
    const float span = thumbSpan(m);
    return top - (top - lowest) / span * thumbY - (lowest - top) / span * top;
}

float thumbYForImage(float imageY, const ScreenMetrics& m)
{
    const float top = theoryTop(m);
    const float k = imagePerThumb(m);
    return (imageY - (top - k * top)) / k;
}

bool scrollTheory(TheoryScroll& scroll, float delta, const ScreenMetrics& m)
{
    const float step = 20.0f * theoryScale(m);
    // Steps of a fractional size gather single-precision rounding: a page
    // scrolled down and back up must still get to its top. Whole steps need
    // no such slack, and at the natural size a step past a limit is refused
    // however little it overshoots.
    const float rounding = step == std::floor(step) ? 0.0f : step * 1e-4f;
    const float top = theoryTop(m);
    const float lowest = theoryLowest(m);
    if (delta > 0 && scroll.imageY + step <= top + rounding)
        scroll.imageY = std::min(scroll.imageY + step, top);
    else if (delta < 0 && scroll.imageY - step >= lowest - rounding)
        scroll.imageY = std::max(scroll.imageY - step, lowest);
    else
        return false;
    scroll.thumbY = thumbYForImage(scroll.imageY, m);
    return true;
}

void dragTheoryThumb(TheoryScroll& scroll, float pointerY, const ScreenMetrics& m)
{
    const float candidate = pointerY - scroll.grabOffset;
    if (theoryTop(m) <= candidate && candidate <= theoryBottom(m))
        scroll.thumbY = candidate;
    scroll.imageY = imageYForThumb(scroll.thumbY, m);
}

void buildStaticPages(StaticPages& pages, const sf::Font& font, const ScreenMetrics& m)
{
    for (int i = 0; i < pageTextCount; ++i)
    {
        const PageTextRow& row = pageTextTable[static_cast<std::size_t>(i)];
        makeText(pages.texts[i], font, row.text, row.x, row.y, m);
    }
    sf::Text& title = pages.texts[static_cast<int>(PageTextId::Title)];
    title.setOutlineThickness(1.0f);
    title.setOutlineColor(sf::Color::Black);

    // The track is as tall as the screen, so it runs 70 reference pixels below the bottom edge.
    makeBox(pages.scrollTrack, scrollbarLeft, 70, 64, 1080, m);
    makePentagon(pages.thumb, scrollbarLeft, 70, m);
    pages.scroll = initialTheoryScroll(m);
    placeTheory(pages, m);
}

bool isOpaque(const std::uint8_t* rgba, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        if (rgba[4 * i + 3] != 255)
            return false;
    }
    return true;
}

namespace
{
// The texture of a whole image, handed over a strip of rows at a time: the
// driver copies what it is given before storing it, and a copy of the whole
// theory picture would add 12 MB to the peak memory.
bool uploadInStrips(sf::Texture& texture, const DecodedPicture& picture)
{
    constexpr unsigned stripRows = 64;
    const sf::Vector2u size = picture.size;
    if (!texture.create(size.x, size.y))
        return false;
    for (unsigned y = 0; y < size.y; y += stripRows)
        texture.update(picture.pixels.data() + std::size_t{4} * size.x * y, size.x, std::min(stripRows, size.y - y), 0,
                       y);
    return true;
}

// Decodes a PNG file to 8-bit RGBA. Runs on a worker thread, so it writes to
// no stream: the simplified reader keeps its complaint in the image record,
// and `failure` carries it to the thread that reports.
constexpr unsigned largestPictureSide = 16384; // pixels

DecodedPicture decodePng(const std::string& path)
{
    DecodedPicture decoded;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0)
    {
        decoded.failure = png.message;
        png_image_free(&png);
        return decoded;
    }
    // No texture is larger; a header claiming more is not worth the memory.
    if (png.width > largestPictureSide || png.height > largestPictureSide)
    {
        decoded.failure = "larger than " + std::to_string(largestPictureSide) + " pixels a side";
        png_image_free(&png);
        return decoded;
    }
    png.format = PNG_FORMAT_RGBA;
    decoded.size = {png.width, png.height};
    decoded.pixels.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, decoded.pixels.data(), 0, nullptr) == 0)
    {
        decoded.failure = png.message;
        decoded.pixels = {};
        png_image_free(&png);
        return decoded;
    }
    decoded.loaded = true;
    decoded.opaque = isOpaque(decoded.pixels.data(), decoded.pixels.size() / 4);
    return decoded;
}
} // namespace

PictureDecoding decodePictures(const std::filesystem::path& root)
{
    PictureDecoding decoding;
    for (int i = 0; i < pictureCount; ++i)
    {
        const std::string path = (root / pictureTable[static_cast<std::size_t>(i)].path).string();
        decoding[static_cast<std::size_t>(i)] = std::async(std::launch::async, decodePng, path);
    }
    return decoding;
}

void loadPictures(StaticPages& pages, const ScreenMetrics& m, const std::filesystem::path& root, std::ostream& messages)
{
    loadPictures(pages, m, decodePictures(root), root, messages);
}

void loadPictures(StaticPages& pages, const ScreenMetrics& m, PictureDecoding decoding,
                  const std::filesystem::path& root, std::ostream& messages)
{
    for (int i = 0; i < pictureCount; ++i)
    {
        const PictureRow& row = pictureTable[static_cast<std::size_t>(i)];
        Picture& picture = pages.pictures[i];
        const DecodedPicture decoded = decoding[static_cast<std::size_t>(i)].get();
        // A missing or unreadable file leaves the sprite empty; the page still works.
        if (decoded.loaded && uploadInStrips(picture.texture, decoded))
        {
            picture.sprite.setTexture(picture.texture, true);
            picture.opaque = decoded.opaque;
        }
        else
        {
            const std::string said = takeLibraryMessages(); // the drawing library's reason for the texture
            messages << "velorin: the picture " << (root / row.path).string() << " did not load ("
                     << (decoded.loaded ? "no texture that large" + (said.empty() ? "" : ": " + said) : decoded.failure)
                     << "); its place stays empty.\n";
        }
        picture.sprite.setPosition(scalePoint(m, row.x, row.y));
        if (row.scale == PictureScale::Stretched)
            picture.sprite.setScale(m.screenWidth / referenceWidth, m.screenHeight / referenceHeight);
        else
        {
            const float scale = theoryScale(m);
            picture.sprite.setScale(scale, scale);
            // At its natural size smoothing would only blur the fractional
            // positions of a thumb drag.
            picture.texture.setSmooth(scale != 1.0f);
        }
    }
    placeTheory(pages, m);
}

void placeTheory(StaticPages& pages, const ScreenMetrics& m)
{
    pages.pictures[static_cast<int>(PictureId::Theory)].sprite.setPosition(scaleX(m, 370.0f), pages.scroll.imageY);
    pages.thumb.setPosition(scaleX(m, scrollbarLeft), pages.scroll.thumbY);
}

namespace
{
void drawPicture(sf::RenderTarget& target, const StaticPages& pages, PictureId id)
{
    // Blending an opaque picture changes no pixel, but costs a software
    // renderer a read of every pixel it covers: the theory page is most of
    // the screen.
    const Picture& picture = pages.pictures[static_cast<int>(id)];
    target.draw(picture.sprite, picture.opaque ? sf::RenderStates(sf::BlendNone) : sf::RenderStates::Default);
}

void drawText(sf::RenderTarget& target, const StaticPages& pages, PageTextId id)
{
    target.draw(pages.texts[static_cast<int>(id)]);
}
} // namespace

void drawStartPage(sf::RenderTarget& target, const StaticPages& pages)
{
    drawPicture(target, pages, PictureId::FirstLogo);
    drawPicture(target, pages, PictureId::SecondLogo);
    for (PageTextId id : {PageTextId::Year, PageTextId::Title, PageTextId::FirstFaculty, PageTextId::SecondFaculty,
                          PageTextId::Institution, PageTextId::CourseHeading, PageTextId::CourseName})
        drawText(target, pages, id);
}

void drawAuthorsPage(sf::RenderTarget& target, const StaticPages& pages)
{
    drawStartPage(target, pages);
    drawPicture(target, pages, PictureId::FirstPortrait);
    drawPicture(target, pages, PictureId::SecondPortrait);
    for (PageTextId id :
         {PageTextId::FirstAuthor, PageTextId::SecondAuthor, PageTextId::SupervisorCaption, PageTextId::Supervisor})
        drawText(target, pages, id);
}

void drawTheoryPicture(sf::RenderTarget& target, const StaticPages& pages)
{
    drawPicture(target, pages, PictureId::Theory);
}

void followThumbDrag(StaticPages& pages, sf::Vector2f pointer, const ScreenMetrics& m)
{
    if (!pages.scroll.dragging)
        return;
    dragTheoryThumb(pages.scroll, pointer.y, m);
    placeTheory(pages, m);
}

void drawTheoryScrollbar(sf::RenderTarget& target, const StaticPages& pages)
{
    drawOpaque(target, pages.scrollTrack);
    drawOpaque(target, pages.thumb);
}
