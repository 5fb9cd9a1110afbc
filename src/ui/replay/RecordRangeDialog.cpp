#include "ui/replay/RecordRangeDialog.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>
#include <ctime>

#include "core/LocalTime.h"
#include "ui/dialogs/PickerTime.h"

namespace brennic {

namespace {

// The pickers show e.g. "14:05:30 Monday Jun 01, 2009".
constexpr const char* kPickerFormat = "HH:mm:ss dddd MMM dd, yyyy";

QDateTime TodayAt(int hour, int minute, int second) {
    std::tm now{};
    ToLocalTime(std::time(nullptr), now);
    return QDateTime(QDate(now.tm_year + 1900, now.tm_mon + 1, now.tm_mday),
                     QTime(hour, minute, second));
}

}  // namespace

RecordRangeDialog::RecordRangeDialog(QWidget* parent, bool offerFastAccess)
    : QDialog(parent), offerFastAccess_(offerFastAccess) {
    setWindowTitle(tr("Record Range"));
    auto* group = new QGroupBox(tr("Select records to include below"), this);
    wholeFile_ = new QCheckBox(tr("Include Entire File Contents"), group);
    fastAccess_ = new QCheckBox(tr("Fast Access"), group);
    start_ = new QDateTimeEdit(TodayAt(0, 0, 0), group);
    end_ = new QDateTimeEdit(TodayAt(23, 59, 59), group);
    for (QDateTimeEdit* edit : {start_, end_}) {
        edit->setDisplayFormat(QString::fromLatin1(kPickerFormat));
        edit->setCalendarPopup(true);
    }
    auto* form = new QFormLayout(group);
    form->addRow(wholeFile_);
    form->addRow(fastAccess_);
    form->addRow(tr("Range Start Time and Date"), start_);
    form->addRow(tr("Range End Time and Date"), end_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);

    wholeFile_->setChecked(true);
    fastAccess_->setChecked(true);
    fastAccess_->setVisible(offerFastAccess_);
    connect(wholeFile_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    UpdateEnabled();
}

void RecordRangeDialog::UpdateEnabled() {
    const bool range = !wholeFile_->isChecked();
    fastAccess_->setEnabled(range);
    start_->setEnabled(range);
    end_->setEnabled(range);
}

RecordRange RecordRangeDialog::Range() const {
    RecordRange r;
    r.offerFastAccess = offerFastAccess_;
    r.useRange = !wholeFile_->isChecked();
    r.fastAccess = fastAccess_->isChecked();
    r.startTime = PickedLocalTime(start_->dateTime());
    r.endTime = PickedLocalTime(end_->dateTime());
    return r;
}

}  // namespace brennic
