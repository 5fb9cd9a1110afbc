// brennic.toml as the service and the window read it: every section through the one loader,
// and [history] through its own reader of the file.

#include <string>
#include <vector>

#include "config/BrennicSettings.h"
#include "fuzz/FuzzSupport.h"
#include "history/HistorySettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brennic;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const SettingsLoad load = ParseBrennicSettings(text);
    if (load.settings.service.reconnectFirstSeconds < 0) {
        __builtin_trap();  // a read setting is always checked against its range
    }
    std::vector<std::string> problems;
    const HistorySettings history = LoadHistorySettings(fuzz::ScratchFile(data, size), problems);
    if (history.minuteRetentionDays < 0) {
        __builtin_trap();
    }
    return 0;
}
