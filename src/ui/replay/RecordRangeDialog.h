#pragma once

#include <QDialog>

#include "replay/ReplayTypes.h"

class QCheckBox;
class QDateTimeEdit;

namespace brennic {

// The record range panel, shown right after a log file has been chosen: "Include Entire File
// Contents" (checked), "Fast Access" (checked; hidden unless offered), and the range start and
// end pickers, today 00:00:00 and 23:59:59, enabled only while the whole file is not chosen.
// Main thread.
class RecordRangeDialog : public QDialog {
  public:
    RecordRangeDialog(QWidget* parent, bool offerFastAccess);

    // The choice, with the pickers converted from local time (test time offset applied).
    RecordRange Range() const;

    QCheckBox* wholeFileBox() const { return wholeFile_; }
    QCheckBox* fastAccessBox() const { return fastAccess_; }
    QDateTimeEdit* startEdit() const { return start_; }
    QDateTimeEdit* endEdit() const { return end_; }

  private:
    void UpdateEnabled();

    bool offerFastAccess_;
    QCheckBox* wholeFile_;
    QCheckBox* fastAccess_;
    QDateTimeEdit* start_;
    QDateTimeEdit* end_;
};

}  // namespace brennic
