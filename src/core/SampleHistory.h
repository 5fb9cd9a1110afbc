#pragma once

#include <cstddef>
#include <ctime>
#include <deque>

#include "core/Sample.h"

namespace brennic {

// The saved samples behind the strip chart, oldest first, bounded by "Max samples to save".
// Read and written under the StateLock.
class SampleHistory {
  public:
    // Appends `s`; when the history already holds `limit` entries the oldest ones go first.
    // The oldest time then follows the new oldest entry.
    void Append(const Sample& s, std::size_t limit);

    // Drops the oldest entries until at most `limit` remain (a lowered limit).
    void Trim(std::size_t limit);

    void Clear();

    std::size_t Count() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    std::time_t OldestTime() const { return oldestTime; }

    // Oldest to newest.
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }
    const Sample& operator[](std::size_t i) const { return entries_[i]; }
    const Sample& Newest() const { return entries_.back(); }

    // Time of the oldest saved sample. The processor also sets it when the history is empty.
    std::time_t oldestTime = 0;

  private:
    std::deque<Sample> entries_;
};

}  // namespace brennic
