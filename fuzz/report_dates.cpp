// The report's command-line words: the period and the --from/--to days, and the day text
// written back for a day that reads.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "history/HistoryReport.h"
#include "history/HistoryTime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brennic;
    const std::string text(reinterpret_cast<const char*>(data), size);
    ParseReportPeriod(text);
    const auto day = ParseDayText(text);
    if (day) {
        // A day that reads names a real day: it writes back, is the day its start falls on,
        // and the next day follows it.
        if (ParseDayText(DayText(*day)) != day || LocalDayNumber(DayStart(*day)) != *day ||
            NextDay(*day) <= *day) {
            __builtin_trap();
        }
        const int minutes = MinutesInDay(*day);
        if (minutes < 23 * 60 || minutes > 25 * 60) {
            __builtin_trap();
        }
    }
    return 0;
}
