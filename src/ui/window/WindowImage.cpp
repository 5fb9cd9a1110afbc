#include "ui/window/WindowImage.h"

#include <sys/mman.h>

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMainWindow>
#include <QMenuBar>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>

#include "ui/display/DisplayWidget.h"
#include "ui/window/HandOver.h"
#include "web/BmpFile.h"

namespace brennic {

namespace {

const QString kJpegFilter = QStringLiteral("JPeg (*.JPG *.jpg *.jpeg)");
const QString kBmpFilter = QStringLiteral("BitMap (*.BMP *.bmp)");

// Shows the wait cursor while it lives.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The menu bar when it is drawn inside the window; none when the desktop shows the menu
// elsewhere (a global menu) or it is hidden.
QWidget* InWindowMenuBar(QMainWindow& window) {
    QWidget* bar = window.menuWidget();
    if (bar == nullptr || !bar->isVisibleTo(&window) || bar->height() <= 0) {
        return nullptr;
    }
    if (auto* menuBar = qobject_cast<QMenuBar*>(bar); menuBar && menuBar->isNativeMenuBar()) {
        return nullptr;
    }
    return bar;
}

std::optional<QString> WriteJpeg(const QImage& picture, const QString& path) {
    QImageWriter writer(path, "JPG");
    writer.setQuality(100);
    if (!writer.write(picture)) {
        return QStringLiteral("Cannot write %1: %2").arg(path, writer.errorString());
    }
    return std::nullopt;
}

std::optional<QString> WriteBmp(const QImage& picture, const QString& path) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const RgbRows rows{rgb.width(), rgb.height(), rgb.constBits(),
                       static_cast<std::size_t>(rgb.bytesPerLine())};
    if (auto error = WriteBmpFile(QFile::encodeName(path).toStdString(), rows)) {
        // The plain writer speaks in file-system bytes; show the name as the user typed it.
        const QString reason = QString::fromStdString(*error).section(QStringLiteral(": "), -1);
        return QStringLiteral("Cannot write %1: %2").arg(path, reason);
    }
    return std::nullopt;
}

// Where the save dialog starts: the program's folder, as users of the program know it, when
// it can take a file; otherwise the pictures folder.
QString SaveFolder(const std::string& programFolder) {
    const QFileInfo folder(QString::fromStdString(programFolder));
    if (!programFolder.empty() && folder.isDir() && folder.isWritable()) {
        return folder.absoluteFilePath();
    }
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

}  // namespace

std::optional<ImageFormat> ImageFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
        return ImageFormat::kJpeg;
    }
    if (suffix == QLatin1String("bmp")) {
        return ImageFormat::kBmp;
    }
    return std::nullopt;
}

std::optional<QString> WritePicture(const QImage& picture, const QString& path,
                                    ImageFormat format) {
    if (picture.isNull()) {
        return QStringLiteral("Cannot write %1: the window has no picture").arg(path);
    }
    return format == ImageFormat::kJpeg ? WriteJpeg(picture, path) : WriteBmp(picture, path);
}

QString PrintFailureText(PrintResult result) {
    switch (result) {
        case PrintResult::kNoPrinter:
            return QStringLiteral("Cannot obtain Printer DC");
        case PrintResult::kNoBitmaps:
            return QStringLiteral("Printer cannot print bitmaps");
        case PrintResult::kFailed:
            return QStringLiteral("Could not print bitmap");
        case PrintResult::kPrinted:
            break;
    }
    return {};
}

PrintResult PrintPicture(const QImage& picture, QPrinter& printer, const QString& documentName) {
    // Without a printer Qt falls back to a PDF writer; one without a file is no device either.
    const bool noDevice = printer.outputFormat() == QPrinter::PdfFormat
                              ? printer.outputFileName().isEmpty()
                              : printer.printerName().isEmpty();
    if (!printer.isValid() || noDevice) {
        return PrintResult::kNoPrinter;
    }
    const QPaintEngine* engine = printer.paintEngine();
    if (engine == nullptr || !engine->hasFeature(QPaintEngine::PixmapTransform)) {
        return PrintResult::kNoBitmaps;
    }
    if (picture.isNull()) {
        return PrintResult::kFailed;
    }
    printer.setDocName(documentName);
    QPainter painter;
    if (!painter.begin(&printer)) {  // starts the document and its first page
        return PrintResult::kFailed;
    }
    // The painter's viewport is the printable area in device pixels.
    const QRect page = painter.viewport();
    const QSize size = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    const QRect target(page.x() + (page.width() - size.width()) / 2,
                       page.y() + (page.height() - size.height()) / 2, size.width(), size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
    return painter.end() ? PrintResult::kPrinted : PrintResult::kFailed;
}

WindowImage::WindowImage(AppState& state, QMainWindow& window, DisplayWidget& display)
    : state_(&state), window_(&window), display_(&display) {}

QImage WindowImage::ClientPicture() const {
    const QSize size = display_->size();
    if (size.isEmpty()) {
        return {};
    }
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    display_->RenderTo(picture);  // under the StateLock
    return picture;
}

namespace {

// A white RGB32 image in memory that asks for huge pages. A window-sized picture is megabytes
// of fresh memory, and on a small or virtual machine the first touch of each 4 KiB page is
// dear (3 MB: 8 ms here, 2.5 ms in 2 MiB pages).
QImage FreshImage(int width, int height) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    const auto bytesPerLine = static_cast<std::size_t>(width) * 4;
    const std::size_t size = bytesPerLine * static_cast<std::size_t>(height);
    void* data = std::aligned_alloc(kHugePage, (size + kHugePage - 1) / kHugePage * kHugePage);
    if (data == nullptr) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    }
    ::madvise(data, size, MADV_HUGEPAGE);  // a hint: without huge pages it is only slower
    QImage image(
        static_cast<uchar*>(data), width, height, static_cast<qsizetype>(bytesPerLine),
        QImage::Format_RGB32, [](void* d) { std::free(d); }, data);
    image.fill(Qt::white);
    return image;
}

}  // namespace

