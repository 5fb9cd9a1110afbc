#pragma once

// Shared by the Config.Txt tests: the golden file, line helpers and a fixture with its own
// configuration and program folders.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/ConfigFile.h"

#include "support/TempFolder.h"

namespace brennic::config_test {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

inline std::string Join(const Lines& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l + "\n";
    }
    return text;
}

inline Lines SplitLines(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        lines.push_back(l);
    }
    return lines;
}

using testing::ReadAll;

inline Lines Golden() {
    return SplitLines(ReadAll(BRENNIC_SOURCE_DIR "/tests/fixtures/config/Config-v7.txt"));
}

// `lines` with line `number` (1-based, as in the file) replaced.
inline Lines WithLine(Lines lines, std::size_t number, const std::string& text) {
    lines.at(number - 1) = text;
    return lines;
}

// Line 6 of the golden file with the values at the given (0-based) indexes replaced.
inline std::string Line6With(const std::vector<std::pair<std::size_t, std::string>>& changes) {
    Lines fields;
    std::stringstream in(Golden().at(5));
    for (std::string f; std::getline(in, f, ',');) {
        fields.push_back(f);
    }
    for (const auto& [index, value] : changes) {
        fields.at(index) = value;
    }
    std::string line;
    for (const auto& f : fields) {
        line += (line.empty() ? "" : ",") + f;
    }
    return line;
}

inline std::string Line6With(std::size_t index, const std::string& value) {
    return Line6With({{index, value}});
}

inline std::string ProbeRow(const std::string& id, const std::string& description,
                            const std::string& field) {
    std::string row = id;
    row.resize(15, ' ');
    row += ' ' + description;
    row.resize(47, ' ');
    return row + ' ' + field;
}

// A fresh folder tree per test: cfg/ is the configuration folder, prog/ the program folder.
class ConfigFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(root_ / "prog");
        paths_ = {(root_ / "cfg").string(), (root_ / "prog").string(), "/data/brennic"};
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(root_ / "cfg", fs::perms::owner_all, ec);
    }

    void Prepare(AppState& state) {
        state.showMessage = [this](const std::string& text, const std::string& caption) {
            messages_.push_back(caption + "|" + text);
        };
    }
    ConfigSource LoadText(AppState& state, const std::string& text) {
        fs::create_directories(paths_.configFolder);
        std::ofstream(fs::path(paths_.configFolder) / "Config.Txt", std::ios::binary) << text;
        Prepare(state);
        return LoadConfig(state, paths_);
    }
    std::string SavedText(AppState& state) {
        std::string why;
        EXPECT_TRUE(SaveConfig(state, &why)) << why;
        return ReadAll(fs::path(state.config.configFolder) / "Config.Txt");
    }
    testing::TempFolder folder_;
    const fs::path root_ = folder_.Path();
    ConfigPaths paths_;
    std::vector<std::string> messages_;
};

}  // namespace brennic::config_test
