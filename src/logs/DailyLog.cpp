#include "logs/DailyLog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/AppState.h"
#include "logs/RecordText.h"
#include "logs/SummaryFile.h"
#include "logs/TimeText.h"

namespace brennic {

namespace {

// Tells the user once when writing `what` fails and once when it works again.
void Report(const LogRecords& r, WriteFault& fault, WriteNews news, const std::string& what) {
    if (news == WriteNews::kFailed) {
        r.showMessage(WriteFailedText(what, fault), "Error");
    } else if (news == WriteNews::kResumed) {
        r.showMessage(WriteResumedText(what, fault), "");
    }
}

// Writes one complete record straight to the system (no stdio buffer), so that a crash or a
// killed process loses no record that was already taken, and a full disk leaves no torn line.
// Returns whether the record was written.
bool PutRecord(const LogRecords& r, const std::string& record) {
    DailyLogState& log = r.log;
    const int error = AppendWholeRecord(::fileno(log.file), record);
    Report(r, log.logFault, NoteWriteResult(log.logFault, error), log.fileName);
    return error == 0;
}

// Makes sure a file that is appended to ends with a whole line: a record cut short by a power
// cut gets its line feed, so that it stays one bad record and the next one starts clean.
bool EndWithWholeLine(std::FILE* file) {
    const int fd = ::fileno(file);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return false;
    }
    char last = '\n';
    if (st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) != 1) {
        return false;
    }
    return last == '\n' || AppendWholeRecord(fd, "\n") == 0;
}

void AppendTemperature(std::string& out, float value) {
    out += ' ';
    AppendFixed(out, value, 5);
}

// Pump slots hold 0 or 1; anything that is no integer at all is written as off.
int PumpState(float value) {
    return std::isfinite(value) && std::fabs(value) < 1e9f ? static_cast<int>(value) : 0;
}

void AppendPumpFlowHeat(std::string& out, float pump, float flow, double totalHeat) {
    out += ' ';
    AppendInt(out, PumpState(pump));
    out += ' ';
    AppendFixed(out, flow, 5);
    out += ' ';
    AppendFixed(out, totalHeat, 8);
}

// The sample record: the short layout, or with One-Wire the long one with the WAux
// temperatures and the heat-assist loop.
std::string SampleRecord(const LogRecords& r, const std::string& timeText) {
    const ProcessorState& p = r.processor;
    const Sample& s = p.current;
    std::string out = timeText;
    out.reserve(out.size() + 120);
    AppendTemperature(out, s[kSlotCollector]);
    AppendTemperature(out, s[kSlotStorage]);
    out += ',';
    AppendTemperature(out, s[kSlotAux1]);
    AppendTemperature(out, s[kSlotAux2]);
    out += ' ';
    AppendTemperature(out, s[kSlotAux3]);
    AppendTemperature(out, s[kSlotAux4]);
    const bool oneWire = r.config.oneWireEnable != 0;
    if (oneWire) {
        for (int slot = kSlotWAux1; slot <= kSlotWAux4; ++slot) {
            AppendTemperature(out, s[slot]);
        }
    }
    AppendPumpFlowHeat(out, s[kSlotPump], s[kSlotFlow], p.collectorHeat.total);
    if (oneWire) {
        AppendPumpFlowHeat(out, s[kSlotHaPump], s[kSlotHaFlow], p.haHeat.total);
    }
    out += '\n';
    return out;
}

}  // namespace

LogRecords LogRecordsOf(AppState& state) {
    return {state.dailyLog, state.config, state.processor, state.showMessage};
}

bool OpenDailyLog(const LogRecords& r, std::time_t t) {
    DailyLogState& log = r.log;
    CloseDailyLog(log);
    const std::filesystem::path base =
        PrepareDataFile(r.config.dataFolder, FormatTime("LOG-%Y-%m-%d", t));
    std::filesystem::path name;
    int error = 0;
    for (int i = 0; i < kDailyLogNames; ++i) {
        std::string suffix = ".txt";
        if (i > 0) {
            suffix = std::string("-") + static_cast<char>('A' + i - 1) + ".txt";
        }
        name = base;
        name += suffix;
        // Exclusive creation: a name that exists in any form, readable or not, is taken and
        // its file is never truncated.
        std::FILE* file = std::fopen(name.c_str(), "wx");
        if (file != nullptr) {
            log.file = file;
            log.fileName = name.string();
            return true;
        }
        error = errno;
        if (error != EEXIST) {
            break;
        }
    }
    // Every name of the day is taken (a service restarted many times): go on in the last one
    // rather than log nothing for the rest of the day.
    if (error == EEXIST) {
        std::FILE* file = std::fopen(name.c_str(), "a+");
        if (file != nullptr && EndWithWholeLine(file)) {
            log.file = file;
            log.fileName = name.string();
            return true;
        }
        error = errno;
        if (file != nullptr) {
            std::fclose(file);
        }
    }
    // A full disk passes: the record is counted as lost and the next one tries again.
    if (IsNoSpace(error)) {
        Report(r, log.logFault, NoteWriteResult(log.logFault, error), name.string());
        return false;
    }
    r.config.logData = 0;
    r.showMessage("Cannot create Log file, logging disabled", "Error");
    return false;
}

void WriteRawLine(const LogRecords& r, std::string_view tag, std::string_view text, std::time_t t) {
    if (r.config.logData == 0) {
        return;
    }
    DailyLogState& log = r.log;
    if (log.file == nullptr && !OpenDailyLog(r, t)) {
        return;
    }
    log.timeText = TimeText(t);
    std::string record;
    record.reserve(tag.size() + log.timeText.size() + text.size() + 3);
    record.append(tag);
    record += ' ';
    record += log.timeText;
    record += ' ';
    record.append(text);
    record += '\n';
    PutRecord(r, record);
}

void WriteSampleLine(const LogRecords& r) {
    DailyLogState& log = r.log;
    if (r.config.logData != 0 && --log.logCountdown <= 0) {
        // 0 and 1 both mean every sample; the floor keeps the countdown from running away.
        log.logCountdown = std::max(r.config.logEveryNth, 1);
        const std::time_t t = r.processor.current.time;
        if (log.file == nullptr && !OpenDailyLog(r, t)) {
            return;
        }
        log.timeText = TimeText(t);
        if (PutRecord(r, SampleRecord(r, log.timeText))) {
            ++log.samplesLogged;
        }
    }
    SummaryStep(r);
}

void WriteDayEnd(const LogRecords& r) {
    if (r.config.newLogAtMidnight != 0) {
        CloseDailyLog(r.log);
    }
    WriteSummaryDayLine(r);
}

void CloseDailyLog(DailyLogState& log) {
    if (log.file != nullptr) {
        std::fclose(log.file);
        log.file = nullptr;
    }
}

void LogDataSwitched(DailyLogState& log, bool on) {
    if (on) {
        log.logCountdown = 1;
    } else {
        CloseDailyLog(log);
    }
}

}  // namespace brennic
