#include "history/HistoryStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "core/MessageProcessor.h"
#include "history/HistoryWriter.h"
#include "support/FtpTestServer.h"
#include "support/HistoryTestSupport.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"

namespace brennic {
namespace {

using testing::Local;
using testing::TempFolder;

MinuteRow Minute(std::time_t minute, int samples, double btu, float collector) {
    MinuteRow r;
    r.minute = minute;
    r.samples = samples;
    r.collectorBtu = btu;
    r.pumpStarts = 1;
    r.channels[0] = {collector, collector + 2.0f, (collector + 1.0f) * samples, samples};
    return r;
}

class HistoryStoreTest : public ::testing::Test {
  protected:
    ScopedTimeZone zone_{"America/Chicago"};
    TempFolder folder_;
    std::string path_ = folder_.File("history.sqlite");
    std::time_t noon_ = Local(2009, 6, 1, 12, 0, 0);
};

TEST_F(HistoryStoreTest, DamagedFileIsRenamedAsideOnceAndANewStoreStarts) {
    const std::string garbage(5000, '\x5a');
    folder_.Write("history.sqlite", garbage);
    folder_.Write("LOG-2009-06-01.txt", "log text\n");
    auto opened = HistoryStore::Open(path_);
    ASSERT_TRUE(opened.store);
    EXPECT_NE(opened.message.find("is damaged"), std::string::npos) << opened.message;
    EXPECT_NE(opened.message.find("renamed to " + path_ + ".damaged-"), std::string::npos);
    EXPECT_TRUE(
        opened.store
            ->WriteMinutes({Minute(noon_, 30, 10.0, 150.0f)}, HistoryStore::Overlap::kMerge, 0)
            .ok);
    opened.store.reset();

    const auto names = test::FileNames(folder_.Path());
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "LOG-2009-06-01.txt");
    EXPECT_EQ(testing::ReadAll(folder_.File("LOG-2009-06-01.txt")), "log text\n");
    EXPECT_EQ(names[1], "history.sqlite");
    EXPECT_EQ(names[2].rfind("history.sqlite.damaged-", 0), 0u);
    EXPECT_EQ(testing::ReadAll(folder_.File(names[2])), garbage);

    // The new store opens quietly the next time.
    auto again = HistoryStore::Open(path_);
    ASSERT_TRUE(again.store);
    EXPECT_EQ(again.message, "");
    EXPECT_EQ(testing::StoredDay(*again.store, 20090601).collectorBtu, 10.0);
}

TEST_F(HistoryStoreTest, OlderLayoutIsMigratedKeepingItsRows) {
    // A store of layout 1 (before the table of imported files).
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE schema_version(version INTEGER NOT NULL);"
                           "INSERT INTO schema_version VALUES(1);"
                           "CREATE TABLE minute(minute INTEGER PRIMARY KEY, samples INTEGER NOT "
                           "NULL, channels BLOB, collector_btu REAL NOT NULL, ha_btu REAL NOT "
                           "NULL, pump_on_s INTEGER NOT NULL, ha_pump_on_s INTEGER NOT NULL,"
                           "pump_starts INTEGER NOT NULL, ha_pump_starts INTEGER NOT NULL);"
                           "CREATE TABLE day(day INTEGER PRIMARY KEY, collector_btu REAL NOT NULL,"
                           "ha_btu REAL NOT NULL, pump_on_s INTEGER NOT NULL, ha_pump_on_s "
                           "INTEGER NOT NULL, pump_starts INTEGER NOT NULL, ha_pump_starts "
                           "INTEGER NOT NULL, max_collector REAL, max_storage REAL, minutes "
                           "INTEGER NOT NULL, samples INTEGER NOT NULL);"
                           "INSERT INTO day VALUES(20090601,500,0,60,0,1,0,150,NULL,1,30);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    auto opened = HistoryStore::Open(path_);
    ASSERT_TRUE(opened.store) << opened.message;
    EXPECT_EQ(opened.store->SchemaVersion(), HistoryStore::kSchemaVersion);
    EXPECT_EQ(testing::StoredDay(*opened.store, 20090601).collectorBtu, 500.0);
    std::string error;
    EXPECT_TRUE(opened.store->RecordImport({"f", "/x", 1, 0, 0, 1}, error)) << error;
    EXPECT_TRUE(opened.store->FindImport("f", error).has_value());
}

TEST_F(HistoryStoreTest, LiveRowsMergeAndImportedRowsSkipWhatIsStored) {
    auto store = testing::OpenStore(path_);
    ASSERT_TRUE(store);
    struct Case {
        HistoryStore::Overlap overlap;
        int samples;  // of the 12:00 minute after the second write
        double dayBtu;
        int minutes;  // day's minutes with data
        int starts;
    } const cases[] = {
        {HistoryStore::Overlap::kMerge, 50, 10.0 + 5.0 + 7.0, 2, 3},
        {HistoryStore::Overlap::kSkipExisting, 30, 10.0 + 7.0, 2, 2},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path_);
        store = testing::OpenStore(path_);
        ASSERT_TRUE(store->WriteMinutes({Minute(noon_, 30, 10.0, 150.0f)}, c.overlap, 0).ok);
        const auto second = store->WriteMinutes(
            {Minute(noon_, 20, 5.0, 140.0f), Minute(noon_ + 60, 20, 7.0, 160.0f)}, c.overlap, 0);
        ASSERT_TRUE(second.ok) << second.error;
        std::string error;
        const auto rows = store->ReadMinutes(noon_, noon_ + 120, error);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].samples, c.samples);
        const DayRow day = testing::StoredDay(*store, 20090601);
        EXPECT_DOUBLE_EQ(day.collectorBtu, c.dayBtu);
        EXPECT_EQ(day.minutesWithData, c.minutes);
        EXPECT_EQ(day.pumpStarts, c.starts);
        EXPECT_FLOAT_EQ(day.maxCollector, 162.0f);
        EXPECT_FLOAT_EQ(rows[0].channels[0].min, c.samples == 50 ? 140.0f : 150.0f);
    }
}

