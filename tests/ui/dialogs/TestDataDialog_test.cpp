#include "ui/dialogs/TestDataDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFocusEvent>
#include <functional>
#include <memory>
#include <vector>

#include "core/LocalTime.h"
#include "links/TestDataGenerator.h"
#include "logs/DailyLog.h"
#include "logs/TimeText.h"
#include "support/DialogTestSupport.h"
#include "support/ScopedTimeZone.h"

namespace brennic {
namespace {

using testing::Click;
using testing::Edit;

void LeaveField(QLineEdit* field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &out);
}

void PressEnter(QLineEdit* field) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(field, &press);
}

// Clicks a box twice: a change there reads the fields back, and the setting is as before.
void Toggle(QWidget& dialog, const char* name) {
    Click(dialog, name);
    Click(dialog, name);
}

// The report line the serial link would synthesise next from the settings.
std::string NextLine(const AppState& state) {
    CRand rand;
    TestDataGenerator generator(rand, 5);
    return generator.Next(state.testData).line;
}

// The first "Vexin 2" report line of test data with the start values.
std::string ReportLine(const std::string& collector, const std::string& pump) {
    return "00:00  " + collector + "  140.0  08.0   110.0   168.0  160.0 " + pump +
           "   OFF abadabadoo  ";
}

class TestDataDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = std::make_unique<TestDataDialog>(
            state, [this](long long seconds) { announced.push_back(seconds); });
        ASSERT_TRUE(dialog->Open());
    }
    void TearDown() override {
        dialog.reset();
        SetTestTimeOffset(0);  // process-wide: every test leaves it at 0
    }

    QLineEdit* F(const char* name) { return Edit(*dialog, name); }

    AppState state;
    std::vector<long long> announced;
    std::unique_ptr<TestDataDialog> dialog;
};

// 180 typed into the Collector value reaches the next synthesised line, whichever way the
// fields are read back.
TEST_F(TestDataDialogTest, ATypedCollectorValueAppearsInTheNextSynthesisedLine) {
    const struct {
        const char* trigger;
        std::function<void(QWidget&)> fire;
    } triggers[] = {
        {"leaving the field", [](QWidget& d) { LeaveField(Edit(d, "collectorValue")); }},
        {"Enter", [](QWidget& d) { PressEnter(Edit(d, "collectorValue")); }},
        {"Update", [](QWidget& d) { Click(d, "update"); }},
        {"list change",
         [](QWidget& d) { emit d.findChild<QComboBox*>("controlType")->activated(0); }},
        {"One Wire Data box", [](QWidget& d) { Toggle(d, "oneWireData"); }},
        {"Random box", [](QWidget& d) { Toggle(d, "random"); }},
    };
    int typed = 180;
    for (const auto& t : triggers) {
        const std::string value = std::to_string(typed);
        F("collectorValue")->setText(QString::fromStdString(value));
        EXPECT_EQ(state.testData.collector.value, typed == 180 ? 165.0 : typed - 1.0) << t.trigger;
        t.fire(*dialog);
        EXPECT_EQ(state.testData.collector.value, typed) << t.trigger;
        EXPECT_EQ(state.testData.random, 0) << t.trigger;
        EXPECT_EQ(NextLine(state), ReportLine(value + ".0", "OFF")) << t.trigger;
        ++typed;
    }
    EXPECT_TRUE(dialog->isVisible()) << "Enter reads the fields and keeps the window open";
}

TEST_F(TestDataDialogTest, PumpArrowsSwitchThePumpTextOfTheSynthesisedLine) {
    const struct {
        const char* arrow;
        const char* shown;
        const char* pumpText;
    } clicks[] = {
        {"collectorPumpUp", "1", "ON"},
        {"collectorPumpUp", "0", "OFF"},
        {"collectorPumpDown", "1", "ON"},
    };
    for (const auto& c : clicks) {
        Click(*dialog, c.arrow);
        EXPECT_EQ(F("collectorPumpValue")->text().toStdString(), c.shown) << c.arrow;
        EXPECT_EQ(NextLine(state), ReportLine("165.0", c.pumpText)) << c.arrow;
    }
    // A typed pump state is on or off.
    F("collectorPumpValue")->setText("5");
    LeaveField(F("collectorPumpValue"));
    EXPECT_EQ(state.testData.collectorPump, 1);
}

TEST_F(TestDataDialogTest, ATimeOffsetMovesTheNextLoggedRecordAndIsAnnouncedOnce) {
    ScopedTimeZone zone("America/Chicago");
    testing::TempFolder dir;
    state.config.dataFolder = dir.Path().string();
    state.config.logData = 1;
    state.config.summaryEnable = 0;
    const std::time_t t = 1243883130;  // 2009-06-01 14:05:30 CDT
    auto log = [&](const char* text, std::time_t at) {
        StateGuard guard(state.lock);
        WriteRawLine(LogRecordsOf(state), "QMX_DATA", text, at);
    };
    log("before", t);

    F("timeOffset")->setText("3600");
    Click(*dialog, "update");
    EXPECT_EQ(TestTimeOffset(), 3600);
    EXPECT_EQ(TimeText(t), "2009-06-01 15:05:30CDT");
    log("after", t + 2);
    // Reading the fields again without a change announces nothing more.
    Click(*dialog, "update");
    LeaveField(F("timeOffset"));
    Click(*dialog, "gpmUp");
    EXPECT_EQ(announced, std::vector<long long>{3600});

    {
        StateGuard guard(state.lock);
        CloseDailyLog(state.dailyLog);
    }
    EXPECT_EQ(testing::ReadAll(dir.File("LOG-2009-06-01.txt")),
              "QMX_DATA 2009-06-01 14:05:30CDT before\n"
              "QMX_DATA 2009-06-01 15:05:32CDT after\n");

    // Back to 0 is a change of its own; the offset field shows the offset when reopened.
    F("timeOffset")->setText("0");
    LeaveField(F("timeOffset"));
    EXPECT_EQ(announced, (std::vector<long long>{3600, 0}));
    SetTestTimeOffset(-60);
    dialog->close();
    ASSERT_TRUE(dialog->Open());
    EXPECT_EQ(F("timeOffset")->text(), "-60");
    EXPECT_EQ(announced.size(), 2u) << "showing the offset is no change";
}

}  // namespace
}  // namespace brennic
