#include "sun/SunStatisticsDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTimeEdit>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimeZone>

#include "ScopedTimeZone.h"
#include "sun/SunChartWidget.h"

namespace brennic {
namespace {

QLineEdit* Field(QWidget& dialog, const char* name) {
    auto* field = dialog.findChild<QLineEdit*>(QString::fromUtf8(name));
    EXPECT_NE(field, nullptr) << name;
    return field;
}

QPushButton* Button(QWidget& dialog, const char* text) {
    for (auto* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == QString::fromUtf8(text)) {
            return button;
        }
    }
    ADD_FAILURE() << "no button " << text;
    return nullptr;
}

// Replaces the field's text the way a user does: select all, type.
void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
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

bool SameSolarSettings(const Config& a, const Config& b) {
    return a.latitude == b.latitude && a.longitude == b.longitude &&
           a.collectorTilt == b.collectorTilt && a.collectorAzimuth == b.collectorAzimuth &&
           a.collectorArea == b.collectorArea &&
           a.incidentAngleModifier == b.incidentAngleModifier &&
           a.efficiencyIntercept == b.efficiencyIntercept && a.efficiencySlope == b.efficiencySlope;
}

TEST(SunStatisticsDialog, WestLongitudeIsShownAndReadNegated) {
    AppState state;
    state.config.longitude = 5.0f;  // east of Greenwich
    SunStatisticsDialog dialog(state);
    dialog.show();
    QLineEdit* west = Field(dialog, "westLongitude");
    EXPECT_EQ(west->text(), "-5.00");

    Type(west, "88");
    EXPECT_EQ(west->text(), "88");
    Button(dialog, "OK- Update")->click();
    EXPECT_EQ(dialog.Inputs().longitude, -88.0f);
    EXPECT_EQ(west->text(), "88.00");
    EXPECT_TRUE(dialog.isVisible());  // updating does not close the dialog
    EXPECT_EQ(state.config.longitude, 5.0f);
    dialog.close();
}

TEST(SunStatisticsDialog, CancelAfterUpdateLeavesConfigUnchanged) {
    AppState state;
    const Config before = state.config;
    {
        SunStatisticsDialog dialog(state);
        Type(Field(dialog, "northLatitude"), "30.5");
        Type(Field(dialog, "arrayArea"), "4");
        Type(Field(dialog, "efficiencySlope"), "-3.25");
        Type(Field(dialog, "arrayTemperature"), "140");
        Type(Field(dialog, "ambientTemperature"), "not a number");
        Button(dialog, "OK- Update")->click();
        EXPECT_EQ(dialog.Inputs().latitude, 30.5f);
        EXPECT_EQ(dialog.Inputs().area, 4.0f);
        EXPECT_EQ(dialog.Inputs().a1, -3.25f);
        EXPECT_EQ(Field(dialog, "efficiencySlope")->text(), "-3.250");
        // Text without a number keeps the previous value.
        EXPECT_EQ(Field(dialog, "ambientTemperature")->text(), "70.00");
        Button(dialog, "Cancel")->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(SameSolarSettings(state.config, before));

    // Reopened: array values come from Config again, the temperatures are remembered.
    SunStatisticsDialog again(state);
    EXPECT_EQ(Field(again, "northLatitude")->text(), "45.00");
    EXPECT_EQ(Field(again, "arrayArea")->text(), "1.00");
    EXPECT_EQ(Field(again, "arrayTemperature")->text(), "140.00");
    EXPECT_EQ(Field(again, "ambientTemperature")->text(), "70.00");
}

TEST(SunStatisticsDialog, ShowsTheFiguresForThePickedTime) {
    ScopedTimeZone zone("America/Chicago");
    AppState state;
    state.config.collectorArea = 2.0f;
    SunStatisticsDialog dialog(state);
    PickLocalTime(dialog, 2024, 6, 21, 12, 30);
    Button(dialog, "OK- Update")->click();

    const SunInputs& in = dialog.Inputs();
    EXPECT_EQ(in.time, LocalTimeT(2024, 6, 21, 12, 30, 0));
    const SunOutputs expected = ComputeSunOutputs(in);
    EXPECT_EQ(Field(dialog, "sunAltitude")->text().toStdString(), FixedText(expected.altitude, 2));
    EXPECT_EQ(Field(dialog, "combinedFactor")->text().toStdString(),
              FixedText(expected.combinedFactor, 2));
    EXPECT_EQ(Field(dialog, "arrayBtuPerHour")->text().toStdString(),
              FixedText(expected.arrayBtuPerHour, 2));
    EXPECT_TRUE(Field(dialog, "sunAltitude")->isReadOnly());

    const float kwh = DailyMaximum(in.time, ToSolarSetup(in));
    EXPECT_GT(kwh, 0.0f);
    EXPECT_EQ(Field(dialog, "dailyKwhPerM2")->text().toStdString(), FixedText(kwh, 2));
    EXPECT_EQ(Field(dialog, "dailyArrayKwh")->text().toStdString(), FixedText(kwh * 2.0f, 2));
    // BTU figures have no decimals.
    EXPECT_FALSE(Field(dialog, "dailyArrayBtu")->text().contains('.'));
    EXPECT_EQ(Field(dialog, "dailyBtuPerM2")->text().toStdString(),
              FixedText(static_cast<float>(kwh * 3413.0), 0));

    // "Set Time to Now" leaves the picked date.
    const std::time_t before = std::time(nullptr);
    Button(dialog, "Set Time to Now")->click();
    EXPECT_GE(dialog.Inputs().time, before);
    EXPECT_LE(dialog.Inputs().time, std::time(nullptr));
}

TEST(SunStatisticsDialog, FitsTheScreenAndScrollsWhenTooSmall) {
    AppState state;
    SunStatisticsDialog dialog(state);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(dialog.width(), available.width());
    EXPECT_LE(dialog.height(), available.height());
    dialog.show();
    auto* scroll = dialog.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    dialog.resize(400, 300);
    QApplication::processEvents();
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
    dialog.close();
}

// How many pixels of the image are close to a colour.
int CountColour(const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 &&
                std::abs(c.green() - colour.green()) < 40 &&
                std::abs(c.blue() - colour.blue()) < 40) {
                ++count;
            }
        }
    }
    return count;
}

