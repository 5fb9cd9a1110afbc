#include "station/ServiceLog.h"

#include <sys/stat.h>
#include <syslog.h>
#include <systemd/sd-daemon.h>
#include <systemd/sd-journal.h>

#include <cstdio>
#include <cstdlib>

#include "core/MessageProcessor.h"
#include "station/StationSnapshotBuild.h"

namespace brennic {

namespace {

int PriorityOf(Severity s) {
    switch (s) {
        case Severity::kInfo:
            return LOG_INFO;
        case Severity::kNotice:
            return LOG_NOTICE;
        case Severity::kWarning:
            return LOG_WARNING;
        case Severity::kError:
            break;
    }
    return LOG_ERR;
}

const char* NameOf(Severity s) {
    switch (s) {
        case Severity::kInfo:
            return "info";
        case Severity::kNotice:
            return "notice";
        case Severity::kWarning:
            return "warning";
        case Severity::kError:
            break;
    }
    return "error";
}

}  // namespace

ServiceLog::ServiceLog(bool journal) : journal_(journal) {}

bool ServiceLog::StderrIsJournal() {
    // JOURNAL_STREAM is "device:inode" of the journal's stream; it must be standard error's.
    const char* stream = std::getenv("JOURNAL_STREAM");
    struct stat st {};
    if (stream == nullptr || ::fstat(2, &st) != 0) {
        return false;
    }
    unsigned long long device = 0;
    unsigned long long inode = 0;
    if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2) {
        return false;
    }
    return device == st.st_dev && inode == st.st_ino;
}

void ServiceLog::Log(Severity severity, const std::string& line) {
    if (journal_) {
        sd_journal_print(PriorityOf(severity), "%s", line.c_str());
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::fprintf(stderr, "brennic %s: %s\n", NameOf(severity), line.c_str());
    std::fflush(stderr);
}

void ServiceLog::Notify(const std::string& state) {
    sd_notify(0, state.c_str());
}

void ServiceLog::OnStationEvent(const StationEvent& event) {
    if (event.kind != StationEventKind::kControllerLine || event.mismatch == 0) {
        return;
    }
    Log(Severity::kWarning,
        event.mismatch == kMismatchGpmLines
            ? "Controller model mismatch: Config type Vexin 2; Data type Vexin 2 BTU"
            : "Controller model mismatch: Config type Vexin 2 BTU; Data type Vexin 2");
}

void ServiceLog::OnLinkState(const std::shared_ptr<const StationSnapshot>& snapshot) {
    const StationLinks& l = snapshot->links;
    if (l.comRunning != comRunning_) {
        Log(Severity::kInfo, l.comRunning
                                 ? (l.testData ? "Reading test data" : "Reading the controller")
                                 : "Stopped reading the controller");
    }
    if (l.reconnecting != reconnecting_ && l.reconnecting) {
        Log(Severity::kInfo, "Waiting for the serial port");
    }
    if (l.oneWireOpen != oneWireOpen_) {
        Log(Severity::kInfo, l.oneWireOpen ? "One-Wire link open" : "One-Wire link closed");
    }
    comRunning_ = l.comRunning;
    reconnecting_ = l.reconnecting;
    oneWireOpen_ = l.oneWireOpen;
}

void ServiceLog::OnHeartbeat(const std::shared_ptr<const StationSnapshot>& snapshot) {
    Notify("WATCHDOG=1\nSTATUS=" + StatusSummary(*snapshot));
}

void ServiceLog::OnMessage(const StationMessage& message) {
    Log(message.severity, LogLineOf(message));
}

}  // namespace brennic
