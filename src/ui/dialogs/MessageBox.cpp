#include "ui/dialogs/MessageBox.h"

#include <QApplication>
#include <QMainWindow>

namespace brennic {

QMessageBox::Icon MessageIconFor(const QString& caption) {
    if (caption.contains(QLatin1String("error"), Qt::CaseInsensitive)) {
        return QMessageBox::Critical;
    }
    if (caption.compare(QLatin1String("Warning"), Qt::CaseInsensitive) == 0) {
        return QMessageBox::Warning;
    }
    return QMessageBox::Information;
}

QWidget* MessageOwner() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(w) != nullptr && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

void ShowMessageBox(const QString& text, const QString& caption, QWidget* owner) {
    QMessageBox box(MessageIconFor(caption), caption, text, QMessageBox::Ok,
                    owner != nullptr ? owner : MessageOwner());
    box.exec();
}

}  // namespace brennic
