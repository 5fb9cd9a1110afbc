#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <vector>

#include "sim/InstallationParameters.h"

namespace brennic {

// The sky over the simulated installation: a kind of day, passing clouds and the outdoor
// temperature, drawn from the seed and the local date alone, so that a day looks the same
// whichever time a run starts at. Plain values; one instance per model, not thread-safe.

// What the sky lets through at one moment, as factors of the clear-sky beam that the sun
// module computes (1367 W/m² x air-mass factor x cos incidence) and of 1367 W/m² x sin(altitude)
// for the diffuse light on a horizontal surface.
struct SkyNow {
    double beam = 1.0;
    double diffuse = 0.08;
    double outdoorC = 15.0;
    double basementC = 17.0;
    double mainsC = 12.0;
    double hour = 12.0;      // local hours since midnight
    double drawScale = 1.0;  // the day's hot-water use
};

struct CloudSpell {
    double fromHour = 0.0;  // local hours of the day
    double toHour = 0.0;
};

struct DayWeather {
    int dayKey = -1;  // year x 1000 + day of the year
    DayKind kind = DayKind::kClear;
    double beam = 1.0;      // outside clouds
    double diffuse = 0.08;  // outside clouds
    double meanC = 15.0;
    double swingC = 8.0;  // warmest minus coldest hour
    double basementC = 17.0;
    double mainsC = 12.0;
    double drawScale = 1.0;  // how much hot water the household uses that day
    std::vector<CloudSpell> clouds;
};

class Weather {
  public:
    Weather(std::uint32_t seed, std::optional<DayKind> forced, float latitudeDeg)
        : seed_(seed), forced_(forced), latitude_(latitudeDeg) {}

    // The sky at local time `t`.
    SkyNow At(std::time_t t);

    // The day that contains local time `t` (drawn on first use).
    const DayWeather& Day(std::time_t t);

  private:
    DayWeather Draw(int dayKey, int yearDay) const;
    void Locate(std::time_t t);

    std::uint32_t seed_;
    std::optional<DayKind> forced_;
    float latitude_;
    DayWeather day_;
    // The local day of day_: [dayStart_, dayEnd_). Most calls fall inside it and need no
    // time-zone conversion.
    std::time_t dayStart_ = 0;
    std::time_t dayEnd_ = 0;
};

}  // namespace brennic
