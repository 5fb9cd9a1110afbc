#pragma once

#include <QSize>

class QDialog;
class QScrollArea;
class QWidget;

namespace brennic {

// How far a dialog keeps from the edges of the work area, in pixels, in each direction.
inline constexpr int kWorkAreaMargin = 39;

// The size of a dialog that wants `wanted` on a work area of `workArea`: too tall, it gets the
// height limit and grows by a vertical scroll bar's width; then too wide, it gets the width
// limit and grows by a horizontal scroll bar's height, again no taller than the height limit.
// The limits are the work area less kWorkAreaMargin. A dialog that fits keeps its size.
QSize FittedDialogSize(QSize wanted, QSize workArea, int verticalBarWidth, int horizontalBarHeight);

// Resizes `dialog`, laid out with `scroll` in it (alone, or with buttons and margins around
// it), so that the scroll area's content shows whole when the screen's work area allows
// (FittedDialogSize, on the owner's screen) and scrolls when it does not. Keeps the dialog's
// position. Every dialog that fits itself to the screen goes through here. Main thread.
void FitDialogToScreen(QDialog& dialog, QScrollArea& scroll);

// Puts `content` into a frameless scroll area that fills `dialog` and returns the area.
QScrollArea* MakeScrollingDialog(QDialog& dialog, QWidget* content);

}  // namespace brennic
