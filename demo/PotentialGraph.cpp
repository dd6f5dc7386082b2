#include "demo/PotentialGraph.hpp"

#include <SFML/OpenGL.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace
{
enum class Strip : int
{
    A, // the curve
    B, // one reference pixel to the right
    C, // one reference pixel lower (Lennard-Jones: higher)
};

constexpr std::array<float, 3> rAxisY = {340, 530, 690};

// What each kind shows, indexed by PotentialKind.
struct GraphLook
{
    int rAxis; // index into rAxisY
    int stripCount;
    std::array<Strip, 3> stripOrder;
    bool exponents; // the small "12" and "6" of the Lennard-Jones caption
    const wchar_t* caption;
};
constexpr GraphLook graphLooks[] = {
    {2, 0, {Strip::A, Strip::B, Strip::C}, false, L"U(R) = 0"},          // Zero
    {0, 3, {Strip::B, Strip::C, Strip::A}, false, L"U(R) = -C / R"},     // Attraction
    {2, 3, {Strip::A, Strip::B, Strip::C}, false, L"U(R) = C / R"},      // Repulsion
    {1, 3, {Strip::A, Strip::B, Strip::C}, true, L"U(R) = C/R  - C/R "}, // LennardJones
};
static_assert(std::size(graphLooks) == potentialKindCount, "one look per law");

constexpr std::array<double, 5> ljStartOffsets = {178, 184.5, 187.9, 190, 191.5}; // C = 1 ... 5

// The curve group of a curved kind: Attraction 0, Repulsion 1, LennardJones 2.
int curveGroup(PotentialKind kind) { return static_cast<int>(kind) - 1; }

bool isCurved(PotentialKind kind) { return kind != PotentialKind::Zero; }

// A line strip is one pixel wide. Multisampled, such a line covers only some
// samples of each pixel it crosses: the curve comes out grey, dotted where
// it flattens, and its faint tails vanish (Mesa's software renderer, small
// screens). Drawn single-sampled, every pixel it crosses is black.
class SingleSampled
{
public:
    explicit SingleSampled(sf::RenderTarget& target) : m_active(target.setActive(true))
    {
        if (m_active)
        {
            m_wasOn = glIsEnabled(GL_MULTISAMPLE) == GL_TRUE;
            glDisable(GL_MULTISAMPLE);
        }
    }
    ~SingleSampled()
    {
        if (m_active && m_wasOn)
            glEnable(GL_MULTISAMPLE);
    }
    SingleSampled(const SingleSampled&) = delete;
    SingleSampled& operator=(const SingleSampled&) = delete;

private:
    bool m_active;
    bool m_wasOn = false;
};
} // namespace

double ljStartOffset(int C)
{
    const int i = std::clamp(C, 1, static_cast<int>(ljStartOffsets.size())) - 1;
    return ljStartOffsets[static_cast<std::size_t>(i)];
}

CurveVertex curveVertex(PotentialKind kind, int C, int l, const ScreenMetrics& m)
{
    if (kind == PotentialKind::LennardJones)
    {
        // r in units of the interparticle length: 0.005 per reference pixel.
        const double d = l * 0.1 + ljStartOffset(C);
        const double r = d * static_cast<double>(0.005f);
        const double x = d + 1200.0;
        const double k = static_cast<double>(static_cast<float>(C) * 600.0f) * 0.2;
        // The powers by multiplication: after narrowing to float every vertex
        // is the one std::pow gives (the unit tests compare all of them), at a
        // fraction of the cost.
        const double r3 = r * r * r;
        const double r6 = r3 * r3;
        const double r12 = r6 * r6;
        const double u = k * (1.0 / r12 - 1.0 / r6); // reference pixels above the R axis
        return {{scaleXFromDouble(m, x), scaleYFromDouble(m, 530.0 - u)},
                {scaleXFromDouble(m, x + 1.0), scaleYFromDouble(m, 530.0 - u)},
                {scaleXFromDouble(m, x), scaleYFromDouble(m, 530.0 - (u + 1.0))}};
    }

    // U = -C/R and C/R, drawn over R = 20 ... 409.9 reference pixels.
    const double r = l * 0.1 + 20.0;
    const double x = r + 1350.0;
    const double v = (C * 1000.0 + 1200.0) / r;
    const double y = kind == PotentialKind::Attraction ? v + 344.0 : 690.0 - v;
    return {{scaleXFromDouble(m, x), scaleYFromDouble(m, y)},
            {scaleXFromDouble(m, x + 1.0), scaleYFromDouble(m, y)},
            {scaleXFromDouble(m, x), scaleYFromDouble(m, y + 1.0)}};
}

