#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/AppState.h"
#include "core/LocalTime.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"

namespace brennic::testing {

// 2009-06-01 14:05:30 CDT and 2009-01-15 08:07:09 CST.
inline constexpr std::time_t kJune1 = 1243883130;
inline constexpr std::time_t kJan15 = 1232028429;

// A fresh AppState writing into its own temporary folder in Chicago time; messages are
// collected instead of shown.
class DataFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state.config.dataFolder = folder_.Path().string();
        state.config.logData = 1;
        state.config.logEveryNth = 1;
        state.config.summaryEnable = 0;
        state.config.summaryEveryNth = 1;
        state.config.oneWireEnable = 0;
        state.showMessage = [this](const std::string& text, const std::string& caption) {
            messages.emplace_back(text, caption);
        };
    }

    void TearDown() override { SetTestTimeOffset(0); }

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

    std::filesystem::path File(const std::string& name) const { return folder_.Path() / name; }
    const std::filesystem::path& Dir() const { return folder_.Path(); }

    ScopedTimeZone zone_{"America/Chicago"};
    AppState state;
    std::vector<std::pair<std::string, std::string>> messages;

  private:
    TempFolder folder_;
};

}  // namespace brennic::testing
