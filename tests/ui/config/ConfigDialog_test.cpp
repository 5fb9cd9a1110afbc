#include "ui/config/ConfigDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QScrollBar>
#include <memory>

#include "logs/DailyLog.h"
#include "logs/SummaryFile.h"
#include "support/DialogTestSupport.h"
#include "ui/config/ColourPicker.h"
#include "ui/config/OneWireDialog.h"
#include "ui/config/ProbeNamesDialog.h"

namespace brennic {
namespace {

using testing::Click;
using testing::HookRecorder;
using testing::Select;
using testing::SetChecked;
using testing::SetText;

class ConfigDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A configuration every check accepts: a Vexin 2 takes its flow from the fixed rate.
        state.config.flowSource = 1;
        state.config.dataFolder = folder.Path().string();
        state.config.logData = 0;
        state.config.summaryEnable = 0;
        state.showMessage = [this](const std::string& text, const std::string& caption) {
            recorder.messages.emplace_back(text, caption);
        };
    }

    std::unique_ptr<ConfigDialog> Open() {
        auto dialog = std::make_unique<ConfigDialog>(state, nullptr);
        recorder.Install(dialog->hooks);
        accepted = false;
        QObject::connect(dialog.get(), &QDialog::accepted, [this] { accepted = true; });
        return dialog;
    }

    // Opens the dialog, lets `edit` change it and presses OK.
    template <typename F>
    bool OkWith(F edit) {
        auto dialog = Open();
        edit(*dialog);
        Click(*dialog, "okButton");
        return accepted;
    }

    testing::TempFolder folder;
    AppState state;
    HookRecorder recorder;
    bool accepted = false;
};

TEST_F(ConfigDialogTest, XAxisHoursAreRoundedToWholeChartWidths) {
    const struct {
        const char* typed;
        int stored;
    } cases[] = {{"13", 24}, {"25", 36}, {"70", 72}, {"3", 4}, {"12", 12}, {"100", 72}, {"", 12}};
    for (const auto& c : cases) {
        state.config.xAxisHours = 12;
        EXPECT_TRUE(OkWith([&](ConfigDialog& d) { SetText(d, "xAxisHours", c.typed); })) << c.typed;
        EXPECT_EQ(state.config.xAxisHours, c.stored) << c.typed;
    }
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(recorder.saves, 7);
}

TEST_F(ConfigDialogTest, OtherNumbersAreKeptInTheirRanges) {
    EXPECT_TRUE(OkWith([](ConfigDialog& d) {
        SetText(d, "graphEveryNth", "-5");
        SetText(d, "graphLineWidth", "9");
        SetText(d, "maxSamples", "500");
        SetText(d, "logEveryNth", "250");
    }));
    EXPECT_EQ(state.config.graphEveryNth, 1);
    EXPECT_EQ(state.config.graphLineWidth, 5);
    EXPECT_EQ(state.config.maxSamples, 1000);
    EXPECT_EQ(state.config.logEveryNth, 100);
    for (const ChannelInfo& ch : state.channels.channel) {
        EXPECT_EQ(ch.penWidth, 5) << ch.longName;
    }
}

