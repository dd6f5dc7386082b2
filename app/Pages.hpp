#pragma once

#include "base/Layout.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <array>
#include <cstdint>
#include <iterator>
#include <filesystem>
#include <future>
#include <iosfwd>
#include <string>
#include <vector>

// The three static pages: start, theory and authors.

enum class PictureId : int
{
    FirstLogo,
    SecondLogo,
    Theory,
    FirstPortrait,
    SecondPortrait,
    Count
};
constexpr int pictureCount = static_cast<int>(PictureId::Count);

enum class PictureScale
{
    Stretched, // each axis scaled as the layout is
    Uniform,   // both axes by theoryScale: never distorted
};

struct PictureRow
{
    const char* path; // relative to the data folder
    float x, y;       // reference pixels
    PictureScale scale;
};

constexpr PictureRow pictureTable[] = {
    {"images/Imrel.png", 70, 80, PictureScale::Stretched},     // FirstLogo
    {"images/Dovra.png", 1620, 80, PictureScale::Stretched},   // SecondLogo
    {"images/Theory.png", 370, 70, PictureScale::Uniform},     // Theory: its y scrolls
    {"images/photo1.png", 166, 420, PictureScale::Stretched},  // FirstPortrait
    {"images/photo2.png", 1475, 420, PictureScale::Stretched}, // SecondPortrait
};
static_assert(std::size(pictureTable) == pictureCount, "one row per picture");

enum class PageTextId : int
{
    Institution,
    CourseHeading,
    CourseName,
    FirstFaculty,
    SecondFaculty,
    Title,
    Year,
    FirstAuthor,
    SecondAuthor,
    SupervisorCaption,
    Supervisor,
    Count
};
constexpr int pageTextCount = static_cast<int>(PageTextId::Count);

struct PageTextRow
{
    const wchar_t* text;
    float x, y; // reference pixels
};

constexpr PageTextRow pageTextTable[] = {
    {L"Учебная лаборатория физики", 740, 90},             // Institution
    {L"Лекционная демонстрация по курсу", 590, 150},      // CourseHeading
    {L"«Статистическая физика»", 765, 210},               // CourseName
    {L"Физический факультет", 13, 240},                   // FirstFaculty, under the first logo
    {L"Отделение теории", 1525, 240},                     // SecondFaculty, under the second logo
    {L"Флуктуации плотности одномерного газа", 625, 300}, // Title, outlined
    {L"2019", 920, 1000},                                 // Year
    {L"Разработчик модели", 166, 770},                    // FirstAuthor
    {L"Разработчик интерфейса", 1456, 770},               // SecondAuthor
    {L"Научный руководитель:", 785, 865},                 // SupervisorCaption
    {L"Преподаватель курса", 715, 915},                   // Supervisor
};
static_assert(std::size(pageTextTable) == pageTextCount, "one row per text");

// The theory page's scroll state. The image's top edge moves between the
// top of the page (70 reference pixels) and theoryLowest, where the image's
// bottom edge meets the window's (-1060 at 1920 x 1080).
struct TheoryScroll
{
    float imageY = 0.0f; // window pixels
    float thumbY = 0.0f; // window pixels
    bool dragging = false;
    float grabOffset = 0.0f; // pointer y minus thumb y at the press
};

constexpr float theoryPictureHeight = 2140.0f; // pixels of the picture at its natural size

TheoryScroll initialTheoryScroll(const ScreenMetrics& m);
float theoryTop(const ScreenMetrics& m);    // the thumb's highest top edge, and the image's
float theoryBottom(const ScreenMetrics& m); // the thumb's lowest top edge
// The theory picture's uniform scale: its natural size at 1920 x 1080, and
// elsewhere as large as both the width and the height of the screen allow,
// so its whole width lies left of the scrollbar on every desktop.
float theoryScale(const ScreenMetrics& m);
float theoryLowest(const ScreenMetrics& m); // the image's lowest top edge
float imageYForThumb(float thumbY, const ScreenMetrics& m);
float thumbYForImage(float imageY, const ScreenMetrics& m);

// One wheel event: one step of 20 pixels of the picture (scaled with it)
// whatever the delta, never shortened to reach a limit. Returns whether the
// image moved.
bool scrollTheory(TheoryScroll& scroll, float delta, const ScreenMetrics& m);

