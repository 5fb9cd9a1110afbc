#include "ui/service/Headless.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <clocale>
#include <cstdlib>

#include "station/Service.h"
#include "ui/display/Display.h"
#include "ui/display/DisplayLayout.h"
#include "ui/window/Startup.h"

namespace brennic {

namespace {

// The display area of a window of the default size, without the menu bar.
constexpr int kShotWidth = 1000;
constexpr int kShotHeight = 700;

// The main display as the window would show it, as JPEG of quality 100. Any thread: QPainter
// on a QImage needs no window; the StateLock is taken for the render.
bool SaveDisplayJpeg(AppState& state, const std::string& path, const DisplayStatus& status) {
    QImage picture(kShotWidth, kShotHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        StateGuard guard(state.lock);
        DisplayLayout layout;
        const TextMetrics metrics = MeasureFont(MakeDisplayFont(state.font), &picture);
        Layout(layout, state.config, metrics, kShotWidth, kShotHeight);
        QPainter painter(&picture);
        RenderOptions options;
        options.status = status;
        Render(state, layout, painter, options);
    }
    return picture.save(QString::fromStdString(path), "JPG", 100);
}

}  // namespace

int RunHeadless(int argc, char** argv, const CommandLine& options, const std::string& exe) {
    BlockServiceSignals();
    // No display server: every picture is drawn offscreen.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    // File formats are locale-independent: Qt has just set LC_NUMERIC from the environment.
    std::setlocale(LC_NUMERIC, "C");
    AppState state;
    state.showMessage = StderrMessageHook();
    PrepareState(state, options, exe);
    ServiceSetup setup;
    setup.screenShot = [&state](const std::string& path, const DisplayStatus& status) {
        return SaveDisplayJpeg(state, path, status);
    };
    return RunService(state, setup);
}

}  // namespace brennic
