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

}  // namespace brennic
