#include "ui/window/WindowImage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "support/DisplayTestData.h"
#include "ui/display/DisplayWidget.h"

namespace brennic {
namespace {

// Rows below the display's first line: the time line shows the wall clock, so two renders a
// moment apart may differ there and nowhere else.
int SteadyTop(const DisplayWidget& display) {
    return display.Layout().metrics.lineHeight;
}

// The two pictures are the same, pixel for pixel, from row `fromRow` down.
bool SameFrom(const QImage& a, const QImage& b, int fromRow = 0) {
    const auto rows = [fromRow](const QImage& i) {
        return i.convertToFormat(QImage::Format_RGB32)
            .copy(0, fromRow, i.width(), i.height() - fromRow);
    };
    return a.size() == b.size() && rows(a) == rows(b);
}

QImage ReadImage(const QString& path, const char* format) {
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(false);  // the named decoder, nothing else
    return reader.read();
}

// Runs `action` on the next modal dialog of class `type` (QFileDialog, QMessageBox...). A
// dialog still open two seconds later (an unexpected question on top of it) fails the test
// and is closed rather than hang it.
void WhenModalOpens(const char* type, std::function<void(QWidget*)> action, int triesLeft = 500) {
    QTimer::singleShot(10, [type, action = std::move(action), triesLeft]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->inherits(type)) {
            if (triesLeft > 0) {
                WhenModalOpens(type, std::move(action), triesLeft - 1);
            } else {
                ADD_FAILURE() << "no " << type << " opened";
            }
            return;
        }
        QPointer<QWidget> dialog(modal);
        action(modal);
        QTimer::singleShot(2000, [dialog] {
            while (dialog != nullptr && QApplication::activeModalWidget() != nullptr) {
                QWidget* open = QApplication::activeModalWidget();
                auto* box = qobject_cast<QMessageBox*>(open);
                ADD_FAILURE() << "left open: " << open->windowTitle().toStdString() << " "
                              << (box != nullptr ? box->text().toStdString() : "");
                open->close();
                QApplication::processEvents();
            }
        });
    });
}

// A main window as the program has it: a menu bar above the display as central widget.
class WindowImageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        state_.identity.name = "brennic";
        state_.identity.folder = dir_.path().toStdString();
        state_.showMessage = [this](const std::string& text, const std::string& caption) {
            messages_.emplace_back(text, caption);
        };
        testdata::FillHistory(state_, 300, testdata::kNoon, 60);
        state_.processor.chartOrigin = testdata::kNoon - 4 * 3600;
        window_ = std::make_unique<QMainWindow>();
        window_->menuBar()->setNativeMenuBar(false);
        window_->menuBar()->addMenu("&File");
        window_->menuBar()->addMenu("&View");
        display_ = new DisplayWidget(state_);
        display_->SetStatusSource([this](const AppState&) {
            renderThread_ = QThread::currentThread();
            return DisplayStatus{};
        });
        window_->setCentralWidget(display_);
        window_->resize(820, 600);
        window_->show();
        QApplication::processEvents();
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    WindowImage Image() { return WindowImage(state_, *window_, *display_); }

    QTemporaryDir dir_;
    AppState state_;
    std::vector<std::pair<std::string, std::string>> messages_;
    std::unique_ptr<QMainWindow> window_;
    DisplayWidget* display_ = nullptr;
    std::atomic<QThread*> renderThread_{nullptr};
};