// Once per frame while the thumb is dragged: the thumb follows the pointer
// inside its range and stays put outside it; the image follows the thumb.
void dragTheoryThumb(TheoryScroll& scroll, float pointerY, const ScreenMetrics& m);

// A row of a picture's texels: the first and last that are not opaque
// white; first > last where the whole row is.
struct InkSpan
{
    int first, last;
};

// The texture keeps the pixels; the decoded image is dropped once the
// texture is made (the theory picture alone is 1480 x 2140 x 4 bytes).
struct Picture
{
    sf::Texture texture;
    sf::Sprite sprite;        // empty when the file could not be read
    bool opaque = false;      // no pixel lets the page show through: drawn without blending
    std::vector<InkSpan> ink; // one per texel row
};

struct StaticPages
{
    std::array<Picture, pictureCount> pictures;
    std::array<sf::Text, pageTextCount> texts;
    sf::RectangleShape scrollTrack;
    sf::ConvexShape thumb;
    TheoryScroll scroll;
};

void buildStaticPages(StaticPages& pages, const sf::Font& font, const ScreenMetrics& m,
                      const Catalogue& words = Catalogue());
// Every pixel at full alpha; `count` pixels of 8-bit RGBA.
bool isOpaque(const std::uint8_t* rgba, std::size_t count);
// Each row's ink span of a `size` image of 8-bit RGBA, or RGB (3 channels).
std::vector<InkSpan> inkSpans(const std::uint8_t* pixels, sf::Vector2u size, unsigned channels = 4);

// Window rows [top, bottom) and columns [left, right).
struct InkBand
{
    int top, bottom, left, right;
};
// Where a picture of these ink spans, placed at `origin` with `scale` (no
// rotation), may draw anything but white into a window `windowHeight` tall:
// runs of whole rows, each as wide as its widest ink.
std::vector<InkBand> inkBands(const std::vector<InkSpan>& ink, sf::Vector2f origin, sf::Vector2f scale,
                              int windowHeight);

// A picture file decoded, before it becomes a texture.
struct DecodedPicture
{
    std::vector<std::uint8_t> pixels; // 8-bit RGBA, or RGB where the file has no alpha; row by row
    unsigned channels = 4;
    sf::Vector2u size;
    bool loaded = false; // false: missing or unreadable, and `failure` says why
    bool opaque = false;
    std::vector<InkSpan> ink;
    std::string failure;
    std::string path; // the file read
};
using PictureDecoding = std::array<std::future<DecodedPicture>, pictureCount>;

// A picture of `language`: images/<language>/<name> where that file is (its
// words translated), else the shared images/<name>.
std::filesystem::path picturePath(const std::filesystem::path& root, const char* path, const std::string& language);

// Starts decoding the five files under `root`, each on a thread of its own, so that the
// window can be opened meanwhile. Needs no window or OpenGL context, and the
// threads write to no stream.
PictureDecoding decodePictures(const std::filesystem::path& root = {}, const std::string& language = {});
// Makes the textures on the calling thread (the one that draws) as the
// decoded pictures arrive, and places the sprites. Each picture that did not
// load is reported on `messages`, once, in the table's order.
void loadPictures(StaticPages& pages, const ScreenMetrics& m, PictureDecoding decoding,
                  const std::filesystem::path& root, std::ostream& messages);
void loadPictures(StaticPages& pages, const ScreenMetrics& m, const std::filesystem::path& root,
                  std::ostream& messages); // decodes and waits

// Keeps the theory image and thumb where the scroll state says.
void placeTheory(StaticPages& pages, const ScreenMetrics& m);

// The pictures and texts of the start and authors pages.
void drawStartPage(sf::RenderTarget& target, const StaticPages& pages);
void drawAuthorsPage(sf::RenderTarget& target, const StaticPages& pages);
// The theory page, in this order: the image where it stood, then the frame's
// thumb drag applied (image and thumb moved), then the scrollbar over the
// image's right edge (on desktops narrower than 960 the image reaches under
// the track's outline).
void drawTheoryPicture(sf::RenderTarget& target, const StaticPages& pages);
void followThumbDrag(StaticPages& pages, sf::Vector2f pointer, const ScreenMetrics& m);
void drawTheoryScrollbar(sf::RenderTarget& target, const StaticPages& pages);
