#include "ui/sun/SunStatisticsDialog.h"

#include <QDateTimeEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTimeZone>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "core/LocalTime.h"
#include "sun/SolarGeometry.h"
#include "ui/dialogs/DialogFit.h"
#include "ui/dialogs/PickerTime.h"
#include "ui/sun/SunChartWidget.h"

namespace brennic {

namespace {

struct InputRow {
    const char* label;
    const char* name;
    float SunInputs::*field;
    int decimals;
    bool negated;  // the field shows and reads the negated value
};

constexpr std::array<InputRow, 10> kInputRows = {{
    {"North Latitude", "northLatitude", &SunInputs::latitude, 2, false},
    {"West Longitude", "westLongitude", &SunInputs::longitude, 2, true},
    {"Array Angle", "arrayAngle", &SunInputs::tilt, 2, false},
    {"Array Azimuth", "arrayAzimuth", &SunInputs::azimuth, 2, false},
    {"Array Area - Meter^2", "arrayArea", &SunInputs::area, 2, false},
    {"Array Incident Angle Modifier", "incidentAngleModifier", &SunInputs::b0, 3, false},
    {"Array Thermal Efficiency Y Intercept", "efficiencyIntercept", &SunInputs::a0, 3, false},
    {"Array Thermal Efficiency Slope **", "efficiencySlope", &SunInputs::a1, 3, false},
    {"Array Temperature F", "arrayTemperature", &SunInputs::arrayTempF, 2, false},
    {"Ambient Temperature F", "ambientTemperature", &SunInputs::ambientTempF, 2, false},
}};

struct OutputRow {
    const char* label;
    const char* name;
    float SunOutputs::*field;
};

constexpr std::array<OutputRow, 13> kOutputRows = {{
    {"Sun Azimuth", "sunAzimuth", &SunOutputs::azimuth},
    {"Sun Altitude", "sunAltitude", &SunOutputs::altitude},
    {"Sun Declination", "sunDeclination", &SunOutputs::declination},
    {"Equation of time (minutes)", "equationOfTime", &SunOutputs::equationOfTime},
    {"Solar Array - Sun Angle", "sunAngle", &SunOutputs::incidenceAngle},
    {"Air Mass: measures the length of the atmospheric path of the Sun light reaching the "
     "array.",
     "airMass", &SunOutputs::airMass},
    {"AirMass Factor: accounts for losses due to the Air Mass.", "airMassFactor",
     &SunOutputs::airMassFactor},
    {"Geometry Factor: accounts for the effects of the Sun and Array orientation.",
     "geometryFactor", &SunOutputs::geometryFactor},
    {"Incident Angle Factor", "incidentAngleFactor", &SunOutputs::incidentAngleFactor},
    {"Thermal Efficiency Factor", "efficiencyFactor", &SunOutputs::efficiencyFactor},
    {"Combined Factor: the product of the four factors above", "combinedFactor",
     &SunOutputs::combinedFactor},
    {"Current Array Max KW", "arrayKw", &SunOutputs::arrayKw},
    {"Current Array Max BTU/hr", "arrayBtuPerHour", &SunOutputs::arrayBtuPerHour},
}};

struct DailyRow {
    const char* label;
    const char* name;
    float DailyTotals::*field;
    int decimals;
};

constexpr std::array<DailyRow, 4> kDailyRows = {{
    {"Daily Max KWH/Meter^2", "dailyKwhPerM2", &DailyTotals::kwhPerM2, 2},
    {"Daily Max BTU/Meter^2", "dailyBtuPerM2", &DailyTotals::btuPerM2, 0},
    {"Daily Array Max KWH", "dailyArrayKwh", &DailyTotals::arrayKwh, 2},
    {"Daily Array Max BTU", "dailyArrayBtu", &DailyTotals::arrayBtu, 0},
}};

constexpr int kFieldWidth = 110;

QLineEdit* AddField(QGridLayout* grid, int row, const char* label, const char* name,
                    bool readOnly) {
    auto* text = new QLabel(QString::fromUtf8(label));
    text->setWordWrap(true);
    auto* field = new QLineEdit;
    field->setObjectName(QString::fromUtf8(name));
    field->setFixedWidth(kFieldWidth);
    field->setReadOnly(readOnly);
    if (readOnly) {
        field->setFocusPolicy(Qt::ClickFocus);
    }
    text->setBuddy(field);
    grid->addWidget(text, row, 0);
    grid->addWidget(field, row, 1, Qt::AlignTop);
    return field;
}

QLabel* Note(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setWordWrap(true);
    return label;
}

QString Text(float value, int decimals) {
    return QString::fromStdString(FixedText(value, decimals));
}

}  // namespace

SunStatisticsDialog::SunStatisticsDialog(AppState& state, QWidget* parent)
    : QDialog(parent), state_(state) {
    setWindowTitle(QStringLiteral("Sun Statistics"));
    inputs_ =
        SunInputsFromConfig(state_.config, std::time(nullptr), state_.sunCalculator.arrayTempF,
                            state_.sunCalculator.ambientTempF);

    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);

    auto* columns = new QHBoxLayout;
    auto* inputGrid = new QGridLayout;
    auto* outputGrid = new QGridLayout;
    BuildInputs(inputGrid);
    BuildOutputs(outputGrid);
    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    columns->addLayout(inputGrid, 1);
    columns->addWidget(divider);
    columns->addLayout(outputGrid, 1);
    contentLayout->addLayout(columns);

