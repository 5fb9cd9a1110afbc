#include "ui/dialogs/PickerTime.h"

#include "core/LocalTime.h"

namespace brennic {

std::time_t PickedLocalTime(const QDateTime& picked) {
    std::tm local{};
    local.tm_year = picked.date().year() - 1900;
    local.tm_mon = picked.date().month() - 1;
    local.tm_mday = picked.date().day();
    local.tm_hour = picked.time().hour();
    local.tm_min = picked.time().minute();
    local.tm_sec = picked.time().second();
    local.tm_isdst = -1;
    return FromLocalTime(local);
}

}  // namespace brennic
