#include "ui/replay/CaptureStartDialog.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/LocalTime.h"
#include "ui/dialogs/PickerTime.h"

namespace brennic {

CaptureStartDialog::CaptureStartDialog(QWidget* parent, std::time_t start) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Read Hyper Terminal Log"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(
        QStringLiteral("Brennic needs to know the starting date, time, and sample interval of "
                       "the Hyperterminal Log file.  Specify these below and press OK."),
        this);
    text->setWordWrap(true);
    layout->addWidget(text);

    std::tm local{};
    ToLocalTime(start, local);
    start_ =
        new QDateTimeEdit(QDateTime(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                                    QTime(local.tm_hour, local.tm_min, local.tm_sec)),
                          this);
    start_->setDisplayFormat(QStringLiteral("HH:mm:s ddddMMMdd,yyyy"));
    start_->setCalendarPopup(true);
    interval_ = new QLineEdit(QStringLiteral("2"), this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Start Time and Date"), start_);
    form->addRow(QStringLiteral("Sample Interval Seconds"), interval_);
    form->addRow(QString(), new QLabel(QStringLiteral("(Normally 2 or 360)"), this));
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::time_t CaptureStartDialog::Start() const {
    return PickedLocalTime(start_->dateTime());
}

std::uint32_t CaptureStartDialog::Interval() const {
    bool ok = false;
    const uint value = interval_->text().trimmed().toUInt(&ok);
    return ok ? static_cast<std::uint32_t>(value) : 0;
}

}  // namespace brennic
