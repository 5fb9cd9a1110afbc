#include "ui/dialogs/TestDataDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/LocalTime.h"
#include "links/TestDataFields.h"
#include "ui/dialogs/DialogFit.h"

namespace brennic {

namespace {

struct RangeRow {
    const char* label;
    const char* name;  // object names: <name>Maximum, <name>Minimum, <name>Value, <name>Up ...
    TestRange TestDataSettings::*field;
};

constexpr RangeRow kRangeRows[] = {
    {"Collector", "collector", &TestDataSettings::collector},
    {"Storage", "storage", &TestDataSettings::storage},
    {"Aux-1", "aux1", &TestDataSettings::aux1},
    {"Aux-2", "aux2", &TestDataSettings::aux2},
    {"Aux-3", "aux3", &TestDataSettings::aux3},
    {"Aux-4", "aux4", &TestDataSettings::aux4},
    {"WAux-1", "waux1", &TestDataSettings::waux1},
    {"WAux-2", "waux2", &TestDataSettings::waux2},
    {"WAux-3", "waux3", &TestDataSettings::waux3},
    {"WAux-4", "waux4", &TestDataSettings::waux4},
    {"GPM (BTU Controls only)", "gpm", &TestDataSettings::gpm},
};

struct PumpRow {
    const char* label;
    const char* name;
    int TestDataSettings::*field;
};

constexpr PumpRow kPumpRows[] = {
    {"Collector Pump", "collectorPump", &TestDataSettings::collectorPump},
    {"Heat Assist Pump", "haPump", &TestDataSettings::haPump},
};

static_assert(std::size(kRangeRows) + std::size(kPumpRows) == TestDataDialog::kRows);

constexpr const char* kColumns[] = {"Maximum", "Minimum", "Value"};

// The list entries, at the index of their line format.
constexpr const char* kControlTypes[] = {"Vexin 2", "Vexin 2 BTU"};

QLineEdit* Field(const QString& name) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setAlignment(Qt::AlignRight);
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QString(10, '0')) + 12);
    return field;
}

QToolButton* Arrow(const QString& name, Qt::ArrowType type, bool repeat) {
    auto* arrow = new QToolButton;
    arrow->setObjectName(name);
    arrow->setArrowType(type);
    arrow->setAutoRepeat(repeat);
    arrow->setFixedSize(18, 11);
    arrow->setFocusPolicy(Qt::NoFocus);
    return arrow;
}

}  // namespace

TestDataDialog::TestDataDialog(AppState& state, TimeOffsetChangedFn offsetChanged, QWidget* parent)
    : QDialog(parent), state_(state), offsetChanged_(std::move(offsetChanged)) {
    setWindowTitle("Test Data Generator");
    setModal(false);
    Build();
}

TestDataDialog::~TestDataDialog() {
    // Fields lose the focus while they are destroyed; that must not read them any more.
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        field->removeEventFilter(this);
    }
}

void TestDataDialog::Build() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    for (int c = 0; c < 3; ++c) {
        grid->addWidget(new QLabel(kColumns[c]), 0, c, Qt::AlignCenter);
    }
    auto addArrows = [&](int row, const QString& name, bool repeat) {
        auto* pair = new QWidget;
        auto* stack = new QVBoxLayout(pair);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(0);
        QToolButton* up = Arrow(name + "Up", Qt::UpArrow, repeat);
        QToolButton* down = Arrow(name + "Down", Qt::DownArrow, repeat);
        stack->addWidget(up);
        stack->addWidget(down);
        connect(up, &QToolButton::clicked, this, [this, row] { Step(row, +1); });
        connect(down, &QToolButton::clicked, this, [this, row] { Step(row, -1); });
        grid->addWidget(pair, row + 1, 3);
    };

    int row = 0;
    for (const RangeRow& r : kRangeRows) {
        const QString name = QString::fromUtf8(r.name);
        for (int c = 0; c < 3; ++c) {
            QLineEdit* field = Field(name + kColumns[c]);
            field->installEventFilter(this);
            grid->addWidget(field, row + 1, c);
            ranges_[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)] = field;
        }
        addArrows(row, name, true);
        grid->addWidget(new QLabel(r.label), row + 1, 4);
        ++row;
    }
    for (std::size_t p = 0; p < std::size(kPumpRows); ++p) {
        const QString name = QString::fromUtf8(kPumpRows[p].name);
        QLineEdit* field = Field(name + "Value");
        field->installEventFilter(this);
        grid->addWidget(field, row + 1, 2);
        pumps_[p] = field;
        addArrows(row, name, false);
        grid->addWidget(new QLabel(kPumpRows[p].label), row + 1, 4);
        ++row;
    }
    grid->setColumnStretch(5, 1);
    column->addLayout(grid);
    column->addSpacing(8);

    auto* options = new QGridLayout;
    controlType_ = new QComboBox;
    controlType_->setObjectName("controlType");
    for (const char* type : kControlTypes) {
        controlType_->addItem(type);
    }
    connect(controlType_, &QComboBox::activated, this, &TestDataDialog::ReadTestData);
    options->addWidget(new QLabel("QMX Control Type"), 0, 0);
    options->addWidget(controlType_, 1, 0);

    random_ = new QCheckBox(" Random");
    random_->setObjectName("random");
    oneWireData_ = new QCheckBox(" One Wire Data");
    oneWireData_->setObjectName("oneWireData");
    connect(random_, &QCheckBox::clicked, this, &TestDataDialog::ReadTestData);
    connect(oneWireData_, &QCheckBox::clicked, this, &TestDataDialog::ReadTestData);
    options->addWidget(random_, 0, 1);
    options->addWidget(oneWireData_, 1, 1);

    timeOffset_ = new QLineEdit;
    timeOffset_->setObjectName("timeOffset");
    timeOffset_->setAlignment(Qt::AlignRight);
    timeOffset_->setMaximumWidth(timeOffset_->fontMetrics().horizontalAdvance(QString(12, '0')));
    timeOffset_->installEventFilter(this);
    options->addWidget(new QLabel("Time offset seconds"), 0, 2);
    options->addWidget(timeOffset_, 1, 2);
    options->setColumnStretch(3, 1);
    options->setHorizontalSpacing(16);
    column->addLayout(options);

    auto* buttons = new QHBoxLayout;
    auto* update = new QPushButton("Update");
    update->setObjectName("update");
    update->setDefault(true);  // Enter in any field reads the fields back
    connect(update, &QPushButton::clicked, this, &TestDataDialog::ReadTestData);
    buttons->addWidget(update);
    buttons->addStretch(1);
    column->addSpacing(4);
    column->addLayout(buttons);
    column->addStretch(1);

    scroll_ = MakeScrollingDialog(*this, content);
}

