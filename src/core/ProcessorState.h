#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

#include "core/ControllerLine.h"
#include "core/LocalTime.h"
#include "core/Sample.h"
#include "core/SampleHistory.h"

namespace brennic {

inline constexpr std::uint32_t kGuardWord = 123456;
inline constexpr int kGuardCount = 12;

// State of the message processor. The guard words between the groups are set at start-up
// and never written afterwards; the main window checks them on every event it handles, so
// a stray write into this block is seen. Read and written under the StateLock.
struct ProcessorState {
    std::uint32_t guard0 = kGuardWord;
    SampleHistory history;
    std::uint32_t guard1 = kGuardWord;
    // Rate windows live in HeatTotals (collectorHeat/haHeat below).
    std::uint32_t guard2 = kGuardWord;
    int historyCountdown = 0;  // samples still to skip before the next one is saved
    std::string heldLine;      // first line of a two-line BTU report
    ParsedLine heldReport;     // what that line says
    bool pendingFirstLine = false;
    std::uint32_t guard3 = kGuardWord;
    Sample current;
    ChannelStats stats;
    std::uint32_t guard4 = kGuardWord;
    int sampleCount = 0;  // "Samples"
    std::time_t firstSampleTime = 0;
    std::time_t previousSampleTime = 0;
    WeekdayCache weekdays;  // the local day of the samples, for the day-change test
    std::uint32_t guard5 = kGuardWord;
    int openSensors = 0;  // "Open_Sensors"
    int dataErrors = 0;   // "Data_Errors"
    int receivedLines = 0;
    int consecutiveFirstLines = 0;
    int strayGpmLines = 0;
    bool mismatchWarned = false;
    std::uint32_t guard6 = kGuardWord;
    PumpStats collectorPump;
    double maxCollectorFlow = 0.0;
    std::uint32_t guard7 = kGuardWord;
    PumpStats haPump;
    std::uint32_t guard8 = kGuardWord;
    HeatTotals collectorHeat;
    HeatTotals haHeat;
    std::uint32_t guard9 = kGuardWord;
    std::time_t chartOrigin = 0;  // start of the hour of the last reset (strip chart)
    std::string reportLine1;      // first and second line of the last report
    std::string reportLine2 = " ";
    std::uint32_t guard10 = kGuardWord;
    float differential = 0.0f;  // as reported by the controller
    float highLimit = 0.0f;
    std::string uplText;     // at most 15 characters
    std::string faultText;   // at most 31 characters
    bool newSample = false;  // set when a sample was saved; the display clears it
    std::uint32_t guard11 = kGuardWord;

    std::array<std::uint32_t, kGuardCount> Guards() const {
        return {guard0, guard1, guard2, guard3, guard4,  guard5,
                guard6, guard7, guard8, guard9, guard10, guard11};
    }
};

// The latest One-Wire values: WAux-1..WAux-4 in °F (-9999.0 no reading) and the heat-assist
// pump switch (1 on, 0 off, -1 no reading), with what the polling timer needs to let them
// turn stale.
struct OneWireReadings {
    std::array<float, 4> currentValues = {kNoReading, kNoReading, kNoReading, kNoReading};
    int switchState = -1;
    std::time_t lastReceiveTime = 0;  // last reply, or the start of the link
    int staleCount = 0;               // timer ticks that found the values stale while open
};

}  // namespace brennic
