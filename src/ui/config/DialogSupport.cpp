#include "ui/config/DialogSupport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "config/ConfigFile.h"
#include "ui/dialogs/DialogFit.h"
#include "ui/dialogs/MessageBox.h"

namespace brennic {

DialogHooks DefaultDialogHooks(AppState& state, QWidget* owner) {
    DialogHooks hooks;
    hooks.message = [owner](const QString& text, const QString& caption) {
        ShowMessageBox(text, caption, owner);
    };
    hooks.askOkCancel = [owner](const QString& text, const QString& caption) {
        QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                        owner);
        return box.exec() == QMessageBox::Ok;
    };
    // A failed save is not reported: the settings stay in memory until the next save.
    hooks.save = [&state] { SaveConfig(state); };
    hooks.beep = [] { QApplication::beep(); };
    hooks.chooseFolder = [owner](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(owner, title, start);
    };
    return hooks;
}

StoredTextValidator::StoredTextValidator(int maxBytes, Blanks blanks, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes), blanks_(blanks) {}

QValidator::State StoredTextValidator::validate(QString& input, int& /*pos*/) const {
    if (input.contains(QChar('"')) || input.toUtf8().size() > maxBytes_) {
        return Invalid;
    }
    if (blanks_ == kNoBlanks &&
        std::any_of(input.begin(), input.end(), [](QChar c) { return c.isSpace(); })) {
        return Invalid;
    }
    return Acceptable;
}

void RestrictStoredText(QLineEdit* edit, std::size_t maxBytes, StoredTextValidator::Blanks blanks) {
    edit->setValidator(new StoredTextValidator(static_cast<int>(maxBytes), blanks, edit));
}

void RestrictToInteger(QLineEdit* edit, bool allowSign) {
    const QString pattern = allowSign ? " *[-+]?[0-9]{0,9} *" : " *[0-9]{0,9} *";
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
}

namespace {

// A scroll area that was laid out small while the dialog was built keeps the scroll bars it
// needed then. Bars are therefore off until the dialog is first shown at its real size and
// only then decided by the content.
class ScrollBarsOnShow : public QObject {
  public:
    ScrollBarsOnShow(QScrollArea* area, QObject* parent) : QObject(parent), area_(area) {
        area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

  private:
    QScrollArea* area_;
};

}  // namespace

QScrollArea* SetScrollableBody(QDialog* dialog, QWidget* content, QDialogButtonBox* buttons) {
    auto* area = new QScrollArea(dialog);
    area->setObjectName("scrollArea");
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(content);
    auto* top = new QVBoxLayout(dialog);
    top->addWidget(area, 1);
    top->addWidget(buttons);

    FitDialogToScreen(*dialog, *area);
    dialog->installEventFilter(new ScrollBarsOnShow(area, dialog));
    return area;
}

QColor ToQColor(Colour c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

void PaintColourButton(QWidget* button, Colour c) {
    const QString name = ToQColor(c).name();
    button->setStyleSheet(
        QString("background-color: %1; color: %1; border: 1px solid #606060;").arg(name));
}

}  // namespace brennic
