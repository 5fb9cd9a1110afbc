#include "ui/config/OneWireDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>

#include "support/DialogTestSupport.h"

namespace brennic {
namespace {

using testing::Click;
using testing::HookRecorder;
using testing::Select;
using testing::SetText;

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

TEST(OneWireDialog, OkStoresTrimmedRowsTheSwitchAndTheServer) {
    AppState state;
    state.config.oneWireProbes[4].switchSelect = -3;
    OneWireDialog dialog(state, nullptr);
    HookRecorder recorder;
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

}  // namespace
}  // namespace brennic
