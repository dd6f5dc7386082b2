#include <SFML/Window/Context.hpp>

#include <gtest/gtest.h>

#include <memory>

namespace
{
// SFML opens the X display when its first context appears and closes it when
// the last one goes. Every screen test builds and drops its own render
// texture, so without a context that outlives them the binary reconnects to
// the X server once per test; a busy Xvfb then refuses connections (EAGAIN)
// after a few dozen. One idle context kept for the whole run holds a single
// connection open.
class DisplayConnection : public ::testing::Environment
{
public:
    void SetUp() override
    {
        m_context = std::make_unique<sf::Context>();
        (void)m_context->setActive(false);
    }
    void TearDown() override { m_context.reset(); }

private:
    std::unique_ptr<sf::Context> m_context;
};

// GoogleTest takes ownership of the environment.
[[maybe_unused]] ::testing::Environment* const displayConnection =
    ::testing::AddGlobalTestEnvironment(new DisplayConnection);
} // namespace
