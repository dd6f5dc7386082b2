#include "base/Layout.hpp"

#include <SFML/Graphics/Vertex.hpp>

#include <cmath>

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

void drawOpaque(sf::RenderTarget& target, const sf::Shape& shape)
{
    const bool opaque = shape.getTexture() == nullptr && shape.getFillColor().a == 255 &&
                        (shape.getOutlineThickness() == 0.0f || shape.getOutlineColor().a == 255);
    target.draw(shape, opaque ? sf::RenderStates(sf::BlendNone) : sf::RenderStates::Default);
}

void drawOnClear(sf::RenderTarget& target, const sf::Shape& shape)
{
    if (shape.getFillColor() == sf::Color::White && shape.getTexture() == nullptr)
        drawOutline(target, shape);
    else
        drawOpaque(target, shape);
}

void drawBackdrop(sf::RenderTarget& target, const Backdrop& backdrop)
{
    for (const sf::Shape* box : backdrop)
        drawOnClear(target, *box);
}

namespace
{
// The unit normal of the edge p1 -> p2, computed as the drawing library
// computes it, so that the outline lands on the same samples.
sf::Vector2f edgeNormal(sf::Vector2f p1, sf::Vector2f p2)
{
    sf::Vector2f normal(p1.y - p2.y, p2.x - p1.x);
    const float length = std::sqrt(normal.x * normal.x + normal.y * normal.y);
    if (length != 0.0f)
        normal /= length;
    return normal;
}

float dot(sf::Vector2f a, sf::Vector2f b) { return a.x * b.x + a.y * b.y; }

constexpr std::size_t maxOutlinePoints = 8; // rectangles and the pentagons
} // namespace

void drawOutline(sf::RenderTarget& target, const sf::Shape& shape)
{
    const std::size_t count = shape.getPointCount();
    const float thickness = shape.getOutlineThickness();
    if (thickness == 0.0f || count < 3)
        return;
    if (count > maxOutlinePoints)
    {
        target.draw(shape);
        return;
    }
    // The outward offset of each corner is taken against the centre of the
    // shape's points; the band runs from each corner to its offset point.
    sf::FloatRect bounds(shape.getPoint(0), {0.0f, 0.0f});
    float right = bounds.left, bottom = bounds.top;
    for (std::size_t i = 1; i < count; ++i)
    {
        const sf::Vector2f p = shape.getPoint(i);
        bounds.left = std::min(bounds.left, p.x);
        bounds.top = std::min(bounds.top, p.y);
        right = std::max(right, p.x);
        bottom = std::max(bottom, p.y);
    }
    bounds.width = right - bounds.left;
    bounds.height = bottom - bounds.top;
    const sf::Vector2f centre(bounds.left + bounds.width / 2, bounds.top + bounds.height / 2);

    std::array<sf::Vertex, 2 * (maxOutlinePoints + 1)> band;
    for (std::size_t i = 0; i < count; ++i)
    {
        const sf::Vector2f p0 = shape.getPoint((i + count - 1) % count);
        const sf::Vector2f p1 = shape.getPoint(i);
        const sf::Vector2f p2 = shape.getPoint((i + 1) % count);
        sf::Vector2f n1 = edgeNormal(p0, p1);
        sf::Vector2f n2 = edgeNormal(p1, p2);
        if (dot(n1, centre - p1) > 0)
            n1 = -n1;
        if (dot(n2, centre - p1) > 0)
            n2 = -n2;
        const float factor = 1.0f + (n1.x * n2.x + n1.y * n2.y);
        const sf::Vector2f normal = (n1 + n2) / factor;
        band[2 * i] = sf::Vertex(p1, shape.getOutlineColor());
        band[2 * i + 1] = sf::Vertex(p1 + normal * thickness, shape.getOutlineColor());
    }
    band[2 * count] = band[0];
    band[2 * count + 1] = band[1];
    const bool opaque = shape.getOutlineColor().a == 255;
    sf::RenderStates states(opaque ? sf::BlendNone : sf::BlendAlpha, shape.getTransform(), nullptr, nullptr);
    target.draw(band.data(), 2 * count + 2, sf::TriangleStrip, states);
}
