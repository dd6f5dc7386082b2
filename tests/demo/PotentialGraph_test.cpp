#include "demo/PotentialGraph.hpp"

#include <SFML/Graphics/Font.hpp>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const ScreenMetrics full = makeScreenMetrics(1920, 1080);

// At 1920 x 1080 window pixels are reference pixels; the listed points are
// given to two decimals.
void expectNear(sf::Vector2f actual, float x, float y)
{
    EXPECT_NEAR(actual.x, x, 0.006f);
    EXPECT_NEAR(actual.y, y, 0.006f);
}

TEST(CurveVertex, AttractionHangsBelowItsAxis)
{
    expectNear(curveVertex(PotentialKind::Attraction, 1, 0, full).a, 1370, 454);
    expectNear(curveVertex(PotentialKind::Attraction, 1, 3899, full).a, 1759.9f, 349.37f);
    expectNear(curveVertex(PotentialKind::Attraction, 5, 0, full).a, 1370, 654);
    for (int c = 1; c <= 5; ++c)
        expectNear(curveVertex(PotentialKind::Attraction, c, 0, full).a, 1370, 344 + (c * 1000 + 1200) / 20.0f);
}

TEST(CurveVertex, RepulsionStandsAboveItsAxis)
{
    expectNear(curveVertex(PotentialKind::Repulsion, 1, 0, full).a, 1370, 580);
    expectNear(curveVertex(PotentialKind::Repulsion, 1, 3899, full).a, 1759.9f, 684.63f);
    expectNear(curveVertex(PotentialKind::Repulsion, 5, 0, full).a, 1370, 380);
    for (int c = 1; c <= 5; ++c)
    {
        expectNear(curveVertex(PotentialKind::Repulsion, c, 0, full).a, 1370, 690 - (c * 1000 + 1200) / 20.0f);
        // Mirror images about the two axes' common offset: 344 + V and 690 - V.
        const CurveVertex a = curveVertex(PotentialKind::Attraction, c, 2000, full);
        const CurveVertex r = curveVertex(PotentialKind::Repulsion, c, 2000, full);
        EXPECT_NEAR(a.a.y + r.a.y, 344 + 690, 1e-3f);
        EXPECT_EQ(a.a.x, r.a.x);
    }
}

TEST(CurveVertex, LennardJonesFirstLastAndDeepestPoints)
{
    const float firstX[] = {1378, 1384.5f, 1387.9f, 1390, 1391.5f};
    const float firstY[] = {285.61f, 287.56f, 292.23f, 294.68f, 298.23f};
    for (int c = 1; c <= 5; ++c)
    {
        SCOPED_TRACE(c);
        expectNear(curveVertex(PotentialKind::LennardJones, c, 0, full).a, firstX[c - 1], firstY[c - 1]);
        // The minimum, r = 2^(1/6), lies at d = 224.5 for every C.
        const int deepest = static_cast<int>(std::lround((224.5 - ljStartOffset(c)) * 10));
        expectNear(curveVertex(PotentialKind::LennardJones, c, deepest, full).a, 1424.5f, 530.0f + 30 * c);
        for (int l : {deepest - 1, deepest + 1})
            EXPECT_LT(curveVertex(PotentialKind::LennardJones, c, l, full).a.y,
                      curveVertex(PotentialKind::LennardJones, c, deepest, full).a.y);
    }
    expectNear(curveVertex(PotentialKind::LennardJones, 1, 3899, full).a, 1767.9f, 530.23f);
}

// The curve exactly as the formula reads, with both powers from std::pow.
sf::Vector2f directLennardJones(int c, int l, double dx, double dy, const ScreenMetrics& m)
{
    const double offsets[] = {178, 184.5, 187.9, 190, 191.5};
    const double d = l * 0.1 + offsets[c - 1];
    const double r = d * 0.004999999888241291;
    const double x = d + 1200;
    const double k = static_cast<double>(static_cast<float>(c) * 600.0f) * 0.2;
    const double u = k * (1 / std::pow(r, 12) - 1 / std::pow(r, 6));
    const double y = dy == 0 ? 530 - u : 530 - (u + 1);
    return {static_cast<float>((x + dx) * static_cast<double>(m.screenWidth) / 1920),
            static_cast<float>(y * static_cast<double>(m.screenHeight) / 1080)};
}

TEST(CurveVertex, LennardJonesVerticesMatchThePowerFormulaExactly)
{
    for (const ScreenMetrics& m : {full, makeScreenMetrics(1280, 720), makeScreenMetrics(1366, 768),
                                   makeScreenMetrics(3840, 2160), makeScreenMetrics(2560, 1080)})
        for (int c = 1; c <= 5; ++c)
            for (int l = 0; l < curveVertexCount; ++l)
            {
                const CurveVertex v = curveVertex(PotentialKind::LennardJones, c, l, m);
                ASSERT_EQ(v.a, directLennardJones(c, l, 0, 0, m)) << m.screenWidth << " C " << c << " l " << l;
                ASSERT_EQ(v.b, directLennardJones(c, l, 1, 0, m)) << m.screenWidth << " C " << c << " l " << l;
                ASSERT_EQ(v.c, directLennardJones(c, l, 0, 1, m)) << m.screenWidth << " C " << c << " l " << l;
            }
}

