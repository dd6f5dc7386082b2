// One step of motion: velocities and positions advance by the measured dt,
// the end particles bounce off the walls, and no particle may pass a
// neighbour.

#include "sim/GasCore.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace
{

// Plain pixels, not scaled with the screen.
constexpr double overlapTolerance = 2.0; // deepest tolerated overlap
constexpr double contactGap = contactDistance;
constexpr float wallMargin = wallMarginReference;

double limitSpeed(double v, double maxSpeed) { return std::abs(v) > maxSpeed ? sign(v) * maxSpeed : v; }
} // namespace

void GasCore::resolveContacts()
{
    if (!m_running || m_particleCount < minParticles)
        return;

    const std::vector<double>& x = m_positions;
    std::vector<double>& v = m_velocities;
    const double w = m_particleWidth;
    const int n = m_particleCount;

    // Order check: particle j is out of order when its left edge lies left of
    // x[i-1] + w - 2 for some i <= j. Keeping the largest of these limits so
    // far makes one pass enough.
    double reach = -std::numeric_limits<double>::infinity();
    for (int j = 1; j < n && !m_overlapDetected; ++j)
    {
        const double limit = x[j - 1] + w - overlapTolerance;
        if (limit > reach)
            reach = limit;
        if (reach > x[j])
            m_overlapDetected = true;
    }

    // Touching neighbours exchange velocities: head-on, or moving the same
    // way (approaching or separating). A moving particle does not hand its
    // velocity to one at rest. Left to right, so a velocity can travel along
    // the row in one pass.
    for (int i = 0; i + 1 < n; ++i)
    {
        if (gap(i) < contactGap)
        {
            const double left = sign(v[i]);
            const double right = sign(v[i + 1]);
            if ((left > 0.0 && right < 0.0) || left == right)
                std::swap(v[i], v[i + 1]);
        }
    }
}

void GasCore::step(float dt)
{
    if (!m_running || m_particleCount < minParticles)
        return;

    const double t = dt;
    const double w = m_particleWidth;
    const double maxSpeed = m_metrics.maxSpeed;
    const float screenWidth = m_metrics.screenWidth;
    const int n = m_particleCount;
    std::vector<double>& x = m_positions;
    std::vector<double>& v = m_velocities;
    const std::vector<double>& a = m_accelerations;

    // Wall lines for the left edges of the end particles, and the outer
    // bounds of any move (left edge of particle 0, right edge of particle N-1).
    const double leftWall = scaleX(m_metrics, wallMargin);
    const double rightWall = static_cast<double>(screenWidth) - w - static_cast<double>(scaleX(m_metrics, wallMargin));
    const double leftBound = screenWidth / referenceWidth;
    const double rightBound = screenWidth - screenWidth / referenceWidth;

    // Where the right neighbour j would go on its own this step, but no
    // farther than the room its own right neighbours leave before the right
    // bound: a row pressed to the right wall by long steps would otherwise
    // push its last particle out of the window.
    auto predicted = [&](int j)
    { return std::min(x[j] + t * limitSpeed(v[j] + a[j] * t, maxSpeed), rightBound - (n - j) * w); };

    // A move is taken only if it stays clear of the left limit and leaves the
    // right neighbour's predicted edge beyond the particle's own right edge;
    // otherwise the particle's left edge goes to the midpoint of the two
    // limits. Where the room is too narrow for that (the midpoint lies less
    // than a width from the right limit) it is drawn back to a width short of
    // the right limit, but never left of the left limit: it never overlaps
    // the neighbour already placed, and the right neighbour makes way in its
    // own turn. (Left at the midpoint, crowded rows, under Attraction or with
    // long frames, cascade into an overlap that stops the program.)
    auto middle = [w](double leftLimit, double rightLimit)
    { return std::max(leftLimit, std::min((leftLimit + rightLimit) * 0.5, rightLimit - w)); };

    v[0] = v[0] + a[0] * t;
    if (x[0] < leftWall && v[0] < 0.0)
    {
        v[0] = -v[0];
        x[0] = leftWall;
    }
    v[0] = limitSpeed(v[0], maxSpeed);
    {
        const double p = x[0] + t * v[0];
        const double q = predicted(1);
        x[0] = (p > leftBound && q > p + w) ? p : middle(leftBound, q);
    }

    for (int i = 1; i < n - 1; ++i)
    {
        v[i] = limitSpeed(v[i] + a[i] * t, maxSpeed);
        const double p = x[i] + t * v[i];
        const double b = x[i - 1] + w; // the left neighbour has already moved
        const double q = predicted(i + 1);
        x[i] = (p > b && q > p + w) ? p : middle(b, q);
    }

    const int last = n - 1;
    v[last] = v[last] + a[last] * t;
    if (x[last] > rightWall && v[last] > 0.0)
    {
        v[last] = -v[last];
        x[last] = rightWall;
    }
    v[last] = limitSpeed(v[last], maxSpeed);
    {
        const double p = x[last] + t * v[last];
        const double b = x[last - 1] + w;
        x[last] = (p > b && p + w < rightBound) ? p : middle(b, rightBound);
    }

    binGaps();
}
