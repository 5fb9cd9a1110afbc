#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "core/AppState.h"

class QFileDialog;
class QMainWindow;
class QPrinter;

namespace brennic {

class DisplayWidget;

// The file types a window image is written in.
enum class ImageFormat { kJpeg, kBmp };

// The type a file name asks for by its extension (.jpg, .jpeg or .bmp, in any case), or none.
std::optional<ImageFormat> ImageFormatOf(const QString& path);

// Writes `picture` as JPEG of quality 100 or as a 24-bit BMP, replacing the file. Returns
// the error text on failure. Any thread (the picture is a value).
std::optional<QString> WritePicture(const QImage& picture, const QString& path, ImageFormat format);

// How printing a picture ended, and the message each failure shows.
enum class PrintResult { kPrinted, kNoPrinter, kNoBitmaps, kFailed };
QString PrintFailureText(PrintResult result);

// Prints `picture` on one page of `printer` as large as the printable area allows with its
// proportions kept, centred, as the document `documentName`. Main thread.
PrintResult PrintPicture(const QImage& picture, QPrinter& printer, const QString& documentName);

// The main window's picture, saved, printed, copied or handed to the web publisher. The
// picture is the window's own rendering, never pixels read back from the screen, so a window
// that is covered, off screen or minimised (its widgets keep their restored size) still gives
// its full picture. Only the window manager's frame and caption are not part of it.
//
// Holds references only; cheap to make for each use and to copy into callbacks. The window
// and the display must outlive it. Every function runs on the main thread, which must not
// hold the StateLock on behalf of another thread, except SaveWindowJpeg (see there).
class WindowImage {
  public:
    WindowImage(AppState& state, QMainWindow& window, DisplayWidget& display);

    // The display alone: status lines, table and chart with the scroll bar drawn in. Used
    // for BMP files, printing and the clipboard. Takes the StateLock. Null when the display
    // has no size.
    QImage ClientPicture() const;
    // The menu bar (when it is drawn inside the window) above the display: the JPEG picture
    // and the web screen shot. Takes the StateLock. Null when the display has no size.
    QImage WindowPicture() const;

    // "Save Window Image": asks for a file ("Save screen as") and writes it. The type
    // follows a .jpg/.jpeg/.bmp extension, else the chosen filter; JPEG holds the window
    // picture, BMP the display. Shows a message when writing fails. True when a file was
    // written.
    bool SaveWindowImage() const;
    // Sets up the save dialog: title, filters, file name, folder, default extension and the
    // overwrite question. Separate so that tests can drive the dialog.
    void PrepareSaveDialog(QFileDialog& dialog) const;
    // Writes the choice of a save dialog. Shows a message on failure.
    bool SaveAs(const QString& path, ImageFormat format) const;

    // Writes the window picture as JPEG quality 100 to `path`; true on success, false
    // without a message otherwise. Any thread: off the main thread it waits while the main
    // thread renders (a blocking queued call), then encodes on the calling thread. The caller
    // must NOT hold the StateLock, or the main thread, which renders under it, and the caller
    // wait for each other for ever; nor may the main thread be waiting for the caller. The
    // main thread's event loop must be running (the web publisher's shutdown keeps it so).
    bool SaveWindowJpeg(const std::string& path) const;

    // "Print Window Image": the print dialog, then the display picture on one page. Failures
    // are shown as messages without caption. Always true.
    bool PrintWindowImage() const;
    // "Copy Window Image": the display picture to the clipboard as an image. True when
    // there was a picture to copy.
    bool CopyWindowImage() const;

  private:
    AppState* state_;
    QMainWindow* window_;
    DisplayWidget* display_;
};

// Called with the exit code when a start-up screen shot is done: 0 written, 1 failed.
using ScreenShotDoneFn = std::function<void(int exitCode)>;

// For "--screenshot FILE [--after SECONDS]": after `afterSeconds` of the event loop (0: as
// soon as it runs) writes the window picture to `file`, JPEG or BMP by its extension, then
// calls `done` (by default QCoreApplication::exit). A failure, an unknown extension
// included, shows its message (caption "Error") first; an unknown extension fails at once.
// Main thread; the window and display must live until then (the timer dies with the window).
void ArmScreenShot(AppState& state, QMainWindow& window, DisplayWidget& display,
                   const std::string& file, int afterSeconds, ScreenShotDoneFn done = {});

}  // namespace brennic
