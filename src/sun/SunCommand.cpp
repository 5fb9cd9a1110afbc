#include "sun/SunCommand.h"

#include <array>
#include <charconv>
#include <nlohmann/json.hpp>
#include <system_error>

#include "core/LocalTime.h"
#include "sun/SolarGeometry.h"
#include "sun/SunCalculator.h"

namespace brennic {

namespace {

bool Digits(const std::string& text, std::size_t pos, std::size_t count, int& value) {
    const char* first = text.data() + pos;
    const char* last = first + count;
    for (const char* p = first; p != last; ++p) {
        if (*p < '0' || *p > '9') {
            return false;
        }
    }
    return std::from_chars(first, last, value).ec == std::errc();
}

bool LeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && LeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// JSON numbers with the digits a float actually has (0.7, not 0.699999988079071).
double Shortest(float value) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    double shortest = value;
    std::from_chars(buffer, written.ptr, shortest);
    return shortest;
}

}  // namespace

bool ParseLocalDateTime(const std::string& text, std::time_t& out) {
    // YYYY-MM-DD HH:MM:SS
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':') {
        return false;
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text, 0, 4, year) || !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day) ||
        !Digits(text, 11, 2, hour) || !Digits(text, 14, 2, minute) ||
        !Digits(text, 17, 2, second)) {
        return false;
    }
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t t = FromLocalTime(local);
    if (t == static_cast<std::time_t>(-1)) {
        return false;
    }
    out = t;
    return true;
}

int RunSunCommand(const Config& config, const std::string& when, std::ostream& out,
                  std::ostream& err) {
    std::time_t t = 0;
    if (!ParseLocalDateTime(when, t)) {
        err << "--sun: \"" << when
            << "\" is not a valid local date and time; expected \"YYYY-MM-DD HH:MM:SS\"\n";
        return 2;
    }
    const SunCalculatorMemory temperatures;  // 175 °F array, 70 °F air
    const SunInputs in =
        SunInputsFromConfig(config, t, temperatures.arrayTempF, temperatures.ambientTempF);
    const SunOutputs now = ComputeSunOutputs(in);
    const DailyTotals day = DailyTotalsFor(DailyMaximum(t, ToSolarSetup(in)), in.area);

    nlohmann::ordered_json j;
    j["azimuth"] = Shortest(now.azimuth);
    j["altitude"] = Shortest(now.altitude);
    j["declination"] = Shortest(now.declination);
    j["incidenceAngle"] = Shortest(now.incidenceAngle);
    j["equationOfTime"] = Shortest(now.equationOfTime);
    j["airMass"] = Shortest(now.airMass);
    j["geometryFactor"] = Shortest(now.geometryFactor);
    j["airMassFactor"] = Shortest(now.airMassFactor);
    j["incidentAngleFactor"] = Shortest(now.incidentAngleFactor);
    j["efficiencyFactor"] = Shortest(now.efficiencyFactor);
    j["combinedFactor"] = Shortest(now.combinedFactor);
    j["arrayKw"] = Shortest(now.arrayKw);
    j["arrayBtuPerHour"] = Shortest(now.arrayBtuPerHour);
    j["dailyKwhPerM2"] = Shortest(day.kwhPerM2);
    j["dailyArrayKwh"] = Shortest(day.arrayKwh);
    out << j.dump(2) << '\n';
    return out.good() ? 0 : 1;
}

}  // namespace brennic
