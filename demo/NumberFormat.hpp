#pragma once

#include <SFML/System/String.hpp>

#include <sstream>

// Turns every number shown on the demonstration screen into text: one string
// stream in default formatting (six significant digits, no trailing zeros),
// reused and emptied after each value.
class NumberFormatter
{
public:
    sf::String operator()(double value);
    sf::String operator()(int value);

private:
    template <typename T> sf::String format(T value);

    std::stringstream m_stream;
};
