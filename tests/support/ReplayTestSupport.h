#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "replay/ReplayTypes.h"
#include "support/DataFilesFixture.h"
#include "support/TempFolder.h"

namespace brennic::testing {

// The time_t of a local time with daylight saving time as given (-1: the system decides).
inline std::time_t Local(int y, int mo, int d, int h, int mi, int s, int dst = -1) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = dst;
    return std::mktime(&tm);
}

// "MM/DD/YYYY HH:MM:SS" of the local time of t as a Data Recorder writes it.
inline std::string RecorderStamp(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d", tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buffer;
}

// A model 0 controller line with the given collector and storage temperatures.
inline std::string ControllerLine(double collector, double storage, bool pump) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "1:00 %.1f %.1f 12.0 180.0 %.1f %.1f %s OFF", collector,
                  storage, collector - 5.0, storage + 1.0, pump ? "ON" : "OFF");
    return buffer;
}

// Records everything a reader reports; answers the record error dialog from a script.
class RecordingEvents : public ReplayEvents {
  public:
    void ProgressLine(int line, const std::string& text) override { lines.push_back({line, text}); }
    void TitleSuffix(const std::string& text) override { titles.push_back(text); }
    void BadRecord(int record, const std::string& text) override {
        badRecords.push_back({record, text});
    }
    RecordErrorChoice AskRecordError(const std::string& text) override {
        asked.push_back(text);
        if (answers.empty()) {
            return RecordErrorChoice::kContinue;
        }
        const RecordErrorChoice c = answers.front();
        answers.erase(answers.begin());
        return c;
    }
    void ReadError(int code, const std::string& text, const std::string& caption) override {
        errors.push_back({code, text + "|" + caption});
    }

    // Every text written to one progress line, in order.
    std::vector<std::string> Line(int n) const {
        std::vector<std::string> out;
        for (const auto& [line, text] : lines) {
            if (line == n) {
                out.push_back(text);
            }
        }
        return out;
    }

    std::vector<std::pair<int, std::string>> lines;
    std::vector<std::string> titles;
    std::vector<std::pair<int, std::string>> badRecords;
    std::vector<std::string> asked;
    std::vector<RecordErrorChoice> answers;
    std::vector<std::pair<int, std::string>> errors;
};

}  // namespace brennic::testing