// The processor's samples of one run of a 2-second recorder file, as the live road sees them.
class LiveRun {
  public:
    explicit LiveRun(HistoryWriter& writer) : writer_(writer) {}
    void Run(std::time_t from, std::time_t to) {
        for (std::time_t t = from; t < to; t += 2) {
            std::tm tm{};
            localtime_r(&t, &tm);
            const bool pump = tm.tm_hour >= 9 && tm.tm_hour < 17;
            const std::string line = testing::ControllerLine(160.0, 110.0, pump);
            if (ProcessRecordedLine(state_, line.c_str(), nullptr, t) > 0) {
                writer_.Observe(state_.processor);
            }
        }
    }
    AppState state_;

  private:
    HistoryWriter& writer_;
};

TEST_F(HistoryStoreTest, RestartAndResetMidDayAddTheSegments) {
    const std::time_t midnight = Local(2009, 6, 1, 0, 0, 0);
    double heat = 0.0;
    {
        HistoryWriter writer(path_, 100000, nullptr);
        writer.Start();
        LiveRun run(writer);
        run.Run(midnight + 8 * 3600, midnight + 10 * 3600 + 31);
        heat += run.state_.processor.collectorHeat.total;
        ResetStatistics(run.state_, midnight + 10 * 3600 + 31);  // Reset leaves the store alone
        run.Run(midnight + 10 * 3600 + 32, midnight + 12 * 3600);
        heat += run.state_.processor.collectorHeat.total;
    }  // a restart: the second writer finds the minute 12:00 half written
    {
        HistoryWriter writer(path_, 100000, nullptr);
        writer.Start();
        LiveRun run(writer);
        run.Run(midnight + 12 * 3600 + 20, midnight + 18 * 3600);
        heat += run.state_.processor.collectorHeat.total;
    }
    auto store = testing::OpenStore(path_);
    const DayRow day = testing::StoredDay(*store, 20090601);
    EXPECT_NEAR(day.collectorBtu, heat, 1e-9 * heat);
    EXPECT_EQ(day.minutesWithData, 10 * 60);
    EXPECT_EQ(day.samples, 10 * 1800 - 10);
    // The Reset starts no pump run; the restart while the pump runs counts one, as the
    // processor of the new run counts it.
    EXPECT_EQ(day.pumpStarts, 2);
}

TEST_F(HistoryStoreTest, KillLosesAtMostTheMinuteInProgress) {
    const std::time_t start = Local(2009, 6, 1, 10, 0, 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HistoryWriter writer(path_, 100000, nullptr);
        writer.Start();
        LiveRun run(writer);
        run.Run(start, start + 5 * 60 + 30);  // five whole minutes and half of the sixth
        while (writer.counters().minutesWritten < 5) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    auto store = testing::OpenStore(path_);
    std::string error;
    const auto rows = store->ReadMinutes(start, start + 3600, error);
    EXPECT_EQ(rows.size(), 5u);
    EXPECT_EQ(testing::StoredDay(*store, 20090601).samples, 150);
}

TEST(HistoryChannels, EncodedMinutesReadBackToTheirResolution) {
    MinuteRow row;
    row.samples = 3;
    row.channels[0] = {-40.04f, 212.26f, 3 * 100.06, 3};  // collector, tenths
    row.channels[7] = {0.0f, 4.567f, 3 * 2.5, 3};         // flow, hundredths
    row.channels[12] = {1e6f, 1e6f, 3e6, 3};              // out of range: clamped
    const std::string blob = EncodeChannels(row);
    EXPECT_EQ(blob.size(), 2u + 3 * 6);
    MinuteRow back;
    DecodeChannels(blob.data(), blob.size(), 3, back);
    EXPECT_FLOAT_EQ(back.channels[0].min, -40.0f);
    EXPECT_FLOAT_EQ(back.channels[0].max, 212.3f);
    EXPECT_NEAR(back.channels[0].sum / 3, 100.1, 1e-9);
    EXPECT_FLOAT_EQ(back.channels[7].max, 4.57f);
    EXPECT_FLOAT_EQ(back.channels[12].max, 3276.7f);
    EXPECT_EQ(back.channels[1].count, 0);
}

}  // namespace
}  // namespace brennic
