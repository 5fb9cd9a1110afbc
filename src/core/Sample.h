#pragma once

#include <array>
#include <ctime>

namespace brennic {

// Values that carry a meaning instead of a reading.
inline constexpr float kNoReading = -9999.0f;     // "OPEN.S", or not supplied by the model
inline constexpr float kBadToken = -9998.0f;      // the token did not convert to a number
inline constexpr float kDayMinStart = 9999.0f;    // Day Min before the first reading of the day
inline constexpr float kReadingFloor = -9990.0f;  // a value counts when it is above this

// BTU to kilowatt-hours (3413 BTU make one kWh).
inline constexpr double kKwhPerBtu = 0.0002929973630237328;

// Two samples further apart than this (a restart, a hole in a replayed file) say nothing about
// what happened between them: the gap adds neither heat nor pump time.
inline constexpr std::time_t kMaxSampleGap = 3600;

inline bool IsReading(float v) {
    return v > kReadingFloor;
}

// Slot numbers of a Sample. Slot 0 is the time; the pump slots hold 1 (on) or 0 (off).
enum Slot : int {
    kSlotTime = 0,
    kSlotCollector = 1,
    kSlotStorage = 2,
    kSlotAux1 = 3,
    kSlotAux2 = 4,
    kSlotAux3 = 5,
    kSlotAux4 = 6,
    kSlotBtuRate = 7,  // BTU per second
    kSlotPump = 8,
    kSlotFlow = 9,  // GPM
    kSlotWAux1 = 10,
    kSlotWAux2 = 11,
    kSlotWAux3 = 12,
    kSlotWAux4 = 13,
    kSlotHaBtuRate = 14,  // BTU per second
    kSlotHaPump = 15,
    kSlotHaFlow = 16,
    kSlotCount = 17,
};

// The temperature slots that the statistics compare: 1-6 and 10-13.
inline constexpr std::array<int, 10> kTemperatureSlots = {1, 2, 3, 4, 5, 6, 10, 11, 12, 13};

// One time-stamped set of readings. The same shape holds the current sample, each
// statistics block and each saved history entry. value[0] is unused (the time is `time`).
struct Sample {
    std::time_t time = 0;
    std::array<float, kSlotCount> value{};

    float& operator[](int slot) { return value[static_cast<std::size_t>(slot)]; }
    float operator[](int slot) const { return value[static_cast<std::size_t>(slot)]; }
};

// Maximum, Minimum, Day Max and Day Min, each slot the statistic of the same slot.
struct ChannelStats {
    Sample maximum;
    Sample minimum;
    Sample dayMax;
    Sample dayMin;
};

// Heat of one loop (collector or heat assist). Rates are BTU per second.
struct HeatTotals {
    double total = 0.0;
    double rate = 0.0;
    double maxRate = 0.0;
    double dayHeat = 0.0;
    double dayMaxRate = 0.0;
    std::array<double, 10> rateWindow{};  // last ten instantaneous rates, oldest first
    double factor = 1.0;                  // glycol heat factor last used
};

// On-time statistics of one pump.
struct PumpStats {
    bool running = false;
    std::time_t onSince = 0;
    int totalOnSeconds = 0;
    int totalAtPeriodStart = 0;
    int periodSeconds = 0;
    int cycles = 0;
};

}  // namespace brennic
