#include "http/MetricsText.h"

#include <cstdio>

#include "web/WebPages.h"

namespace brennic {

namespace {

// Label values escape backslash, double quote and line feed.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

class Writer {
  public:
    void Family(const char* name, const char* type, const char* help) {
        out_ += "# HELP ";
        out_ += name;
        out_ += ' ';
        out_ += help;
        out_ += "\n# TYPE ";
        out_ += name;
        out_ += ' ';
        out_ += type;
        out_ += '\n';
    }
    void Line(const char* name, const std::string& labels, double value) {
        out_ += name;
        if (!labels.empty()) {
            out_ += '{' + labels + '}';
        }
        out_ += ' ';
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17g", value);
        // %g follows the C locale, which the program leaves at "C"; keep a point regardless.
        for (char* c = buffer; *c != '\0'; ++c) {
            if (*c == ',') {
                *c = '.';
            }
        }
        out_ += buffer;
        out_ += '\n';
    }
    std::string Take() { return std::move(out_); }

  private:
    std::string out_;
};

std::string Channel(const char* key, const std::string& name) {
    return "channel=\"" + std::string(key) + "\",name=\"" + Escape(name) + "\"";
}

}  // namespace

std::string MetricsText(const LiveSnapshot& s) {
    const PageSnapshot& p = s.page;
    Writer w;
    const bool haveSample = p.sampleCount > 0;
    w.Family("brennic_temperature_fahrenheit", "gauge", "Temperature of a probe in degrees F.");
    if (haveSample) {
        for (const SlotKey& k : SlotKeys()) {
            if (std::string(k.unit) == "°F" && IsReading(p.current[k.slot])) {
                w.Line("brennic_temperature_fahrenheit",
                       Channel(k.key, p.channels[k.channel].longName), p.current[k.slot]);
            }
        }
    }
    w.Family("brennic_flow_gpm", "gauge", "Flow of a loop in US gallons per minute.");
    w.Family("brennic_heat_rate_btu_per_hour", "gauge", "Heat rate of a loop in BTU per hour.");
    w.Family("brennic_pump_running", "gauge", "1 while the pump of a loop runs.");
    w.Family("brennic_heat_btu_total", "counter", "Heat of a loop since the last reset in BTU.");
    w.Family("brennic_pump_on_seconds_total", "counter", "Pump running time since the last reset.");
    const struct {
        const char* loop;
        int flowSlot;
        const HeatTotals& heat;
        const PumpStats& pump;
    } loops[] = {{"collector", kSlotFlow, p.collectorHeat, p.collectorPump},
                 {"heat_assist", kSlotHaFlow, p.haHeat, p.haPump}};
    for (const auto& l : loops) {
        const std::string label = "loop=\"" + std::string(l.loop) + "\"";
        if (haveSample && IsReading(p.current[l.flowSlot])) {
            w.Line("brennic_flow_gpm", label, p.current[l.flowSlot]);
        }
        w.Line("brennic_heat_rate_btu_per_hour", label, l.heat.rate * 3600.0);
        w.Line("brennic_pump_running", label, l.pump.running ? 1 : 0);
        w.Line("brennic_heat_btu_total", label, l.heat.total);
        long long on = l.pump.totalOnSeconds;
        if (l.pump.running && l.pump.onSince > 0 && s.now > l.pump.onSince) {
            on += s.now - l.pump.onSince;
        }
        w.Line("brennic_pump_on_seconds_total", label, static_cast<double>(on));
    }
    w.Family("brennic_samples_total", "counter", "Samples processed since the last reset.");
    w.Line("brennic_samples_total", "", p.sampleCount);
    w.Family("brennic_data_errors_total", "counter", "Controller lines that did not parse.");
    w.Line("brennic_data_errors_total", "", p.dataErrors);
    w.Family("brennic_open_sensors_total", "counter", "Readings of an open sensor.");
    w.Line("brennic_open_sensors_total", "", p.openSensors);
    w.Family("brennic_link_up", "gauge", "1 while a link is active.");
    w.Line("brennic_link_up", "link=\"serial\"", p.links.comActive ? 1 : 0);
    w.Line("brennic_link_up", "link=\"onewire\"", p.links.oneWireActive ? 1 : 0);
    w.Family("brennic_last_sample_age_seconds", "gauge",
             "Seconds since the last processed sample (absent before the first).");
    if (haveSample) {
        w.Line("brennic_last_sample_age_seconds", "", static_cast<double>(s.now - p.current.time));
    }
    return w.Take();
}

}  // namespace brennic
