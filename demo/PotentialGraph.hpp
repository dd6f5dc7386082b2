#pragma once

#include "app/Layout.hpp"
#include "sim/GasModel.hpp"

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/VertexArray.hpp>

#include <array>

// The plot of the selected pair potential U(R) on the demonstration screen.
struct PotentialGraph
{
    sf::Text graphTitle; // drawn with the screen's fixed texts
    sf::RectangleShape uAxis;
    std::array<sf::RectangleShape, 3> rAxes; // at y = 340, 530, 690
    std::array<sf::Text, 4> formulaCaptions; // indexed by PotentialKind
    sf::Text exponent12;
    sf::Text exponent6;
    std::array<std::array<sf::VertexArray, 3>, 3> curveStrips; // [Attraction, Repulsion, LennardJones][A, B, C]
    ScreenMetrics metrics;
};

void buildPotentialGraph(PotentialGraph& graph, const sf::Font& font, const ScreenMetrics& m);
void drawPotentialGraph(sf::RenderTarget& target, PotentialGraph& graph, PotentialKind kind, int coefficientC);
