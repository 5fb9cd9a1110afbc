#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QTableWidget>

#include "history/HistoryTime.h"
#include "support/HistoryTestSupport.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"
#include "ui/history/EnergyReportDialog.h"
#include "ui/history/ReportCommand.h"

namespace brennic {
namespace {

using testing::Local;
using testing::TempFolder;

constexpr QRgb kCollectorOrange = 0xFFE8912D;

// June and July 2009: a minute of heat every hour, July with heat assist as well.
void FillStore(const std::string& path) {
    auto store = testing::OpenStore(path);
    std::vector<MinuteRow> rows;
    for (std::time_t t = Local(2009, 6, 1, 0, 0, 0); t < Local(2009, 8, 1, 0, 0, 0); t += 3600) {
        MinuteRow r;
        r.minute = t;
        r.samples = 30;
        r.collectorBtu = 3413.0;
        r.haBtu = t >= Local(2009, 7, 1, 0, 0, 0) ? 3413.0 : 0.0;
        rows.push_back(r);
    }
    ASSERT_TRUE(store->WriteMinutes(rows, HistoryStore::Overlap::kMerge, 0).ok);
}

int CountColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

class EnergyReportTest : public ::testing::Test {
  protected:
    ScopedTimeZone zone_{"America/Chicago"};
    TempFolder folder_;
    std::string store_ = folder_.File("history.sqlite");
};

TEST_F(EnergyReportTest, DialogShowsBarsAndTableAndSavesCsv) {
    FillStore(store_);
    EnergyReportDialog dialog(store_);
    dialog.fromEdit()->setDate(QDate(2009, 5, 1));
    dialog.toEdit()->setDate(QDate(2009, 7, 31));
    ASSERT_EQ(dialog.report().rows.size(), 3u);
    QTableWidget* table = dialog.table();
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->item(1, 0)->text(), "2009-06");
    EXPECT_EQ(table->item(1, 1)->text(), "720.00");  // 720 hours of one kWh
    EXPECT_EQ(table->item(2, 5)->text(), "50.0");    // July: half solar
    EXPECT_EQ(table->item(0, 1)->text(), "");        // May: no data, no figure
    EXPECT_EQ(table->item(3, 0)->text(), "Total");

    dialog.resize(1000, 800);
    EXPECT_GT(CountColour(dialog.grab().toImage(), kCollectorOrange), 1000);

    const QString csv = QString::fromStdString(folder_.File("report.csv"));
    ASSERT_TRUE(dialog.SaveCsv(csv));
    const auto lines = testing::ReadLines(csv.toStdString());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2].substr(0, 22), "2009-06,720.00,2457360");

    dialog.periodChoice()->setCurrentIndex(0);  // days: the range becomes the last 31 days
    EXPECT_EQ(dialog.report().rows.size(), 31u);
}

TEST_F(EnergyReportTest, CommandPrintsAndPlots) {
    FillStore(store_);
    struct Case {
        const char* plot;
        int exit;
    } const cases[] = {{"june.png", 0}, {"june.svg", 0}, {"june.gif", 2}};
    for (const Case& c : cases) {
        CommandLine options;
        options.report = "month";
        options.from = "2009-06-01";
        options.plotFile = folder_.File(c.plot);
        EXPECT_EQ(RunReportCommand(store_, options), c.exit) << c.plot;
    }
    const QImage png(QString::fromStdString(folder_.File("june.png")));
    ASSERT_EQ(png.size(), QSize(1000, 560));
    EXPECT_GT(CountColour(png, kCollectorOrange), 5000);
    const std::string svg = testing::ReadAll(folder_.File("june.svg"));
    EXPECT_NE(svg.find("fill=\"#E8912D\""), std::string::npos);
    EXPECT_NE(svg.find(">2009-07</text>"), std::string::npos);

    CommandLine missing;
    missing.report = "year";
    EXPECT_EQ(RunReportCommand(folder_.File("none.sqlite"), missing), 1);
}

}  // namespace
}  // namespace brennic
