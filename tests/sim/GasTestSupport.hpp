#pragma once

#include "sim/GasModel.hpp"

#include <cstdint>
#include <initializer_list>
#include <random>

// A model on a screen of the given size with a fixed seed, set up with count
// particles of 22 x 140 reference pixels.
inline GasModel makeGas(unsigned screenWidth, unsigned screenHeight, int count, unsigned seed = 7)
{
    const ScreenMetrics metrics = makeScreenMetrics(screenWidth, screenHeight);
    GasModel gas(metrics, std::mt19937(seed));
    gas.setup(scaleX(metrics, 22.0f), scaleY(metrics, 140.0f), count);
    return gas;
}

// Left edges of particles 0, 1, ... at rest.
inline void placeAtRest(GasModel& gas, std::initializer_list<double> positions)
{
    int i = 0;
    for (double x : positions)
        gas.setParticle(i++, x, 0.0, 0.0);
}

// One whole tick, in the order the frame loop runs it.
inline void tick(GasModel& gas, const GasSettings& settings, BondFlags& bonded, float dt)
{
    gas.tick(settings, bonded, dt);
}

inline GasSettings lawSettings(PotentialKind kind, int temperature = 25, int mass = 25, int C = 1)
{
    GasSettings settings;
    settings.law = kind;
    settings.temperature = temperature;
    settings.mass = mass;
    settings.C = C;
    return settings;
}

constexpr PotentialKind allLaws[] = {PotentialKind::Zero, PotentialKind::Attraction, PotentialKind::Repulsion,
                                     PotentialKind::LennardJones};

// The model's own sequence of draws, replayed: r mod 3 - 1 for a noise term,
// r mod 2 for a kick.
struct DrawReplay
{
    explicit DrawReplay(unsigned seed) : random(seed) {}
    int noiseSign() { return static_cast<int>(static_cast<std::uint32_t>(random()) % 3) - 1; }
    int kickBit() { return static_cast<int>(static_cast<std::uint32_t>(random()) % 2); }
    void skip(int draws) { random.discard(draws); }
    std::mt19937 random;
};
