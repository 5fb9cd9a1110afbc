#pragma once

#include <string>

namespace brennic {

// How serious a message is. The window shows every one in a box; the service writes it to the
// journal with the matching priority (info, notice, warning, err).
enum class Severity { kInfo, kNotice, kWarning, kError };

// One message the station raises: what the window shows in a message box, the service logs.
struct StationMessage {
    std::string caption;  // the box's caption; may be empty
    std::string text;
    Severity severity = Severity::kError;
};

// The severity a message box caption implies: "Error", "WINSOCK error", "FTP Error" and any
// other caption naming an error are errors; "Warning" a warning; everything else a notice.
Severity SeverityOfCaption(const std::string& caption);

// "caption: text", or the text alone when there is no caption; line breaks become " / " so
// that one message is one log line.
std::string LogLineOf(const StationMessage& message);

}  // namespace brennic
