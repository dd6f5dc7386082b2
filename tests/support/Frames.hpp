// Frames drawn into a render texture and compared pixel for pixel, for tests
// that hold a cheaper way of drawing against the plain one.
#pragma once

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>

#include <algorithm>
#include <cstring>
#include <functional>

// Multisampled as the program's window: it asks level 8 and gets the most
// the renderer grants (llvmpipe: 4), which a render texture must ask exactly.
// One texture for every frame of a test: making one costs more than a frame.
inline bool makeWindowLikeTarget(sf::RenderTexture& target, unsigned width, unsigned height)
{
    sf::ContextSettings context;
    context.antialiasingLevel = std::min(8u, sf::RenderTexture::getMaximumAntialiasingLevel());
    return target.create(width, height, context);
}

// The pixels of one frame: cleared white, then `draw`.
inline sf::Image renderFrame(sf::RenderTexture& target, const std::function<void(sf::RenderTarget&)>& draw)
{
    target.clear(sf::Color::White);
    draw(target);
    target.display();
    return target.getTexture().copyToImage();
}

inline bool samePixels(const sf::Image& a, const sf::Image& b)
{
    return a.getSize() == b.getSize() &&
           std::memcmp(a.getPixelsPtr(), b.getPixelsPtr(), std::size_t{4} * a.getSize().x * a.getSize().y) == 0;
}
