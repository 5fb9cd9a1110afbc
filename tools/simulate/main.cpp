// brennic-simulate: files of the simulated installation for tests, benchmarks and imports.

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "config/GlycolTable.h"
#include "core/LocalTime.h"
#include "replay/RecordTime.h"
#include "sim/SimulationFiles.h"

namespace {

void Usage(std::FILE* to) {
    std::fprintf(to,
                 "usage: brennic-simulate --days D --format datarecorder|log|capture [options] "
                 "> FILE\n"
                 "  --start DATE      first report, \"YYYY-MM-DD\" or \"YYYY-MM-DD HH:MM:SS\" "
                 "local\n"
                 "                    (default: midnight D days ago)\n"
                 "  --interval S      seconds between reports (default 60)\n"
                 "  --model M         line form of log and capture: 0, 1 (BTU) or 2 (default 0)\n"
                 "  --seed N          weather and sensor noise (default 1)\n"
                 "  --weather KIND    clear, hazy, cloudy or overcast every day\n"
                 "  --area M2         collector area (default 4)\n"
                 "  --latitude DEG    site latitude (default 45)\n"
                 "  --pump-stuck DATE the collector pump stops turning from then on\n"
                 "  --no-heat-assist  without the heat-assist loop\n");
}

bool ParseLong(const char* text, long& out, long minimum) {
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return *text != '\0' && *end == '\0' && errno == 0 && out >= minimum;
}

bool ParseDouble(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return *text != '\0' && *end == '\0';
}

bool ParseDate(std::string text, std::time_t& out) {
    if (text.size() == 10) {
        text += " 00:00:00";
    }
    const auto t = brennic::ParseLocalTimeText(text);
    if (!t) {
        return false;
    }
    out = *t;
    return true;
}

std::time_t DaysAgoMidnight(long days) {
    std::tm local{};
    const std::time_t now = std::time(nullptr);
    brennic::ToLocalTime(now, local);
    local.tm_mday -= static_cast<int>(days);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return brennic::FromLocalTime(local);
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "C");
    brennic::SimulationOptions o;
    bool haveFormat = false;
    bool haveStart = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        long n = 0;
        double d = 0.0;
        bool ok = value != nullptr;
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else if (arg == "--no-heat-assist") {
            o.parameters.heatAssist = false;
            continue;
        } else if (arg == "--days" && ok && ParseLong(value, n, 1)) {
            o.days = static_cast<int>(n);
        } else if (arg == "--interval" && ok && ParseLong(value, n, 1)) {
            o.interval = static_cast<int>(n);
        } else if (arg == "--model" && ok && ParseLong(value, n, 0) && n <= 2) {
            o.model = static_cast<int>(n);
        } else if (arg == "--seed" && ok && ParseLong(value, n, 0)) {
            o.parameters.seed = static_cast<std::uint32_t>(n);
        } else if (arg == "--area" && ok && ParseDouble(value, d) && d > 0.0) {
            o.parameters.area = static_cast<float>(d);
        } else if (arg == "--latitude" && ok && ParseDouble(value, d) && d >= -90.0 && d <= 90.0) {
            o.parameters.latitude = static_cast<float>(d);
        } else if (arg == "--start" && ok && ParseDate(value, o.start)) {
            haveStart = true;
        } else if (arg == "--pump-stuck" && ok && ParseDate(value, o.parameters.pumpStuckOffFrom)) {
        } else if (arg == "--format" && ok && brennic::SimulationFormatByName(value)) {
            o.format = *brennic::SimulationFormatByName(value);
            haveFormat = true;
        } else if (arg == "--weather" && ok) {
            const std::string w = value;
            if (w == "clear") {
                o.parameters.weather = brennic::DayKind::kClear;
            } else if (w == "hazy") {
                o.parameters.weather = brennic::DayKind::kHazy;
            } else if (w == "cloudy") {
                o.parameters.weather = brennic::DayKind::kPartlyCloudy;
            } else if (w == "overcast") {
                o.parameters.weather = brennic::DayKind::kOvercast;
            } else {
                ok = false;
            }
            if (!ok) {
                std::fprintf(stderr, "brennic-simulate: unknown weather %s\n", value);
                Usage(stderr);
                return 2;
            }
        } else {
            std::fprintf(stderr, "brennic-simulate: bad or incomplete option %s\n", arg.c_str());
            Usage(stderr);
            return 2;
        }
        ++i;
    }
    if (!haveFormat) {
        std::fprintf(stderr, "brennic-simulate: --format is required\n");
        Usage(stderr);
        return 2;
    }
    if (!haveStart) {
        o.start = DaysAgoMidnight(o.days);
    }
    if (!brennic::WriteSimulation(stdout, o, brennic::BuiltInGlycolTable())) {
        std::fprintf(stderr, "brennic-simulate: writing failed: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
