#include "replay/ReplayCommand.h"

#include <charconv>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <system_error>

#include "replay/CaptureReader.h"
#include "replay/DataRecorderReader.h"
#include "replay/OwnLogReader.h"
#include "replay/RecordTime.h"

namespace brennic {

namespace {

using Json = nlohmann::ordered_json;

// Collects what a window would show: bad records (answered as SUPPRESS ERRORS) and the
// read error that ended the replay.
class CommandEvents : public ReplayEvents {
  public:
    void BadRecord(int record, const std::string& text) override {
        errors.push_back(Json{{"record", record}, {"text", text}});
    }
    RecordErrorChoice AskRecordError(const std::string&) override {
        return RecordErrorChoice::kSuppressErrors;
    }
    void ReadError(int, const std::string& text, const std::string& caption) override {
        message = caption + ": " + text;
    }

    Json errors = Json::array();
    std::string message;
};

// A float as the shortest decimal that reads back as the same float, so 120.1f prints as 120.1.
Json Number(float v) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    double d = 0.0;
    std::from_chars(buffer, r.ptr, d);
    return d;
}

Json TimeValue(std::time_t t) {
    return t == 0 ? Json(nullptr) : Json(LocalTimeText(t));
}

Json SampleObject(const Sample& s) {
    static constexpr std::pair<const char*, int> kKeys[] = {
        {"collector", kSlotCollector}, {"storage", kSlotStorage},     {"aux1", kSlotAux1},
        {"aux2", kSlotAux2},           {"aux3", kSlotAux3},           {"aux4", kSlotAux4},
        {"btuRate", kSlotBtuRate},     {"pump", kSlotPump},           {"flow", kSlotFlow},
        {"waux1", kSlotWAux1},         {"waux2", kSlotWAux2},         {"waux3", kSlotWAux3},
        {"waux4", kSlotWAux4},         {"haBtuRate", kSlotHaBtuRate}, {"haPump", kSlotHaPump},
        {"haFlow", kSlotHaFlow}};
    Json o;
    o["time"] = TimeValue(s.time);
    for (const auto& [key, slot] : kKeys) {
        o[key] = Number(s[slot]);
    }
    return o;
}

Json HeatObject(const HeatTotals& h) {
    return Json{{"total", h.total},           {"rate", h.rate},
                {"maxRate", h.maxRate},       {"dayHeat", h.dayHeat},
                {"dayMaxRate", h.dayMaxRate}, {"factor", h.factor}};
}

Json PumpObject(const PumpStats& p) {
    return Json{{"onSeconds", p.totalOnSeconds}, {"cycles", p.cycles}, {"running", p.running}};
}

}  // namespace

int RunReplayCommand(AppState& state, const ReplayOptions& options, std::ostream& out,
                     std::ostream& err) {
    using Kind = ReplayOptions::Kind;
    CommandEvents events;
    ReplayOutcome outcome;
    if (options.kind == Kind::kCapture) {
        const auto start = ParseLocalTimeText(options.start);
        if (!start) {
            err << "--start needs a local time \"YYYY-MM-DD HH:MM:SS\", not \"" << options.start
                << "\"\n";
            return 2;
        }
        if (options.interval < 0 || options.interval > 0xFFFFFFFFLL) {
            err << "--interval needs a whole number of seconds, not " << options.interval << "\n";
            return 2;
        }
        outcome = ReplayCaptureFile(state, options.file, *start,
                                    static_cast<std::uint32_t>(options.interval), events);
    } else if (options.kind == Kind::kDataRecorder || options.kind == Kind::kOwnLog) {
        RecordRange range;
        range.startTime = std::numeric_limits<std::time_t>::min() / 4;
        range.endTime = std::numeric_limits<std::time_t>::max() / 4;
        for (auto [text, name, target] : {std::tuple{&options.from, "--from", &range.startTime},
                                          std::tuple{&options.to, "--to", &range.endTime}}) {
            if (text->empty()) {
                continue;
            }
            const auto t = ParseLocalTimeText(*text);
            if (!t) {
                err << name << " needs a local time \"YYYY-MM-DD HH:MM:SS\", not \"" << *text
                    << "\"\n";
                return 2;
            }
            *target = *t;
            range.useRange = true;
        }
        range.fastAccess = options.fastAccess;
        outcome = options.kind == Kind::kDataRecorder
                      ? ReplayDataRecorderFile(state, options.file, range, events)
                      : ReplayOwnLogFile(state, options.file, range, events);
    } else {
        err << "no replay asked for\n";
        return 2;
    }
    if (!outcome.opened) {
        err << "Cannot open " << options.file << ": "
            << std::generic_category().message(outcome.openErrno) << "\n";
        return 1;
    }
    if (outcome.readError != kReadOk) {
        err << events.message << "\n";
        return 1;
    }

    Json report;
    const bool any = outcome.recordsProcessed > 0;
    report["records"] = outcome.recordsProcessed;
    report["firstRecordTime"] = any ? TimeValue(outcome.firstProcessedTime) : Json(nullptr);
    report["lastRecordTime"] = any ? TimeValue(outcome.lastProcessedTime) : Json(nullptr);
    {
        StateGuard guard(state.lock);
        const ProcessorState& p = state.processor;
        report["current"] = SampleObject(p.current);
        report["maximum"] = SampleObject(p.stats.maximum);
        report["minimum"] = SampleObject(p.stats.minimum);
        report["dayMax"] = SampleObject(p.stats.dayMax);
        report["dayMin"] = SampleObject(p.stats.dayMin);
        report["collectorHeat"] = HeatObject(p.collectorHeat);
        report["heatAssistHeat"] = HeatObject(p.haHeat);
        report["collectorPump"] = PumpObject(p.collectorPump);
        report["heatAssistPump"] = PumpObject(p.haPump);
        report["counters"] = Json{{"samples", p.sampleCount},
                                  {"saved", p.history.Count()},
                                  {"received", p.receivedLines},
                                  {"openSensors", p.openSensors},
                                  {"dataErrors", p.dataErrors}};
    }
    report["recordErrors"] = events.errors;
    // Bad-record texts quote the file's bytes, which need not be UTF-8.
    out << report.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
    return 0;
}

}  // namespace brennic
