#include "demo/NumberFormat.hpp"

#include <locale>

template <typename T> sf::String NumberFormatter::format(T value)
{
    m_stream << value;
    sf::String text(m_stream.str(), std::locale());
    m_stream.str(std::string());
    return text;
}

sf::String NumberFormatter::operator()(double value) { return format(value); }
sf::String NumberFormatter::operator()(int value) { return format(value); }