TEST_F(ConfigDialogTest, ErrorsKeepTheDialogOpenAndChangeNothing) {
    struct Case {
        const char* what;
        std::function<void(ConfigDialog&)> edit;
        const char* message;
    };
    const Case cases[] = {
        {"fixed flow 0.4", [](ConfigDialog& d) { SetText(d, "fixedFlowGpm", "0.4"); },
         "Solar collector flow rate must be 0.5-100.0"},
        {"minimum flow below 1", [](ConfigDialog& d) { SetText(d, "minFlowGpm", "0.5"); },
         "Solar minimum collector flow rate must be 1-100"},
        {"offset missing", [](ConfigDialog& d) { SetText(d, "solarOffset", ""); },
         "Solar loop offset must be specified"},
        {"glycol 101 %", [](ConfigDialog& d) { SetText(d, "solarGlycolPercent", "101"); },
         "Solar loop glycol % must be 0-100"},
        {"Vexin 2 with pump source Min Flow",
         [](ConfigDialog& d) { SetChecked(d, "pumpSourceMinFlow", true); },
         "Pump source must be QMX for Vexin 2 control"},
        {"Vexin 2 with flow source QMX",
         [](ConfigDialog& d) { SetChecked(d, "flowSourceQmx", true); },
         "Flow source must be  FIXED for Vexin 2 control"},
        {"Vexin 2 BTU with Min Flow and Fixed Rate",
         [](ConfigDialog& d) {
             Select(d, "controlType", "Vexin 2 BTU");
             SetChecked(d, "pumpSourceMinFlow", true);
             SetChecked(d, "flowSourceFixed", true);
         },
         "Pump source MIN FLOW and Flow rate source FIXED not allowed"},
        {"heat-assist flow 0.5", [](ConfigDialog& d) { SetText(d, "haFlowGpm", "0.5"); },
         "Heat Assist flow rate must be 1-100"},
    };
    state.config.oneWireEnable = 1;  // with the heat-assist loop's fields
    for (const Case& c : cases) {
        recorder.messages.clear();
        auto dialog = Open();
        dialog->show();
        SetText(*dialog, "xAxisHours", "24");  // would change the settings if accepted
        c.edit(*dialog);
        Click(*dialog, "okButton");
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(accepted);
        EXPECT_TRUE(dialog->isVisible());
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0],
                  std::make_pair(std::string(c.message), std::string("Error")));
        EXPECT_EQ(state.config.xAxisHours, 12);
    }
    EXPECT_EQ(recorder.saves, 0);
}

// A first start has no Config.Txt: its factory settings must pass the dialog's own checks.
TEST_F(ConfigDialogTest, FactorySettingsPassTheirOwnChecks) {
    AppState fresh;
    fresh.showMessage = [](const std::string&, const std::string&) {};
    ConfigPaths paths;
    paths.configFolder = (folder.Path() / "none").string();
    paths.dataFolder = folder.Path().string();
    ASSERT_EQ(LoadConfig(fresh, paths), ConfigSource::kDefaults);
    state.config = fresh.config;
    EXPECT_TRUE(OkWith([](ConfigDialog&) {}));
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(ConfigDialogTest, ControllerChecksForTheLcdModelNameIt) {
    state.config.controllerType = kVexin2Lcd;
    state.config.flowSource = 0;
    EXPECT_FALSE(OkWith([](ConfigDialog& d) {
        EXPECT_EQ(d.findChild<QComboBox*>("controlType")->currentText(), "Vexin 2 LCD");
    }));
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].first, "Flow source must be  FIXED for Vexin 2 LCD control");
}

TEST_F(ConfigDialogTest, MinimumFlowWithoutBtuControllerWarnsAndGoesOn) {
    EXPECT_TRUE(OkWith([](ConfigDialog& d) { SetText(d, "minFlowGpm", "2.5"); }));
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].first, "Minimum flow rate non-zero with non-BTU Control");
    EXPECT_EQ(recorder.messages[0].second, "Warning");
    EXPECT_DOUBLE_EQ(state.config.minFlowGpm, 2.5);
}

TEST_F(ConfigDialogTest, GlycolOutsideTheMixLimitsAsksAndCancelKeepsTheDialogOpen) {
    auto dialog = Open();
    dialog->show();
    Select(*dialog, "solarGlycolMix", "NOBURST HD");
    SetText(*dialog, "solarGlycolPercent", "80");
    recorder.answers = {false, true};
    Click(*dialog, "okButton");
    const std::string warning =
        "Warning: Solar loop glycol % does not fall within limits of mix 5%-70%";
    ASSERT_EQ(recorder.questions.size(), 1u);
    EXPECT_EQ(recorder.questions[0], warning);
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(state.config.solarGlycolPercent, 50);

    Click(*dialog, "okButton");  // OK to the same warning goes on
    EXPECT_EQ(recorder.questions.size(), 2u);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(state.config.solarGlycolPercent, 80);
    EXPECT_EQ(state.config.solarGlycolMix, 3);
}

