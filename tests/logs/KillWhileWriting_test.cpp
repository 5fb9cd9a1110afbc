// kill -9 at random moments while the daily log and Config.Txt are written: the log holds every
// record reported written before the kill and at most the one record a kill interrupts is
// damaged; Config.Txt is the old file or the new one, and the scratch copy a killed save
// leaves goes at the next start.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "config/ConfigFile.h"
#include "config/ConfigFormat.h"
#include "logs/DailyLog.h"
#include "replay/OwnLogReader.h"
#include "support/DataFilesFixture.h"
#include "support/ReplayTestSupport.h"

namespace brennic {
namespace {

using testing::kJune1;
using testing::ReadAll;

constexpr int kRounds = 30;  // more starts than a day has log names

// Forks a child that runs `work` until killed; the child reports progress on a pipe. Kills it
// with SIGKILL after a random pause and returns the last progress number it reported.
template <typename Work>
long KillAtRandom(std::mt19937& random, Work work) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        work(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(5000, 30000)(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    long last = 0;
    long value = 0;
    while (::read(fds[0], &value, sizeof value) == static_cast<ssize_t>(sizeof value)) {
        last = value;
    }
    ::close(fds[0]);
    return last;
}

class KillWhileWritingTest : public testing::DataFilesTest {};

TEST_F(KillWhileWritingTest, TheLogKeepsEveryWholeRecordWrittenBeforeTheKill) {
    std::mt19937 random(12345);
    long before = 0;  // records in the log before this round
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        const long reported = KillAtRandom(random, [&](int out) {
            // A fresh start of the day every round: the 28th and later go on in the last name.
            // The child has its own copy of `state`, with no log open yet.
            for (long n = 1;; ++n) {
                SetSample(kJune1 + round * 1000 + n);
                WriteSampleLine(LogRecordsOf(state));
                if (state.dailyLog.samplesLogged == n) {
                    (void)!::write(out, &n, sizeof n);
                }
            }
        });
        // Every log of the day together holds at least what was reported. A kill can land
        // inside the one write() of a record: the kernel copies a write that crosses a page
        // boundary a page at a time and stops between pages for a fatal signal, so the record
        // being written may be cut short. Nothing else is: each kill leaves at most that one
        // damaged record, which the readers skip and count (and a later start in the same
        // file puts the next record on a line of its own).
        long records = 0;
        std::size_t damaged = 0;
        for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
            AppState reader;
            testing::RecordingEvents events;
            const ReplayOutcome out =
                ReplayOwnLogFile(reader, entry.path().string(), RecordRange{}, events);
            damaged += events.badRecords.size();
            records += out.recordsProcessed;
        }
        EXPECT_LE(damaged, static_cast<std::size_t>(round + 1));
        EXPECT_GE(records - before, reported);
        before = records;
    }
    // A kill before the first record leaves no file; later starts went on in the last name.
    EXPECT_LE(std::distance(std::filesystem::directory_iterator(Dir()), {}), kDailyLogNames);
}

TEST_F(KillWhileWritingTest, ConfigTxtIsTheOldFileOrTheNew) {
    std::mt19937 random(678);
    AppState saver;
    saver.config.configFolder = Dir().string();
    std::string texts[2];
    for (int i = 0; i < 2; ++i) {
        saver.config.siteId = std::string(2000, static_cast<char>('a' + i));
        texts[i] = FormatConfig(saver.config, saver.channels, saver.font);
    }
    ASSERT_TRUE(SaveConfig(saver));
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        KillAtRandom(random, [&](int out) {
            for (long n = 1;; ++n) {
                saver.config.siteId = std::string(2000, static_cast<char>('a' + n % 2));
                SaveConfig(saver);
                (void)!::write(out, &n, sizeof n);
            }
        });
        const std::string now = ReadAll(Dir() / "Config.Txt");
        EXPECT_TRUE(now == texts[0] || now == texts[1]);
    }
    // The next start clears any scratch copy a killed save left.
    AppState loaded;
    loaded.showMessage = [](const std::string&, const std::string&) {};
    ASSERT_EQ(LoadConfig(loaded, {Dir().string(), "", Dir().string()}),
              ConfigSource::kConfigFolder);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir()), {}), 1);
}

}  // namespace
}  // namespace brennic
