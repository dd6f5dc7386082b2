#include "tests/sim/GasTestSupport.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
bool allFinite(const std::vector<double>& values)
{
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

// Many short runs at settings drawn from the whole accepted ranges: count 2
// to 100, every width that fits, T, m and C at their ends and between, dt 1
// to 1000 ms, screens from 640 to 7680 pixels wide. The gas must stay
// finite, in order and between its walls, whatever the law.
TEST(GasFiniteness, EveryAcceptedSettingStaysFiniteOrderedAndInside)
{
    std::mt19937 pick(2024);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(pick); };
    // Ends of a range come up often: that is where the faults live.
    auto setting = [&](int lo, int hi) { return uniform(0, 3) == 0 ? (uniform(0, 1) ? lo : hi) : uniform(lo, hi); };
    const unsigned screens[][2] = {{1920, 1080}, {640, 360}, {1366, 768}, {7680, 4320}};

    for (int trial = 0; trial < 400; ++trial)
    {
        const auto& screen = screens[uniform(0, 3)];
        const ScreenMetrics metrics = makeScreenMetrics(screen[0], screen[1]);
        const int count = setting(countRange.lo, countRange.hi);
        // A row of at most 500 reference pixels, a quarter of the channel.
        const int width = setting(widthRange.lo, widestParticle(count));
        const GasSettings settings =
            lawSettings(allLaws[uniform(0, 3)], setting(temperatureRange.lo, temperatureRange.hi),
                        setting(massRange.lo, massRange.hi), setting(coefficientRange.lo, coefficientRange.hi));
        const float dt = static_cast<float>(setting(1, 1000));
        SCOPED_TRACE(::testing::Message()
                     << "trial " << trial << ": law " << static_cast<int>(settings.law) << ", " << count << " x "
                     << width << ", T " << settings.temperature << ", m " << settings.mass << ", C " << settings.C
                     << ", dt " << dt << ", screen " << screen[0]);

        GasModel gas(metrics, std::mt19937(trial));
        gas.setup(scaleX(metrics, static_cast<float>(width)), scaleY(metrics, 140.0f), count);
        const double w = gas.core().particleWidth();
        BondFlags bonded{};
        for (int t = 0; t < 300; ++t)
        {
            tick(gas, settings, bonded, dt);
            const std::vector<double>& x = gas.core().positions();
            const GasCore::GapMoments moments = gas.core().gapMoments();
            ASSERT_TRUE(allFinite(x) && allFinite(gas.core().velocities()) && allFinite(gas.core().accelerations()))
                << "tick " << t;
            ASSERT_TRUE(std::isfinite(moments.mean) && std::isfinite(moments.stdDev)) << "tick " << t;
            ASSERT_FALSE(gas.core().overlapDetected()) << "tick " << t;
            for (int i = 0; i + 1 < count; ++i)
                ASSERT_GE(x[i + 1], x[i] + w - 2.0) << "tick " << t << ", particle " << i;
            ASSERT_GE(x[0], metrics.screenWidth / referenceWidth) << "tick " << t;
            ASSERT_LE(x[count - 1] + w, metrics.screenWidth) << "tick " << t;
        }
    }
}
} // namespace
