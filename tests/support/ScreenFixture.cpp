#include "support/ScreenFixture.hpp"

#include <SFML/OpenGL.hpp>

#include <algorithm>
#include <iostream>
#include <future>
#include <stdexcept>

namespace
{
// Decoding the five pictures (the theory page alone is 1480 x 2140) costs
// more than most tests: the process decodes them once and hands each
// fixture copies, as already finished decodings. The textures stay each
// fixture's own.
PictureDecoding decodedOnce()
{
    static const std::array<DecodedPicture, pictureCount> decoded = []
    {
        PictureDecoding decoding = decodePictures();
        std::array<DecodedPicture, pictureCount> pictures;
        for (std::size_t i = 0; i < pictures.size(); ++i)
            pictures[i] = decoding[i].get();
        return pictures;
    }();
    PictureDecoding copies;
    for (std::size_t i = 0; i < copies.size(); ++i)
    {
        std::promise<DecodedPicture> ready;
        ready.set_value(decoded[i]);
        copies[i] = ready.get_future();
    }
    return copies;
}
} // namespace

ScreenFixture::ScreenFixture(unsigned width, unsigned height, std::uint32_t seed, unsigned antialiasing,
                             const std::string& language)
    : m_app(std::make_unique<App>(makeScreenMetrics(width, height), seed))
{
    loadFont(*m_app);
    if (!language.empty())
    {
        std::string why;
        std::optional<Catalogue> catalogue = Catalogue::read(catalogueFile(language), why);
        if (!catalogue)
            throw std::runtime_error(catalogueFile(language).string() + " " + why);
        m_app->catalogue = std::move(*catalogue);
    }
    sf::ContextSettings context;
    context.antialiasingLevel = antialiasing;
    m_target.create(width, height, context);
    buildDrawables(*m_app);
    loadPictures(m_app->pages, m_app->metrics, language.empty() ? decodedOnce() : decodePictures({}, language), {},
                 std::cerr);
    startGas(*m_app);
}

sf::Vector2i ScreenFixture::at(float referenceX, float referenceY) const
{
    return {static_cast<int>(scaleX(metrics(), referenceX)), static_cast<int>(scaleY(metrics(), referenceY))};
}

void ScreenFixture::frame(sf::Vector2i pointer, const std::vector<sf::Event>& events, double elapsedMs)
{
    m_pointer = pointer;
    runFrame(*m_app, m_target, pointer, events, elapsedMs);
    m_target.display();
    m_lastSeen = true;
    m_frameRead = false;
    m_imageValid = false;
}

void ScreenFixture::moveTo(sf::Vector2i pointer) { frame(pointer, {mouseMoved(pointer)}); }

void ScreenFixture::press(sf::Vector2i pointer, sf::Mouse::Button button)
{
    frame(pointer, {mouseButton(sf::Event::MouseButtonPressed, pointer, button)});
}

void ScreenFixture::release(sf::Vector2i pointer, sf::Mouse::Button button)
{
    frame(pointer, {mouseButton(sf::Event::MouseButtonReleased, pointer, button)});
}

void ScreenFixture::click(sf::Vector2i pointer, sf::Mouse::Button button)
{
    press(pointer, button);
    release(pointer, button);
}

void ScreenFixture::wheel(float delta) { frame(m_pointer, {wheelScrolled(delta, m_pointer)}); }

void ScreenFixture::unseenFrame(sf::Vector2i pointer, const std::vector<sf::Event>& events, double elapsedMs)
{
    if (m_unseen.getSize().x == 0 && !m_unseen.create(1, 1))
        throw std::runtime_error("no one-pixel render texture");
    m_pointer = pointer;
    runFrame(*m_app, m_unseen, pointer, events, elapsedMs);
    m_unseen.display();
    m_lastSeen = false;
}

void ScreenFixture::run(double ms, double elapsedMs)
{
    double t = 0;
    for (; t + elapsedMs < ms; t += elapsedMs)
        unseenFrame(m_pointer, {}, elapsedMs);
    if (t < ms)
        frame(elapsedMs);
}

void ScreenFixture::readFrame()
{
    if (!m_lastSeen)
        throw std::logic_error("the last frame was not drawn on the screen");
    if (m_frameRead)
        return;
    const sf::Vector2u size = m_target.getSize();
    m_pixels.resize(std::size_t{size.x} * size.y * 4);
    // The texture holds the frame resolved by display(), multisampled or not.
    if (!m_target.setActive(true))
        throw std::runtime_error("the render texture's context cannot be made current");
    sf::Texture::bind(&m_target.getTexture());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, m_pixels.data());
    sf::Texture::bind(nullptr);
    m_frameRead = true;
}

const sf::Image& ScreenFixture::image()
{
    if (!m_imageValid)
    {
        readFrame();
        const sf::Vector2u size = m_target.getSize();
        const std::size_t row = std::size_t{size.x} * 4;
        std::vector<sf::Uint8> topDown(m_pixels.size());
        for (std::size_t y = 0; y < size.y; ++y)
            std::copy_n(&m_pixels[(size.y - 1 - y) * row], row, &topDown[y * row]);
        m_image.create(size.x, size.y, topDown.data());
        m_imageValid = true;
    }
    return m_image;
}

sf::Color ScreenFixture::pixel(sf::Vector2i position)
{
    readFrame();
    const sf::Vector2u size = m_target.getSize();
    if (position.x < 0 || position.y < 0 || static_cast<unsigned>(position.x) >= size.x ||
        static_cast<unsigned>(position.y) >= size.y)
        throw std::out_of_range("pixel (" + std::to_string(position.x) + ", " + std::to_string(position.y) +
                                ") outside the screen");
    const sf::Uint8* p =
        &m_pixels[(std::size_t{size.y - 1 - static_cast<unsigned>(position.y)} * size.x + position.x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

int ScreenFixture::countPixels(sf::Color colour, float x, float y, float width, float height)
{
    const sf::Vector2i from = at(x, y), to = at(x + width, y + height);
    int count = 0;
    for (int py = from.y; py < to.y; ++py)
        for (int px = from.x; px < to.x; ++px)
            count += pixel({px, py}) == colour;
    return count;
}

sf::Event ScreenFixture::mouseMoved(sf::Vector2i pointer)
{
    sf::Event event;
    event.type = sf::Event::MouseMoved;
    event.mouseMove = {pointer.x, pointer.y};
    return event;
}

sf::Event ScreenFixture::mouseButton(sf::Event::EventType type, sf::Vector2i pointer, sf::Mouse::Button button)
{
    sf::Event event;
    event.type = type;
    event.mouseButton = {button, pointer.x, pointer.y};
    return event;
}

sf::Event ScreenFixture::wheelScrolled(float delta, sf::Vector2i pointer)
{
    sf::Event event;
    event.type = sf::Event::MouseWheelScrolled;
    event.mouseWheelScroll = {sf::Mouse::VerticalWheel, delta, pointer.x, pointer.y};
    return event;
}
