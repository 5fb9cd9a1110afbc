#include "ui/dialogs/AlertsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "logs/TimeText.h"

namespace brennic {

AlertsDialog::AlertsDialog(std::function<std::vector<Alert>()> history, QWidget* parent)
    : QDialog(parent), history_(std::move(history)) {
    setWindowTitle("Alerts");
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    layout->addWidget(summary_);
    table_ = new QTableWidget(0, 4, this);
    table_->setHorizontalHeaderLabels({"Raised", "Cleared", "Alert", "Values"});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout->addWidget(buttons);
    resize(760, 360);
    Refresh();
}

void AlertsDialog::Refresh() {
    const std::vector<Alert> alerts = history_ ? history_() : std::vector<Alert>();
    int active = 0;
    table_->setRowCount(static_cast<int>(alerts.size()));
    const QColor text = QColor::fromRgb(kAlertTextRgb);
    const QColor background = QColor::fromRgb(kAlertBackgroundRgb);
    int row = 0;
    for (auto it = alerts.rbegin(); it != alerts.rend(); ++it, ++row) {
        const Alert& a = *it;
        active += a.Active() ? 1 : 0;
        const QString cells[] = {
            QString::fromStdString(FormatTime("%Y-%m-%d %H:%M:%S", a.raised)),
            a.Active() ? QString("active")
                       : QString::fromStdString(FormatTime("%Y-%m-%d %H:%M:%S", a.cleared)),
            QString::fromStdString(AlertTitle(a)),
            QString::fromStdString(AlertValuesText(a.values))};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (a.Active()) {
                item->setForeground(text);
                item->setBackground(background);
            }
            table_->setItem(row, column, item);
        }
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    summary_->setText(alerts.empty() ? QString("No alerts since Brennic started.")
                                     : QString("%1 active, %2 in this run (the file Alerts.txt in "
                                               "the data folder keeps them all).")
                                           .arg(active)
                                           .arg(alerts.size()));
}

}  // namespace brennic
