#include "web/WebCounters.h"

namespace brennic {

const char* WebErrorMessage(int code) {
    switch (code) {
        case kWebNoSession:
            return "Can not connect to Internet";
        case kWebHostUnknown:
            return "Site ID unknown";
        case kWebUserUnknown:
        case kWebLoginRefused:
            return "User ID/Password unknown";
        case kWebLoginFailed:
            return "Bad login information";
        case kWebBadPath:
            return "Bad server path";
        case kWebOpenFailed:
            return "Error opening file";
        case kWebUploadFailed:
            return "Error uploading file";
        case kWebCloseFailed:
            return "Error closing file";
        case kWebRenameFailed:
            return "Error renaming file";
        case kWebScreenOrLocal:
            return "Error getting screen image";
        default:
            return "Unknown error";
    }
}

std::string CountWebError(WebCounters& counters, int code, const std::string& cause) {
    ++counters.errors;
    switch (code) {
        case kWebNoSession:
            ++counters.connectErrors;
            break;
        case kWebHostUnknown:
        case kWebUserUnknown:
        case kWebLoginRefused:
        case kWebLoginFailed:
        case kWebBadPath:
            ++counters.loginErrors;
            break;
        case kWebOpenFailed:
        case kWebUploadFailed:
        case kWebCloseFailed:
        case kWebRenameFailed:
            ++counters.fileErrors;
            break;
        case kWebScreenOrLocal:
            ++counters.screenFileErrors;
            break;
        default:
            break;
    }
    counters.lastErrorText = WebErrorMessage(code);
    if (!cause.empty()) {
        counters.lastErrorText += ": " + cause;
    }
    return counters.lastErrorText;
}

}  // namespace brennic
