#include "web/WritePagesCommand.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "core/AppState.h"

namespace brennic {

namespace {

bool WriteFile(const std::string& path, const std::string& content, std::string& why) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        why = std::system_category().message(errno);
        return false;
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        why = std::system_category().message(written ? errno : writeErrno);
        return false;
    }
    return true;
}

}  // namespace

int WritePagesCommand(AppState& state, const std::string& folder, const LinkStatus& links) {
    PageSnapshot snapshot;
    {
        StateGuard guard(state.lock);
        snapshot = TakePageSnapshot(state, links, 1, std::time(nullptr));
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        state.showMessage("Cannot create the folder " + folder + ": " + ec.message(), "Error");
        return 1;
    }
    const struct {
        const char* name;
        std::string content;
    } pages[] = {{"BRN_Stats.htm", WriteStatsPage(snapshot)},
                 {"BRN_Probes.htm", WriteProbesPage(snapshot)}};
    for (const auto& page : pages) {
        const std::string path = (std::filesystem::path(folder) / page.name).string();
        std::string why;
        if (!WriteFile(path, page.content, why)) {
            state.showMessage("Cannot write " + path + ": " + why, "Error");
            return 1;
        }
    }
    return 0;
}

}  // namespace brennic
