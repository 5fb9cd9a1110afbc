#include "dialogs/DialogFit.h"

#include <QDialog>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace brennic {

QSize FittedDialogSize(QSize wanted, QSize workArea, int verticalBarWidth,
                       int horizontalBarHeight) {
    const int heightLimit = workArea.height() - kWorkAreaMargin;
    const int widthLimit = workArea.width() - kWorkAreaMargin;
    QSize size = wanted;
    if (size.height() > heightLimit) {
        size.setHeight(heightLimit);
        size.rwidth() += verticalBarWidth;
    }
    if (size.width() > widthLimit) {
        size.setWidth(widthLimit);
        size.setHeight(std::min(size.height() + horizontalBarHeight, heightLimit));
    }
    return size;
}

void FitDialogToScreen(QDialog& dialog, QScrollArea& scroll) {
    QWidget* content = scroll.widget();
    if (content == nullptr) {
        return;
    }
    // The whole content plus whatever the dialog's layout puts around the scroll area.
    const QSize around = dialog.sizeHint() - scroll.sizeHint();
    const QSize wanted = content->sizeHint().expandedTo(content->minimumSize()) +
                         QSize(std::max(0, around.width()), std::max(0, around.height()));
    const QWidget* owner = dialog.parentWidget();
    const QScreen* screen = owner != nullptr ? owner->screen() : dialog.screen();
    if (screen == nullptr) {
        dialog.resize(wanted);
        return;
    }
    const int bar = dialog.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &scroll);
    dialog.resize(FittedDialogSize(wanted, screen->availableGeometry().size(), bar, bar));
}

QScrollArea* MakeScrollingDialog(QDialog& dialog, QWidget* content) {
    auto* scroll = new QScrollArea;
    scroll->setObjectName("scroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(&dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    return scroll;
}

}  // namespace brennic
