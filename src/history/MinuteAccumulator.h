#pragma once

#include <optional>
#include <vector>

#include "history/HistoryTypes.h"

namespace brennic {

// Folds processed samples, in the order the processor handled them, into minute rows.
// Heat comes from the processor's running totals, so a minute holds exactly the heat the
// processor added for the samples credited to it; a statistics reset (running totals back to
// 0, sample count back to 1) changes nothing already counted. Pump time and starts are the
// accumulator's own: an interval counts as on-time when the pump ran at its start, and a start
// is a sample with the pump on after one with it off (or the first sample of a segment).
// One thread (the store's writer, or an import).
class MinuteAccumulator {
  public:
    // Adds one sample; a minute that this sample completes goes to `done`.
    void Add(const HistorySample& sample, std::vector<MinuteRow>& done);

    // Ends the segment: the open minute goes to `done`, and the next sample starts afresh
    // (no interval before it). Call between imported files and at shutdown.
    void EndSegment(std::vector<MinuteRow>& done);

  private:
    std::optional<MinuteRow> open_;
    bool havePrevious_ = false;
    HistorySample previous_;
    int previousDay_ = 0;
};

}  // namespace brennic