    contentLayout->addWidget(
        Note("The graph below shows these five factors throughout the day.  The green line is "
             "the geometry factor, the red the air mass factor , the orange line the incident "
             "angle factor, the fuchsia line the efficiency factor, and the black the combined "
             "factor."));
    chart_ = new SunChartWidget;
    chart_->setObjectName(QStringLiteral("sunChart"));
    contentLayout->addWidget(chart_, 1);

    scroll_ = new QScrollArea;
    scroll_->setWidgetResizable(true);
    scroll_->setWidget(content);

    auto* now = new QPushButton(QStringLiteral("Set Time to Now"));
    auto* update = new QPushButton(QStringLiteral("OK- Update"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    update->setDefault(true);
    connect(now, &QPushButton::clicked, this, &SunStatisticsDialog::SetTimeToNow);
    connect(update, &QPushButton::clicked, this, &SunStatisticsDialog::Update);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(now);
    buttons->addStretch(1);
    buttons->addWidget(update);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll_, 1);
    layout->addLayout(buttons);

    Recompute();
    FitDialogToScreen(*this, *scroll_);
}

void SunStatisticsDialog::BuildInputs(QGridLayout* grid) {
    int row = 0;
    auto* pickerLabel = new QLabel(QStringLiteral("Time and Date"));
    picker_ = new QDateTimeEdit;
    picker_->setObjectName(QStringLiteral("timeAndDate"));
    // The picker holds the local clock reading as a plain value; the conversion to a moment
    // goes through the program's local-time functions (test time offset included).
    picker_->setTimeSpec(Qt::UTC);
    picker_->setDisplayFormat(QStringLiteral("HH:mm dddd MMM dd, yyyy"));
    picker_->setCalendarPopup(true);
    pickerLabel->setBuddy(picker_);
    grid->addWidget(pickerLabel, row, 0);
    grid->addWidget(picker_, row, 1, 1, 1);
    ++row;
    for (std::size_t i = 0; i < kInputRows.size(); ++i) {
        inputFields_[i] = AddField(grid, row++, kInputRows[i].label, kInputRows[i].name, false);
    }
    grid->addWidget(Note("** The Efficiency Slope has units of Watts/(M^2 degrees C)"), row++, 0, 1,
                    2);
    grid->addWidget(Note("Daily Max based on 1367 watts/M^2 at top of atmosphere."), row++, 0, 1,
                    2);
    for (std::size_t i = 0; i < kDailyRows.size(); ++i) {
        dailyFields_[i] = AddField(grid, row++, kDailyRows[i].label, kDailyRows[i].name, true);
    }
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnMinimumWidth(0, 150);
}

void SunStatisticsDialog::BuildOutputs(QGridLayout* grid) {
    int row = 0;
    for (std::size_t i = 0; i < kOutputRows.size(); ++i) {
        outputFields_[i] = AddField(grid, row++, kOutputRows[i].label, kOutputRows[i].name, true);
    }
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnMinimumWidth(0, 220);
}

void SunStatisticsDialog::Update() {
    ReadInputs();
    state_.sunCalculator.arrayTempF = inputs_.arrayTempF;
    state_.sunCalculator.ambientTempF = inputs_.ambientTempF;
    Recompute();
}

void SunStatisticsDialog::SetTimeToNow() {
    inputs_.time = std::time(nullptr);
    Recompute();
}

void SunStatisticsDialog::ReadInputs() {
    for (std::size_t i = 0; i < kInputRows.size(); ++i) {
        float value = 0.0f;
        // Text that holds no number leaves the value as it was.
        if (ScanFloat(inputFields_[i]->text().toStdString(), value)) {
            inputs_.*kInputRows[i].field = kInputRows[i].negated ? -value : value;
        }
    }
    // A picker left as shown keeps the exact moment (its seconds, and which of two equal clock
    // readings in the autumn hour was meant).
    const QDateTime picked = picker_->dateTime();
    if (picked == shownPickerValue_) {
        return;
    }
    const std::time_t t = PickedLocalTime(picked);
    if (t != static_cast<std::time_t>(-1)) {
        inputs_.time = t;
    }
}

void SunStatisticsDialog::Recompute() {
    std::tm local{};
    const bool haveLocal = ToLocalTime(inputs_.time, local);
    if (haveLocal) {
        const QDate date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        const QTime clock(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59));
        shownPickerValue_ = QDateTime(date, clock, QTimeZone::utc());
        picker_->setDateTime(shownPickerValue_);
        shownPickerValue_ = picker_->dateTime();
    }

    for (std::size_t i = 0; i < kInputRows.size(); ++i) {
        const float value = inputs_.*kInputRows[i].field;
        inputFields_[i]->setText(
            Text(kInputRows[i].negated ? -value : value, kInputRows[i].decimals));
    }

    outputs_ = ComputeSunOutputs(inputs_);
    for (std::size_t i = 0; i < kOutputRows.size(); ++i) {
        outputFields_[i]->setText(Text(outputs_.*kOutputRows[i].field, 2));
    }

    const DayFactors day = DailyFactors(inputs_.time, ToSolarSetup(inputs_));
    daily_ = DailyTotalsFor(day.kwhPerM2, inputs_.area);
    for (std::size_t i = 0; i < kDailyRows.size(); ++i) {
        dailyFields_[i]->setText(Text(daily_.*kDailyRows[i].field, kDailyRows[i].decimals));
    }
    const int markerSeconds =
        haveLocal ? local.tm_hour * 3600 + local.tm_min * 60 + std::min(local.tm_sec, 59) : 0;
    const QString dateLabel =
        haveLocal ? locale().toString(shownPickerValue_.date(), QStringLiteral("dddd MMM dd, yyyy"))
                  : QString();
    chart_->SetDay(day, markerSeconds, dateLabel);
}

}  // namespace brennic
