#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <chrono>

#include "ui/display/DisplayWidget.h"
#include "ui/window/MainWindow.h"
#include "ui/window/WindowImage.h"
#include "web/WebPublisher.h"

namespace brennic {
namespace {

// The main window hands its own picture to the web publisher, whose thread waits while the
// main thread renders it (the copy command's: MainWindowTest.AltCCopiesTheWindowImage).
TEST(MainWindowImage, PublisherScreenShotUsesTheWindowPicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    AppState state;
    state.config.configFolder = dir.filePath("config").toStdString();
    state.config.dataFolder = dir.filePath("data").toStdString();
    state.config.comPort = "/nonexistent/tty";
    std::vector<std::string> messages;
    state.showMessage = [&messages](const std::string& text, const std::string& caption) {
        messages.push_back(caption + ": " + text);
    };
    // The publisher's first publication comes at once and writes its screen shot to disk.
    state.config.webWriteToDisk = 1;
    state.config.webIncludeScreenShot = 1;
    state.config.webFolder = dir.path().toStdString();
    MainWindowOptions options;
    options.publisher.firstDelay = std::chrono::milliseconds(0);
    options.publisher.tempFolder = dir.path().toStdString();
    MainWindow window(state, options);
    window.show();
    QApplication::processEvents();

    // The publisher's thread asks for the picture; this (the main) thread renders it.
    QImage shot;
    QElapsedTimer clock;
    clock.start();
    while (shot.isNull() && clock.elapsed() < 20000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (window.Publisher()->Counters().uploads > 0) {
            shot = QImageReader(dir.filePath("ScreenShot.jpg"), "jpeg").read();
        }
    }
    ASSERT_FALSE(shot.isNull());
    const QImage picture = WindowImage(state, window, *window.Display()).WindowPicture();
    EXPECT_EQ(shot.size(), picture.size());
    EXPECT_GT(picture.height(), window.Display()->height());  // the menu bar is in it
    EXPECT_TRUE(messages.empty()) << messages.front();
}

}  // namespace
}  // namespace brennic
