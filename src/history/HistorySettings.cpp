#include "history/HistorySettings.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <toml++/toml.h>

#include "config/TomlRead.h"

namespace brennic {

HistorySettings ReadHistorySettings(const toml::table* section,
                                    std::vector<std::string>& problems) {
    HistorySettings s;
    if (section == nullptr) {
        return s;
    }
    for (const auto& [key, node] : *section) {
        const std::string name(key.str());
        if (name == "enabled") {
            if (const auto v = node.value<bool>()) {
                s.enabled = *v;
            } else {
                problems.push_back("[history] enabled must be true or false");
            }
        } else if (name == "minute_retention_days") {
            const auto v = node.is_integer() ? node.value<long long>() : std::nullopt;
            if (v && *v >= 1 && *v <= 100000) {
                s.minuteRetentionDays = static_cast<int>(*v);
            } else {
                problems.push_back(
                    "[history] minute_retention_days must be a whole number of "
                    "days from 1 to 100000");
            }
        } else if (name == "path") {
            if (const auto v = node.value<std::string>(); v && !v->empty()) {
                s.path = *v;
            } else {
                problems.push_back("[history] path must be a file name");
            }
        } else {
            problems.push_back("[history] has no setting \"" + name + "\"");
        }
    }
    return s;
}

HistorySettings LoadHistorySettings(const std::string& tomlPath,
                                    std::vector<std::string>& problems) {
    std::error_code ec;
    if (!std::filesystem::exists(tomlPath, ec)) {
        return HistorySettings{};
    }
    std::ifstream in(tomlPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (const std::string problem = TomlTextProblem(text.str()); !problem.empty()) {
        problems.push_back(tomlPath + " " + problem);
        return HistorySettings{};
    }
    try {
        const toml::table file = toml::parse(text.str(), std::string_view(tomlPath));
        return ReadHistorySettings(file["history"].as_table(), problems);
    } catch (const toml::parse_error& e) {
        problems.push_back(tomlPath + ": " + std::string(e.description()));
        return HistorySettings{};
    }
}

std::string HistoryStorePath(const HistorySettings& settings, const std::string& dataFolder) {
    if (!settings.path.empty()) {
        return settings.path;
    }
    return (std::filesystem::path(dataFolder) / "history.sqlite").string();
}

}  // namespace brennic
