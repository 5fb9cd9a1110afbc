#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

#include "core/StateLock.h"

namespace brennic {

// How long a lock test holds the StateLock.
inline constexpr std::chrono::milliseconds kLockTestHold{15000};

// Threads that each take the StateLock (counting a block when it is held elsewhere, as every
// holder does) and keep it for the hold time, so that everyone else who needs the state waits
// and the "Critical Section Blocks" count moves. Not a Qt class: it only needs the lock.
class LockTester {
  public:
    LockTester(StateLock& lock, std::chrono::milliseconds hold) : lock_(lock), hold_(hold) {}
    // Cuts every hold short and waits for the threads. The caller must not hold the
    // StateLock, or a thread still waiting for it never ends.
    ~LockTester();
    LockTester(const LockTester&) = delete;
    LockTester& operator=(const LockTester&) = delete;

    // Starts one more lock test thread; a second test queues behind the first on the lock.
    // False when the system could not create the thread. Main thread (the owner's thread).
    bool Start();

    // Threads holding the lock right now (0 or 1) and threads not yet ended. Any thread.
    int Holding() const { return holding_.load(); }
    int Running() const { return running_.load(); }

    std::chrono::milliseconds Hold() const { return hold_; }

  private:
    struct Worker {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void Run(Worker& worker);

    StateLock& lock_;
    const std::chrono::milliseconds hold_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;  // under mutex_
    std::atomic<int> holding_{0};
    std::atomic<int> running_{0};
    std::list<Worker> workers_;  // owner's thread only
};

}  // namespace brennic
