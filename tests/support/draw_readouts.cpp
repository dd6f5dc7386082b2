// Draws E, sigma and sigma / E as the demonstration screen shows them, alone
// on white, into a PNG: what the screen must look like where the readouts
// stand when they hold these texts.
// Usage: draw_readouts WIDTH HEIGHT FONT E SIGMA RATIO OUT.png
#include "demo/HistogramPanel.hpp"

#include <SFML/Graphics/RenderTexture.hpp>

#include <iostream>
#include <string>

int main(int argc, char* argv[])
{
    if (argc != 8)
    {
        std::cerr << "usage: draw_readouts WIDTH HEIGHT FONT E SIGMA RATIO OUT.png\n";
        return 2;
    }
    const unsigned width = std::stoul(argv[1]), height = std::stoul(argv[2]);
    sf::Font font;
    sf::RenderTexture target;
    if (!font.loadFromFile(argv[3]) || !target.create(width, height))
        return 1;
    HistogramPanel panel;
    NumberFormatter formatNumber;
    buildHistogramPanel(panel, font, makeScreenMetrics(width, height), formatNumber);
    panel.meanText.setString(argv[4]);
    panel.sigmaText.setString(argv[5]);
    panel.ratioText.setString(argv[6]);

    target.clear(sf::Color::White);
    for (const sf::Text* text : {&panel.meanText, &panel.sigmaText, &panel.ratioText})
        target.draw(*text);
    target.display();
    return target.getTexture().copyToImage().saveToFile(argv[7]) ? 0 : 1;
}
