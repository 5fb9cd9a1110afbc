#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/AppState.h"
#include "core/LocalTime.h"

namespace brennic::testing {

// Sets TZ for the lifetime of the object and restores the previous value afterwards.
class ZoneGuard {
  public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            old_ = old;
        }
        Set(zone);
    }
    ~ZoneGuard() { Set(old_ ? old_->c_str() : nullptr); }
    ZoneGuard(const ZoneGuard&) = delete;
    ZoneGuard& operator=(const ZoneGuard&) = delete;

    static void Set(const char* zone) {
        if (zone != nullptr) {
            setenv("TZ", zone, 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    std::optional<std::string> old_;
};

// 2009-06-01 14:05:30 CDT and 2009-01-15 08:07:09 CST.
inline constexpr std::time_t kJune1 = 1243883130;
inline constexpr std::time_t kJan15 = 1232028429;

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh AppState writing into its own temporary folder in Chicago time; messages are
// collected instead of shown.
class DataFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("brennic_datafiles_" + std::to_string(getpid()) + "_" + info->test_suite_name() +
                "_" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        state.config.dataFolder = dir_.string();
        state.config.logData = 1;
        state.config.logEveryNth = 1;
        state.config.summaryEnable = 0;
        state.config.summaryEveryNth = 1;
        state.config.oneWireEnable = 0;
        state.showMessage = [this](const std::string& text, const std::string& caption) {
            messages.emplace_back(text, caption);
        };
    }

    void TearDown() override {
        SetTestTimeOffset(0);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // Sets the current sample: time and the temperatures of slots 1-6, pump, flow.
    void SetSample(std::time_t t, float collector = 150.0f, float storage = 120.0f) {
        Sample& s = state.processor.current;
        s.time = t;
        s[kSlotCollector] = collector;
        s[kSlotStorage] = storage;
        s[kSlotAux1] = 70.0f;
        s[kSlotAux2] = 71.5f;
        s[kSlotAux3] = 72.25f;
        s[kSlotAux4] = kNoReading;
        s[kSlotPump] = 1.0f;
        s[kSlotFlow] = 4.5f;
    }

    std::filesystem::path File(const std::string& name) const { return dir_ / name; }
    const std::filesystem::path& Dir() const { return dir_; }

    ZoneGuard zone_{"America/Chicago"};
    AppState state;
    std::vector<std::pair<std::string, std::string>> messages;

  private:
    std::filesystem::path dir_;
};

}  // namespace brennic::testing
