#include "ui/dialogs/AboutDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>

#include "ui/dialogs/MessageBox.h"

namespace brennic {
namespace {

TEST(AboutDialog, TextsForNameVersionBuildTimeAndModelWarnings) {
    ProgramIdentity id;
    id.name = "brennic";
    id.version = "0.1.0";
    EXPECT_EQ(AboutTitleText(id), "brennic Version 0.1.0");
    struct Case {
        long long t;
        const char* text;
    };
    const Case cases[] = {{0, "Jan 01 1970, 00:00:00 UTC"},
                          {1243865130, "Jun 01 2009, 14:05:30 UTC"},
                          {1798761599, "Dec 31 2026, 23:59:59 UTC"}};
    for (const auto& c : cases) {
        EXPECT_EQ(BuildTimeText(c.t), c.text);
    }
    AboutDialog dialog(id, 0, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "About");
    EXPECT_EQ(dialog.findChild<QLabel*>("aboutBuildTime")->text(), "Jan 01 1970, 00:00:00 UTC");

    EXPECT_TRUE(ModelWarningText(-2).endsWith("Vexin 2 control!"));
    EXPECT_TRUE(ModelWarningText(-3).endsWith("Vexin 2 BTU control"));
    ModelWarningDialog w(-3, nullptr);
    EXPECT_EQ(w.windowTitle(), "Warning");
    EXPECT_FALSE(w.isModal());
}

// The support dialog sends the user to the shipped support page and promises only what that
// page holds (no FAQ list, no e-mail link).
TEST(AboutDialog, SupportDialogPromisesOnlyWhatItsPageHolds) {
    const QString page = QStringLiteral(BRENNIC_BINARY_DIR "/help/html/Brennic_Support.htm");
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
    const QString html = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(html.contains("Before you report a problem"));
    SupportDialog dialog(page, nullptr);
    EXPECT_EQ(dialog.findChild<QPushButton*>("supportLink")->text(), page);
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        for (const char* promise : {"FAQ", "mail", "latest"}) {
            EXPECT_FALSE(label->text().contains(promise, Qt::CaseInsensitive))
                << label->text().toStdString();
        }
    }
}

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