QImage WindowImage::WindowPicture() const {
    // One lock for both parts, so that the picture is one moment.
    StateGuard guard(state_->lock);
    const QSize client = display_->size();
    if (client.isEmpty()) {
        return {};
    }
    QWidget* bar = InWindowMenuBar(*window_);
    const int barHeight = bar != nullptr ? bar->height() : 0;
    const int width = std::max(client.width(), bar != nullptr ? bar->width() : 0);
    QImage picture = FreshImage(width, barHeight + client.height());
    if (bar != nullptr) {
        QPainter painter(&picture);
        bar->render(&painter, QPoint(0, 0), QRegion(),
                    QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    // The display is rendered straight into the picture's rows below the bar, through an
    // image that shares them: a picture of its own copied in took a second image of the
    // window's size, and touching fresh memory is much of what a picture costs.
    QImage below(picture.scanLine(barHeight), client.width(), client.height(),
                 picture.bytesPerLine(), QImage::Format_RGB32);
    display_->RenderTo(below);  // under the StateLock
    return picture;
}

void WindowImage::PrepareSaveDialog(QFileDialog& dialog) const {
    dialog.setWindowTitle(QStringLiteral("Save screen as"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilters({kJpegFilter, kBmpFilter});
    dialog.setDirectory(SaveFolder(state_->identity.folder));
    // A bare name takes the extension of the chosen filter ("bmp" for BitMap), so that a
    // file called .bmp never holds a JPEG.
    auto suffixOf = [](const QString& filter) {
        return filter == kBmpFilter ? QStringLiteral("bmp") : QStringLiteral("jpg");
    };
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, suffixOf](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    dialog.selectNameFilter(kJpegFilter);
    dialog.setDefaultSuffix(suffixOf(kJpegFilter));
    dialog.selectFile(QStringLiteral("Screen"));
}

bool WindowImage::SaveWindowImage() const {
    QFileDialog dialog(window_);
    PrepareSaveDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString path = dialog.selectedFiles().constFirst();
    const ImageFormat chosen =
        dialog.selectedNameFilter() == kBmpFilter ? ImageFormat::kBmp : ImageFormat::kJpeg;
    return SaveAs(path, ImageFormatOf(path).value_or(chosen));
}

bool WindowImage::SaveAs(const QString& path, ImageFormat format) const {
    std::optional<QString> error;
    {
        WaitCursor wait;
        const QImage picture = format == ImageFormat::kJpeg ? WindowPicture() : ClientPicture();
        error = WritePicture(picture, path, format);
    }
    if (error) {
        state_->showMessage(error->toStdString(), "Error");
        return false;
    }
    return true;
}

bool WindowImage::SaveWindowJpeg(const std::string& path) const {
    QImage picture;
    if (QThread::currentThread() == window_->thread()) {
        picture = WindowPicture();
    } else if (!CallAndWait(window_, [this, &picture] { picture = WindowPicture(); })) {
        return false;
    }
    // Encoding runs on the caller's thread, so the main thread is free again meanwhile.
    return !WritePicture(picture, QFile::decodeName(path.c_str()), ImageFormat::kJpeg);
}

bool WindowImage::PrintWindowImage() const {
    QImage picture;
    {
        WaitCursor wait;
        picture = ClientPicture();
    }
    if (picture.isNull()) {
        return true;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, window_);
    // One picture on one page: no selection, page range or current page to choose.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) {
        return true;
    }
    PrintResult result;
    {
        WaitCursor wait;
        result = PrintPicture(picture, printer,
                              QString::fromStdString(state_->identity.name) + ": Printing");
    }
    if (result != PrintResult::kPrinted) {
        state_->showMessage(PrintFailureText(result).toStdString(), "");
    }
    return true;
}

bool WindowImage::CopyWindowImage() const {
    const QImage picture = ClientPicture();
    if (picture.isNull()) {
        return false;
    }
    QGuiApplication::clipboard()->setImage(picture);
    return true;
}

void ArmScreenShot(AppState& state, QMainWindow& window, DisplayWidget& display,
                   const std::string& file, int afterSeconds, ScreenShotDoneFn done) {
    if (!done) {
        done = [&window](int code) {
            // The program ends with the picture: a window that has not been drawn yet (a
            // picture taken at once) need not be drawn now.
            window.hide();
            QCoreApplication::exit(code);
        };
    }
    const QString path = QFile::decodeName(file.c_str());
    const std::optional<ImageFormat> format = ImageFormatOf(path);
    const int maxSeconds = std::numeric_limits<int>::max() / 1000;
    const int delayMs = format ? std::clamp(afterSeconds, 0, maxSeconds) * 1000 : 0;
    QTimer::singleShot(delayMs, &window, [&state, &window, &display, path, format, done] {
        std::optional<QString> error;
        if (!format) {
            error = QStringLiteral("Cannot write %1: the file name must end in .jpg, .jpeg or .bmp")
                        .arg(path);
        } else {
            const WindowImage image(state, window, display);
            error = WritePicture(image.WindowPicture(), path, *format);
        }
        if (error) {
            state.showMessage(error->toStdString(), "Error");
        }
        done(error ? 1 : 0);
    });
}

}  // namespace brennic
