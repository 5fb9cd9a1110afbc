#pragma once

#include <chrono>

namespace brennic {

// A wake-up a worker thread can wait on together with its device: an eventfd that becomes
// readable when Signal is called. Signal is thread-safe; Wait and Clear belong to the worker
// (and to the owner before the worker starts).
class WakeEvent {
  public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    int Fd() const { return fd_; }
    void Signal();
    // Consumes pending signals.
    void Clear();
    // Waits up to `timeout`; true (and the signal consumed) when signalled.
    bool Wait(std::chrono::milliseconds timeout);

  private:
    int fd_;
};

}  // namespace brennic