TEST(CurveVertex, StripsBAndCAreOneReferencePixelAway)
{
    const ScreenMetrics big = makeScreenMetrics(3840, 2160);
    for (PotentialKind kind : {PotentialKind::Attraction, PotentialKind::Repulsion, PotentialKind::LennardJones})
    {
        const CurveVertex v = curveVertex(kind, 3, 1234, big);
        EXPECT_NEAR(v.b.x - v.a.x, 2.0f, 1e-3f); // two device pixels on a doubled screen
        EXPECT_EQ(v.b.y, v.a.y);
        EXPECT_EQ(v.c.x, v.a.x);
        const float expectedDy = kind == PotentialKind::LennardJones ? -2.0f : 2.0f; // LJ: higher, others lower
        EXPECT_NEAR(v.c.y - v.a.y, expectedDy, 1e-3f);
    }
}

struct Graph
{
    explicit Graph(const ScreenMetrics& m) { buildPotentialGraph(graph, font, m); }
    sf::Font font;
    PotentialGraph graph;
};

TEST(PotentialGraph, BuiltWithAxesCaptionsAndNineStrips)
{
    Graph g(full);
    const PotentialGraph& graph = g.graph;
    EXPECT_EQ(graph.graphTitle.getString(), sf::String(L"График потенциала U(R)"));
    EXPECT_EQ(graph.graphTitle.getPosition(), sf::Vector2f(1354, 228));
    EXPECT_EQ(graph.uAxis.getPosition(), sf::Vector2f(1350, 290));
    EXPECT_EQ(graph.uAxis.getSize(), sf::Vector2f(4, 400));
    const float axisY[] = {340, 530, 690};
    for (std::size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(graph.rAxes[i].getPosition(), sf::Vector2f(1350, axisY[i]));
        EXPECT_EQ(graph.rAxes[i].getSize(), sf::Vector2f(450, 4));
        EXPECT_EQ(graph.rAxes[i].getFillColor(), sf::Color::Black);
    }
    EXPECT_EQ(graph.formulaCaptions[0].getString(), "U(R) = 0");
    EXPECT_EQ(graph.formulaCaptions[1].getString(), "U(R) = -C / R");
    EXPECT_EQ(graph.formulaCaptions[2].getString(), "U(R) = C / R");
    EXPECT_EQ(graph.formulaCaptions[3].getString(), "U(R) = C/R  - C/R ");
    for (const sf::Text& caption : graph.formulaCaptions)
        EXPECT_EQ(caption.getPosition(), sf::Vector2f(1500, 438));
    EXPECT_EQ(graph.exponent12.getString(), "12");
    EXPECT_EQ(graph.exponent6.getString(), "6");
    EXPECT_EQ(graph.exponent12.getPosition(), sf::Vector2f(1674, 428));
    EXPECT_EQ(graph.exponent6.getPosition(), sf::Vector2f(1780, 428));
    EXPECT_EQ(graph.exponent12.getCharacterSize(), 26u);
    EXPECT_EQ(graph.formulaCaptions[3].getCharacterSize(), 36u);
    for (const auto& group : graph.curveStrips)
        for (const sf::VertexArray& strip : group)
        {
            EXPECT_EQ(strip.getVertexCount(), 3900u);
            EXPECT_EQ(strip.getPrimitiveType(), sf::LineStrip);
        }
}

TEST(PotentialGraph, SmallExponentsFollowTheWidth)
{
    Graph g(makeScreenMetrics(1280, 720));
    EXPECT_EQ(g.graph.exponent6.getCharacterSize(), 17u);
    EXPECT_EQ(g.graph.formulaCaptions[0].getCharacterSize(), 24u);
}

TEST(PotentialGraph, RecomputeRewritesOnlyTheChosenKindFromC)
{
    Graph g(full);
    recomputeCurve(g.graph, PotentialKind::LennardJones, 2);
    const auto& lj = g.graph.curveStrips[2];
    for (std::size_t l : {std::size_t{0}, std::size_t{1999}, std::size_t{3899}})
    {
        const CurveVertex v = curveVertex(PotentialKind::LennardJones, 2, static_cast<int>(l), full);
        EXPECT_EQ(lj[0][l].position, v.a);
        EXPECT_EQ(lj[1][l].position, v.b);
        EXPECT_EQ(lj[2][l].position, v.c);
        EXPECT_EQ(lj[0][l].color, sf::Color::Black);
        EXPECT_EQ(lj[2][l].color, sf::Color::Black);
    }
    // The other kinds keep their initial contents.
    EXPECT_EQ(g.graph.curveStrips[0][0][0].position, sf::Vector2f(0, 0));

    // A new C moves the first vertex on the next recomputation.
    recomputeCurve(g.graph, PotentialKind::LennardJones, 5);
    expectNear(lj[0][0].position, 1391.5f, 298.23f);

    recomputeCurve(g.graph, PotentialKind::Zero, 5); // no curve, nothing to do
    recomputeCurve(g.graph, PotentialKind::Attraction, 1);
    expectNear(g.graph.curveStrips[0][0][0].position, 1370, 454);
}

TEST(PotentialGraph, StartOffsetsPerCoefficient)
{
    EXPECT_EQ(ljStartOffset(1), 178);
    EXPECT_EQ(ljStartOffset(2), 184.5);
    EXPECT_EQ(ljStartOffset(3), 187.9);
    EXPECT_EQ(ljStartOffset(4), 190);
    EXPECT_EQ(ljStartOffset(5), 191.5);
}
} // namespace
