#pragma once

#include <SFML/System/String.hpp>

#include <locale>
#include <sstream>

// Turns every number shown on the demonstration screen into text: one string
// stream in default formatting (six significant digits, no trailing zeros),
// reused and emptied after each value. Always a decimal point and no digit
// grouping ("1.81", "1234"), whatever locale the process runs under.
class NumberFormatter
{
public:
    NumberFormatter() { m_stream.imbue(std::locale::classic()); }
    sf::String operator()(double value);
    sf::String operator()(int value);

private:
    template <typename T> sf::String format(T value);

    std::stringstream m_stream;
};
