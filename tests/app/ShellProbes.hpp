#pragma once

#include "support/ScreenFixture.hpp"

#include <ostream>

// Colours and probe points shared by the shell's screen tests.

namespace sf
{
inline void PrintTo(const Color& c, std::ostream* os)
{
    *os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}
} // namespace sf

inline void PrintTo(Screen s, std::ostream* os)
{
    constexpr const char* names[] = {"StartPage", "Demonstration", "Theory", "Authors"};
    *os << names[static_cast<int>(s)];
}

namespace probe
{
const sf::Color white(255, 255, 255);
const sf::Color hovered(224, 238, 238);
const sf::Color grey(192, 192, 192);

inline sf::Color fillOf(App& app, ButtonId id) { return buttonAt(app.buttons, id).rectangle.getFillColor(); }

// A reference point inside a button's rectangle, clear of its label: 8 pixels
// in from the left edge and 8 up from the bottom edge.
inline sf::Vector2f insideReference(ButtonId id)
{
    const ButtonRow& row = buttonTable[static_cast<std::size_t>(id)];
    return {row.x + 8.0f, row.y + row.height - 8.0f};
}
inline sf::Vector2i inside(const ScreenFixture& f, ButtonId id)
{
    const sf::Vector2f p = insideReference(id);
    return f.at(p.x, p.y);
}
inline sf::Color pixelOf(ScreenFixture& f, ButtonId id) { return f.pixel(inside(f, id)); }

// Where nothing pressable is, on any screen.
inline sf::Vector2i nowhere(const ScreenFixture& f) { return f.at(1500.0f, 700.0f); }

inline sf::Event plainEvent(sf::Event::EventType type)
{
    sf::Event event;
    event.type = type;
    return event;
}

inline sf::Event keyPressed(sf::Keyboard::Key key)
{
    sf::Event event;
    event.type = sf::Event::KeyPressed;
    event.key = {key, false, false, false, false};
    return event;
}

// Shows a screen with a left click on its menu item, the pointer then left
// where nothing is.
inline void show(ScreenFixture& f, Screen screen)
{
    constexpr ButtonId items[] = {ButtonId::MenuStartPage, ButtonId::MenuDemonstration, ButtonId::MenuTheory,
                                  ButtonId::MenuAuthors};
    f.click(inside(f, items[static_cast<int>(screen)]));
    f.moveTo(nowhere(f));
}
} // namespace probe