// Renders the dialog offscreen (the screen shots are left in the build folder for a look) and
// checks that the chart shows all five curves and the time marker.
TEST(SunStatisticsDialog, RendersTheChartWithItsFiveCurves) {
    ScopedTimeZone zone("America/Chicago");
    AppState state;
    SunStatisticsDialog dialog(state);
    PickLocalTime(dialog, 2024, 4, 15, 10, 0);
    Button(dialog, "OK- Update")->click();
    const QString folder = QStringLiteral(BRENNIC_BINARY_DIR) + "/screenshots";
    QDir().mkpath(folder);
    dialog.show();
    QApplication::processEvents();
    EXPECT_TRUE(dialog.grab().save(folder + "/SunStatisticsDialog-fitted.png"));

    dialog.resize(1000, 900);
    QApplication::processEvents();
    const QImage whole = dialog.grab().toImage();
    ASSERT_FALSE(whole.isNull());
    EXPECT_TRUE(whole.save(folder + "/SunStatisticsDialog.png"));
    auto* content = dialog.findChild<QScrollArea*>()->widget();
    EXPECT_TRUE(content->grab().save(folder + "/SunStatisticsDialog-content.png"));

    auto* chart = dialog.findChild<SunChartWidget*>();
    ASSERT_NE(chart, nullptr);
    const QImage image = chart->grab().toImage();
    EXPECT_GT(CountColour(image, QColor(0, 255, 0)), 50);                  // geometry
    EXPECT_GT(CountColour(image, QColor(255, 0, 0)), 50);                  // air mass
    EXPECT_GT(CountColour(image, QColor(255, 165, 0)), 50);                // incident angle
    EXPECT_GT(CountColour(image, QColor(255, 0, 255)), 50);                // efficiency
    EXPECT_GT(CountColour(image, QColor(0, 0, 255)), image.height() / 2);  // time marker
    dialog.close();
}

}  // namespace
}  // namespace brennic
