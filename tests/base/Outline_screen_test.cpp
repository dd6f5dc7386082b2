#include "base/Layout.hpp"
#include "support/Frames.hpp"

#include <gtest/gtest.h>

// On the clear, a white shape drawn by its outline alone, and a shape drawn
// without blending, look exactly as the shape drawn whole: at whole and at
// fractional positions (a 1280-pixel screen), for boxes, thin tracks and
// the pentagons.
TEST(ShapesOnTheClear, LookAsWhenDrawnWhole)
{
    sf::RenderTexture target;
    ASSERT_TRUE(makeWindowLikeTarget(target, 200, 120));
    const ScreenMetrics sizes[] = {makeScreenMetrics(1920, 1080), makeScreenMetrics(1280, 720),
                                   makeScreenMetrics(1366, 768)};
    for (const ScreenMetrics& m : sizes)
    {
        sf::RectangleShape box, track, bar;
        makeBox(box, 20, 20, 90, 40, m);
        makeBox(track, 30, 110, 100, 0.1f, m, 1.0f);
        makeBar(bar, 150, 10, 3, 60, m);
        sf::ConvexShape knob;
        makePentagon(knob, 160, 70, m);
        for (const sf::Shape* shape : std::initializer_list<const sf::Shape*>{&box, &track, &knob})
        {
            const sf::Image whole = renderFrame(target, [&](sf::RenderTarget& t) { t.draw(*shape); });
            EXPECT_TRUE(samePixels(whole, renderFrame(target, [&](sf::RenderTarget& t) { drawOnClear(t, *shape); })))
                << "outline alone at " << m.screenWidth << " x " << m.screenHeight;
        }
        sf::RectangleShape grey = box;
        grey.setFillColor(sf::Color(192, 192, 192));
        for (const sf::Shape* shape : std::initializer_list<const sf::Shape*>{&grey, &bar, &knob})
        {
            // Over something already drawn, so that blending would show.
            const auto under = [&](sf::RenderTarget& t) { t.draw(bar); };
            const sf::Image whole = renderFrame(target,
                                                [&](sf::RenderTarget& t)
                                                {
                                                    under(t);
                                                    t.draw(*shape);
                                                });
            const sf::Image opaque = renderFrame(target,
                                                 [&](sf::RenderTarget& t)
                                                 {
                                                     under(t);
                                                     drawOpaque(t, *shape);
                                                 });
            EXPECT_TRUE(samePixels(whole, opaque))
                << "without blending at " << m.screenWidth << " x " << m.screenHeight;
        }
    }
}
