#include "display/StatusText.h"

#include <cstdarg>
#include <cstdio>

#include "core/AppState.h"
#include "core/LocalTime.h"
#include "sun/SolarGeometry.h"

namespace brennic {

namespace {

constexpr float kDegToRad = 0.017453225356045796f;
constexpr double kBtuPerHourPerBtuPerSecond = 3600.0;
constexpr double kKwPerBtuPerSecond = 1.054790506885438;  // 3600 / 3413
constexpr const char* kNineBlanks = "         ";

bool PumpOn(float slot) {
    return slot != 0.0f;
}

std::string PumpLineOf(const char* format, const char* onFormat, const std::string& name, bool on,
                       float flow, double factor, const PumpStats& pump, double elapsed) {
    const std::string stateText = on ? Format(onFormat, static_cast<double>(flow), factor) : "OFF";
    const double duty = elapsed > 0.0 ? pump.totalOnSeconds / elapsed : 0.0;
    return Format(format, name.c_str(), stateText.c_str(), pump.totalOnSeconds / 3600.0, duty,
                  pump.cycles);
}

}  // namespace

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, format, args);
    }
    va_end(args);
    return out;
}

double ElapsedSeconds(const ProcessorState& p) {
    const double e = std::difftime(p.current.time, p.firstSampleTime);
    return e > 0.0 ? e : 0.0;
}

float DisplayFlux(const Config& c, std::time_t now) {
    return CollectorFlux(now, c.latitude * kDegToRad, c.longitude * kDegToRad,
                         c.collectorAzimuth * kDegToRad, c.collectorTilt * kDegToRad, 0.0f, 1.0f,
                         0.0f, 175.0f, 70.0f);
}

std::string TimeLine(const Config& config, const ProcessorState& p, const DisplayStatus& status,
                     std::time_t now, float flux) {
    std::tm local{};
    ToLocalTime(now, local);
    const auto elapsed = static_cast<long long>(ElapsedSeconds(p));
    const int eh = static_cast<int>(elapsed / 3600);
    const int em = static_cast<int>(elapsed % 3600 / 60);
    const int es = static_cast<int>(elapsed % 60);

    std::string oneWire;
    if (config.oneWireEnable != 0) {
        oneWire = status.links.oneWireActive
                      ? Format("    One Wire Active, timeouts=%i", status.links.oneWireTimeouts)
                      : std::string("    One Wire Inactive");
    }
    const std::string& fault = p.faultText;
    // No fault is reported as a blank token; an empty text means the same.
    const bool faulted = fault.find_first_not_of(' ') != std::string::npos;
    std::string line;
    if (!status.links.comActive) {
        line = Format("%02i:%02i:%02i    ET=%i:%02i:%02i    Communication Port Not Active",
                      local.tm_hour, local.tm_min, local.tm_sec, eh, em, es);
    } else if (status.serialTerminating) {
        line = Format("%02i:%02i:%02i    ET=%i:%02i:%02i    Communication Port Terminating",
                      local.tm_hour, local.tm_min, local.tm_sec, eh, em, es);
    } else if (DataReceived(p) && faulted) {
        line = Format(
            "%02i:%02i:%02i    ET=%i:%02i:%02i    Communication Port Active, timeouts=%i Fault=%s",
            local.tm_hour, local.tm_min, local.tm_sec, eh, em, es, status.serialTimeouts,
            fault.c_str());
    } else {
        line =
            Format("%02i:%02i:%02i    ET=%i:%02i:%02i    Communication Port Active, timeouts=%i%s",
                   local.tm_hour, local.tm_min, local.tm_sec, eh, em, es, status.serialTimeouts,
                   oneWire.c_str());
    }
    return line + Format("  Flux=%4.2f", static_cast<double>(flux));
}

std::string LastDataLine(const ProcessorState& p) {
    return Format("Last Data Received: %s %s", p.reportLine1.c_str(), p.reportLine2.c_str());
}

std::string HighLimitLine(const ProcessorState& p) {
    return Format("High Limit %5.1lf Differential %5.1lf", static_cast<double>(p.highLimit),
                  static_cast<double>(p.differential));
}

std::string PumpLine(const ProcessorState& p, const ChannelTable& channels) {
    return PumpLineOf("%s is %s    On_Hours=%5.2lf    Duty_Cycle=%5.2lf     Cycles=%i",
                      "ON    GPM=%5.2lf   BTU Factor=%6.4lf", channels[kChPump].longName,
                      PumpOn(p.current[kSlotPump]), p.current[kSlotFlow], p.collectorHeat.factor,
                      p.collectorPump, ElapsedSeconds(p));
}

std::string HaPumpLine(const ProcessorState& p, const ChannelTable& channels) {
    return PumpLineOf("%s is %s    On_Hours=%5.2lf    Duty_Cycle=%5.2lf    Cycles=%i",
                      "ON    GPM=%5.2lf    BTU Factor=%6.4lf", channels[kChHaPump].longName,
                      PumpOn(p.current[kSlotHaPump]), p.current[kSlotHaFlow], p.haHeat.factor,
                      p.haPump, ElapsedSeconds(p));
}

