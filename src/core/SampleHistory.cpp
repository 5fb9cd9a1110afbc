#include "core/SampleHistory.h"

namespace brennic {

void SampleHistory::Append(const Sample& s, std::size_t limit) {
    if (limit == 0) {
        limit = 1;
    }
    while (entries_.size() >= limit) {
        entries_.pop_front();
        if (!entries_.empty()) {
            oldestTime = entries_.front().time;
        }
    }
    entries_.push_back(s);
    if (entries_.size() == 1 && limit == 1) {
        oldestTime = s.time;  // the only entry is also the oldest
    }
}

void SampleHistory::Trim(std::size_t limit) {
    bool dropped = false;
    while (entries_.size() > limit) {
        entries_.pop_front();
        dropped = true;
    }
    if (dropped && !entries_.empty()) {
        oldestTime = entries_.front().time;
    }
}

void SampleHistory::Clear() {
    entries_.clear();
    entries_.shrink_to_fit();
}

}  // namespace brennic
