#include "ui/window/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace brennic {

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe: a signal handler can reach nothing but a global.
std::atomic<int> gWriteEnd{-1};

void OnSignal(int signal) {
    const int saved = errno;
    const int fd = gWriteEnd.load();
    if (fd >= 0) {
        const unsigned char number = static_cast<unsigned char>(signal);
        // A full pipe already holds a stop request: losing this one changes nothing.
        [[maybe_unused]] const ssize_t n = ::write(fd, &number, 1);
    }
    errno = saved;
}

}  // namespace

StopSignals::StopSignals(std::function<void(int)> onStop, QObject* parent)
    : QObject(parent), onStop_(std::move(onStop)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // the signals keep their default action
    }
    readEnd_ = fds[0];
    gWriteEnd.store(fds[1]);
    notifier_ = new QSocketNotifier(readEnd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kStopSignals) {
        sigaction(s, &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    if (readEnd_ < 0) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : kStopSignals) {
        sigaction(s, &action, nullptr);
    }
    ::close(gWriteEnd.exchange(-1));
    delete notifier_;
    ::close(readEnd_);
}

void StopSignals::Drain() {
    unsigned char numbers[16];
    const ssize_t n = ::read(readEnd_, numbers, sizeof numbers);
    if (n > 0 && onStop_) {
        onStop_(numbers[n - 1]);
    }
}

}  // namespace brennic
