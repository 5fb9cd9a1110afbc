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

}  // namespace brennic
