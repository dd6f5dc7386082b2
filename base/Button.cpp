#include "base/Button.hpp"

void buildButtons(Buttons& buttons, const sf::Font& font, const ScreenMetrics& m, const Catalogue& words)
{
    for (int i = 0; i < buttonCount; ++i)
    {
        const ButtonRow& row = buttonTable[static_cast<std::size_t>(i)];
        makeBox(buttons[i].rectangle, row.x, row.y, row.width, row.height, m);
        makeText(buttons[i].label, font, words(row.label), row.labelX, row.labelY, m);
    }
}

bool isUnderPointer(const sf::Shape& shape, sf::Vector2f pointer) { return shape.getGlobalBounds().contains(pointer); }

sf::Color hoverFill(bool underPointer, bool selected)
{
    if (underPointer)
        return paleCyan;
    if (selected)
        return lightGrey;
    return sf::Color::White;
}
