#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "alerts/Alert.h"

class QLabel;
class QTableWidget;

namespace brennic {

// "View > Alerts": every alert of this run, newest first, with the time it was raised and
// cleared and the values that raised it; the active ones in the warning colour. Modeless; the
// main window keeps one and calls Refresh when an alert is raised or cleared. Main thread.
class AlertsDialog : public QDialog {
    Q_OBJECT

  public:
    // `history` gives the alerts oldest first (AlertObserver::History); empty when the alerts
    // are switched off.
    AlertsDialog(std::function<std::vector<Alert>()> history, QWidget* parent = nullptr);

    void Refresh();
    QTableWidget* Table() const { return table_; }

  private:
    std::function<std::vector<Alert>()> history_;
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
};

// The warning colours of the alert line and of active rows.
inline constexpr unsigned kAlertTextRgb = 0x8A1F00;
inline constexpr unsigned kAlertBackgroundRgb = 0xFFE3A0;

}  // namespace brennic