TEST_F(WindowImageTest, WindowPictureIsTheMenuBarAboveTheDisplaysOwnRenderingAndCopyIsTheDisplay) {
    const WindowImage image = Image();
    const QImage client = image.ClientPicture();
    ASSERT_EQ(client.size(), display_->size());
    const int bar = window_->menuBar()->height();
    ASSERT_GT(bar, 0);
    const QImage picture = image.WindowPicture();
    ASSERT_EQ(picture.size(), QSize(display_->width(), bar + display_->height()));
    EXPECT_TRUE(SameFrom(picture.copy(0, bar, client.width(), client.height()), client,
                         SteadyTop(*display_)));
    const QImage menu = window_->menuBar()->grab().toImage();
    EXPECT_TRUE(SameFrom(picture.copy(0, 0, menu.width(), bar), menu));
    EXPECT_EQ(renderThread_.load(), QThread::currentThread());

    // Copy puts the display's picture on the clipboard.
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(image.CopyWindowImage());
    EXPECT_TRUE(SameFrom(QGuiApplication::clipboard()->image(), client, SteadyTop(*display_)));

    // Another window on top or a minimised window change nothing: the picture is rendered,
    // not read from the screen, at the size the window is restored to.
    QWidget cover;
    cover.setGeometry(window_->geometry());
    cover.setStyleSheet("background: black");
    cover.show();
    cover.raise();
    window_->showMinimized();
    QApplication::processEvents();
    const QImage hidden = image.WindowPicture();
    EXPECT_TRUE(SameFrom(hidden, picture, bar + SteadyTop(*display_)));

    // A window without a size has no picture, and nothing is written for it.
    display_->resize(0, 0);
    EXPECT_TRUE(image.WindowPicture().isNull());
    EXPECT_FALSE(image.SaveWindowJpeg(Path("none.jpg").toStdString()));
    EXPECT_FALSE(QFile::exists(Path("none.jpg")));
}

TEST_F(WindowImageTest, SaveDialogAsksForScreenAndWritesByFilterOrExtension) {
    struct Case {
        const char* filter;  // chosen filter, or null to keep the first
        const char* name;    // typed file name
        const char* file;    // the file written
        const char* format;  // its decoder
        bool windowPicture;  // menu bar included (JPEG)
        bool exists;         // the file is there already: the user is asked and says yes
    };
    const Case cases[] = {
        {nullptr, "Screen", "Screen.jpg", "jpeg", true, false},
        {"BitMap (*.BMP *.bmp)", "Screen", "Screen.bmp", "bmp", false, false},
        {"BitMap (*.BMP *.bmp)", "photo.jpeg", "photo.jpeg", "jpeg", true,
         false},  // extension wins
        {nullptr, "Screen", "Screen.jpg", "jpeg", true, true},
    };
    const int bar = window_->menuBar()->height();
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        // A folder of its own, so that the dialog's completion finds no earlier file.
        const QString folder = Path(QString::number(++number));
        ASSERT_TRUE(QDir().mkpath(folder));
        state_.identity.folder = folder.toStdString();
        const QString file = folder + "/" + c.file;
        if (c.exists) {
            QFile old(file);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("an older picture");
        }
        bool asked = false;
        WhenModalOpens("QFileDialog", [&c, &asked, folder](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            EXPECT_EQ(dialog->windowTitle(), "Save screen as");
            EXPECT_EQ(dialog->nameFilters(),
                      QStringList({"JPeg (*.JPG *.jpg *.jpeg)", "BitMap (*.BMP *.bmp)"}));
            EXPECT_EQ(dialog->directory().absolutePath(), folder);
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(name->text(), "Screen");
            if (c.filter != nullptr) {
                auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
                ASSERT_NE(types, nullptr);
                const int index = types->findText(c.filter);
                types->setCurrentIndex(index);
                emit types->activated(index);  // as a user's choice does
                emit types->textActivated(c.filter);
            }
            name->setText(c.name);
            if (c.exists) {
                WhenModalOpens("QMessageBox", [&asked](QWidget* question) {
                    auto* box = qobject_cast<QMessageBox*>(question);
                    asked = box->text().contains("already exists");
                    box->button(QMessageBox::Yes)->click();
                });
            }
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        ASSERT_TRUE(Image().SaveWindowImage());
        EXPECT_EQ(asked, c.exists);
        const QImage saved = ReadImage(file, c.format);
        ASSERT_FALSE(saved.isNull());
        EXPECT_EQ(saved.height(), display_->height() + (c.windowPicture ? bar : 0));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList({c.file}));
    }

    // Cancelled: nothing written.
    const int files = QDir(Path("1")).entryList(QDir::Files).size();
    state_.identity.folder = Path("1").toStdString();
    WhenModalOpens("QFileDialog", [](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(Image().SaveWindowImage());
    EXPECT_EQ(QDir(Path("1")).entryList(QDir::Files).size(), files);

    // A failed save is reported, not passed over.
    EXPECT_FALSE(Image().SaveAs(Path("missing/Screen.bmp"), ImageFormat::kBmp));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].second, "Error");
}

