#pragma once

#include "base/Layout.hpp"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Text.hpp>

#include <array>
#include <iterator>

enum class ButtonId : int
{
    MenuStartPage,
    MenuDemonstration,
    MenuTheory,
    MenuAuthors,
    Exit,
    Start,
    Pause,
    Reset,
    Attraction,
    Repulsion,
    LennardJones,
    ZeroPotential,
    Count
};
constexpr int buttonCount = static_cast<int>(ButtonId::Count);

enum class ButtonKind
{
    Plain,
    Selectable, // shows grey while its potential is the selected one
};

// One row of the button table, in reference pixels (top-left corners).
struct ButtonRow
{
    float x, y, width, height;
    const wchar_t* label;
    float labelX, labelY;
    bool onEveryScreen; // false: demonstration screen only
    ButtonKind kind;
};

// The four menu items are 478 wide with 6-pixel gaps, so the last one ends
// 10 pixels beyond the right edge of the screen.
constexpr ButtonRow buttonTable[] = {
    {0, 0, 478, 64, L"Начальная страница", 40, 16, true, ButtonKind::Plain},        // MenuStartPage
    {484, 0, 478, 64, L"Демонстрация", 594, 16, true, ButtonKind::Plain},           // MenuDemonstration
    {968, 0, 478, 64, L"Теория", 1130, 16, true, ButtonKind::Plain},                // MenuTheory
    {1452, 0, 478, 64, L"Авторы", 1635, 16, true, ButtonKind::Plain},               // MenuAuthors
    {20, 990, 360, 64, L"Выход", 144, 998, true, ButtonKind::Plain},                // Exit
    {20, 640, 360, 64, L"Старт", 144, 648, false, ButtonKind::Plain},               // Start
    {20, 710, 360, 64, L"Пауза", 144, 718, false, ButtonKind::Plain},               // Pause
    {20, 780, 360, 64, L"Сброс", 144, 788, false, ButtonKind::Plain},               // Reset
    {900, 290, 360, 64, L"Притяжение", 974, 298, false, ButtonKind::Selectable},    // Attraction
    {900, 360, 360, 64, L"Отталкивание", 964, 368, false, ButtonKind::Selectable},  // Repulsion
    {900, 430, 360, 64, L"Леннард-Джонс", 944, 438, false, ButtonKind::Selectable}, // LennardJones
    {900, 500, 360, 64, L"Нулевой", 1004, 508, false, ButtonKind::Selectable},      // ZeroPotential
};
static_assert(std::size(buttonTable) == buttonCount, "one row per button");

struct Button
{
    sf::RectangleShape rectangle;
    sf::Text label;
};
using Buttons = std::array<Button, buttonCount>;

inline Button& buttonAt(Buttons& buttons, ButtonId id) { return buttons[static_cast<int>(id)]; }
inline const Button& buttonAt(const Buttons& buttons, ButtonId id) { return buttons[static_cast<int>(id)]; }

// The labels in the language of `words`.
void buildButtons(Buttons& buttons, const sf::Font& font, const ScreenMetrics& m, const Catalogue& words = Catalogue());

// The hit test of every control: the shape's global bounds, outline band
// included; left and top edges count, right and bottom edges do not.
bool isUnderPointer(const sf::Shape& shape, sf::Vector2f pointer);

// The fill a shape shows after a hover pass.
sf::Color hoverFill(bool underPointer, bool selected);
