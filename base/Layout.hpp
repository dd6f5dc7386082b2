#pragma once

#include "base/Catalogue.hpp"
#include "base/ScreenMetrics.hpp"

#include <SFML/Graphics/ConvexShape.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Text.hpp>

#include <array>
#include <vector>

// Drawing helpers shared by every screen: each turns a row of a layout table,
// given in reference pixels, into a drawable on the real screen.

constexpr unsigned labelCharacterSize = 36; // every label and readout unless stated otherwise
constexpr float outlineThickness = 2.0f;    // pixels, never scaled

const sf::Color paleCyan(224, 238, 238);  // hovered
const sf::Color lightGrey(192, 192, 192); // pressed or selected

inline sf::Vector2f scalePoint(const ScreenMetrics& m, float x, float y) { return {scaleX(m, x), scaleY(m, y)}; }

// A black text at a reference position and character size.
void makeText(sf::Text& text, const sf::Font& font, const sf::String& string, float x, float y, const ScreenMetrics& m,
              unsigned characterSize = labelCharacterSize);

// A white rectangle with a black outline; size and position in reference pixels.
void makeBox(sf::RectangleShape& box, float x, float y, float width, float height, const ScreenMetrics& m,
             float outline = outlineThickness);

// A filled black bar without outline (axes and tick marks).
void makeBar(sf::RectangleShape& bar, float x, float y, float width, float height, const ScreenMetrics& m);

// The pentagon of the slider knobs and the theory thumb: a 64 x 64 box whose
// lower half narrows to a point at the middle of its bottom edge.
void makePentagon(sf::ConvexShape& pentagon, float x, float y, const ScreenMetrics& m);

// Drawing on a software renderer, where every pixel covered costs time.
// A shape whose colours are all opaque and that has no texture, drawn without
// blending: the same pixels, but the renderer need not read what lies under.
void drawOpaque(sf::RenderTarget& target, const sf::Shape& shape);
// Only the outline band of a shape, exactly where drawing the whole shape
// puts it: for a white shape on pixels still white from the clear.
void drawOutline(sf::RenderTarget& target, const sf::Shape& shape);
// A shape drawn where every pixel under it is still white from the clear: a
// white fill there changes nothing, so only its outline is drawn.
void drawOnClear(sf::RenderTarget& target, const sf::Shape& shape);

// A screen's backdrop: its white boxes (buttons, boxes, tracks, the gas
// channel), drawn right after the clear and before anything else, so that
// nothing lies under them and each is drawn by its outline alone. What the
// screen draws afterwards must stay off them or lie on them by design (a
// label on its button, a particle in the channel).
using Backdrop = std::vector<const sf::Shape*>;
void drawBackdrop(sf::RenderTarget& target, const Backdrop& backdrop);
