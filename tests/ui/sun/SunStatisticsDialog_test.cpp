#include "ui/sun/SunStatisticsDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeZone>

#include "support/ScopedTimeZone.h"
#include "ui/sun/SunChartWidget.h"

namespace brennic {
namespace {

QLineEdit* Field(QWidget& dialog, const char* name) {
    auto* field = dialog.findChild<QLineEdit*>(QString::fromUtf8(name));
    EXPECT_NE(field, nullptr) << name;
    return field;
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
    QLineEdit* field = Field(dialog, name);
    field->selectAll();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

void PickLocalTime(QWidget& dialog, int year, int month, int day, int hour, int minute) {
    auto* picker = dialog.findChild<QDateTimeEdit*>(QStringLiteral("timeAndDate"));
    ASSERT_NE(picker, nullptr);
    picker->setDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute), QTimeZone::utc()));
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
        EXPECT_EQ(Field(dialog, "westLongitude")->text(), "-5.00");
        Type(dialog, "westLongitude", "88");
        Type(dialog, "efficiencySlope", "-3.25");
        Type(dialog, "arrayTemperature", "140");
        Type(dialog, "ambientTemperature", "not a number");
        Press(dialog, "OK- Update");
        EXPECT_EQ(dialog.Inputs().longitude, -88.0f);
        EXPECT_EQ(dialog.Inputs().a1, -3.25f);
        EXPECT_EQ(Field(dialog, "westLongitude")->text(), "88.00");
        EXPECT_EQ(Field(dialog, "efficiencySlope")->text(), "-3.250");
        // Text without a number keeps the previous value.
        EXPECT_EQ(Field(dialog, "ambientTemperature")->text(), "70.00");
        EXPECT_TRUE(dialog.isVisible());  // updating does not close the dialog
        Press(dialog, "Cancel");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(state.config, before);
    // Reopened: array values come from Config again, the temperatures are remembered.
    SunStatisticsDialog again(state);
    EXPECT_EQ(Field(again, "westLongitude")->text(), "-5.00");
    EXPECT_EQ(Field(again, "arrayTemperature")->text(), "140.00");
}

TEST(SunStatisticsDialog, ShowsTheFiguresForThePickedTime) {
    ScopedTimeZone zone("America/Chicago");
    AppState state;
    state.config.collectorArea = 2.0f;
    SunStatisticsDialog dialog(state);
    PickLocalTime(dialog, 2024, 6, 21, 12, 30);
    Press(dialog, "OK- Update");

    const SunInputs& in = dialog.Inputs();
    EXPECT_EQ(in.time, LocalTimeT(2024, 6, 21, 12, 30, 0));
    const SunOutputs expected = ComputeSunOutputs(in);
    EXPECT_EQ(Field(dialog, "sunAltitude")->text().toStdString(), FixedText(expected.altitude, 2));
    EXPECT_EQ(Field(dialog, "arrayBtuPerHour")->text().toStdString(),
              FixedText(expected.arrayBtuPerHour, 2));
    const float kwh = DailyMaximum(in.time, ToSolarSetup(in));
    EXPECT_GT(kwh, 0.0f);
    EXPECT_EQ(Field(dialog, "dailyArrayKwh")->text().toStdString(), FixedText(kwh * 2.0f, 2));
    EXPECT_EQ(Field(dialog, "dailyBtuPerM2")->text().toStdString(),
              FixedText(static_cast<float>(kwh * 3413.0), 0));

    const std::time_t before = std::time(nullptr);
    Press(dialog, "Set Time to Now");
    EXPECT_GE(dialog.Inputs().time, before);
    EXPECT_LE(dialog.Inputs().time, std::time(nullptr));
}

}  // namespace
}  // namespace brennic
