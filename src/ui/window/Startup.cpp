#include "ui/window/Startup.h"

#include <QCoreApplication>
#include <QIcon>
#include <QThread>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <memory>
#include <thread>

#include "BuildInfo.h"
#include "core/LocalTime.h"
#include "history/HistoryObserver.h"
#include "sim/SimulatedDay.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/history/ReportCommand.h"
#include "ui/window/HandOver.h"
#include "ui/window/MainWindow.h"
#include "ui/window/StopSignals.h"
#include "ui/window/WindowImage.h"
#include "web/WritePagesCommand.h"

// The resources are compiled into a static library: the linker leaves their registration
// out unless something refers to it, and the window then has no icon. Q_INIT_RESOURCE must
// be used outside any namespace.
static void RegisterBrennicResources() {
    Q_INIT_RESOURCE(brennic);
}

namespace brennic {

namespace {

bool Headless() {
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}

}  // namespace

MessageHook QtMessageHook() {
    return [](const std::string& text, const std::string& caption) {
        if (Headless() || QCoreApplication::instance() == nullptr) {
            StderrMessageHook()(text, caption);
            return;
        }
        auto show = [text, caption] {
            ShowMessageBox(QString::fromStdString(text), QString::fromStdString(caption));
        };
        if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
            show();
        } else {
            // Worker threads wait until the box is closed, as the user expects.
            CallAndWait(QCoreApplication::instance(), show);
        }
    };
}

namespace {

// For the history writer: it must never wait for the main thread, which joins it at exit.
// The message also goes to standard error (the journal, when run as a service).
MessageHook QueuedMessageHook() {
    return [](const std::string& text, const std::string& caption) {
        StderrMessageHook()(text, caption);
        if (Headless() || QCoreApplication::instance() == nullptr) {
            return;
        }
        PostCall(QCoreApplication::instance(), [text, caption] {
            QMessageBox::warning(nullptr, QString::fromStdString(caption),
                                 QString::fromStdString(text));
        });
    };
}

// The demo's past day, simulated on a thread of its own while the window is being built
// (each takes tens of milliseconds), into a state of its own that the window's state then
// takes over: the same day as FillPastDay on the window's state, sooner.
class PastDayAhead {
  public:
    // Starts simulating the day up to `now` with `state`'s settings. Main thread, before the
    // window exists.
    PastDayAhead(const AppState& state, std::time_t now) {
        day_.config = state.config;
        day_.glycol = state.glycol;
        day_.oneWire = state.oneWire;
        thread_ = std::thread([this, now] { model_ = FillPastDay(day_, now); });
    }
    ~PastDayAhead() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    PastDayAhead(const PastDayAhead&) = delete;
    PastDayAhead& operator=(const PastDayAhead&) = delete;

    // Waits for the day and moves it into `state` (what FillPastDay changes there); returns
    // the model, ready to go on live. Main thread, once.
    std::shared_ptr<Installation> MoveInto(AppState& state) {
        thread_.join();
        StateGuard guard(state.lock);
        state.processor = std::move(day_.processor);
        state.oneWire.currentValues = day_.oneWire.currentValues;
        state.oneWire.switchState = day_.oneWire.switchState;
        state.chart.viewStart = day_.chart.viewStart;
        state.chart.atEnd = day_.chart.atEnd;
        state.chart.demoHours = day_.chart.demoHours;
        return model_;
    }

  private:
    AppState day_;
    std::shared_ptr<Installation> model_;
    std::thread thread_;
};

}  // namespace

int MeasureHourLength(std::time_t now) {
    std::tm tm{};
    if (!ToLocalTime(now, tm)) {
        return 3600;
    }
    std::tm noon = tm;
    noon.tm_hour = 12;
    noon.tm_min = 0;
    noon.tm_sec = 0;
    std::tm eleven = noon;
    eleven.tm_hour = 11;
    const std::time_t a = FromLocalTime(noon);
    const std::time_t b = FromLocalTime(eleven);
    if (a == static_cast<std::time_t>(-1) || b == static_cast<std::time_t>(-1) || a <= b) {
        return 3600;
    }
    return static_cast<int>(a - b);
}

int RunWindowless(const CommandLine& options, const std::string& executablePath) {
    return RunWindowless(options, executablePath, WritePngPlot);
}

