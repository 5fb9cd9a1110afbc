#include "ui/dialogs/MessageBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

namespace brennic {
namespace {

TEST(MessageBox, OwnedByTheMainWindowWithTheIconItsCaptionImplies) {
    QMainWindow window;
    window.show();
    const struct {
        const char* caption;
        QMessageBox::Icon icon;
    } cases[] = {
        {"Error", QMessageBox::Critical},   {"WINSOCK error", QMessageBox::Critical},
        {"Warning", QMessageBox::Warning},  {"", QMessageBox::Information},
        {"Help", QMessageBox::Information},
    };
    for (const auto& c : cases) {
        QWidget* parent = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            parent = box->parentWidget();
            icon = box->icon();
            box->accept();
        });
        ShowMessageBox("text", c.caption);
        EXPECT_EQ(parent, &window) << c.caption;
        EXPECT_EQ(icon, c.icon) << c.caption;
    }
}

}  // namespace
}  // namespace brennic
