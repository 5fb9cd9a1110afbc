#pragma once

#include <QDialog>
#include <QString>

#include "replay/ReplayTypes.h"

class QPushButton;

namespace brennic {

// "Error Reading Log File": the error text of a bad record and the three answers CONTINUE
// (default), SUPPRESS ERRORS and ABORT. Closing it any other way counts as CONTINUE.
// Main thread.
class RecordErrorDialog : public QDialog {
  public:
    RecordErrorDialog(QWidget* parent, const QString& text);

    RecordErrorChoice Choice() const { return choice_; }

    QPushButton* continueButton() const { return continue_; }
    QPushButton* suppressButton() const { return suppress_; }
    QPushButton* abortButton() const { return abort_; }

    // Shows the dialog modally and returns the answer. Without a display (offscreen
    // platform) nobody could answer: the text goes to standard error and the replay goes on.
    static RecordErrorChoice Ask(QWidget* parent, const QString& text);

  private:
    RecordErrorChoice choice_ = RecordErrorChoice::kContinue;
    QPushButton* continue_;
    QPushButton* suppress_;
    QPushButton* abort_;
};

// True on the offscreen and minimal platforms, where no one can click a dialog.
bool NoDisplayForDialogs();

}  // namespace brennic
