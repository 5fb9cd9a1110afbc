#include "http/ApiJson.h"

#include <algorithm>

namespace brennic {

namespace {

using nlohmann::json;

json Value(float v) {
    if (!IsReading(v) || v == kDayMinStart) {
        return nullptr;
    }
    return v;
}

json Time(std::time_t t) {
    return {{"iso", IsoTime(t)}, {"epoch", t}};
}

// Each channel with its value, unit and the names the owner gave it.
json Channels(const Sample& sample, const ChannelTable& names) {
    json out = json::object();
    for (const SlotKey& k : SlotKeys()) {
        json c = {{"value", Value(sample[k.slot])}, {"unit", k.unit}};
        if (k.channel >= 0) {
            c["name"] = names[k.channel].shortName;
            c["label"] = names[k.channel].longName;
        }
        out[k.key] = std::move(c);
    }
    return out;
}

json Pump(const PumpStats& p, std::time_t now) {
    // The running period counts up to now, as the status line shows it.
    long long on = p.totalOnSeconds;
    if (p.running && p.onSince > 0 && now > p.onSince) {
        on += now - p.onSince;
    }
    return {{"running", p.running}, {"onSeconds", on}, {"cycles", p.cycles}};
}

json Heat(const HeatTotals& h) {
    const auto perHour = [](double btuPerSecond) { return btuPerSecond * 3600.0; };
    return {
        {"totalBtu", h.total},
        {"totalKwh", h.total * kKwhPerBtu},
        {"dayBtu", h.dayHeat},
        {"dayKwh", h.dayHeat * kKwhPerBtu},
        {"rateBtuPerHour", perHour(h.rate)},
        {"rateKw", perHour(h.rate) * kKwhPerBtu},
        {"maxRateBtuPerHour", perHour(h.maxRate)},
        {"maxRateKw", perHour(h.maxRate) * kKwhPerBtu},
        {"dayMaxRateBtuPerHour", perHour(h.dayMaxRate)},
        {"dayMaxRateKw", perHour(h.dayMaxRate) * kKwhPerBtu},
        {"glycolFactor", h.factor},
    };
}

json Block(const Sample& sample, const ChannelTable& names) {
    json out = Time(sample.time);
    out["channels"] = Channels(sample, names);
    return out;
}

}  // namespace

json SampleJson(const Sample& sample, const std::vector<int>& slots) {
    json out = {{"time", IsoTime(sample.time)}, {"epoch", sample.time}};
    for (const SlotKey& k : SlotKeys()) {
        if (slots.empty() || std::find(slots.begin(), slots.end(), k.slot) != slots.end()) {
            out[k.key] = Value(sample[k.slot]);
        }
    }
    return out;
}

json CurrentJson(const LiveSnapshot& s) {
    const PageSnapshot& p = s.page;
    json out = {
        {"now", Time(s.now)},
        {"sample", Block(p.current, p.channels)},
        {"pumps",
         {{"collector", Pump(p.collectorPump, s.now)}, {"heatAssist", Pump(p.haPump, s.now)}}},
        {"heat", {{"collector", Heat(p.collectorHeat)}, {"heatAssist", Heat(p.haHeat)}}},
        {"links",
         {{"serial",
           {{"active", p.links.comActive},
            {"testData", s.links.testData},
            {"timeouts", s.links.serialTimeouts}}},
          {"oneWire",
           {{"enabled", p.oneWireEnable != 0},
            {"active", p.links.oneWireActive},
            {"timeouts", p.links.oneWireTimeouts}}}}},
        {"counters",
         {{"samples", p.sampleCount},
          {"saved", p.samplesSaved},
          {"logged", p.samplesLogged},
          {"received", s.receivedLines},
          {"openSensors", p.openSensors},
          {"dataErrors", p.dataErrors}}},
        {"status", s.statusLines},
        {"site", p.siteId},
    };
    if (p.sampleCount == 0) {
        out["sample"] = nullptr;  // nothing processed since the last reset
    }
    return out;
}

json StatisticsJson(const LiveSnapshot& s) {
    const PageSnapshot& p = s.page;
    return {
        {"now", Time(s.now)},
        {"since", Time(p.firstSampleTime)},
        {"maximum", Block(p.stats.maximum, p.channels)},
        {"minimum", Block(p.stats.minimum, p.channels)},
        {"dayMax", Block(p.stats.dayMax, p.channels)},
        {"dayMin", Block(p.stats.dayMin, p.channels)},
        {"pumps",
         {{"collector", Pump(p.collectorPump, s.now)}, {"heatAssist", Pump(p.haPump, s.now)}}},
        {"heat", {{"collector", Heat(p.collectorHeat)}, {"heatAssist", Heat(p.haHeat)}}},
        {"samples", p.sampleCount},
    };
}

std::string ErrorJson(int status, const std::string& message) {
    return json{{"error", {{"status", status}, {"message", message}}}}.dump() + "\n";
}

}  // namespace brennic