// Without One Wire the dialog has no heat-assist fields and leaves their values alone; with it
// the captions come from the channel names.
TEST_F(ConfigDialogTest, OneWireDecidesTheLayoutAndItsCaptions) {
    Config& c = state.config;
    c.oneWireEnable = 0;
    c.haFlowGpm = 0.25;  // would fail the heat-assist check if it were read
    c.haOffset = 3.5;
    c.haGlycolMix = 5;
    c.graph[kChHaBtuRate] = 1;
    auto reduced = Open();
    EXPECT_FALSE(reduced->IsFull());
    for (const char* key : {"haFlowGpm", "haOffset", "haGlycolPercent", "haGlycolMix",
                            "status_waux1", "graph_habturate", "colour_17"}) {
        EXPECT_EQ(reduced->findChild<QWidget*>(key), nullptr) << key;
    }
    EXPECT_EQ(reduced->findChild<QCheckBox*>("logQmxData")->text(), " Log QMX Data");
    EXPECT_EQ(reduced->findChild<QRadioButton*>("heatUnitsBtu")->text(), "BTU");
    Click(*reduced, "okButton");
    EXPECT_TRUE(accepted);
    EXPECT_DOUBLE_EQ(c.haFlowGpm, 0.25);
    EXPECT_DOUBLE_EQ(c.haOffset, 3.5);
    EXPECT_EQ(c.haGlycolMix, 5);
    EXPECT_EQ(c.graph[kChHaBtuRate], 1);

    c.oneWireEnable = 1;
    state.channels[kChCollector].longName = "Roof Panel";
    state.channels[kChBtus].longName = "Heat In";
    auto full = Open();
    EXPECT_TRUE(full->IsFull());
    EXPECT_EQ(full->findChild<QCheckBox*>("graph_collector")->text(), "Roof Panel");
    EXPECT_EQ(full->findChild<QCheckBox*>("status_btus")->text(), "Heat In");
    EXPECT_EQ(full->findChild<QCheckBox*>("logQmxData")->text(), " Include QMX Data");
    EXPECT_EQ(full->findChild<QRadioButton*>("heatUnitsBtu")->text(), "BTUs");
    int colourButtons = 0;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        colourButtons += full->findChild<QWidget*>(QString("colour_%1").arg(ch)) != nullptr;
    }
    EXPECT_EQ(colourButtons, 13);
    auto* range = full->findChild<QComboBox*>("tempRange");
    ASSERT_EQ(range->count(), 10);
    EXPECT_EQ(range->itemText(9), " -50 to 300");
}

TEST_F(ConfigDialogTest, SummaryOffThenOnWritesStopThenStart) {
    state.config.summaryEnable = 1;
    EXPECT_TRUE(OkWith([](ConfigDialog& d) { SetChecked(d, "summaryEnable", false); }));
    EXPECT_EQ(state.config.summaryEnable, 0);
    EXPECT_TRUE(OkWith([](ConfigDialog& d) { SetChecked(d, "summaryEnable", true); }));
    const auto lines = testing::ReadLines(folder.Path() / kSummaryFileName);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(" Stop")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with(" Start")) << lines[1];
    EXPECT_EQ(state.dailyLog.summaryCountdown, 1);  // the next sample writes statistics
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(ConfigDialogTest, LogDataOffClosesTheOpenLog) {
    state.config.logData = 1;
    {
        StateGuard guard(state.lock);
        ASSERT_TRUE(OpenDailyLog(LogRecordsOf(state), std::time(nullptr)));
    }
    ASSERT_NE(state.dailyLog.file, nullptr);
    EXPECT_TRUE(OkWith([](ConfigDialog& d) { SetChecked(d, "logData", false); }));
    EXPECT_EQ(state.dailyLog.file, nullptr);

    state.dailyLog.logCountdown = 7;
    EXPECT_TRUE(OkWith([](ConfigDialog& d) { SetChecked(d, "logData", true); }));
    EXPECT_EQ(state.dailyLog.logCountdown, 1);  // the next sample is logged
}