MainWindowOptions WindowOptionsFor(const CommandLine& options, ConfigSource source) {
    MainWindowOptions windowOptions;
    windowOptions.hourLength = MeasureHourLength(std::time(nullptr));
    windowOptions.openFirstRunHelp = source != ConfigSource::kConfigFolder && !options.demo;
    windowOptions.resetStatistics = !options.AnyReplay();
    if (options.demo) {
        windowOptions.captionNote = " (demo: simulated data)";
    }
    return windowOptions;
}

void SetApplicationIcon() {
    ::RegisterBrennicResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/brennic.svg")));
}

int RunBrennic(QApplication& app, const CommandLine& options, const std::string& executablePath,
               FontWarmUp* fonts) {
    // File formats are locale-independent: Qt has just set LC_NUMERIC from the environment.
    std::setlocale(LC_NUMERIC, "C");
    SetApplicationIcon();
    AppState state;
    state.showMessage = QtMessageHook();
    if (options.demo) {
        // The demo runs on test data and needs no configuration of its own, so a missing
        // one is no reason for a warning.
        state.showMessage = [hook = state.showMessage](const std::string& text,
                                                       const std::string& caption) {
            if (text != kConfigNotRestoredText) {
                hook(text, caption);
            }
        };
    }
    const ConfigSource source = PrepareState(state, options, executablePath);
    state.showMessage = QtMessageHook();

    // A replay asked for on the command line runs before the window shows its result.
    if (options.AnyReplay()) {
        const int result = RunReplay(state, options);
        if (result != 0) {
            return result;
        }
        state.processor.newSample = true;  // data received: the display shows all its lines
    }

    // The simulated installation shows its past day at once, then goes on live.
    std::unique_ptr<PastDayAhead> pastDay;
    if (options.demo && !options.AnyReplay()) {
        pastDay = std::make_unique<PastDayAhead>(state, std::time(nullptr));
    }

    // The station hands the history store a copy of each sample; its writer thread does the
    // disk work and the station's Shutdown stops it.
    const HistorySettings settings = PrepareHistorySettings(state, options);
    MainWindowOptions windowOptions = WindowOptionsFor(options, source);
    windowOptions.historyPath = settings.path;
    // Demonstration and picture runs show test data, which has no place in the store.
    if (settings.enabled && !options.demo && options.screenshotFile.empty() &&
        options.writePagesDir.empty()) {
        windowOptions.observers.push_back(std::make_shared<HistoryObserver>(
            settings.path, settings.minuteRetentionDays, QueuedMessageHook()));
    }
    if (fonts != nullptr) {
        fonts->Wait();
    }
    MainWindow window(state, windowOptions);
    window.show();
    if (options.demo) {
        if (pastDay) {
            window.Com().SetTestDataSource(LiveCycles(pastDay->MoveInto(state)));
        }
        window.StartTestData();
    }
    int screenShotResult = 0;
    if (!options.screenshotFile.empty()) {
        // With --demo the picture shows some live data first; after a replay it is taken at
        // once. With --write-pages as well, the pages' timer (armed later) ends the program.
        ScreenShotDoneFn done;
        if (!options.writePagesDir.empty()) {
            done = [&screenShotResult](int code) { screenShotResult = code; };
        }
        ArmScreenShot(state, window, *window.Display(), options.screenshotFile,
                      options.demo ? options.screenshotAfter : 0, done);
    }
    if (!options.writePagesDir.empty()) {
        // With --demo the pages show some live data first; after a replay they are written
        // at once.
        const int delay = options.demo ? options.screenshotAfter : 0;
        QTimer::singleShot(delay * 1000, &window, [&state, &options, &window] {
            LinkStatus links;
            links.comActive = window.Com().Running();
            links.oneWireActive = window.OneWire().IsOpen();
            links.oneWireTimeouts = state.oneWire.staleCount;
            QCoreApplication::exit(WritePagesCommand(state, options.writePagesDir, links));
        });
    }
    // A stop signal (logout, shutdown, kill) ends the program as File > Exit does: the window
    // goes and its destructor stops acquisition and closes the logs. Modal dialogs open at
    // the time end with the event loop.
    StopSignals stopSignals([&window](int) {
        window.close();
        QCoreApplication::exit(0);
    });
    const int result = app.exec();
    return result != 0 ? result : screenShotResult;
}

}  // namespace brennic