bool TestDataDialog::Open() {
    if (isVisible()) {
        return false;
    }
    int format = 0;
    {
        StateGuard guard(state_.lock);
        format = state_.testData.lineFormat;
    }
    // A format the list does not name (KEY=value lines) leaves the list without a selection.
    controlType_->setCurrentIndex(format >= 0 && format < controlType_->count() ? format : -1);
    ShowTestData();
    ReadTestData();
    FitDialogToScreen(*this, *scroll_);
    show();
    raise();
    activateWindow();
    return true;
}

void TestDataDialog::ShowTestData() {
    TestDataSettings s;
    {
        StateGuard guard(state_.lock);
        s = state_.testData;
    }
    for (std::size_t r = 0; r < ranges_.size(); ++r) {
        const TestRange& range = s.*kRangeRows[r].field;
        const double values[3] = {range.maximum, range.minimum, range.value};
        for (std::size_t c = 0; c < 3; ++c) {
            ranges_[r][c]->setText(QString::fromStdString(TestValueText(values[c])));
        }
    }
    for (std::size_t p = 0; p < pumps_.size(); ++p) {
        pumps_[p]->setText(QString::number(s.*kPumpRows[p].field));
    }
    random_->setChecked(s.random != 0);
    oneWireData_->setChecked(s.oneWireData != 0);
    timeOffset_->setText(QString::number(TestTimeOffset()));
}

void TestDataDialog::ReadTestData() {
    TestDataSettings s;
    {
        StateGuard guard(state_.lock);
        s = state_.testData;
    }
    for (std::size_t r = 0; r < ranges_.size(); ++r) {
        TestRange& range = s.*kRangeRows[r].field;
        double* values[3] = {&range.maximum, &range.minimum, &range.value};
        for (std::size_t c = 0; c < 3; ++c) {
            if (const auto v = ReadTestValue(ranges_[r][c]->text().toStdString())) {
                *values[c] = *v;
            }
        }
    }
    for (std::size_t p = 0; p < pumps_.size(); ++p) {
        if (const auto v = ReadTestInteger(pumps_[p]->text().toStdString())) {
            s.*kPumpRows[p].field = *v != 0 ? 1 : 0;  // a pump is on or off
        }
    }
    s.random = random_->isChecked() ? 1 : 0;
    s.oneWireData = oneWireData_->isChecked() ? 1 : 0;
    if (controlType_->currentIndex() >= 0) {
        s.lineFormat = controlType_->currentIndex();
    }
    {
        StateGuard guard(state_.lock);
        state_.testData = s;
    }

    const auto offset = ReadTestInteger(timeOffset_->text().toStdString());
    if (offset && *offset != TestTimeOffset()) {
        SetTestTimeOffset(*offset);
        if (offsetChanged_) {
            offsetChanged_(*offset);
        }
    }
}

void TestDataDialog::Step(int row, int direction) {
    if (row < 0 || row >= kRows) {
        return;
    }
    // What was typed into a field that still has the focus counts before the step.
    ReadTestData();
    {
        StateGuard guard(state_.lock);
        TestDataSettings& s = state_.testData;
        const auto r = static_cast<std::size_t>(row);
        if (r < std::size(kRangeRows)) {
            (s.*kRangeRows[r].field).value += direction > 0 ? 1.0 : -1.0;
        } else {
            int& pump = s.*kPumpRows[r - std::size(kRangeRows)].field;
            pump = pump != 0 ? 0 : 1;
        }
    }
    ShowTestData();
    ReadTestData();
}

bool TestDataDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && qobject_cast<QLineEdit*>(watched) != nullptr) {
        ReadTestData();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace brennic
