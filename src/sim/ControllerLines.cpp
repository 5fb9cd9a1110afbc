#include "sim/ControllerLines.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "core/LocalTime.h"

namespace brennic {

namespace {

// Appends `value` as printf's "%W.1f" would (right-aligned in `width`). std::to_chars rounds
// the same way and costs a fraction of printf, which took most of the demo's simulated day.
void AppendTenths(std::string& out, double value, std::size_t width = 0) {
    char digits[64];
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 1);
    const std::size_t size = error == std::errc{} ? static_cast<std::size_t>(end - digits) : 0;
    if (size < width) {
        out.append(width - size, ' ');
    }
    out.append(digits, size);
}

// The same for a float, the sensors' type, without to_chars: a float times ten is exact in a
// double, so rounding that to the nearest integer (ties to even, as printf rounds the exact
// value) gives the tenths printf prints. The demo's past day formats half a million of them.
void AppendTenths(std::string& out, float value, std::size_t width = 0) {
    const double tenths = static_cast<double>(value) * 10.0;
    if (!(std::fabs(tenths) < 1e15)) {  // also NaN and infinities
        AppendTenths(out, static_cast<double>(value), width);
        return;
    }
    const long long rounded = std::llrint(tenths);
    unsigned long long rest = static_cast<unsigned long long>(rounded < 0 ? -rounded : rounded);
    char digits[32];
    char* const end = digits + sizeof digits;
    char* p = end;
    *--p = static_cast<char>('0' + rest % 10);
    rest /= 10;
    *--p = '.';
    do {
        *--p = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (std::signbit(value)) {
        *--p = '-';  // "-0.0" for a small negative value, as printf
    }
    const auto size = static_cast<std::size_t>(end - p);
    if (size < width) {
        out.append(width - size, ' ');
    }
    out.append(p, size);
}

// Appends an hour or a minute as "%02d" would.
void AppendTwoDigits(std::string& out, int value) {
    if (value >= 0 && value < 100) {
        out += static_cast<char>('0' + value / 10);
        out += static_cast<char>('0' + value % 10);
    } else {
        out += std::to_string(value);
    }
}

}  // namespace

std::vector<std::string> ControllerLines(const InstallationReading& r, int model) {
    const char* pump = r.pump ? "ON" : "OFF";
    const char* limit = r.upperLimit ? "ON" : "OFF";
    std::string line;
    line.reserve(96);
    if (model == 2) {
        // COL=%0.1f STO=%0.1f PKH=%0.1f PKL=%0.1f AX1=%0.1f AX2=%0.1f PMP=%s UPL=%s
        const std::pair<const char*, float> fields[] = {
            {"COL=", r.collectorF},     {" STO=", r.storageF}, {" PKH=", r.highLimitF},
            {" PKL=", r.differentialF}, {" AX1=", r.supplyF},  {" AX2=", r.returnF}};
        for (const auto& [key, value] : fields) {
            line += key;
            AppendTenths(line, value);
        }
        line += " PMP=";
        line += pump;
        line += " UPL=";
        line += limit;
        return {line};
    }
    std::tm local{};
    if (!ToLocalTime(r.time, local)) {
        local = std::tm{};
    }
    // %02d:%02d %6.1f %6.1f  %4.1f  %6.1f %6.1f %6.1f %-3s %s
    AppendTwoDigits(line, local.tm_hour);
    line += ':';
    AppendTwoDigits(line, local.tm_min);
    const struct {
        const char* before;
        float value;
        std::size_t width;
    } columns[] = {{" ", r.collectorF, 6},  {" ", r.storageF, 6}, {"  ", r.differentialF, 4},
                   {"  ", r.highLimitF, 6}, {" ", r.supplyF, 6},  {" ", r.returnF, 6}};
    for (const auto& column : columns) {
        line += column.before;
        AppendTenths(line, column.value, column.width);
    }
    line += ' ';
    line += pump;
    if (r.pump) {
        line += ' ';  // "%-3s": ON is padded to the three places of OFF
    }
    line += ' ';
    line += limit;
    std::vector<std::string> lines{std::move(line)};
    if (model == 1) {
        // GPM=%3.1f  FPL=%i  AX3=%3.1f KWH=%3.1f. FPL: the flow meter's pulse rate, which
        // Brennic does not use.
        const int pulses = static_cast<int>(std::lround(r.flowGpm * 31.0f));
        std::string gpm = "GPM=";
        AppendTenths(gpm, r.flowGpm, 3);
        gpm += "  FPL=" + std::to_string(pulses) + "  AX3=";
        AppendTenths(gpm, r.outdoorF, 3);
        gpm += " KWH=";
        AppendTenths(gpm, r.collectorKwh, 3);
        lines.emplace_back();
        lines.emplace_back(std::move(gpm));
        lines.emplace_back();
    }
    return lines;
}

TestDataCycle ControllerCycle(const InstallationReading& r, int model) {
    const std::vector<std::string> lines = ControllerLines(r, model);
    TestDataCycle c;
    c.line = lines[0];
    if (lines.size() > 2) {
        c.hasGpmLine = true;
        c.gpmLine = lines[2];
    }
    c.writesOneWire = true;
    c.oneWireValues = r.oneWire;
    c.switchState = r.heatAssistPump ? 1 : 0;
    return c;
}

}  // namespace brennic
