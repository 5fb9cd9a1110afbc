#include "alerts/AlertSettings.h"

#include "alerts/AlertCommand.h"
#include "config/TomlRead.h"

namespace brennic {

namespace {

void ReadCommand(const toml::table* section, std::vector<std::string>& command,
                 std::vector<std::string>& problems) {
    const toml::node* node = section != nullptr ? section->get("command") : nullptr;
    if (node == nullptr) {
        return;
    }
    if (const auto line = node->value_exact<std::string>()) {
        command = SplitCommandLine(*line);
        return;
    }
    if (const toml::array* words = node->as_array()) {
        std::vector<std::string> out;
        for (const toml::node& word : *words) {
            const auto text = word.value_exact<std::string>();
            if (!text) {
                out.clear();
                break;
            }
            out.push_back(*text);
        }
        if (!out.empty() || words->empty()) {
            command = out;
            return;
        }
    }
    problems.push_back(ProblemStart(*node) +
                       "[alerts] command must be a quoted text or an array of quoted texts");
}

}  // namespace

AlertSettings ReadAlertSettings(const toml::table* section, std::vector<std::string>& problems) {
    AlertSettings s;
    ReadBool(section, "alerts", "enabled", s.enabled, problems);
    ReadDouble(section, "alerts", "differential", s.differential, 0.5, 100.0, problems);
    ReadCommand(section, s.command, problems);
    ReadInt(section, "alerts", "command_timeout_seconds", s.commandTimeoutSeconds, 1, 3600,
            problems);
    ReadBool(section, "alerts", "notify", s.notify, problems);
    if (section == nullptr) {
        return s;
    }
    for (int i = 0; i < kAlertRuleCount; ++i) {
        const AlertRuleEntry& entry = kAlertRules[static_cast<std::size_t>(i)];
        const toml::node* node = section->get(entry.key);
        if (node == nullptr) {
            continue;
        }
        const toml::table* rule = node->as_table();
        const std::string name = std::string("alerts.") + entry.key;
        if (rule == nullptr) {
            problems.push_back(ProblemStart(*node) + name + " must be a section ([" + name + "])");
            continue;
        }
        AlertRuleSettings& r = s.rules[static_cast<std::size_t>(i)];
        ReadBool(rule, name.c_str(), "enabled", r.enabled, problems);
        if (entry.thresholdUnit != nullptr) {
            ReadDouble(rule, name.c_str(), "threshold", r.threshold, -100.0, 1000.0, problems);
        }
        int minutes = r.seconds / 60;
        // No data needs a silence of at least a minute, or every gap between lines would raise it.
        const int lowest = i == static_cast<int>(AlertRule::kNoData) ? 1 : 0;
        ReadInt(rule, name.c_str(), "minutes", minutes, lowest, 7 * 24 * 60, problems);
        r.seconds = minutes * 60;
    }
    return s;
}

}  // namespace brennic
