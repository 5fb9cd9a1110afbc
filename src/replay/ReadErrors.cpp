#include "replay/RecordTime.h"
#include "replay/ReplayTypes.h"

namespace brennic {

std::string ReadErrorText(int code, std::time_t first, std::time_t last) {
    switch (code) {
        case kNoFirstRecord:
            return "Can not locate first record";
        case kNoLastRecord:
            return "Can not locate last record";
        case kFastAccessEof:
            return "Can not locate record during fast access";
        case kFastAccessTries:
            return "More than 5 tries locating starting record";
        case kIoError:
            return "IO Error";
        case kRangeOutside:
            return "Date time range does not overlap file\nFile Start:" + Ctime24(first) +
                   "File End: " + Ctime24(last);
        case kDateTimeFormat:
            return "Date time format error";
        case kContradictoryHeaders:
            return "File contains contradictory timezones or daylight flags";
        default:
            return "Unknown error";
    }
}

}  // namespace brennic
