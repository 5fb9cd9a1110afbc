#pragma once

#include <array>
#include <string>

namespace brennic {

struct GlycolMix {
    std::string name;  // at most 32 characters
    int minPercent = 0;
    int maxPercent = 100;
    bool flag = false;  // set for the two DOWFROST built-ins; nothing reads it
    std::array<double, 10> coef{};
};

inline constexpr int kGlycolCapacity = 10;
inline constexpr int kGlycolBuiltIns = 6;

struct GlycolTable {
    int count = 0;
    std::array<GlycolMix, kGlycolCapacity> mix;
};

// The six built-in mixtures only.
GlycolTable BuiltInGlycolTable();

// Fills the built-ins, then appends the records of `path` (a Glycol.txt) until a record does
// not read whole or the table is full. A missing file is no error.
void LoadGlycolTable(GlycolTable& table, const std::string& path);

// Dimensionless heat factor of mixture `index` at the mean of the two temperatures (°F)
// and `percent` glycol. An index outside the table gives 1.0.
double HeatFactor(const GlycolTable& table, double tempA, double tempB, unsigned index,
                  int percent);

}  // namespace brennic
