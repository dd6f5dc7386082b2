#pragma once

#include "base/Layout.hpp"
#include "sim/GasModel.hpp"

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/VertexArray.hpp>

#include <array>

// Vertices per line strip: R runs over 390 reference pixels in steps of 0.1.
constexpr int curveVertexCount = 3900;

// The plot of the selected pair potential U(R) on the demonstration screen.
struct PotentialGraph
{
    sf::Text graphTitle; // drawn with the screen's fixed texts
    sf::RectangleShape uAxis;
    std::array<sf::RectangleShape, 3> rAxes; // at y = 340, 530, 690
    std::array<sf::Text, 4> formulaCaptions; // indexed by PotentialKind
    sf::Text exponent12;
    sf::Text exponent6;
    // [Attraction, Repulsion, LennardJones][A, B, C]: A is the curve, B the
    // same one reference pixel to the right, C one pixel lower (Lennard-Jones:
    // higher); together they draw a curve about two pixels thick.
    std::array<std::array<sf::VertexArray, 3>, 3> curveStrips;
    // The C each group was last computed for (0: never): the strips depend
    // only on the law, C and the screen, so a frame recomputes nothing
    // unless C has changed since that law was last drawn.
    std::array<int, 3> computedFor{};
    ScreenMetrics metrics;
};

// Where a curve starts for Lennard-Jones, so that its first vertex sits near
// the top of the U axis for every C (1 ... 5).
double ljStartOffset(int C);

// Vertex l (0 ... 3899) of the three strips of a curved kind, window pixels.
struct CurveVertex
{
    sf::Vector2f a, b, c;
};
CurveVertex curveVertex(PotentialKind kind, int C, int l, const ScreenMetrics& m);

void buildPotentialGraph(PotentialGraph& graph, const sf::Font& font, const ScreenMetrics& m);

// Rewrites the three strips of a curved kind from C; Zero has no curve.
void recomputeCurve(PotentialGraph& graph, PotentialKind kind, int C);

// Draws the selected kind's axes, curve and caption, its strips recomputed
// first when C differs from the one they hold.
void drawPotentialGraph(sf::RenderTarget& target, PotentialGraph& graph, PotentialKind kind, int C);
