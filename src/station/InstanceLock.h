#pragma once

#include <string>

namespace brennic {

// Keeps a second Brennic from logging into the same configuration folder: an exclusive
// flock on `<folder>/brennic.lock`, held as long as the object lives (and released by the
// kernel when the process ends, even by kill -9). The file holds the holder's process id.
class InstanceLock {
  public:
    // Tries to take the lock; see Held and Message.
    explicit InstanceLock(const std::string& configFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    // Why the lock is not held: "Another Brennic (process 123) is already running with the
    // configuration folder /x", or the system's reason the file could not be opened.
    const std::string& Message() const { return message_; }

  private:
    int fd_ = -1;
    std::string message_;
};

}  // namespace brennic