std::string SamplesLine(const Config& c, const ProcessorState& p, int samplesLogged,
                        const DisplayStatus& status) {
    std::string suffix;
    if (c.oneWireEnable != 0) {
        suffix = Format("    One Wire Pkts=%i", status.oneWirePackets);
    }
    if (c.webUploadFtp != 0 || c.webWriteToDisk != 0) {
        suffix +=
            Format("    Web Uploads=%i    Web Errors=%i", status.webUploads, status.webErrors);
    }
    return Format(
        "Samples=%i   Samples saved=%i   Samples Logged=%i     Open_Sensors=%i    "
        "Data_Errors=%i%s",
        p.sampleCount, static_cast<int>(p.history.Count()), samplesLogged, p.openSensors,
        p.dataErrors, suffix.c_str());
}

void UpdateStatusLines(AppState& state, const DisplayStatus& status, std::time_t now, float flux) {
    auto& l = state.statusLines.line;
    const ProcessorState& p = state.processor;
    l[StatusLines::kTime] = TimeLine(state.config, p, status, now, flux);
    if (!DataReceived(p)) {
        return;
    }
    l[StatusLines::kLastData] = LastDataLine(p);
    l[StatusLines::kHighLimit] = HighLimitLine(p);
    l[StatusLines::kPump] = PumpLine(p, state.channels);
    l[StatusLines::kHaPump] = HaPumpLine(p, state.channels);
    l[StatusLines::kSamples] = SamplesLine(state.config, p, state.dailyLog.samplesLogged, status);
}

std::string CellText(double v, bool currentColumn) {
    const bool missing =
        v == static_cast<double>(kNoReading) || v == static_cast<double>(kBadToken);
    if (currentColumn) {
        if (missing) {
            return "     Open";
        }
    } else if (missing || v == static_cast<double>(kDayMinStart)) {
        return kNineBlanks;
    }
    return Format("%10.1lf", v);
}

int ChosenTableQuantities(const Config& c) {
    // The pumps have status lines, not table rows.
    int n = 0;
    for (int id = 0; id < kChannelCount; ++id) {
        const ChannelEntry& entry = CatalogueEntry(id);
        const bool band = entry.scale == Scale::kPumpBand || entry.scale == Scale::kHeatBand;
        n += entry.listable && !band && c.status[static_cast<std::size_t>(id)] != 0 ? 1 : 0;
    }
    return n;
}

std::vector<TableRow> TableRows(const Config& c, const ProcessorState& p,
                                const ChannelTable& channels) {
    const ChannelStats& st = p.stats;
    const bool kwh = c.heatUnits != 0;
    const double f = kwh ? kKwPerBtuPerSecond : kBtuPerHourPerBtuPerSecond;
    const double heatFactor = kwh ? kKwhPerBtu : 1.0;
    std::vector<TableRow> rows;

    auto temperature = [&](int channel) {
        if (c.status[static_cast<std::size_t>(channel)] == 0) {
            return;
        }
        const int slot = CatalogueEntry(channel).slot;
        TableRow r{channels[channel].longName, {}};
        const float values[5] = {p.current[slot], st.maximum[slot], st.minimum[slot],
                                 st.dayMax[slot], st.dayMin[slot]};
        for (std::size_t i = 0; i < 5; ++i) {
            r.cells[i] = CellText(values[i], i == 0);
        }
        rows.push_back(r);
    };
    // Heat rows fill Current and Day Max; rate rows also Maximum. The rest stays blank.
    auto heat = [&](int flag, int channel, double current, double maximum, double dayValue,
                    bool withMaximum) {
        if (flag == 0) {
            return;
        }
        TableRow r{channels[channel].longName, {}};
        r.cells[0] = CellText(current, true);
        if (withMaximum) {
            r.cells[1] = CellText(maximum, false);
        }
        r.cells[3] = CellText(dayValue, false);
        rows.push_back(r);
    };

    for (int id = 0; id < kChannelCount; ++id) {
        if (CatalogueEntry(id).scale == Scale::kTemperature) {
            temperature(id);
        }
    }

    const HeatTotals& ch = p.collectorHeat;
    const HeatTotals& ha = p.haHeat;
    heat(c.status[kChBtus], kChBtus, ch.total, 0.0, ch.dayHeat, false);
    heat(c.status[kChKwhs], kChKwhs, ch.total * kKwhPerBtu, 0.0, ch.dayHeat * kKwhPerBtu, false);
    heat(c.status[kChBtuRate], kwh ? kChKw : kChBtuRate, ch.rate * f, ch.maxRate * f,
         ch.dayMaxRate * f, true);
    heat(c.status[kChHaBtus], kwh ? kChHaKwhs : kChHaBtus, ha.total * heatFactor, 0.0,
         ha.dayHeat * heatFactor, false);
    heat(c.status[kChHaBtuRate], kwh ? kChHaKw : kChHaBtuRate, ha.rate * f, ha.maxRate * f,
         ha.dayMaxRate * f, true);
    return rows;
}

}  // namespace brennic
