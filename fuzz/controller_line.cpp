// Controller lines on both roads for every model. The first byte picks the model (0-2), the
// road (live or recorded) and One-Wire on or off; the rest is split at line feeds into lines
// fed one after the other, two seconds apart, as a controller would send them.

#include "core/MessageProcessor.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brennic;
    const std::uint8_t mode = fuzz::TakeByte(data, size);
    AppState state;
    fuzz::Quiet(state);
    state.config.controllerType = mode % 3;
    state.config.oneWireEnable = (mode & 0x10) != 0 ? 1 : 0;
    state.config.btuEnable = (mode & 0x20) != 0 ? 1 : 0;
    const bool live = (mode & 0x08) != 0;
    std::time_t t = 1243872000;  // 2009-06-01 16:00 UTC
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    StateGuard guard(state.lock);
    ResetStatistics(state, t);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string line(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        t += 2;
        if (live) {
            ProcessLiveLine(state, line, t);
        } else {
            ProcessRecordedLine(state, line.c_str(), nullptr, t);
        }
    }
    return 0;
}
