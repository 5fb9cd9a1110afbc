#include "history/MinuteAccumulator.h"

#include <algorithm>

#include "history/HistoryTime.h"

namespace brennic {

namespace {

std::time_t MinuteOf(std::time_t t) {
    const std::time_t r = t % 60;
    return t - (r < 0 ? r + 60 : r);
}

struct Interval {
    double collectorBtu = 0.0;
    double haBtu = 0.0;
    int pumpOnSeconds = 0;
    int haPumpOnSeconds = 0;
    int pumpStarts = 0;
    int haPumpStarts = 0;
};

void AddInterval(MinuteRow& row, const Interval& iv) {
    row.collectorBtu += iv.collectorBtu;
    row.haBtu += iv.haBtu;
    row.pumpOnSeconds += iv.pumpOnSeconds;
    row.haPumpOnSeconds += iv.haPumpOnSeconds;
    row.pumpStarts += iv.pumpStarts;
    row.haPumpStarts += iv.haPumpStarts;
}

void AddValues(MinuteRow& row, const HistorySample& s) {
    ++row.samples;
    for (std::size_t i = 0; i < kHistoryChannels.size(); ++i) {
        const float v = s.value[static_cast<std::size_t>(kHistoryChannels[i])];
        if (!IsReading(v)) {
            continue;
        }
        ChannelMinute& c = row.channels[i];
        c.min = c.count == 0 ? v : std::min(c.min, v);
        c.max = c.count == 0 ? v : std::max(c.max, v);
        c.sum += v;
        ++c.count;
    }
}

bool On(const HistorySample& s, int slot) {
    return s.value[static_cast<std::size_t>(slot)] != 0.0f;
}

}  // namespace

void MinuteAccumulator::Add(const HistorySample& s, std::vector<MinuteRow>& done) {
    Interval iv;
    const int day = LocalDayNumber(s.time);
    bool dayChanged = false;
    const bool reset = s.sampleCount <= 1;
    if (havePrevious_) {
        // After a reset the totals start from 0 again; the processor counts no heat for the
        // first sample after one, so its total is this sample's whole contribution.
        iv.collectorBtu = s.collectorBtuTotal - (reset ? 0.0 : previous_.collectorBtuTotal);
        iv.haBtu = s.haBtuTotal - (reset ? 0.0 : previous_.haBtuTotal);
        // As in the processor, a gap adds no pump time: nothing is known of it (and a damaged
        // record's time years away would not fit the minute's count).
        const std::time_t elapsed = s.time - previous_.time;
        if (elapsed > 0 && elapsed <= kMaxSampleGap) {
            iv.pumpOnSeconds = On(previous_, kSlotPump) ? static_cast<int>(elapsed) : 0;
            iv.haPumpOnSeconds = On(previous_, kSlotHaPump) ? static_cast<int>(elapsed) : 0;
        }
        iv.pumpStarts = On(s, kSlotPump) && !On(previous_, kSlotPump) ? 1 : 0;
        iv.haPumpStarts = On(s, kSlotHaPump) && !On(previous_, kSlotHaPump) ? 1 : 0;
        dayChanged = day != previousDay_;
    } else {
        iv.collectorBtu = s.collectorBtuTotal;
        iv.haBtu = s.haBtuTotal;
        iv.pumpStarts = On(s, kSlotPump) ? 1 : 0;
        iv.haPumpStarts = On(s, kSlotHaPump) ? 1 : 0;
    }

    const std::time_t minute = MinuteOf(s.time);
    if (open_ && open_->minute != minute) {
        if (dayChanged) {
            // The processor adds the interval across midnight to the day that ends.
            AddInterval(*open_, iv);
            iv = Interval{};
        }
        done.push_back(*open_);
        open_.reset();
    }
    if (!open_) {
        open_ = MinuteRow{};
        open_->minute = minute;
    }
    AddInterval(*open_, iv);
    AddValues(*open_, s);
    previous_ = s;
    previousDay_ = day;
    havePrevious_ = true;
}

void MinuteAccumulator::EndSegment(std::vector<MinuteRow>& done) {
    if (open_) {
        done.push_back(*open_);
        open_.reset();
    }
    havePrevious_ = false;
}

}  // namespace brennic
