// The dashboard's history request: query parameters as the server hands them over (first line
// the Accept header, then key=value pairs separated by '&'), and the answer written out.

#include <map>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "http/HistoryQuery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brennic;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = text.find('\n');
    const std::string accept = text.substr(0, lineEnd);
    std::map<std::string, std::string> params;
    if (lineEnd != std::string::npos) {
        std::size_t at = lineEnd + 1;
        while (at <= text.size()) {
            std::size_t end = text.find('&', at);
            if (end == std::string::npos) {
                end = text.size();
            }
            const std::string pair = text.substr(at, end - at);
            const std::size_t eq = pair.find('=');
            params[pair.substr(0, eq)] = eq == std::string::npos ? "" : pair.substr(eq + 1);
            at = end + 1;
        }
    }
    std::string error;
    const std::time_t now = 1243883130;  // 2009-06-01 19:05:30 UTC
    const auto query = ParseHistoryQuery(params, accept, now, error);
    ParseApiTime(accept);
    if (!query) {
        return 0;
    }
    if (query->from > query->to || query->step < 0) {
        __builtin_trap();  // an accepted query is an ordered range
    }
    std::vector<Sample> samples(3);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i].time = query->from + static_cast<std::time_t>(i) * 60;
    }
    HistoryAnswer writer(*query, std::move(samples));
    char buffer[512];
    while (writer.Read(buffer, sizeof buffer) > 0) {
    }
    return 0;
}
