#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace brennic {

// The one lock that guards every shared record. Re-entrant on the owning thread.
// Each acquisition that finds the lock held by another thread counts one block
// ("Critical Section Blocks"); a nested acquisition on the owning thread does not.
// Thread-safe. Satisfies Lockable, so std::lock_guard / std::unique_lock work.
class StateLock {
  public:
    void Acquire() {
        if (!mutex_.try_lock()) {
            blockedCount_.fetch_add(1, std::memory_order_relaxed);
            mutex_.lock();
        }
    }
    void Release() { mutex_.unlock(); }

    void lock() { Acquire(); }
    void unlock() { Release(); }
    bool try_lock() { return mutex_.try_lock(); }

    std::uint32_t BlockedCount() const { return blockedCount_.load(std::memory_order_relaxed); }

  private:
    std::recursive_mutex mutex_;
    std::atomic<std::uint32_t> blockedCount_{0};
};

using StateGuard = std::lock_guard<StateLock>;

// Counters of the main window's messages, shown in the statistics dialog.
// Main thread only.
struct MessageCounters {
    std::uint32_t dispatched = 0;       // events delivered by the loop ("Queued Msgs")
    std::uint32_t windowProcedure = 0;  // every event that reached the main window
    std::uint32_t refusedCommands = 0;  // commands refused with a beep
};

}  // namespace brennic
