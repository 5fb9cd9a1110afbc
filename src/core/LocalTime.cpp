#include "core/LocalTime.h"

#include <atomic>

namespace brennic {

namespace {
std::atomic<long long> gTestTimeOffset{0};
}

void SetTestTimeOffset(long long seconds) {
    gTestTimeOffset.store(seconds);
}
long long TestTimeOffset() {
    return gTestTimeOffset.load();
}

bool ToLocalTime(std::time_t t, std::tm& out) {
    const std::time_t shifted = t + static_cast<std::time_t>(TestTimeOffset());
    return localtime_r(&shifted, &out) != nullptr;
}

std::time_t FromLocalTime(std::tm& local) {
    const std::time_t t = std::mktime(&local);
    if (t == static_cast<std::time_t>(-1)) {
        return t;
    }
    return t - static_cast<std::time_t>(TestTimeOffset());
}

int LocalWeekday(std::time_t t) {
    std::tm tm{};
    if (!ToLocalTime(t, tm)) {
        return -1;
    }
    return tm.tm_wday;
}

int WeekdayCache::Weekday(std::time_t t) {
    const std::time_t shifted = t + static_cast<std::time_t>(TestTimeOffset());
    if (weekday_ >= 0 && shifted >= start_ && shifted < end_) {
        return weekday_;
    }
    std::tm tm{};
    if (localtime_r(&shifted, &tm) == nullptr) {
        return -1;
    }
    // Midnight by arithmetic holds only when the offset did not change since then; the ends
    // of the day are checked to have the same offset and weekday (and midnight to be 0:00).
    const std::time_t start = shifted - (tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec);
    const std::time_t last = start + 86399;
    std::tm first{};
    std::tm end{};
    if (localtime_r(&start, &first) != nullptr && localtime_r(&last, &end) != nullptr &&
        first.tm_gmtoff == tm.tm_gmtoff && end.tm_gmtoff == tm.tm_gmtoff &&
        first.tm_wday == tm.tm_wday && end.tm_wday == tm.tm_wday && first.tm_hour == 0 &&
        first.tm_min == 0 && first.tm_sec == 0) {
        start_ = start;
        end_ = start + 86400;
        weekday_ = tm.tm_wday;
    } else {
        weekday_ = -1;
    }
    return tm.tm_wday;
}

}  // namespace brennic
