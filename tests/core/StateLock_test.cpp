#include "core/StateLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "core/MessageHook.h"

namespace brennic {
namespace {

TEST(StateLock, UncontendedAndReentrantAcquisitionsDoNotCount) {
    StateLock lock;
    lock.Acquire();
    lock.Acquire();  // nested on the owning thread
    lock.Release();
    lock.Release();
    { StateGuard g(lock); }
    EXPECT_EQ(lock.BlockedCount(), 0u);
}

TEST(StateLock, EachContendedAcquisitionCountsOnceAndThenProceeds) {
    StateLock lock;
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        StateGuard g(lock);
        held = true;
        while (!release) {
            std::this_thread::yield();
        }
    });
    while (!held) {
        std::this_thread::yield();
    }
    std::atomic<bool> entered{false};
    std::thread waiter([&] {
        StateGuard g(lock);
        entered = true;
    });
    // The waiter's try fails while the holder holds the lock: exactly one block.
    while (lock.BlockedCount() == 0) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(entered);
    release = true;
    holder.join();
    waiter.join();
    EXPECT_TRUE(entered);
    EXPECT_EQ(lock.BlockedCount(), 1u);
}

TEST(FatalErrorDeathTest, ExitCodeIsTheSystemErrorAndMessageIsShown) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            errno = ENOENT;
            FatalError(StderrMessageHook(), "Thread", 7);
        },
        ::testing::ExitedWithCode(ENOENT),
        "Error: Fatal error Thread Error code 7 7 No such file or directory");
}

}  // namespace
}  // namespace brennic
