// The processor must not allocate per line (only a history entry may). This file replaces
// the global operator new of the test program to count allocations inside a window.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "support/ProcessorTestSupport.h"

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (gCounting.load(std::memory_order_relaxed)) {
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
// GCC pairs the malloc inside the replaced new with these frees and warns; they match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

namespace brennic {
namespace {

TEST(ProcessorAllocation, LinesOfEveryModelAllocateNothingOnceWarm) {
    struct Case {
        int model;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {0,
         {test::Positional("150.2", "120.5", "140.3", "130.1", "ON", "OFF A-long-fault-text-here"),
          test::Positional("OPEN.S", "1", "2", "3", "OFF"), "12:00 1 2", "RUNTIME",
          test::Positional("x", "1", "2", "3", "ON")}},
        {1,
         {test::Positional("150.2", "120.5", "140.3", "130.1", "ON"),
          "GPM=2.5 FPL=3 AX3=OPEN.S KWH=1.5", "GPM=2.5 FPL=3 AX3=1 KWH=1.5"}},
        {2, {"COL=150.2 STO=120.5 PKH=180.0 PKL=10.0 AX1=140.3 AX2=130.1 PMP=ON ON"}},
    };
    for (const auto& c : cases) {
        AppState state;
        test::Prepare(state, c.model);
        state.config.graphEveryNth = 1000000;  // only the first sample is saved
        state.oneWire.switchState = 1;
        state.oneWire.currentValues = {100.0f, 90.0f, 80.0f, 70.0f};
        std::time_t t = test::kNoon;
        for (const auto& line : c.lines) {
            test::Feed(state, line, t += 2);  // warm up: the buffers are reserved once
        }
        gAllocations = 0;
        gCounting = true;
        for (int round = 0; round < 50; ++round) {
            for (const auto& line : c.lines) {
                test::Feed(state, line, t += 2);
            }
        }
        gCounting = false;
        EXPECT_EQ(gAllocations.load(), 0) << "model " << c.model;
        EXPECT_GT(state.processor.sampleCount, 50) << "model " << c.model;
    }
}

}  // namespace
}  // namespace brennic
