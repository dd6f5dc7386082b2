#include "demo/PotentialGraph.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{
// Each curved law at C = 1 and 5, drawn multisampled as in the program's
// window, has a dark pixel (all channels below 100) within a pixel or two of
// every reference pixel of R, except where its own R axis lies under it.
TEST(PotentialCurve, SolidAndDarkWhenMultisampled)
{
    for (sf::Vector2u size : {sf::Vector2u(1920, 1080), sf::Vector2u(1280, 720)})
    {
        const ScreenMetrics m = makeScreenMetrics(size.x, size.y);
        sf::Font font; // no text is looked at
        PotentialGraph graph;
        buildPotentialGraph(graph, font, m);
        sf::RenderTexture target; // the window asks for 8 samples; llvmpipe grants 4
        ASSERT_TRUE(target.create(
            size.x, size.y, sf::ContextSettings(0, 0, std::min(8u, sf::RenderTexture::getMaximumAntialiasingLevel()))));
        for (PotentialKind kind : {PotentialKind::Attraction, PotentialKind::Repulsion, PotentialKind::LennardJones})
            for (int c : {1, 5})
            {
                target.clear(sf::Color::White);
                drawPotentialGraph(target, graph, kind, c);
                target.display();
                const sf::Image image = target.getTexture().copyToImage();
                const float axisY = scaleY(m, kind == PotentialKind::Attraction  ? 342.0f
                                              : kind == PotentialKind::Repulsion ? 692.0f
                                                                                 : 532.0f);
                for (int l = 0; l < curveVertexCount; l += 10)
                {
                    const sf::Vector2f p = curveVertex(kind, c, l, m).a;
                    bool dark = std::abs(p.y - axisY) < scaleY(m, 2.0f) + 3.0f;
                    for (int dx = -1; dx <= 1; ++dx)
                        for (int dy = -2; dy <= 2; ++dy)
                        {
                            const sf::Color pixel = image.getPixel(static_cast<unsigned>(std::lround(p.x) + dx),
                                                                   static_cast<unsigned>(std::lround(p.y) + dy));
                            dark = dark || (pixel.r < 100 && pixel.g < 100 && pixel.b < 100);
                        }
                    ASSERT_TRUE(dark) << size.x << "x" << size.y << ", law " << static_cast<int>(kind) << ", C " << c
                                      << ": faint at (" << p.x << ", " << p.y << ")";
                }
            }
    }
}
} // namespace
