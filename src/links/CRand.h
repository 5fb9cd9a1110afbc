#pragma once

#include <cstdint>

namespace brennic {

// The C library's portable rand(): 0..32767 (RAND_MAX 32767), seed 1 until seeded, the same
// sequence on every platform. Test data is synthesised from it so that a given seed gives the
// same lines everywhere. Each owner keeps its own generator; not thread-safe.
class CRand {
  public:
    static constexpr int kMax = 32767;

    explicit CRand(std::uint32_t seed = 1) : next_(seed) {}

    void Seed(std::uint32_t seed) { next_ = seed; }

    int operator()() {
        next_ = next_ * 1103515245u + 12345u;
        return static_cast<int>((next_ / 65536u) % 32768u);
    }

  private:
    std::uint32_t next_;
};

}  // namespace brennic
