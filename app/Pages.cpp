#include "app/Pages.hpp"
#include "app/LibraryMessages.hpp"

#include <SFML/OpenGL.hpp>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
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

void buildStaticPages(StaticPages& pages, const sf::Font& font, const ScreenMetrics& m, const Catalogue& words)
{
    for (int i = 0; i < pageTextCount; ++i)
    {
        const PageTextRow& row = pageTextTable[static_cast<std::size_t>(i)];
        makeText(pages.texts[i], font, words(row.text), row.x, row.y, m);
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

std::vector<InkSpan> inkSpans(const std::uint8_t* pixels, sf::Vector2u size, unsigned channels)
{
    std::vector<InkSpan> rows(size.y, InkSpan{static_cast<int>(size.x), -1});
    for (unsigned y = 0; y < size.y; ++y)
    {
        const std::uint8_t* row = pixels + std::size_t{channels} * size.x * y;
        for (unsigned x = 0; x < size.x; ++x)
        {
            const std::uint8_t* p = row + channels * x;
            if ((p[0] & p[1] & p[2] & p[channels - 1]) != 255)
            {
                rows[y].first = std::min(rows[y].first, static_cast<int>(x));
                rows[y].last = static_cast<int>(x);
            }
        }
    }
    return rows;
}

namespace
{
// The texture of a whole image, handed over a strip of rows at a time: the
// driver copies what it is given before storing it, and a copy of the whole
// theory picture would add 12 MB to the peak memory. Rows without alpha get
// it here, a strip at a time.
bool uploadInStrips(sf::Texture& texture, const DecodedPicture& picture)
{
    constexpr unsigned stripRows = 64;
    const sf::Vector2u size = picture.size;
    if (!texture.create(size.x, size.y))
        return false;
    std::vector<std::uint8_t> rgba(picture.channels == 4 ? 0 : std::size_t{4} * size.x * stripRows);
    for (unsigned y = 0; y < size.y; y += stripRows)
    {
        const unsigned rows = std::min(stripRows, size.y - y);
        const std::uint8_t* strip = picture.pixels.data() + std::size_t{picture.channels} * size.x * y;
        if (picture.channels == 3)
        {
            for (std::size_t i = 0; i < std::size_t{size.x} * rows; ++i)
            {
                rgba[4 * i] = strip[3 * i];
                rgba[4 * i + 1] = strip[3 * i + 1];
                rgba[4 * i + 2] = strip[3 * i + 2];
                rgba[4 * i + 3] = 255;
            }
            strip = rgba.data();
        }
        texture.update(strip, size.x, rows, 0, y);
    }
    return true;
}

// Decodes a PNG file to 8-bit RGBA, or RGB where the file has no alpha.
// The decoded theory picture and its new texture (which the software
// renderer fills with zeros as it makes it) are resident together for a
// moment, the peak of the start-up: as RGB the picture is 9.5 MB there, not
// 12.7. Runs on a worker thread, so it writes to no stream: the simplified
// reader keeps its complaint in the image record, and `failure` carries it
// to the thread that reports.
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
    const bool alpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    decoded.channels = alpha ? 4 : 3;
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
    decoded.opaque = !alpha || isOpaque(decoded.pixels.data(), decoded.pixels.size() / 4);
    decoded.ink = inkSpans(decoded.pixels.data(), decoded.size, decoded.channels);
    return decoded;
}
} // namespace

std::filesystem::path picturePath(const std::filesystem::path& root, const char* path, const std::string& language)
{
    const std::filesystem::path shared(path);
    if (!language.empty())
    {
        const std::filesystem::path own = root / shared.parent_path() / language / shared.filename();
        std::error_code error;
        if (std::filesystem::exists(own, error))
            return own;
    }
    return root / shared;
}

PictureDecoding decodePictures(const std::filesystem::path& root, const std::string& language)
{
    PictureDecoding decoding;
    for (int i = 0; i < pictureCount; ++i)
    {
        const std::string path = picturePath(root, pictureTable[static_cast<std::size_t>(i)].path, language).string();
        decoding[static_cast<std::size_t>(i)] = std::async(std::launch::async,
                                                           [path]
                                                           {
                                                               DecodedPicture decoded = decodePng(path);
                                                               decoded.path = path;
                                                               return decoded;
                                                           });
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
            picture.ink = decoded.ink;
        }
        else
        {
            const std::string said = takeLibraryMessages(); // the drawing library's reason for the texture
            messages << "velorin: the picture " << (decoded.path.empty() ? (root / row.path).string() : decoded.path)
                     << " did not load ("
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

std::vector<InkBand> inkBands(const std::vector<InkSpan>& ink, sf::Vector2f origin, sf::Vector2f scale,
                              int windowHeight)
{
    // Texels a window pixel may sample, anywhere in its square (multisampled)
    // and smoothed (the two around each sample), and one more each side
    // against rounding: texel t counts for the pixels over (t - 2.5, t + 3.5).
    std::vector<InkBand> bands;
    const int rows = static_cast<int>(ink.size());
    const int top = std::max(0, static_cast<int>(std::floor(origin.y)));
    const int end = std::min(windowHeight, static_cast<int>(std::ceil(origin.y + rows * scale.y)));
    for (int y = top; y < end; ++y)
    {
        const int from = std::max(0, static_cast<int>(std::floor((y - origin.y) / scale.y - 2.5f)));
        const int to = std::min(rows - 1, static_cast<int>(std::floor((y + 1 - origin.y) / scale.y + 2.5f)));
        InkSpan span{std::numeric_limits<int>::max(), -1};
        for (int t = from; t <= to; ++t)
        {
            span.first = std::min(span.first, ink[static_cast<std::size_t>(t)].first);
            span.last = std::max(span.last, ink[static_cast<std::size_t>(t)].last);
        }
        if (span.first > span.last)
            continue;
        const int left = static_cast<int>(std::floor(origin.x + (span.first - 2.5f) * scale.x));
        const int right = static_cast<int>(std::ceil(origin.x + (span.last + 3.5f) * scale.x));
        if (!bands.empty() && bands.back().bottom == y)
        {
            InkBand& band = bands.back();
            band.bottom = y + 1;
            band.left = std::min(band.left, left);
            band.right = std::max(band.right, right);
        }
        else
            bands.push_back({y, y + 1, left, right});
    }
    return bands;
}

namespace
{
// The target's view maps one unit to one pixel, as the program's window does.
bool pixelView(const sf::RenderTarget& target)
{
    const sf::View& view = target.getView();
    const sf::Vector2f size(target.getSize());
    return view.getSize() == size && view.getCenter() == size / 2.0f && view.getRotation() == 0.0f &&
           view.getViewport() == sf::FloatRect(0, 0, 1, 1);
}
} // namespace

void drawTheoryPicture(sf::RenderTarget& target, const StaticPages& pages)
{
    // The page is mostly white paper, and a white texel on the white clear
    // changes no pixel: the picture is drawn only in the bands of rows where
    // it has ink, each cut out by the scissor. Every band draws the same
    // quad, so each pixel it draws is the one a single draw gives.
    const Picture& picture = pages.pictures[static_cast<int>(PictureId::Theory)];
    if (picture.ink.empty() || !pixelView(target) || !target.setActive(true))
    {
        drawPicture(target, pages, PictureId::Theory);
        return;
    }
    const int height = static_cast<int>(target.getSize().y);
    glEnable(GL_SCISSOR_TEST);
    for (const InkBand& band : inkBands(picture.ink, picture.sprite.getPosition(), picture.sprite.getScale(), height))
    {
        // The scissor counts rows from the bottom.
        glScissor(band.left, height - band.bottom, band.right - band.left, band.bottom - band.top);
        drawPicture(target, pages, PictureId::Theory);
    }
    glDisable(GL_SCISSOR_TEST);
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
