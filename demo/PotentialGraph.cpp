#include "demo/PotentialGraph.hpp"

// Placeholder bodies, replaced by the graph implementation.
void buildPotentialGraph(PotentialGraph& graph, const sf::Font&, const ScreenMetrics& m) { graph.metrics = m; }
void drawPotentialGraph(sf::RenderTarget&, PotentialGraph&, PotentialKind, int) {}
