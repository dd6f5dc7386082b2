#include "base/Layout.hpp"

void makeText(sf::Text& text, const sf::Font& font, const sf::String& string, float x, float y, const ScreenMetrics& m,
              unsigned characterSize)
{
    // A font that failed to load still marks every glyph with a small box:
    // without a font the text draws nothing at all.
    if (!font.getInfo().family.empty())
        text.setFont(font);
    text.setString(string);
    text.setCharacterSize(scaleCharacterSize(m, characterSize));
    text.setFillColor(sf::Color::Black);
    text.setPosition(scalePoint(m, x, y));
}

void makeBox(sf::RectangleShape& box, float x, float y, float width, float height, const ScreenMetrics& m,
             float outline)
{
    box.setSize(scalePoint(m, width, height));
    box.setPosition(scalePoint(m, x, y));
    box.setFillColor(sf::Color::White);
    box.setOutlineColor(sf::Color::Black);
    box.setOutlineThickness(outline);
}

void makeBar(sf::RectangleShape& bar, float x, float y, float width, float height, const ScreenMetrics& m)
{
    bar.setSize(scalePoint(m, width, height));
    bar.setPosition(scalePoint(m, x, y));
    bar.setFillColor(sf::Color::Black);
}

void makePentagon(sf::ConvexShape& pentagon, float x, float y, const ScreenMetrics& m)
{
    constexpr float points[5][2] = {{0, 0}, {64, 0}, {64, 32}, {32, 64}, {0, 32}};
    pentagon.setPointCount(5);
    for (int i = 0; i < 5; ++i)
        pentagon.setPoint(static_cast<std::size_t>(i), scalePoint(m, points[i][0], points[i][1]));
    pentagon.setPosition(scalePoint(m, x, y));
    pentagon.setFillColor(sf::Color::White);
    pentagon.setOutlineColor(sf::Color::Black);
    pentagon.setOutlineThickness(outlineThickness);
}
