#pragma once

#include "app/App.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>

#include <memory>
#include <vector>

// The whole program built off-screen at a chosen desktop size, driven frame
// by frame with synthetic events and a synthetic pointer, drawn into a
// render texture. Needs an X display (Xvfb) for the texture, nothing else.
// The texture is not multisampled unless asked (the window asks level 8).
class ScreenFixture
{
public:
    // `language`: another than Russian, its catalogue and pictures read from
    // the build folder (the working directory), as velorin --language.
    explicit ScreenFixture(unsigned width = 1920, unsigned height = 1080, std::uint32_t seed = 7,
                           unsigned antialiasing = 0, const std::string& language = {});

    App& app() { return *m_app; }
    const ScreenMetrics& metrics() const { return m_app->metrics; }

    // A reference-pixel position (1920 x 1080 layout) as window pixels.
    sf::Vector2i at(float referenceX, float referenceY) const;

    // One frame with the pointer at `pointer` and the given events.
    void frame(sf::Vector2i pointer, const std::vector<sf::Event>& events = {}, double elapsedMs = 16.0);
    // One frame at the last pointer position.
    void frame(double elapsedMs = 16.0) { frame(m_pointer, {}, elapsedMs); }

    // A person's gestures, each one frame per event.
    void moveTo(sf::Vector2i pointer);
    void press(sf::Vector2i pointer, sf::Mouse::Button button = sf::Mouse::Left);
    void release(sf::Vector2i pointer, sf::Mouse::Button button = sf::Mouse::Left);
    void click(sf::Vector2i pointer, sf::Mouse::Button button = sf::Mouse::Left);
    void wheel(float delta);

    // A frame whose picture nobody looks at: the program updates as in every
    // frame and draws into a one-pixel texture, which spares the renderer the
    // screen's pixels while the drawing code runs all the same. Until the
    // next frame() there is no picture to read.
    void unseenFrame(sf::Vector2i pointer, const std::vector<sf::Event>& events = {}, double elapsedMs = 16.0);

    // Frames of elapsedMs each until `ms` milliseconds have passed, the last
    // one drawn on the screen.
    void run(double ms, double elapsedMs = 16.0);

    // The colour of a window pixel in the last frame drawn.
    sf::Color pixel(sf::Vector2i position);
    // Pixels of exactly `colour` in a reference rectangle of the last frame.
    int countPixels(sf::Color colour, float x, float y, float width, float height);
    const sf::Image& image();

    static sf::Event mouseMoved(sf::Vector2i pointer);
    static sf::Event mouseButton(sf::Event::EventType type, sf::Vector2i pointer, sf::Mouse::Button button);
    static sf::Event wheelScrolled(float delta, sf::Vector2i pointer);

private:
    // The last frame's pixels, rows bottom-up as OpenGL keeps them, read
    // once per frame into the same buffer: sf::Texture::copyToImage makes
    // three fresh copies of the screen, which under AddressSanitizer cost a
    // storm more than its frames.
    void readFrame();

    std::unique_ptr<App> m_app;
    sf::RenderTexture m_target;
    sf::RenderTexture m_unseen; // made at the first unseen frame
    bool m_lastSeen = true;
    sf::Vector2i m_pointer;
    std::vector<sf::Uint8> m_pixels;
    bool m_frameRead = false;
    sf::Image m_image;
    bool m_imageValid = false;
};
