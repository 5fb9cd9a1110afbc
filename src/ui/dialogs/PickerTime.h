#pragma once

#include <QDateTime>
#include <ctime>

namespace brennic {

// The moment that a date-time picker's clock reading (its date and time fields as shown,
// whatever the picker's time zone setting) stands for in local time, through the program's
// local-time conversion (test time offset applied, daylight saving time decided by the system). -1
// when the reading cannot be represented. Any thread.
std::time_t PickedLocalTime(const QDateTime& picked);

}  // namespace brennic
