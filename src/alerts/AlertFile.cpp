#include "alerts/AlertFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "logs/TimeText.h"
#include "logs/WriteFault.h"

namespace brennic {

std::string AlertFileLine(const AlertChange& change) {
    const Alert& a = change.alert;
    const std::time_t when = change.raised ? a.raised : a.cleared;
    return TimeText(when) + "\t" + (change.raised ? "raised" : "cleared") + "\t" + AlertTitle(a) +
           "\t" + AlertValuesText(change.raised ? a.values : a.clearValues) + "\n";
}

std::string AlertsFilePath(const std::string& dataFolder) {
    return dataFolder.empty() ? std::string() : dataFolder + "/Alerts.txt";
}

AlertFile::AlertFile(std::string path) : path_(std::move(path)) {}

std::string AlertFile::Append(const std::string& record) {
    if (path_.empty()) {
        return {};
    }
    waiting_.push_back(record);
    while (waiting_.size() > kAlertFileBacklog) {
        waiting_.pop_front();
        ++lost_;
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
    int error = 0;
    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno;
    } else {
        while (!waiting_.empty() && (error = AppendWholeRecord(fd, waiting_.front())) == 0) {
            waiting_.pop_front();
        }
        ::close(fd);
    }
    if (error != 0) {
        if (failing_) {
            return {};
        }
        failing_ = true;
        return "Cannot write " + path_ + ": " + std::strerror(error) +
               ". Alerts are kept and written when it works again.";
    }
    if (failing_) {
        failing_ = false;
        std::string text = "Writing " + path_ + " resumed";
        if (lost_ > 0) {
            text += "; " + std::to_string(lost_) + " alert record(s) could not be kept";
        }
        return text + ".";
    }
    return {};
}

}  // namespace brennic
