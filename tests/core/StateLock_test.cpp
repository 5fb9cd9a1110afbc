#include "core/StateLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include "core/LockTest.h"
#include "core/MessageHook.h"
#include "support/WaitFor.h"

namespace brennic {
namespace {

using namespace std::chrono_literals;
using testing::WaitFor;

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

// A second test queues behind the first on the lock; while one holds it another thread that
// needs the state waits and counts one block. Ending the tester cuts the hour-long holds short
// (else the test would run into its time limit).
TEST(LockTester, HoldsTheLockInTurnAndEndsAtOnceWhenDestroyed) {
    StateLock lock;
    std::thread reader;
    {
        LockTester tester(lock, 1h);
        ASSERT_TRUE(tester.Start());
        ASSERT_TRUE(tester.Start());
        ASSERT_TRUE(WaitFor([&] { return tester.Holding() == 1; }));
        EXPECT_EQ(tester.Running(), 2);
        const auto blocked = lock.BlockedCount();
        reader = std::thread([&] { StateGuard guard(lock); });
        EXPECT_TRUE(WaitFor([&] { return lock.BlockedCount() >= blocked + 1; }));
        EXPECT_EQ(tester.Holding(), 1);  // never both at once
    }
    reader.join();
    StateGuard guard(lock);  // free again
}

TEST(LockTester, AShortHoldEndsByItself) {
    StateLock lock;
    LockTester tester(lock, 20ms);
    ASSERT_TRUE(tester.Start());
    EXPECT_TRUE(WaitFor([&] { return tester.Running() == 0; }));
    EXPECT_EQ(tester.Holding(), 0);
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