TEST_F(ConfigDialogTest, SelectPathTakesTheChosenFolderAndBeepsOnCancel) {
    auto dialog = Open();
    recorder.chosenFolder = "";
    Click(*dialog, "selectPath");
    EXPECT_EQ(recorder.beeps, 1);
    recorder.chosenFolder = QString::fromStdString((folder.Path() / "logs").string());
    Click(*dialog, "selectPath");
    EXPECT_EQ(testing::Edit(*dialog, "dataFolder")->text(), recorder.chosenFolder);
    Click(*dialog, "okButton");
    EXPECT_EQ(state.config.dataFolder, recorder.chosenFolder.toStdString());
}

TEST_F(ConfigDialogTest, AcceptedSettingsAreSavedAndReadBack) {
    state.config.configFolder = folder.Path().string();
    state.config.oneWireEnable = 1;
    auto dialog = std::make_unique<ConfigDialog>(state, nullptr);  // the real Config.Txt writer
    SetText(*dialog, "xAxisHours", "30");
    SetText(*dialog, "haFlowGpm", "7.5");
    SetText(*dialog, "haOffset", "-0.5");
    SetText(*dialog, "westLongitude", "93.25");
    Select(*dialog, "tempRange", "   0 to 200");
    SetChecked(*dialog, "graph_waux3", true);
    SetChecked(*dialog, "graph_hapump", true);
    Click(*dialog, "okButton");
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    AppState fresh;
    testing::LoadSavedConfig(state, fresh);
    EXPECT_EQ(fresh.config.xAxisHours, 36);
    EXPECT_DOUBLE_EQ(fresh.config.haFlowGpm, 7.5);
    EXPECT_DOUBLE_EQ(fresh.config.haOffset, -0.5);
    EXPECT_FLOAT_EQ(fresh.config.longitude, -93.25f);
    EXPECT_EQ(fresh.config.graphTempMin, 0);
    EXPECT_EQ(fresh.config.graph[kChWAux3], 1);
    EXPECT_EQ(fresh.config.graph[kChHaPump], 1);
}

QScrollBar* Bar(ColourPicker& p, const char* key) {
    return p.findChild<QScrollBar*>(key);
}

// The picker opens on the channel's colour; Cancel keeps it, OK applies the chosen one and
// nothing else of the channel.
TEST(ColourPicker, OpensWithTheChannelColourAndOnlyOkAppliesTheChosenOne) {
    AppState state;
    state.channels[kChStorage].colour = MakeColour(0x00, 0xCD, 0xD1);
    state.channels[kChStorage].penWidth = 3;
    {
        ColourPicker picker(state, kChStorage, nullptr);
        EXPECT_EQ(Bar(picker, "redBar")->value(), 0x00);
        EXPECT_EQ(Bar(picker, "greenBar")->value(), 0xCD);
        EXPECT_EQ(Bar(picker, "blueBar")->value(), 0xD1);
        Click(picker, "palette_7");  // 0x00A5FF: orange
        EXPECT_EQ(picker.CurrentColour(), Colour{0x00A5FF});
        EXPECT_EQ(Bar(picker, "redBar")->value(), 0xFF);
        picker.show();
        // Top to bottom: Red, Blue, Green.
        EXPECT_LT(Bar(picker, "redBar")->y(), Bar(picker, "blueBar")->y());
        EXPECT_LT(Bar(picker, "blueBar")->y(), Bar(picker, "greenBar")->y());
        testing::SaveScreenshot(picker, "ColourPicker");
        Click(picker, "cancelButton");
    }
    EXPECT_EQ(state.channels[kChStorage].colour, MakeColour(0x00, 0xCD, 0xD1));
    {
        ColourPicker picker(state, kChStorage, nullptr);
        Bar(picker, "redBar")->setValue(250);
        Bar(picker, "redBar")->triggerAction(QAbstractSlider::SliderPageStepAdd);
        Click(picker, "okButton");
        EXPECT_EQ(picker.result(), QDialog::Accepted);
    }
    EXPECT_EQ(state.channels[kChStorage].colour, MakeColour(255, 0xCD, 0xD1));
    EXPECT_EQ(state.channels[kChStorage].penWidth, 3);
}

