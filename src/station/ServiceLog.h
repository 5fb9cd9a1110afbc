#pragma once

#include <mutex>
#include <string>

#include "station/StationObserver.h"

namespace brennic {

// The service's voice: writes the station's messages and each change of a link as one log
// line with its priority (to the journal under systemd, else to standard error), and tells
// systemd about readiness, the status line and the watchdog (no-ops outside systemd).
class ServiceLog : public StationObserver {
  public:
    // `journal`: write through sd_journal_print instead of standard error.
    explicit ServiceLog(bool journal);

    // One log line. Any thread.
    void Log(Severity severity, const std::string& line);

    // systemd notifications (READY=1, RELOADING=1, STOPPING=1, STATUS=...). Any thread.
    static void Notify(const std::string& state);

    void OnStationEvent(const StationEvent& event) override;
    void OnLinkState(const std::shared_ptr<const StationSnapshot>& snapshot) override;
    void OnHeartbeat(const std::shared_ptr<const StationSnapshot>& snapshot) override;
    void OnMessage(const StationMessage& message) override;

    // Whether standard error goes to the journal (systemd sets JOURNAL_STREAM).
    static bool StderrIsJournal();

  private:
    bool journal_;
    std::mutex mutex_;  // one line at a time on standard error
    // Station thread only: the links as last logged.
    bool comRunning_ = false;
    bool reconnecting_ = false;
    bool oneWireOpen_ = false;
};

}  // namespace brennic
