#pragma once

#include <QColor>
#include <QDialog>
#include <QString>
#include <QValidator>
#include <functional>

#include "core/AppState.h"

class QLineEdit;
class QScrollArea;
class QDialogButtonBox;

namespace brennic {

// What the configuration dialogs do outside their own widgets, replaceable so that tests
// see the messages and answer the questions. Main thread.
struct DialogHooks {
    // A message box with an OK button only.
    std::function<void(const QString& text, const QString& caption)> message;
    // A message box with OK and Cancel; true for OK.
    std::function<bool(const QString& text, const QString& caption)> askOkCancel;
    // Writes Config.Txt from the state.
    std::function<void()> save;
    // The refusal beep (2000 Hz, 100 ms where the platform can).
    std::function<void()> beep;
    // A folder chooser; returns "" when the user cancels.
    std::function<QString(const QString& title, const QString& start)> chooseFolder;
};

// Real message boxes and folder chooser owned by `owner`, QApplication::beep, and the
// program's Config.Txt writer for `state`.
DialogHooks DefaultDialogHooks(AppState& state, QWidget* owner);

// Edits of text that goes into Config.Txt: refuses the double quote (the file cannot carry
// it inside its quoted fields) and text longer than `maxBytes` bytes of UTF-8, so what the
// user can type is exactly what is saved and read back. Fields that the file stores as one
// word (port name, server address) refuse blanks too.
class StoredTextValidator : public QValidator {
    Q_OBJECT
  public:
    enum Blanks { kBlanksAllowed, kNoBlanks };
    StoredTextValidator(int maxBytes, Blanks blanks, QObject* parent);
    State validate(QString& input, int& pos) const override;

  private:
    int maxBytes_;
    Blanks blanks_;
};

// Sets a StoredTextValidator on `edit`.
void RestrictStoredText(QLineEdit* edit, std::size_t maxBytes,
                        StoredTextValidator::Blanks blanks = StoredTextValidator::kBlanksAllowed);

// Lets `edit` take an optionally signed whole number only (empty allowed).
void RestrictToInteger(QLineEdit* edit, bool allowSign = true);

// Lays `dialog` out as `content` in a scroll area above `buttons` and sizes it with
// FitDialogToScreen: all of `content` when the screen's work area allows; on a smaller screen
// the dialog takes the work area and the content scrolls. Returns the scroll area.
QScrollArea* SetScrollableBody(QDialog* dialog, QWidget* content, QDialogButtonBox* buttons);

// A colour 0x00BBGGRR as Qt's colour.
QColor ToQColor(Colour c);

// Paints a push button in a solid colour (background and text alike).
void PaintColourButton(QWidget* button, Colour c);

}  // namespace brennic
