#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "alerts/Alert.h"

namespace brennic {

// "2026-06-22 11:20:00CDT<TAB>raised<TAB>Pump not running with gain<TAB>collector 150.2 °F, ..."
// with a line end: the record of one raise or clear in Alerts.txt (local time; the values
// that raised it, or that cleared it).
std::string AlertFileLine(const AlertChange& change);

// Appends records to Alerts.txt. The file is only ever appended to, each record whole or not
// at all. A record the disk refuses (full, quota, read-only) is kept and written before the
// next one once the disk takes it again, so the file keeps the order of events; past
// kAlertFileBacklog waiting records the oldest are given up and counted. One thread.
class AlertFile {
  public:
    // `path` empty: no file (nothing is written, nothing kept).
    explicit AlertFile(std::string path);

    // Appends `record` after any that wait. Returns what to report: the first failure of a
    // stretch ("Cannot write ...") and the first success after one ("Writing ... resumed"),
    // else an empty text.
    std::string Append(const std::string& record);

    std::size_t Waiting() const { return waiting_.size(); }
    std::int64_t Lost() const { return lost_; }  // records given up since start
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    std::deque<std::string> waiting_;
    std::int64_t lost_ = 0;
    bool failing_ = false;
};

inline constexpr std::size_t kAlertFileBacklog = 1000;

// Alerts.txt in `dataFolder`; empty when there is no data folder.
std::string AlertsFilePath(const std::string& dataFolder);

}  // namespace brennic
