#include "ui/dialogs/DialogFit.h"

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
    // Size hints are only right once the style has polished the widgets.
    dialog.ensurePolished();
    // The whole content, with the scroll area's frame, plus whatever the dialog's layout puts
    // around the scroll area: ask the layout while the area insists on showing it all.
    const int frame = 2 * scroll.frameWidth();
    const QSize whole =
        content->sizeHint().expandedTo(content->minimumSize()) + QSize(frame, frame);
    const QSize minimum = scroll.minimumSize();
    scroll.setMinimumSize(whole);
    const QSize wanted = dialog.sizeHint().expandedTo(whole);
    scroll.setMinimumSize(minimum);

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
