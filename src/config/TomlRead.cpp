#include "config/TomlRead.h"

#include <cstdio>
#include <optional>

namespace brennic {

std::string ProblemStart(const toml::node& node) {
    const auto& where = node.source().begin;
    if (where.line == 0) {
        return "brennic.toml: ";
    }
    return "brennic.toml line " + std::to_string(where.line) + ": ";
}

namespace {

std::string Name(const char* sectionName, const char* key) {
    return std::string("[") + sectionName + "] " + key;
}

}  // namespace

void ReadBool(const toml::table* section, const char* sectionName, const char* key, bool& value,
              std::vector<std::string>& problems) {
    const toml::node* node = section != nullptr ? section->get(key) : nullptr;
    if (node == nullptr) {
        return;
    }
    if (const auto v = node->value_exact<bool>()) {
        value = *v;
        return;
    }
    problems.push_back(ProblemStart(*node) + Name(sectionName, key) + " must be true or false");
}

void ReadInt(const toml::table* section, const char* sectionName, const char* key, int& value,
             int lowest, int highest, std::vector<std::string>& problems) {
    const toml::node* node = section != nullptr ? section->get(key) : nullptr;
    if (node == nullptr) {
        return;
    }
    if (const auto v = node->value_exact<int64_t>(); v && *v >= lowest && *v <= highest) {
        value = static_cast<int>(*v);
        return;
    }
    problems.push_back(ProblemStart(*node) + Name(sectionName, key) +
                       " must be a whole number from " + std::to_string(lowest) + " to " +
                       std::to_string(highest));
}

void ReadDouble(const toml::table* section, const char* sectionName, const char* key, double& value,
                double lowest, double highest, std::vector<std::string>& problems) {
    const toml::node* node = section != nullptr ? section->get(key) : nullptr;
    if (node == nullptr) {
        return;
    }
    std::optional<double> v = node->value_exact<double>();
    if (!v) {
        if (const auto whole = node->value_exact<int64_t>()) {
            v = static_cast<double>(*whole);
        }
    }
    if (v && *v >= lowest && *v <= highest) {
        value = *v;
        return;
    }
    char range[64];
    std::snprintf(range, sizeof range, "%g to %g", lowest, highest);
    problems.push_back(ProblemStart(*node) + Name(sectionName, key) + " must be a number from " +
                       range);
}

void ReadString(const toml::table* section, const char* sectionName, const char* key,
                std::string& value, std::vector<std::string>& problems) {
    const toml::node* node = section != nullptr ? section->get(key) : nullptr;
    if (node == nullptr) {
        return;
    }
    if (const auto v = node->value_exact<std::string>()) {
        value = *v;
        return;
    }
    problems.push_back(ProblemStart(*node) + Name(sectionName, key) + " must be a quoted text");
}

}  // namespace brennic
