#include "web/WebPages.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "core/AppState.h"
#include "core/LocalTime.h"

namespace brennic {

namespace {

// A frame line ("<html>", "<pre>", ...): the text alone.
void Frame(std::string& out, std::string_view text) {
    out += text;
    out += '\n';
}

// A record: the quoted key (quotes part of `key`), the label and the value in double quotes.
// Texts are written as they are, without escaping: readers pick values out by key.
void Record(std::string& out, std::string_view key, std::string_view label,
            std::string_view value) {
    out += key;
    out += " \"";
    out += label;
    out += "\" \"";
    out += value;
    out += "\"\n";
}

std::string Int(long long v) {
    return std::to_string(v);
}

std::string TwoDigits(int a, int b, int c, char sep) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d%c%02d%c%02d", a, sep, b, sep, c);
    return buffer;
}

const char* OnOff(float pumpSlot) {
    return pumpSlot != 0.0f ? "On" : "Off";
}

bool IsGap(float v) {
    return v == kNoReading || v == kBadToken || v == kDayMinStart;
}

// The five statistics of one probe record: "Current,Maximum,Minimum,Day Max,Day Min".
std::string Cells(float current, float maximum, float minimum, float dayMax, float dayMin) {
    std::string out;
    if (current == kNoReading || current == kBadToken) {
        out += "Open,";
    } else {
        out += FormatFixed(current, 1) + ",";
    }
    for (float v : {maximum, minimum, dayMax}) {
        out += IsGap(v) ? std::string(",") : FormatFixed(v, 1) + ",";
    }
    out += IsGap(dayMin) ? std::string(" ") : FormatFixed(dayMin, 1);
    return out;
}

// A record names its channel by the catalogue key, in quotes.
void ProbeRecord(std::string& out, int channel, const ChannelInfo& names,
                 const std::string& cells) {
    out += '"';
    out += CatalogueEntry(channel).key;
    out += "\" \"";
    out += names.shortName;
    out += "\" \"";
    out += names.longName;
    out += "\" ";
    out += cells;
    out += '\n';
}

double Elapsed(const PageSnapshot& s) {
    return std::difftime(s.current.time, s.firstSampleTime);
}

double DutyCycle(const PumpStats& p, double elapsed) {
    return elapsed != 0.0 ? p.totalOnSeconds / elapsed : 0.0;
}

}  // namespace

std::string FormatFixed(double value, int precision, int width) {
    char buffer[512];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    }
    return text;
}

PageSnapshot TakePageSnapshot(const AppState& state, const LinkStatus& links, int uploadNumber,
                              std::time_t now) {
    PageSnapshot s;
    s.siteId = state.config.siteId;
    s.intervalMinutes = state.config.webIntervalMinutes;
    s.oneWireEnable = state.config.oneWireEnable;
    s.uploadNumber = uploadNumber;
    ToLocalTime(now, s.localNow);
    s.links = links;
    const ProcessorState& p = state.processor;
    s.current = p.current;
    s.stats = p.stats;
    s.firstSampleTime = p.firstSampleTime;
    s.collectorPump = p.collectorPump;
    s.haPump = p.haPump;
    s.collectorHeat = p.collectorHeat;
    s.haHeat = p.haHeat;
    s.sampleCount = p.sampleCount;
    s.samplesSaved = static_cast<int>(p.history.Count());
    s.samplesLogged = state.dailyLog.samplesLogged;
    s.openSensors = p.openSensors;
    s.dataErrors = p.dataErrors;
    s.channels = state.channels;
    return s;
}

