#include "app/Startup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <clocale>

#include <filesystem>
#include <optional>

#include "BuildInfo.h"
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

// The folder given with "--config-dir DIR" or "--config-dir=DIR"; the last one counts.
// Sets `missing` when the option has no folder after it.
std::optional<std::string> ConfigDirOption(const QStringList& arguments, bool& missing) {
    const QString option = QStringLiteral("--config-dir");
    std::optional<std::string> dir;
    missing = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == option) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                missing = true;
                return std::nullopt;
            }
            dir = arguments[++i].toStdString();
        } else if (a.startsWith(option + QLatin1Char('='))) {
            dir = a.mid(option.size() + 1).toStdString();
            if (dir->empty()) {
                missing = true;
                return std::nullopt;
            }
        }
    }
    return dir;
}

}  // namespace

bool PrepareState(AppState& state, const QStringList& arguments) {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    state.identity.folder = exe.absolutePath().toStdString();
    state.identity.name = exe.completeBaseName().toStdString();
    state.identity.version = kVersion;
    state.showMessage = QtMessageHook();

    bool missing = false;
    const std::optional<std::string> configDir = ConfigDirOption(arguments, missing);
    if (missing) {
        state.showMessage("The option --config-dir needs a folder: --config-dir DIR", "Error");
        return false;
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
