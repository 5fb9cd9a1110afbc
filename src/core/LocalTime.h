#pragma once

#include <ctime>

namespace brennic {

// Local time with the test time offset (seconds, normally 0; set by the test data
// generator). Every conversion between time_t and local time adds the offset before
// converting and subtracts it after converting back. The offset is the one process-wide
// value of the program. Thread-safe.
void SetTestTimeOffset(long long seconds);
long long TestTimeOffset();

// time_t -> local broken-down time (offset added). False when the time cannot be converted.
bool ToLocalTime(std::time_t t, std::tm& out);

// Local broken-down time -> time_t (mktime, offset subtracted). tm_isdst is taken as given;
// pass -1 to let the system decide. Returns -1 when the time cannot be represented.
std::time_t FromLocalTime(std::tm& local);

// Local weekday 0..6 of t (offset added); -1 when it cannot be converted.
int LocalWeekday(std::time_t t);

// LocalWeekday for a stream of times that mostly stay within one day (the processor asks for
// every sample): the last local day seen is remembered as its span of time_t, so a time in
// it costs two comparisons instead of a localtime_r. Only plain days are remembered (24 hours
// from local midnight, one UTC offset throughout); the others, such as the days of a
// daylight-saving change, are converted every time. Forget() after a change of the time
// zone. One thread at a time.
class WeekdayCache {
  public:
    int Weekday(std::time_t t);
    void Forget() { weekday_ = -1; }

  private:
    std::time_t start_ = 0;  // [start_, end_): the remembered day, offset added
    std::time_t end_ = 0;
    int weekday_ = -1;
};

}  // namespace brennic
