#include "core/LockTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/WaitFor.h"

namespace brennic {
namespace {

using namespace std::chrono_literals;
using testing::WaitFor;

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

}  // namespace
}  // namespace brennic
