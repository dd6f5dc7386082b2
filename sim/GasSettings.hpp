#pragma once

// The settings of one gas, with their defaults and ranges: the one place the
// demonstration's start-up, velorin-lab and the tools take them from.

#include <cstddef>
#include <iterator>

// The pair law between neighbouring particles, as chosen on the
// demonstration screen.
enum class PotentialKind : int
{
    Zero = 0,         // no interaction: noise and friction only
    Attraction = 1,   // U = -C / R, with bonding of close neighbours
    Repulsion = 2,    // U = C / R
    LennardJones = 3, // repulsive 13th-power and attractive 7th-power forces
};
constexpr int potentialKindCount = 4;

// The law's name in files and on command lines, indexed by PotentialKind.
constexpr const char* potentialNames[] = {"zero", "attraction", "repulsion", "lennard-jones"};
static_assert(std::size(potentialNames) == potentialKindCount, "one name per law");
inline const char* lawName(PotentialKind law) { return potentialNames[static_cast<int>(law)]; }

// The particle counts the model supports: the motion rules need two end
// particles, and the bond flags have room for 100.
constexpr int minParticles = 2;
constexpr int maxParticles = 100;

// A closed range of whole values.
struct SettingRange
{
    int lo;
    int hi;
    constexpr bool contains(int v) const { return v >= lo && v <= hi; }
    constexpr int clamp(int v) const { return v < lo ? lo : (v > hi ? hi : v); }
};

// What a person sets: the law chosen by the potential buttons and the five
// sliders' values, or the same given to velorin-lab and the tools. The
// defaults are the start-up values.
struct GasSettings
{
    PotentialKind law = PotentialKind::Zero;
    int count = 15;       // particles
    int width = 22;       // reference pixels of a 1920-pixel-wide screen, scaled with the width
    int temperature = 25; // T
    int mass = 25;        // m
    int C = 1;            // the strength of the pair law
};
constexpr GasSettings defaultGasSettings() { return GasSettings{}; }

constexpr SettingRange countRange{minParticles, maxParticles}; // what the model supports
constexpr SettingRange sliderCountRange{2, 30};                // what the count slider offers
constexpr SettingRange temperatureRange{1, 50};
constexpr SettingRange massRange{1, 50};
constexpr SettingRange coefficientRange{1, 5};

// The widest row of particles on a 1920-pixel-wide screen, reference pixels:
// a quarter of the channel.
constexpr double referenceRowWidth = 500.0;

// The widest particle for count of them in a row of rowWidth, whole pixels of
// the row's own unit: the width slider's right end, trunc(rowWidth / count +
// 32 / 246), where 32 / 246 is the knob's point over its track.
constexpr int widestParticle(int count, double rowWidth = referenceRowWidth)
{
    return static_cast<int>(rowWidth / count + 32.0 / 246.0);
}

// Widths from 1 up to the widest particle of the fewest particles.
constexpr SettingRange widthRange{1, widestParticle(minParticles)};
