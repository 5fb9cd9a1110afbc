#include "app/Startup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <clocale>

#include <filesystem>
#include <optional>
#include <vector>

#include "BuildInfo.h"
#include "app/CommandLine.h"
#include "config/ConfigFile.h"

namespace brennic {

namespace {

// Without a display a message box would wait for a click nobody can give.
bool Headless() {
    return QGuiApplication::platformName() == QLatin1String("offscreen") ||
           QGuiApplication::platformName() == QLatin1String("minimal");
}

MessageHook QtMessageHook() {
    return [](const std::string& text, const std::string& caption) {
        if (Headless()) {
            StderrMessageHook()(text, caption);
            return;
        }
        QMessageBox::warning(nullptr, QString::fromStdString(caption),
                             QString::fromStdString(text));
    };
}

}  // namespace

bool PrepareState(AppState& state, const QStringList& arguments) {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    state.identity.folder = exe.absolutePath().toStdString();
    state.identity.name = exe.completeBaseName().toStdString();
    state.identity.version = kVersion;
    state.showMessage = QtMessageHook();

    // The first argument is the program itself.
    std::vector<std::string> args;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        args.push_back(arguments[i].toStdString());
    }
    CommandLine options;
    if (const auto error = ParseCommandLine(args, options)) {
        state.showMessage(*error, "Error");
        return false;
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
    LoadConfig(state, paths);
    return true;
}

int RunBrennic(QApplication& app) {
    // File formats are locale-independent: Qt has just set LC_NUMERIC from the environment.
    std::setlocale(LC_NUMERIC, "C");
    AppState state;
    if (!PrepareState(state, app.arguments())) {
        return 1;
    }
    QMainWindow window;
    window.setWindowTitle(QString::fromStdString(state.identity.name));
    window.resize(1000, 700);
    window.show();
    return app.exec();
}

}  // namespace brennic
