#pragma once

#include <QDialog>
#include <QString>

#include "core/AppState.h"

class QLabel;

namespace brennic {

// "<name> Version <version>" for the top line of About.
QString AboutTitleText(const ProgramIdentity& identity);

// A build time (seconds since 1970, UTC) as "%b %d %Y, %H:%M:%S UTC".
QString BuildTimeText(long long buildTime);

// The modal "About" dialog. Main thread.
class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    AboutDialog(const ProgramIdentity& identity, long long buildTime, QWidget* parent);
    // The dashboard's address (or why it does not run), shown below the description.
    void SetDashboardText(const QString& text);

  private:
    QLabel* dashboard_ = nullptr;
};

// The modal "SUPPORT - PROBLEM REPORTING" dialog. The address button opens Brennic's support
// page (shipped help) and closes the dialog with result kSupportPageOpened.
class SupportDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kSupportPageOpened = 1262;
    SupportDialog(const QString& supportPage, QWidget* parent);
};

// The text of the modeless "Warning" for a controller model mismatch (-2 or -3).
QString ModelWarningText(int code);

// Modeless; deletes itself when closed. Main thread.
class ModelWarningDialog : public QDialog {
    Q_OBJECT
  public:
    ModelWarningDialog(int code, QWidget* parent);
};

}  // namespace brennic
