// Glycol.txt: the records appended to the built-in mixtures, then a heat factor from each.

#include "config/GlycolTable.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brennic;
    GlycolTable table = BuiltInGlycolTable();
    LoadGlycolTable(table, fuzz::ScratchFile(data, size));
    double sum = 0.0;
    for (unsigned i = 0; i < 40; ++i) {
        sum += HeatFactor(table, 150.0, 120.0, i, 50);
    }
    return sum > 1e300 ? 1 : 0;
}
