#include "ui/sun/SunStatisticsDialog.h"

#include <gtest/gtest.h>

#include <QDateTimeEdit>
#include <QPushButton>
#include <QTimeZone>

#include "sun/SolarGeometry.h"
#include "support/DialogTestSupport.h"
#include "support/ScopedTimeZone.h"

namespace brennic {
namespace {

using testing::Edit;

std::string Text(QWidget& dialog, const char* name) {
    return Edit(dialog, name)->text().toStdString();
}

void Press(QWidget& dialog, const char* text) {
    for (auto* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == QString::fromUtf8(text)) {
            return button->click();
        }
    }
    ADD_FAILURE() << "no button " << text;
}

// Replaces the field's text the way a user does: select all, type.
void Type(QWidget& dialog, const char* name, const QString& text) {
    Edit(dialog, name)->selectAll();
    testing::Type(Edit(dialog, name), text);
}

// Typed values are used and shown formatted, the west longitude negated inside, and nothing of
// it reaches Config, not even after "OK- Update" and Cancel.
TEST(SunStatisticsDialog, WestLongitudeAndCancelAfterUpdate) {
    AppState state;
    state.config.longitude = 5.0f;  // east of Greenwich
    const Config before = state.config;
    {
        SunStatisticsDialog dialog(state);
        dialog.show();
        EXPECT_EQ(Text(dialog, "westLongitude"), "-5.00");
        Type(dialog, "westLongitude", "88");
        Type(dialog, "efficiencySlope", "-3.25");
        Type(dialog, "arrayTemperature", "140");
        Type(dialog, "ambientTemperature", "not a number");
        Press(dialog, "OK- Update");
        EXPECT_EQ(dialog.Inputs().longitude, -88.0f);
        EXPECT_EQ(dialog.Inputs().a1, -3.25f);
        EXPECT_EQ(Text(dialog, "westLongitude"), "88.00");
        EXPECT_EQ(Text(dialog, "efficiencySlope"), "-3.250");
        // Text without a number keeps the previous value.
        EXPECT_EQ(Text(dialog, "ambientTemperature"), "70.00");
        EXPECT_TRUE(dialog.isVisible());  // updating does not close the dialog
        Press(dialog, "Cancel");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(state.config, before);
    // Reopened: array values come from Config again, the temperatures are remembered.
    SunStatisticsDialog again(state);
    EXPECT_EQ(Text(again, "westLongitude"), "-5.00");
    EXPECT_EQ(Text(again, "arrayTemperature"), "140.00");
}

// The fields show the figures of the picked local time, the daily ones for the array's area.
TEST(SunStatisticsDialog, ShowsTheFiguresForThePickedTime) {
    ScopedTimeZone zone("America/Chicago");
    AppState state;
    state.config.collectorArea = 2.0f;
    SunStatisticsDialog dialog(state);
    dialog.findChild<QDateTimeEdit*>("timeAndDate")
        ->setDateTime(QDateTime(QDate(2024, 6, 21), QTime(12, 30), QTimeZone::utc()));
    Press(dialog, "OK- Update");

    const SunInputs& in = dialog.Inputs();
    EXPECT_EQ(in.time, LocalTimeT(2024, 6, 21, 12, 30, 0));
    const SunOutputs expected = ComputeSunOutputs(in);
    EXPECT_EQ(Text(dialog, "sunAltitude"), FixedText(expected.altitude, 2));
    EXPECT_EQ(Text(dialog, "arrayBtuPerHour"), FixedText(expected.arrayBtuPerHour, 2));
    const float kwh = DailyMaximum(in.time, ToSolarSetup(in));
    EXPECT_GT(kwh, 0.0f);
    EXPECT_EQ(Text(dialog, "dailyArrayKwh"), FixedText(kwh * 2.0f, 2));
    EXPECT_EQ(Text(dialog, "dailyBtuPerM2"), FixedText(static_cast<float>(kwh * 3413.0), 0));

    const std::time_t before = std::time(nullptr);
    Press(dialog, "Set Time to Now");
    EXPECT_GE(dialog.Inputs().time, before);
    EXPECT_LE(dialog.Inputs().time, std::time(nullptr));
}

}  // namespace
}  // namespace brennic
