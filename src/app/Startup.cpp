#include "app/Startup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <clocale>

#include "BuildInfo.h"

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
    (void)arguments;
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    state.identity.folder = exe.absolutePath().toStdString();
    state.identity.name = exe.completeBaseName().toStdString();
    state.identity.version = kVersion;
    state.showMessage = QtMessageHook();
    LoadGlycolTable(state.glycol, state.identity.folder + "/Glycol.txt");
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