void buildPotentialGraph(PotentialGraph& graph, const sf::Font& font, const ScreenMetrics& m, const Catalogue& words)
{
    graph.metrics = m;
    makeText(graph.graphTitle, font, words(L"График потенциала U(R)"), 1354, 228, m);
    makeBar(graph.uAxis, 1350, 290, 4, 400, m);
    for (std::size_t i = 0; i < rAxisY.size(); ++i)
        makeBar(graph.rAxes[i], 1350, rAxisY[i], 450, 4, m);
    for (std::size_t i = 0; i < std::size(graphLooks); ++i)
        makeText(graph.formulaCaptions[i], font, graphLooks[i].caption, 1500, 438, m);
    // Superscripts over the two spaces of the Lennard-Jones caption, 10 pixels higher.
    makeText(graph.exponent12, font, L"12", 1674, 428, m, 26);
    makeText(graph.exponent6, font, L"6", 1780, 428, m, 26);
    for (auto& group : graph.curveStrips)
        for (sf::VertexArray& strip : group)
        {
            strip.setPrimitiveType(sf::LineStrip);
            strip.resize(curveVertexCount);
        }
}

void recomputeCurve(PotentialGraph& graph, PotentialKind kind, int C)
{
    if (!isCurved(kind))
        return;
    std::array<sf::VertexArray, 3>& strips = graph.curveStrips[static_cast<std::size_t>(curveGroup(kind))];
    graph.computedFor[static_cast<std::size_t>(curveGroup(kind))] = C;
    // Straight into the vertex storage: 3 x 3900 vertices.
    sf::Vertex* a = &strips[0][0];
    sf::Vertex* b = &strips[1][0];
    sf::Vertex* c = &strips[2][0];
    for (int l = 0; l < curveVertexCount; ++l)
    {
        const CurveVertex v = curveVertex(kind, C, l, graph.metrics);
        a[l].position = v.a;
        b[l].position = v.b;
        c[l].position = v.c;
        a[l].color = b[l].color = c[l].color = sf::Color::Black;
    }
}

namespace
{
// A strip goes to the renderer in pieces that share their end vertices: the
// same segments, so the same pixels. The software renderer takes room for
// each draw's vertices, some 50 bytes apiece; kept under 128 KB, that room is
// reused from the heap, where a larger block is mapped afresh each frame
// under the sanitizers' allocator.
constexpr std::size_t pieceVertices = 1300;

void drawStrip(sf::RenderTarget& target, const sf::VertexArray& strip)
{
    const std::size_t count = strip.getVertexCount();
    for (std::size_t first = 0; first + 1 < count; first += pieceVertices - 1)
        target.draw(&strip[first], std::min(pieceVertices, count - first), sf::LineStrip);
}
} // namespace

void drawPotentialGraph(sf::RenderTarget& target, PotentialGraph& graph, PotentialKind kind, int C)
{
    const GraphLook& look = graphLooks[static_cast<std::size_t>(kind)];
    if (isCurved(kind) && graph.computedFor[static_cast<std::size_t>(curveGroup(kind))] != C)
        recomputeCurve(graph, kind, C);
    target.draw(graph.rAxes[static_cast<std::size_t>(look.rAxis)]);
    target.draw(graph.uAxis);
    if (isCurved(kind))
    {
        const SingleSampled singleSampled(target);
        const auto& strips = graph.curveStrips[static_cast<std::size_t>(curveGroup(kind))];
        for (int s = 0; s < look.stripCount; ++s)
            drawStrip(target, strips[static_cast<std::size_t>(look.stripOrder[static_cast<std::size_t>(s)])]);
    }
    target.draw(graph.formulaCaptions[static_cast<std::size_t>(kind)]);
    if (look.exponents)
    {
        target.draw(graph.exponent12);
        target.draw(graph.exponent6);
    }
}