std::string WriteStatsPage(const PageSnapshot& s) {
    const double elapsed = Elapsed(s);
    const long long e = static_cast<long long>(elapsed);
    const std::tm& t = s.localNow;

    std::string out;
    for (const char* line :
         {"<html>", "<head>", "<title>Brennic_Statistics</title>", "</head>", "<body>", "<pre>"}) {
        Frame(out, line);
    }
    Record(out, "\"site\"", "Site Name", s.siteId);
    Record(out, "\"ftpsample\"", "FTP Sample Number", Int(s.uploadNumber));
    Record(out, "\"ftpinterval\"", "FTP Sample Interval", Int(s.intervalMinutes));
    Record(out, "\"time\"", "Time", TwoDigits(t.tm_hour, t.tm_min, t.tm_sec, ':'));
    Record(out, "\"date\"", "Date", TwoDigits(t.tm_mon + 1, t.tm_mday, t.tm_year + 1900, '/'));
    Record(out, "\"elapsed time\"", "Elapsed Time",
           TwoDigits(static_cast<int>(e / 3600), static_cast<int>(e % 3600 / 60),
                     static_cast<int>(e % 60), ':'));
    Record(out, "\"com_state\"", "Comm Port State", s.links.comActive ? "Active" : "Inactive");
    Record(out, "\"onewire_enable\"", "One Wire Enabled", s.oneWireEnable != 0 ? "Yes" : "No");
    Record(out, "\"onewire_state\"", "One Wire State",
           s.links.oneWireActive ? "Active" : "Inactive");
    Record(out, "\"one_wire_timeouts\"", "One Wire Timeouts", Int(s.links.oneWireTimeouts));

    Record(out, "\"pump_state\"", "Pump State", OnOff(s.current[kSlotPump]));
    Record(out, "\"pump_on_hours\"", "Pump On Hours",
           FormatFixed(s.collectorPump.totalOnSeconds / 3600.0, 2, 5));
    Record(out, "\"pump_duty_cycle\"", "Pump Duty Cycle",
           FormatFixed(DutyCycle(s.collectorPump, elapsed), 2, 5));
    Record(out, "\"pump_cycles\"", "Pump Cycles", Int(s.collectorPump.cycles));
    Record(out, "\"pump_flow_rate\"", "Pump Flow Rate", FormatFixed(s.current[kSlotFlow], 2, 5));

    Record(out, "\"hapump_state\"", "HA Pump State", OnOff(s.current[kSlotHaPump]));
    Record(out, "\"hapump_on_hours\"", "HA Pump On Hours",
           FormatFixed(s.haPump.totalOnSeconds / 3600.0, 2, 5));
    Record(out, "\"hapump_duty_cycle\"", "HA Pump Duty Cycle",
           FormatFixed(DutyCycle(s.haPump, elapsed), 2, 5));
    Record(out, "\"hapump_cycles\"", "HA Pump Cycles", Int(s.haPump.cycles));
    // Without a live One-Wire link the heat-assist flow is stale, so the page shows none.
    Record(out, "\"hapump_flow_rate\"", "HA Pump Flow Rate",
           s.links.oneWireActive ? FormatFixed(s.current[kSlotHaFlow], 2, 5) : "0.00");

    Record(out, "\"samples\"", "Samples", Int(s.sampleCount));
    Record(out, "\"sample_saved\"", "Samples Saved", Int(s.samplesSaved));
    Record(out, "\"samples_logged\"", "Samples Logged", Int(s.samplesLogged));
    Record(out, "\"open_sensors\"", "Open Sensors", Int(s.openSensors));
    Record(out, "\"data_errors\"", "Data Errors", Int(s.dataErrors));
    Record(out, "\"FTP_Frequency\"", "FTP Frequency", Int(s.intervalMinutes));
    for (const char* line : {"</pre>", "</body>", "</html>"}) {
        Frame(out, line);
    }
    return out;
}

std::string WriteProbesPage(const PageSnapshot& s) {
    std::string out;
    for (const char* line :
         {"<html>", "<head>", "<title>Brennic_Probes</title>", "</head>", "<body>", "<pre>"}) {
        Frame(out, line);
    }
    out +=
        "\"title\" \"Short Name\" \"Long Name\" "
        "\"Current\",\"Maximum\",\"Minimum\",\"Day Max\",\"Day Min\"\n";
    const ChannelStats& st = s.stats;
    for (int id = 0; id < kChannelCount; ++id) {
        const ChannelEntry& p = CatalogueEntry(id);
        if (p.scale == Scale::kTemperature) {
            ProbeRecord(out, id, s.channels[id],
                        Cells(s.current[p.slot], st.maximum[p.slot], st.minimum[p.slot],
                              st.dayMax[p.slot], st.dayMin[p.slot]));
        }
    }

    // Heat and rates are kept in double but printed in single precision; the cells that have
    // no statistic carry the Day Min start value and so print empty.
    const auto f = [](double v) { return static_cast<float>(v); };
    const float none = kDayMinStart;
    const HeatTotals& c = s.collectorHeat;
    const HeatTotals& h = s.haHeat;
    ProbeRecord(out, kChBtus, s.channels[kChBtus],
                Cells(f(c.total), none, none, f(c.dayHeat), none));
    ProbeRecord(
        out, kChBtuRate, s.channels[kChBtuRate],
        Cells(f(c.rate * 3600.0), f(c.maxRate * 3600.0), none, f(c.dayMaxRate * 3600.0), none));
    ProbeRecord(out, kChHaBtus, s.channels[kChHaBtus],
                Cells(f(h.total), none, none, f(h.dayHeat), none));
    ProbeRecord(
        out, kChHaBtuRate, s.channels[kChHaBtuRate],
        Cells(f(h.rate * 3600.0), f(h.maxRate * 3600.0), none, f(h.dayMaxRate * 3600.0), none));
    for (const char* line : {"</pre>", "</body>", "</html>"}) {
        Frame(out, line);
    }
    return out;
}

}  // namespace brennic
