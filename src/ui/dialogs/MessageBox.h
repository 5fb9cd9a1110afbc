#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace brennic {

// The icon a caption implies: an error (Critical) for "Error" and any caption naming an
// error, a warning for "Warning", information otherwise.
QMessageBox::Icon MessageIconFor(const QString& caption);

// The program's main window when one is shown, else nullptr: the owner of message boxes
// that have no dialog of their own to sit on. Main thread.
QWidget* MessageOwner();

// A modal message box with an OK button, owned by `owner` (MessageOwner() when null), with
// the icon its caption implies. Returns when it is closed. Main thread.
void ShowMessageBox(const QString& text, const QString& caption, QWidget* owner = nullptr);

}  // namespace brennic
