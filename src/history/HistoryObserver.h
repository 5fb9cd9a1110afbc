#pragma once

#include <string>

#include "core/MessageHook.h"
#include "history/HistoryWriter.h"
#include "station/StationObserver.h"

namespace brennic {

// Keeps the history store current from the station: OnSample only enqueues a copy of the
// sample for the writer thread; StopObserver writes the minute in progress and joins it.
class HistoryObserver : public StationObserver {
  public:
    // Starts the writer (which opens the store on its own thread). Controlling thread.
    HistoryObserver(std::string path, int minuteRetentionDays, MessageHook report);

    void OnSample(const std::shared_ptr<const StationSnapshot>& snapshot) override;
    void StopObserver() override { writer_.Stop(); }

  private:
    HistoryWriter writer_;
};

}  // namespace brennic
