#include "http/LiveSnapshot.h"

#include <cstdio>
#include <cstdlib>

#include "core/AppState.h"
#include "core/LocalTime.h"

namespace brennic {

LiveSnapshot TakeLiveSnapshot(const AppState& state, const LiveLinks& links, std::time_t now) {
    LiveSnapshot s;
    // The pages' upload number is 1, as `--write-pages` writes them.
    s.page = TakePageSnapshot(state, links.page, 1, now);
    s.links = links;
    s.statusLines = state.statusLines.line;
    s.receivedLines = state.processor.receivedLines;
    s.now = now;
    return s;
}

std::vector<Sample> CopyHistory(const AppState& state, std::time_t from, std::time_t to) {
    std::vector<Sample> out;
    for (const Sample& s : state.processor.history) {
        if (s.time >= from && s.time <= to) {
            out.push_back(s);
        }
    }
    return out;
}

const std::vector<SlotKey>& SlotKeys() {
    static const std::vector<SlotKey> kKeys = {
        {kSlotCollector, "collector", "°F", kChCollector},
        {kSlotStorage, "storage", "°F", kChStorage},
        {kSlotAux1, "aux1", "°F", kChAux1},
        {kSlotAux2, "aux2", "°F", kChAux2},
        {kSlotAux3, "aux3", "°F", kChAux3},
        {kSlotAux4, "aux4", "°F", kChAux4},
        {kSlotBtuRate, "btuRate", "BTU/s", kChBtuRate},
        {kSlotPump, "pump", "on", kChPump},
        {kSlotFlow, "flow", "GPM", kChGpm},
        {kSlotWAux1, "waux1", "°F", kChWAux1},
        {kSlotWAux2, "waux2", "°F", kChWAux2},
        {kSlotWAux3, "waux3", "°F", kChWAux3},
        {kSlotWAux4, "waux4", "°F", kChWAux4},
        {kSlotHaBtuRate, "haBtuRate", "BTU/s", kChHaBtuRate},
        {kSlotHaPump, "haPump", "on", kChHaPump},
        {kSlotHaFlow, "haFlow", "GPM", -1},
    };
    return kKeys;
}

std::string IsoTime(std::time_t t) {
    std::tm local{};
    if (!ToLocalTime(t, local)) {
        return {};
    }
    const long offset = local.tm_gmtoff;
    const long minutes = std::labs(offset) / 60;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return buffer;
}

}  // namespace brennic
