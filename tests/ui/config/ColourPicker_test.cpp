#include "ui/config/ColourPicker.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>

#include "support/DialogTestSupport.h"

namespace brennic {
namespace {

using testing::Click;

QScrollBar* Bar(ColourPicker& p, const char* key) {
    return p.findChild<QScrollBar*>(key);
}

TEST(ColourPicker, OpensWithTheChannelColourAndPaletteSetsAllThree) {
    AppState state;
    state.channels[kChAux2].colour = MakeColour(0x00, 0xCD, 0xD1);
    ColourPicker picker(state, kChAux2, nullptr);
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
}

TEST(ColourPicker, OkAppliesTheColourAndCancelDoesNot) {
    AppState state;
    state.channels[kChStorage].penWidth = 3;
    {
        ColourPicker picker(state, kChStorage, nullptr);
        Click(picker, "palette_17");
        Click(picker, "cancelButton");
    }
    EXPECT_EQ(state.channels[kChStorage].colour, Colour{0x00FF00});
    {
        ColourPicker picker(state, kChStorage, nullptr);
        Bar(picker, "redBar")->setValue(250);
        Bar(picker, "redBar")->triggerAction(QAbstractSlider::SliderPageStepAdd);
        Click(picker, "okButton");
        EXPECT_EQ(picker.result(), QDialog::Accepted);
    }
    EXPECT_EQ(state.channels[kChStorage].colour, MakeColour(255, 0xFF, 0));
    EXPECT_EQ(state.channels[kChStorage].penWidth, 3);
}

}  // namespace
}  // namespace brennic
