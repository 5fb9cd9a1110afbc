#include "links/WakeEvent.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace brennic {

WakeEvent::WakeEvent() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0) {
        throw std::system_error(errno, std::system_category(), "eventfd");
    }
}

WakeEvent::~WakeEvent() {
    close(fd_);
}

void WakeEvent::Signal() {
    const std::uint64_t one = 1;
    // Only fails when the counter would overflow, which leaves it signalled anyway.
    (void)!write(fd_, &one, sizeof one);
}

void WakeEvent::Clear() {
    std::uint64_t count;
    (void)!read(fd_, &count, sizeof count);
}

bool WakeEvent::Wait(std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd_, POLLIN, 0};
        const int r = poll(&p, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (r > 0) {
            Clear();
            return true;
        }
        if (r == 0 || errno != EINTR) {
            return false;
        }
    }
}

}  // namespace brennic
