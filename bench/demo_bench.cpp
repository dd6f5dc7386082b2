// The demonstration screen's own work in one frame, apart from drawing:
// the slider update with its value texts, the readout refresh, and the
// recomputation of the potential curve. Target: <= 0.2 ms for a whole frame
// with Lennard-Jones at 1920 x 1080.

#include "demo/HistogramPanel.hpp"
#include "demo/PotentialGraph.hpp"
#include "demo/Slider.hpp"

#include <SFML/Graphics/Font.hpp>

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace
{
const ScreenMetrics full = makeScreenMetrics(1920, 1080);

// Everything the frame touches, built as the program builds it (no font
// loaded: text geometry is only made when a text is drawn).
struct DemoFrame
{
    DemoFrame() : gas(full, std::mt19937(7))
    {
        buildSliders(sliders, font, full);
        buildPotentialGraph(graph, font, full);
        buildHistogramPanel(histogram, font, full, formatNumber);
        gas.setup(scaleX(full, 22), scaleY(full, 140), 15);
        BondFlags bonded{};
        for (int i = 0; i < 50; ++i)
            gas.tick(GasSettings{}, bonded, 16);
        // The count knob dragged: the costliest row, it recomputes the width too.
        const sf::Vector2f knob = sliderAt(sliders, SliderRow::Count).knob.getPosition();
        pressKnob(sliders, {knob.x + 10, knob.y + 10});
    }

    void sliderFrame(float pointerX)
    {
        updateSliders(sliders, settings, needsSetup, {pointerX, 300}, full);
        writeSliderValues(sliders, settings, formatNumber, full);
    }

    sf::Font font;
    NumberFormatter formatNumber;
    SliderPanel sliders;
    PotentialGraph graph;
    HistogramPanel histogram;
    GasModel gas;
    GasSettings settings;
    PaceClock readoutClock;
    bool needsSetup = false;
};

float wobble(int frame) { return 600.0f + static_cast<float>(frame % 80); }

void sliderUpdate(benchmark::State& state)
{
    DemoFrame f;
    int frame = 0;
    for (auto _ : state)
    {
        f.sliderFrame(wobble(frame++));
        benchmark::DoNotOptimize(f.settings);
    }
}
BENCHMARK(sliderUpdate);

void readoutRefresh(benchmark::State& state)
{
    DemoFrame f;
    for (auto _ : state)
        refreshReadouts(f.histogram, f.gas, f.formatNumber, f.readoutClock);
}
BENCHMARK(readoutRefresh);

void curveRecompute(benchmark::State& state)
{
    DemoFrame f;
    const PotentialKind kind = static_cast<PotentialKind>(state.range(0));
    int c = 0;
    for (auto _ : state)
    {
        recomputeCurve(f.graph, kind, 1 + c++ % 5);
        benchmark::ClobberMemory();
    }
    state.SetLabel(kind == PotentialKind::Attraction  ? "Attraction"
                   : kind == PotentialKind::Repulsion ? "Repulsion"
                                                      : "LennardJones");
}
BENCHMARK(curveRecompute)->Arg(1)->Arg(2)->Arg(3);

// The same Lennard-Jones strips with two calls of std::pow per vertex index,
// for comparison with the multiplied powers the program uses.
void curveRecomputeWithPow(benchmark::State& state)
{
    DemoFrame f;
    auto& strips = f.graph.curveStrips[2];
    sf::Vertex* a = &strips[0][0];
    sf::Vertex* b = &strips[1][0];
    sf::Vertex* c3 = &strips[2][0];
    const double width = full.screenWidth, height = full.screenHeight;
    int c = 0;
    for (auto _ : state)
    {
        const int C = 1 + c++ % 5;
        const double k = static_cast<double>(static_cast<float>(C) * 600.0f) * 0.2;
        for (int l = 0; l < curveVertexCount; ++l)
        {
            const double d = l * 0.1 + ljStartOffset(C);
            const double r = d * static_cast<double>(0.005f);
            const double u = k * (1 / std::pow(r, 12) - 1 / std::pow(r, 6));
            const float x = static_cast<float>((d + 1200) * width / 1920);
            const float y = static_cast<float>((530 - u) * height / 1080);
            a[l].position = {x, y};
            b[l].position = {x + 1, y};
            c3[l].position = {x, y - 1};
            a[l].color = b[l].color = c3[l].color = sf::Color::Black;
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(curveRecomputeWithPow);

// A whole frame with Lennard-Jones selected, a knob dragged and a readout
// refresh due (which happens at most every 100 ms).
void lennardJonesFrame(benchmark::State& state)
{
    DemoFrame f;
    int frame = 0;
    for (auto _ : state)
    {
        recomputeCurve(f.graph, PotentialKind::LennardJones, f.settings.C);
        refreshReadouts(f.histogram, f.gas, f.formatNumber, f.readoutClock);
        f.sliderFrame(wobble(frame++));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(lennardJonesFrame);
} // namespace
