#include "station/StationMessage.h"

#include <algorithm>
#include <cctype>

namespace brennic {

Severity SeverityOfCaption(const std::string& caption) {
    std::string lower(caption);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.find("error") != std::string::npos) {
        return Severity::kError;
    }
    if (lower.find("warning") != std::string::npos) {
        return Severity::kWarning;
    }
    return Severity::kNotice;
}

std::string LogLineOf(const StationMessage& message) {
    std::string line = message.caption.empty() ? std::string() : message.caption + ": ";
    for (std::size_t i = 0; i < message.text.size(); ++i) {
        const char c = message.text[i];
        if (c == '\r') {
            continue;
        }
        if (c == '\n') {
            // Leading blanks of the next line add nothing in one log line.
            while (i + 1 < message.text.size() && message.text[i + 1] == ' ') {
                ++i;
            }
            line += " / ";
            continue;
        }
        line += c;
    }
    return line;
}

}  // namespace brennic
