#include "station/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brennic {

InstanceLock::InstanceLock(const std::string& configFolder) {
    const std::string path = configFolder + "/brennic.lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        message_ = "Cannot open the lock file " + path + ": " + std::strerror(errno);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        char holder[32] = {};
        const ssize_t n = ::pread(fd, holder, sizeof holder - 1, 0);
        std::string pid = n > 0 ? std::string(holder, static_cast<std::size_t>(n)) : "";
        while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' ')) {
            pid.pop_back();
        }
        message_ = "Another Brennic" + (pid.empty() ? std::string() : " (process " + pid + ")") +
                   " is already running with the configuration folder " + configFolder;
        ::close(fd);
        return;
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, pid.data(), pid.size(), 0);
    }
    fd_ = fd;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the flock; the file stays for the next start
    }
}

}  // namespace brennic
