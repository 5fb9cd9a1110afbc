#pragma once

#include <cmath>
#include <cstdint>

namespace brennic {

// A small generator with a fixed algorithm (SplitMix64), so that one seed gives the same
// simulated installation with every compiler and standard library. Not thread-safe.
class SimRandom {
  public:
    explicit SimRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // [0, 1)
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

    double Between(double low, double high) { return low + (high - low) * Uniform(); }

    // Exponentially distributed with the given mean.
    double Exponential(double mean) { return -mean * std::log(1.0 - Uniform()); }

    // Standard normal (Box-Muller, one value per call).
    double Normal() {
        const double u = 1.0 - Uniform();
        const double v = Uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
    }

  private:
    std::uint64_t state_;
};

}  // namespace brennic