TEST(OneWireDialog, SwitchListShowsTheStoredSwitch) {
    const struct {
        int stored;
        const char* shown;
    } cases[] = {{1, "A"}, {-1, "not A"}, {2, "B"}, {-3, "not C"}, {-8, "not H"}, {0, "A"}};
    for (const auto& c : cases) {
        AppState state;
        state.config.oneWireProbes[4].switchSelect = c.stored;
        OneWireDialog dialog(state, nullptr);
        auto* list = dialog.findChild<QComboBox*>("switchSelect");
        ASSERT_EQ(list->count(), 16);
        EXPECT_EQ(list->currentText(), c.shown) << c.stored;
    }
}

TEST_F(ConfigDialogTest, OneWireDialogOkStoresTrimmedRowsTheSwitchAndTheServer) {
    state.config.oneWireProbes[4].switchSelect = -3;
    OneWireDialog dialog(state, nullptr);
    recorder.Install(dialog.hooks);
    Select(dialog, "switchSelect", "B");
    SetText(dialog, "id_0", "28.A1B2C3D4E5F6   ");
    SetText(dialog, "description_0", "Tank top   ");
    SetText(dialog, "id_2", "");
    SetText(dialog, "serverIp", "192.168.1.20");
    SetText(dialog, "serverPort", "");  // unreadable: the port stays
    SetText(dialog, "timer", "15000");
    Click(dialog, "okButton");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const Config& c = state.config;
    EXPECT_EQ(c.oneWireProbes[4].switchSelect, 2);
    EXPECT_EQ(c.oneWireProbes[0].id, "28.A1B2C3D4E5F6");
    EXPECT_EQ(c.oneWireProbes[0].description, "Tank top");
    EXPECT_EQ(c.oneWireProbes[1].id, "WAUX-2");
    EXPECT_EQ(c.oneWireProbes[1].description, "");  // the one-blank default, trimmed
    EXPECT_EQ(c.oneWireProbes[2].id, "");
    EXPECT_EQ(c.oneWireServerIp, "192.168.1.20");
    EXPECT_EQ(c.oneWirePort, 5003);
    EXPECT_EQ(c.oneWireTimer, 15000);
    EXPECT_TRUE(dialog.TimerChanged());
    EXPECT_EQ(recorder.saves, 1);
}

TEST_F(ConfigDialogTest, ProbeNamesAreSavedAndReadBack) {
    state.config.oneWireEnable = 1;
    state.config.configFolder = folder.Path().string();
    {
        ProbeNamesDialog dialog(state, nullptr);  // the real Config.Txt writer
        SetText(dialog, "short_5", "Tank");
        SetText(dialog, "long_5", "Hot Water Tank (top)");
        SetText(dialog, "long_17", "");
        SetText(dialog, "short_20", "Heater");
        Click(dialog, "okButton");
    }
    AppState fresh;
    testing::LoadSavedConfig(state, fresh);
    EXPECT_EQ(fresh.channels[kChAux4].shortName, "Tank");
    EXPECT_EQ(fresh.channels[kChAux4].longName, "Hot Water Tank (top)");
    EXPECT_EQ(fresh.channels[kChHaBtuRate].longName, "");
    EXPECT_EQ(fresh.channels[kChHaPump].shortName, "Heater");
    EXPECT_EQ(fresh.channels[kChGpm].longName, "Flow Rate GPM");
}

TEST(ProbeNamesDialog, ReducedLayoutLeavesOneWireNamesAlone) {
    AppState state;
    state.config.oneWireEnable = 0;
    state.channels[kChWAux2].shortName = "Keep";
    ProbeNamesDialog dialog(state, nullptr);
    EXPECT_FALSE(dialog.IsFull());
    EXPECT_EQ(dialog.findChild<QLineEdit*>("short_7"), nullptr);
    SetText(dialog, "short_19", "Solar Pump");
    Click(dialog, "okButton");
    EXPECT_EQ(state.channels[kChPump].shortName, "Solar Pump");
    EXPECT_EQ(state.channels[kChWAux2].shortName, "Keep");
}

}  // namespace
}  // namespace brennic
