#pragma once

#include <QDialog>
#include <cstdint>
#include <ctime>

class QDateTimeEdit;
class QLineEdit;

namespace brennic {

// "Read Hyper Terminal Log": asks for the start date and time of a terminal-capture file
// (preset to `start`) and its sample interval in seconds (preset to 2). Main thread.
class CaptureStartDialog : public QDialog {
  public:
    CaptureStartDialog(QWidget* parent, std::time_t start);

    // The picked start, converted from local time (test time offset applied).
    std::time_t Start() const;
    // The interval field read as an unsigned number (0 when it is not one).
    std::uint32_t Interval() const;

    QDateTimeEdit* startEdit() const { return start_; }
    QLineEdit* intervalEdit() const { return interval_; }

  private:
    QDateTimeEdit* start_;
    QLineEdit* interval_;
};

}  // namespace brennic
