#include "demo/PotentialGraph.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{
bool dark(sf::Color c) { return c.r < 100 && c.g < 100 && c.b < 100; }

// Each curved law at C = 1 and 5, drawn with multisampling as in the
// program's window, is dark along its whole length: near every reference
// pixel of R some pixel of the curve is black enough to read from the back
// of a hall. Points where an R axis bar would answer for the curve are skipped.
TEST(PotentialCurve, SolidAndDarkWhenMultisampled)
{
    for (sf::Vector2u size : {sf::Vector2u(1920, 1080), sf::Vector2u(1280, 720)})
    {
        const ScreenMetrics m = makeScreenMetrics(size.x, size.y);
        sf::Font font; // no text is looked at
        PotentialGraph graph;
        buildPotentialGraph(graph, font, m);
        sf::RenderTexture target;
        // The window asks for level 8; the renderer grants what it can (llvmpipe: 4).
        const unsigned samples = std::min(8u, sf::RenderTexture::getMaximumAntialiasingLevel());
        ASSERT_TRUE(target.create(size.x, size.y, sf::ContextSettings(0, 0, samples)));

        for (PotentialKind kind : {PotentialKind::Attraction, PotentialKind::Repulsion, PotentialKind::LennardJones})
            for (int c : {1, 5})
            {
                SCOPED_TRACE(testing::Message()
                             << size.x << "x" << size.y << ", law " << static_cast<int>(kind) << ", C " << c);
                target.clear(sf::Color::White);
                drawPotentialGraph(target, graph, kind, c);
                target.display();
                const sf::Image image = target.getTexture().copyToImage();

                int checked = 0;
                for (int l = 0; l < curveVertexCount; l += 10)
                {
                    const sf::Vector2f p = curveVertex(kind, c, l, m).a;
                    const int x = static_cast<int>(std::lround(p.x));
                    const int y = static_cast<int>(std::lround(p.y));
                    bool nearAxis = false;
                    for (const sf::RectangleShape& axis : graph.rAxes)
                        nearAxis = nearAxis || std::abs(axis.getPosition().y + axis.getSize().y / 2 - p.y) <
                                                   axis.getSize().y / 2 + 3;
                    if (nearAxis || y < 3 || y + 3 >= static_cast<int>(size.y))
                        continue;
                    bool found = false;
                    for (int dx = -1; dx <= 1 && !found; ++dx)
                        for (int dy = -2; dy <= 2 && !found; ++dy)
                            found = dark(image.getPixel(static_cast<unsigned>(x + dx), static_cast<unsigned>(y + dy)));
                    ASSERT_TRUE(found) << "faint at R = " << l / 10 << " reference pixels from the start, (" << x
                                       << ", " << y << ")";
                    ++checked;
                }
                EXPECT_GT(checked, 100); // reference pixels of R clear of the axis
            }
    }
}
} // namespace
