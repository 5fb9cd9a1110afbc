#include "alerts/AlertFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alerts/AlertObserver.h"
#include "support/ScopedTimeZone.h"
#include "support/SmallDisk.h"
#include "support/TempFolder.h"

namespace brennic {
namespace {

using testing::ReadAll;
using testing::SmallDisk;
using testing::TempFolder;

std::string Record(int i) {
    return "2026-06-22 10:" + std::to_string(10 + i % 50) +
           ":00CDT\traised\tFreeze risk\tcollector " + std::to_string(i) + " °F\n";
}

TEST(AlertFile, AFullDiskKeepsTheRecordsAndWritesThemInOrderWhenRoomReturns) {
    SmallDisk disk(64);
    if (!disk.Ok()) {
        GTEST_SKIP() << "cannot mount a tmpfs here (not root)";
    }
    AlertFile file(AlertsFilePath(disk.Path()));
    std::string expected;
    int i = 0;
    for (; i < 3; ++i) {
        EXPECT_EQ(file.Append(Record(i)), "");
        expected += Record(i);
    }
    disk.Fill();
    std::vector<std::string> news;
    // The file's last page still has room: append until the disk refuses, then ten more.
    while (file.Waiting() == 0 && i < 2000) {
        news.push_back(file.Append(Record(i)));
        expected += Record(i++);
    }
    ASSERT_EQ(file.Waiting(), 1u);
    for (int k = 0; k < 10; ++k) {
        news.push_back(file.Append(Record(i)));
        expected += Record(i++);
    }
    EXPECT_EQ(file.Waiting(), 11u);
    // Reported once, never as success; what is on disk ends with a whole record.
    int failures = 0;
    for (const std::string& n : news) {
        failures += n.rfind("Cannot write " + disk.Path() + "/Alerts.txt: No space left", 0) == 0;
    }
    EXPECT_EQ(failures, 1);
    const std::string partial = ReadAll(file.Path());
    EXPECT_EQ(partial, expected.substr(0, partial.size()));
    EXPECT_EQ(partial.back(), '\n');

    disk.Free();
    EXPECT_EQ(file.Append(Record(i)), "Writing " + file.Path() + " resumed.");
    expected += Record(i);
    EXPECT_EQ(file.Waiting(), 0u);
    EXPECT_EQ(ReadAll(file.Path()), expected);
    EXPECT_EQ(file.Lost(), 0);
}

TEST(AlertFile, TheBacklogIsBoundedAndCounted) {
    TempFolder folder;
    // A folder where the file should be: every append fails.
    std::filesystem::create_directory(folder.File("Alerts.txt"));
    AlertFile file(AlertsFilePath(folder.Path().string()));
    for (std::size_t k = 0; k < kAlertFileBacklog + 5; ++k) {
        file.Append(Record(static_cast<int>(k)));
    }
    EXPECT_EQ(file.Waiting(), kAlertFileBacklog);
    EXPECT_EQ(file.Lost(), 5);
}

// The observer's own thread appends every raise and clear after what the file held, and
// reports each one.
TEST(AlertObserver, AppendsEachRaiseAndClearAndReportsThem) {
    ScopedTimeZone zone("UTC0");
    TempFolder folder;
    const std::string path = folder.Write("Alerts.txt", "earlier line\n");
    std::vector<std::string> reports;
    std::vector<AlertChange> sunk;
    AlertSettings settings;
    settings[AlertRule::kFreeze].seconds = 120;
    {
        AlertObserver observer(settings, path, [&](const std::string& t) { reports.push_back(t); });
        observer.AddSink([&](const AlertChange& c) { sunk.push_back(c); });
        const std::time_t start = 1782118800;  // 2026-06-22 09:00:00 UTC
        for (int minute = 0; minute <= 6; ++minute) {
            AlertInput in;
            in.now = start + minute * 60;
            in.newSample = true;
            in.current[kSlotCollector] = minute < 3 ? 30.5f : 50.0f;
            in.current[kSlotStorage] = 60.0f;
            observer.Evaluate(in);
        }
        EXPECT_TRUE(observer.Active().empty());  // the clear emptied it
        observer.StopObserver();
    }
    EXPECT_EQ(ReadAll(path),
              "earlier line\n"
              "2026-06-22 09:02:00UTC\traised\tFreeze risk\tcollector 30.5 °F\n"
              "2026-06-22 09:05:00UTC\tcleared\tFreeze risk\tcollector 50 °F\n");
    EXPECT_EQ(reports, (std::vector<std::string>{"Alert: Freeze risk (collector 30.5 °F)",
                                                 "Alert cleared: Freeze risk (collector 50 °F)"}));
    ASSERT_EQ(sunk.size(), 2u);
    EXPECT_TRUE(sunk[0].raised);
    EXPECT_FALSE(sunk[1].raised);
}

}  // namespace
}  // namespace brennic
