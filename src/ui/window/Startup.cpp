#include "ui/window/Startup.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QIcon>
#include <QThread>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "BuildInfo.h"
#include "core/LocalTime.h"
#include "history/HistoryObserver.h"
#include "history/ImportCommand.h"
#include "links/TestDataSettings.h"
#include "replay/ReplayCommand.h"
#include "sim/SimulatedDay.h"
#include "sun/SunCommand.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/history/ReportCommand.h"
#include "ui/window/MainWindow.h"
#include "ui/window/StopSignals.h"
#include "ui/window/WindowImage.h"
#include "web/WritePagesCommand.h"

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
            QMetaObject::invokeMethod(QCoreApplication::instance(), show,
                                      Qt::BlockingQueuedConnection);
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
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [text, caption] {
                QMessageBox::warning(nullptr, QString::fromStdString(caption),
                                     QString::fromStdString(text));
            },
            Qt::QueuedConnection);
    };
}

}  // namespace

HistorySettings PrepareHistorySettings(AppState& state, const CommandLine& options) {
    std::optional<std::string> configDir;
    if (!options.configDir.empty()) {
        configDir = options.configDir;
    }
    const ConfigPaths paths = ResolveConfigPaths(state.identity, configDir);
    std::vector<std::string> problems;
    HistorySettings settings = LoadHistorySettings(paths.configFolder + "/brennic.toml", problems);
    for (const std::string& problem : problems) {
        state.showMessage(problem, "brennic.toml");
    }
    settings.path = HistoryStorePath(settings, state.config.dataFolder);
    return settings;
}

ProgramIdentity IdentityFromPath(const std::string& executablePath) {
    const std::filesystem::path path(executablePath);
    ProgramIdentity id;
    id.folder = path.parent_path().string();
    const std::string file = path.filename().string();
    // The extension is cut at the last '.', when there is one after the first character.
    const auto dot = file.rfind('.');
    id.name = (dot != std::string::npos && dot > 0) ? file.substr(0, dot) : file;
    id.version = kVersion;
    return id;
}

ConfigSource PrepareState(AppState& state, const CommandLine& options,
                          const std::string& executablePath) {
    state.identity = IdentityFromPath(executablePath);
    // An installed program keeps its help pages and Glycol.txt in <prefix>/share/brennic.
    {
        std::error_code ec;
        const std::filesystem::path shared =
            std::filesystem::path(state.identity.folder) / ".." / "share" / state.identity.name;
        if (!std::filesystem::exists(state.identity.folder + "/help", ec) &&
            std::filesystem::exists(shared / "help", ec)) {
            state.identity.folder = std::filesystem::weakly_canonical(shared, ec).string();
        }
    }
    std::optional<std::string> configDir;
    if (!options.configDir.empty()) {
        configDir = options.configDir;
    }
    const ConfigPaths paths = ResolveConfigPaths(state.identity, configDir);

    // The program folder is usually not writable on Linux, so a Glycol.txt of the user's
    // own may sit in the configuration folder instead.
    std::string glycol = state.identity.folder + "/Glycol.txt";
    std::error_code ec;
    if (!std::filesystem::exists(glycol, ec)) {
        glycol = paths.configFolder + "/Glycol.txt";
    }
    LoadGlycolTable(state.glycol, glycol);
    const ConfigSource source = LoadConfig(state, paths);
    state.testData = DefaultTestDataSettings(state.config.controllerType);
    return source;
}

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

int RunReplay(AppState& state, const CommandLine& options) {
    ReplayOptions replay;
    if (!options.replayDataRecorder.empty()) {
        replay.kind = ReplayOptions::Kind::kDataRecorder;
        replay.file = options.replayDataRecorder;
    } else if (!options.replayLog.empty()) {
        replay.kind = ReplayOptions::Kind::kOwnLog;
        replay.file = options.replayLog;
    } else if (!options.replayCapture.empty()) {
        replay.kind = ReplayOptions::Kind::kCapture;
        replay.file = options.replayCapture;
        replay.start = options.start;
        replay.interval = options.interval;
    } else {
        return 0;
    }
    replay.from = options.from;
    replay.to = options.to;
    replay.fastAccess = options.fastAccess;
    return RunReplayCommand(state, replay, std::cout, std::cerr);
}

bool IsWindowless(const CommandLine& options) {
    return !options.sunTime.empty() || (options.AnyReplay() && options.screenshotFile.empty()) ||
           !options.importFiles.empty() || !options.report.empty();
}

int RunWindowless(const CommandLine& options, const std::string& executablePath) {
    AppState state;
    // No window: messages go to standard error.
    state.showMessage = StderrMessageHook();
    PrepareState(state, options, executablePath);
    if (!options.sunTime.empty()) {
        return RunSunCommand(state.config, options.sunTime, std::cout, std::cerr);
    }
    const HistorySettings history = PrepareHistorySettings(state, options);
    if (!options.importFiles.empty()) {
        ImportOptions import;
        import.files = options.importFiles;
        import.start = options.start;
        import.interval = options.interval > 0 ? options.interval : -1;
        import.storePath = history.path;
        import.minuteRetentionDays = history.minuteRetentionDays;
        import.terminal = ::isatty(STDERR_FILENO) != 0;
        const int result = RunImportCommand(state, import, std::cout, std::cerr, std::cerr);
        if (result != 0 || options.report.empty()) {
            return result;
        }
    }
    if (!options.report.empty()) {
        return RunReportCommand(history.path, options);
    }
    const int result = RunReplay(state, options);
    if (result != 0 || options.writePagesDir.empty()) {
        return result;
    }
    return WritePagesCommand(state, options.writePagesDir);
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

int RunBrennic(QApplication& app, const CommandLine& options) {
    // File formats are locale-independent: Qt has just set LC_NUMERIC from the environment.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/brennic.svg")));
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
    const ConfigSource source =
        PrepareState(state, options, QCoreApplication::applicationFilePath().toStdString());
    state.showMessage = QtMessageHook();

    // A replay asked for on the command line runs before the window shows its result.
    if (options.AnyReplay()) {
        const int result = RunReplay(state, options);
        if (result != 0) {
            return result;
        }
        state.processor.newSample = true;  // data received: the display shows all its lines
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
    MainWindow window(state, windowOptions);
    window.show();
    if (options.demo) {
        if (!options.AnyReplay()) {
            // The simulated installation shows its past day at once, then goes on live.
            window.Com().SetTestDataSource(LiveCycles(FillPastDay(state, std::time(nullptr))));
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
