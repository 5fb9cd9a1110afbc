#pragma once

#include <cstdio>
#include <string>

#include "logs/WriteFault.h"

namespace brennic {

// The daily log writer's state (part of AppState, under the StateLock).
struct DailyLogState {
    std::FILE* file = nullptr;  // the open daily log, if any
    std::string fileName;       // full path of the current file
    std::string timeText;       // formatted time of the record being written
    int logCountdown = 1;       // samples still to pass before the next sample record
    int summaryCountdown = -1;  // samples still to pass before the next summary record
    int samplesLogged = 0;      // "Samples Logged": sample records actually written
    WriteFault logFault;        // failed writes of the daily log
    WriteFault summaryFault;    // failed writes of Summary.txt

    DailyLogState() = default;
    DailyLogState(const DailyLogState&) = delete;
    DailyLogState& operator=(const DailyLogState&) = delete;
    ~DailyLogState() {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};

}  // namespace brennic