TEST_F(WindowImageTest, SaveWindowJpegFromAWorkerThreadRendersOnTheMainThread) {
    const WindowImage image = Image();
    const std::string path = Path("ScreenShot.jpg").toStdString();
    std::atomic<int> result{-1};
    std::thread worker([&] { result = image.SaveWindowJpeg(path) ? 1 : 0; });
    while (result < 0) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    worker.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(renderThread_.load(), QThread::currentThread());
    EXPECT_EQ(ReadImage(QString::fromStdString(path), "jpeg").size(), image.WindowPicture().size());

    EXPECT_FALSE(image.SaveWindowJpeg(Path("no/such/folder.jpg").toStdString()));
    EXPECT_TRUE(messages_.empty()) << "a failure is a plain false";
}

TEST_F(WindowImageTest, ScreenShotWritesByExtensionAndEndsWithItsExitCode) {
    struct Case {
        const char* file;
        int exitCode;
        const char* decoder;  // null: no file
        const char* message;
    };
    const Case cases[] = {
        {"shot.jpg", 0, "jpeg", nullptr},
        {"shot.BMP", 0, "bmp", nullptr},
        {"shot.png", 1, nullptr, "the file name must end in .jpg, .jpeg or .bmp"},
        {"missing/shot.jpg", 1, nullptr, "Cannot write "},
    };
    const QSize size = Image().WindowPicture().size();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        messages_.clear();
        QEventLoop loop;
        ArmScreenShot(state_, *window_, *display_, Path(c.file).toStdString(), 0,
                      [&loop](int code) { loop.exit(code); });
        EXPECT_EQ(loop.exec(), c.exitCode);
        if (c.decoder != nullptr) {
            EXPECT_EQ(ReadImage(Path(c.file), c.decoder).size(), size);
            EXPECT_TRUE(messages_.empty());
        } else {
            EXPECT_FALSE(QFile::exists(Path(c.file)));
            ASSERT_EQ(messages_.size(), 1u);
            EXPECT_NE(messages_[0].first.find(c.message), std::string::npos) << messages_[0].first;
            EXPECT_EQ(messages_[0].second, "Error");
        }
    }
}

TEST(PrintPicture, FailuresEndInTheirMessages) {
    const QImage picture(40, 30, QImage::Format_RGB32);
    QPrinter missing;
    missing.setPrinterName("brennic-no-such-printer");
    EXPECT_EQ(PrintPicture(picture, missing, "x"), PrintResult::kNoPrinter);

    QPrinter unwritable;
    unwritable.setOutputFormat(QPrinter::PdfFormat);
    unwritable.setOutputFileName("/nonexistent-folder/out.pdf");
    EXPECT_EQ(PrintPicture(picture, unwritable, "x"), PrintResult::kFailed);
    EXPECT_EQ(PrintFailureText(PrintResult::kNoPrinter), "Cannot obtain Printer DC");
    EXPECT_EQ(PrintFailureText(PrintResult::kNoBitmaps), "Printer cannot print bitmaps");
    EXPECT_EQ(PrintFailureText(PrintResult::kFailed), "Could not print bitmap");
}

}  // namespace
}  // namespace brennic
