#include "ui/config/ProbeNamesDialog.h"

#include <gtest/gtest.h>

#include "support/DialogTestSupport.h"

namespace brennic {
namespace {

using testing::Click;
using testing::SetText;

TEST(ProbeNamesDialog, NamesAreSavedAndReadBack) {
    testing::TempFolder folder;
    AppState state;
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
