#include "sim/GasCore.hpp"

#include <algorithm>
#include <utility>

GasCore::GasCore(const ScreenMetrics& metrics, std::mt19937 random) : m_metrics(metrics), m_random(std::move(random)) {}

void GasCore::setup(double width, int count)
{
    count = countRange.clamp(count);
    m_particleWidth = width;
    m_particleCount = count;

    m_positions.assign(count, 0.0);
    m_velocities.assign(count, 0.0);
    m_accelerations.assign(count, 0.0);
    m_gaps.assign(count - 1, 0.0);
    m_pull.assign(count - 1, 0.0);
    m_push.assign(count - 1, 0.0);
    resetHistogram();

    // Even spread with equal gaps to both window edges: the spacing in single
    // precision, the positions in double.
    const float spacing = m_metrics.screenWidth / static_cast<float>(count + 1);
    for (int i = 0; i < count; ++i)
        m_positions[i] = static_cast<double>(spacing) * (i + 1);
}

void GasCore::pause() { m_running = false; }

void GasCore::resume() { m_running = true; }

bool GasCore::tick(const GasSettings& settings, BondFlags& bonded, float dt)
{
    resolveContacts();
    if (m_overlapDetected)
        return false;
    applyForces(settings, bonded);
    step(dt);
    return true;
}

void GasCore::setParticle(int i, double position, double velocity, double acceleration)
{
    if (i < 0 || i >= m_particleCount)
        return;
    m_positions[i] = position;
    m_velocities[i] = velocity;
    m_accelerations[i] = acceleration;
}
