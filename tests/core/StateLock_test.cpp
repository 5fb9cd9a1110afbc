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

TEST(FatalError, MessageCarriesTextCodeAndSystemText) {
    EXPECT_EQ(FatalErrorText("Lock - no critcal section!", 0, ENOENT),
              "Fatal error Lock - no critcal section! Error code 0 0 No such file or directory");
    EXPECT_EQ(FatalErrorText("x", 255, EACCES),
              "Fatal error x Error code 255 ff Permission denied");
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
