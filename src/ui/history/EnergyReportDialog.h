#pragma once

#include <QDialog>
#include <string>

#include "history/HistoryReport.h"
#include "history/ReportChart.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QTableWidget;

namespace brennic {

// View > Energy Report: the period choice and range, the bar chart, the table, and Save CSV.
// Reads the history store at `storePath` with a connection of its own each time the choice
// changes (the live writer keeps writing meanwhile). Main thread.
class EnergyReportDialog : public QDialog {
    Q_OBJECT

  public:
    EnergyReportDialog(std::string storePath, QWidget* parent = nullptr);

    // Reads the store again for the current choice.
    void Refresh();
    // Writes the shown report as CSV to `file`; false (and a message box) when that fails.
    bool SaveCsv(const QString& file);

    const EnergyReport& report() const { return report_; }
    QComboBox* periodChoice() const { return period_; }
    QDateEdit* fromEdit() const { return from_; }
    QDateEdit* toEdit() const { return to_; }
    QTableWidget* table() const { return table_; }

  private:
    void SetDefaultRange();
    void FillTable();

    std::string storePath_;
    EnergyReport report_;
    QComboBox* period_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QWidget* chart_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace brennic
