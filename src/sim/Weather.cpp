#include "sim/Weather.h"

#include <algorithm>
#include <cmath>

#include "core/LocalTime.h"
#include "sim/SimRandom.h"

namespace brennic {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// +1 in the local summer, -1 in the local winter (around 20 July / 20 January in the north).
double Season(int yearDay, float latitudeDeg) {
    const double north = std::cos(kTwoPi * (yearDay - 200) / 365.0);
    return latitudeDeg >= 0.0f ? north : -north;
}

DayKind DrawKind(SimRandom& r, double season) {
    // Summers are clearer than winters.
    const double clear = 0.30 + 0.10 * season;
    const double hazy = 0.20;
    const double partly = 0.30;
    const double u = r.Uniform();
    if (u < clear) {
        return DayKind::kClear;
    }
    if (u < clear + hazy) {
        return DayKind::kHazy;
    }
    if (u < clear + hazy + partly) {
        return DayKind::kPartlyCloudy;
    }
    return DayKind::kOvercast;
}

}  // namespace

DayWeather Weather::Draw(int dayKey, int yearDay) const {
    SimRandom r((static_cast<std::uint64_t>(seed_) << 32) ^
                static_cast<std::uint64_t>(static_cast<std::uint32_t>(dayKey)));
    const double season = Season(yearDay, latitude_);
    DayWeather d;
    d.dayKey = dayKey;
    d.kind = DrawKind(r, season);
    if (forced_) {
        d.kind = *forced_;
    }
    // A mid-latitude climate: about -4 °C in January and 20 °C in July at 45°.
    const double coldness = std::min(1.5, std::fabs(latitude_) / 45.0);
    d.meanC = 20.0 - 12.0 * coldness + 12.0 * season + r.Between(-3.0, 3.0);
    d.basementC = 16.5 + 2.5 * season;
    d.mainsC = 11.0 + 5.0 * Season(yearDay - 30, latitude_);
    d.drawScale = r.Between(0.7, 1.3);
    switch (d.kind) {
        case DayKind::kClear:
            d.beam = r.Between(0.95, 1.0);
            d.diffuse = 0.08;
            d.swingC = r.Between(9.0, 12.0);
            break;
        case DayKind::kHazy:
            d.beam = r.Between(0.65, 0.8);
            d.diffuse = 0.14;
            d.swingC = r.Between(6.0, 9.0);
            break;
        case DayKind::kPartlyCloudy:
            d.beam = r.Between(0.9, 1.0);
            d.diffuse = 0.1;
            d.swingC = r.Between(5.0, 8.0);
            break;
        case DayKind::kOvercast:
            d.beam = r.Between(0.0, 0.05);
            d.diffuse = r.Between(0.15, 0.22);
            d.swingC = r.Between(2.0, 4.0);
            break;
    }
    if (d.kind == DayKind::kPartlyCloudy) {
        // Cumulus: gaps of about 20 minutes, clouds of about 12.
        double hour = r.Exponential(0.3);
        while (hour < 24.0) {
            const double length = 0.05 + r.Exponential(0.2);
            d.clouds.push_back({hour, hour + length});
            hour += length + 0.03 + r.Exponential(0.33);
        }
    }
    return d;
}

void Weather::Locate(std::time_t t) {
    if (t >= dayStart_ && t < dayEnd_) {
        return;
    }
    std::tm local{};
    if (!ToLocalTime(t, local)) {
        dayStart_ = t;
        dayEnd_ = t + 1;
        return;
    }
    const int key = (local.tm_year + 1900) * 1000 + local.tm_yday;
    day_ = Draw(key, local.tm_yday);
    std::tm midnight = local;
    midnight.tm_hour = midnight.tm_min = midnight.tm_sec = 0;
    midnight.tm_isdst = -1;
    std::tm next = midnight;
    next.tm_mday += 1;
    dayStart_ = FromLocalTime(midnight);
    dayEnd_ = FromLocalTime(next);
    if (dayStart_ == static_cast<std::time_t>(-1) || dayEnd_ <= dayStart_ || t < dayStart_ ||
        t >= dayEnd_) {
        // A day the system cannot convert: this second alone.
        dayStart_ = t - (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
        dayEnd_ = t + 1;
    }
}

const DayWeather& Weather::Day(std::time_t t) {
    Locate(t);
    return day_;
}

SkyNow Weather::At(std::time_t t) {
    Locate(t);
    const DayWeather& d = day_;
    SkyNow s;
    s.beam = d.beam;
    s.diffuse = d.diffuse;
    s.basementC = d.basementC;
    s.mainsC = d.mainsC;
    s.drawScale = d.drawScale;
    s.hour = static_cast<double>(t - dayStart_) / 3600.0;
    const double hour = s.hour;
    // Warmest at 15:00, coldest at 03:00.
    s.outdoorC = d.meanC + 0.5 * d.swingC * std::cos(kTwoPi * (hour - 15.0) / 24.0);
    for (const CloudSpell& c : d.clouds) {
        if (hour >= c.fromHour && hour < c.toHour) {
            s.beam = d.beam * 0.12;
            s.diffuse = 0.2;
            break;
        }
    }
    return s;
}

}  // namespace brennic
