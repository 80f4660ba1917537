#pragma once
// The ECG model's random numbers: xorshift128+ seeded through SplitMix64,
// uniform in [0, 1) and standard normal (Box-Muller, the spare kept). Small
// and the same on every platform, so a seed gives the same signal anywhere.
#include <cmath>
#include <cstdint>

class OEcgRandom {
public:
    explicit OEcgRandom(uint64_t seed)
    {
        m_State[0] = SplitMix(seed);
        m_State[1] = SplitMix(seed);
    }

    double Uniform()
    {
        uint64_t s1 = m_State[0];
        const uint64_t s0 = m_State[1];
        m_State[0] = s0;
        s1 ^= s1 << 23;
        m_State[1] = s1 ^ s0 ^ (s1 >> 17) ^ (s0 >> 26);
        return static_cast<double>((m_State[1] + s0) >> 11) * (1.0 / 9007199254740992.0);
    }

    double Gaussian()
    {
        if (m_HasSpare) {
            m_HasSpare = false;
            return m_Spare;
        }
        constexpr double kTwoPi = 6.28318530717958647692;
        const double u = 1.0 - Uniform(), v = Uniform();
        const double r = std::sqrt(-2 * std::log(u));
        m_Spare = r * std::sin(kTwoPi * v);
        m_HasSpare = true;
        return r * std::cos(kTwoPi * v);
    }

private:
    static uint64_t SplitMix(uint64_t& state)
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    uint64_t m_State[2];
    double m_Spare = 0;
    bool m_HasSpare = false;
};
