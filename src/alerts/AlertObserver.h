#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "alerts/AlertEngine.h"
#include "alerts/AlertFile.h"
#include "station/StationObserver.h"

namespace brennic {

// The rules' view of a station snapshot: the sensors listed in the status that the
// controller model (or the open One-Wire link's configuration) supplies, the links and the
// counters. `newSample`: the snapshot comes with a sample. Any thread.
AlertInput AlertInputOf(const StationSnapshot& snapshot, bool newSample);

// Watches the station for the health alerts. On the station's thread it only evaluates the
// rules (a few comparisons) and queues the raises and clears; its own thread appends them to
// Alerts.txt, reports each one through `report` (the service log at warning priority) and
// hands them to the outputs (window, dashboard, MQTT, command, notifications), so a slow disk
// or output never holds up acquisition.
class AlertObserver : public StationObserver {
  public:
    using Report = std::function<void(const std::string&)>;
    using Sink = std::function<void(const AlertChange&)>;

    // `alertsFile` empty: no file. `report` may be empty. Starts the alert thread.
    AlertObserver(AlertSettings settings, std::string alertsFile, Report report);
    ~AlertObserver() override;

    // An output for every raise and clear, called on the alert thread in order. Before
    // Station::Start.
    void AddSink(Sink sink);

    void OnSample(const std::shared_ptr<const StationSnapshot>& snapshot) override;
    void OnLinkState(const std::shared_ptr<const StationSnapshot>& snapshot) override;
    void OnHeartbeat(const std::shared_ptr<const StationSnapshot>& snapshot) override;
    // Writes what is queued and ends the alert thread.
    void StopObserver() override;

    // Evaluates one input as the station's calls do (tests feed synthetic inputs). The
    // station's thread, or one test thread.
    void Evaluate(const AlertInput& input);

    // Any thread: the settings it judges by (fixed for its life).
    const AlertSettings& Settings() const { return engine_.Settings(); }
    // Any thread: the alerts raised and not cleared, and the newest kAlertHistory alerts
    // (raised or cleared) oldest first.
    std::vector<Alert> Active() const;
    std::vector<Alert> History() const;
    // Any thread: changes handed to the alert thread and those it has finished.
    std::size_t Queued() const;
    std::size_t Done() const;

  private:
    void Run();
    void Record(const AlertChange& change);

    AlertEngine engine_;  // station thread
    Report report_;
    std::vector<Sink> sinks_;
    AlertFile file_;  // alert thread

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<AlertChange> queue_;
    std::vector<Alert> active_;
    std::deque<Alert> history_;
    std::size_t queued_ = 0;
    std::size_t done_ = 0;
    bool stop_ = false;
    std::thread thread_;
};

inline constexpr std::size_t kAlertHistory = 500;

}  // namespace brennic
