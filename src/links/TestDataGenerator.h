#pragma once

#include <array>
#include <string>

#include "links/CRand.h"
#include "links/TestDataSettings.h"

namespace brennic {

// The column heading the test data repeats every tenth cycle.
inline constexpr const char* kTestDataHeader =
    "DATE       CST      RUNTIME COLL-T  STOR-T  DIFF-T  HILI-T   AUX-1  AUX-2  PUMP UPLim FAULT  ";

// What one test-data cycle produces, in the order the reader hands it on: the heading (when
// due), the report line, and for format 1 an empty line, the GPM line and another empty line.
struct TestDataCycle {
    bool header = false;
    std::string line;
    bool hasGpmLine = false;
    std::string gpmLine;
    // One-Wire readings to store, when One Wire Data is set.
    bool writesOneWire = false;
    std::array<float, 4> oneWireValues{};
    int switchState = -1;
};

// A random value between minimum and maximum as the controller's test data draws it:
// rand() x (1/32767) x (maximum - minimum) + minimum, kept as a float.
float DrawTestValue(CRand& rand, const TestRange& range);

// The first header countdown: a whole number 0..9 (9 only when rand() gives 32767).
int DrawHeaderCountdown(CRand& rand);

// Synthesises controller lines cycle by cycle: the synthetic clock (starting at 00:00, six
// minutes a cycle, hours not wrapped), the header countdown and the random draws in their
// fixed order. One instance per run of the reader thread; not thread-safe.
class TestDataGenerator {
  public:
    TestDataGenerator(CRand& rand, int headerCountdown)
        : rand_(rand), countdown_(headerCountdown) {}

    TestDataCycle Next(const TestDataSettings& settings);

    int HeaderCountdown() const { return countdown_; }

  private:
    CRand& rand_;
    int countdown_;
    int hours_ = 0;
    int minutes_ = 0;
};

}  // namespace brennic
