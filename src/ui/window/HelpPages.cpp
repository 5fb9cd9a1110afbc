#include "ui/window/HelpPages.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdlib>

namespace brennic {

bool BrowserAvailable() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) {
        return false;
    }
    const char* browser = std::getenv("BROWSER");
    if (browser != nullptr && *browser != '\0') {
        return true;
    }
    for (const char* name :
         {"x-www-browser", "sensible-browser", "firefox", "firefox-esr", "chromium",
          "chromium-browser", "google-chrome", "epiphany", "epiphany-browser", "falkon",
          "konqueror", "midori", "netsurf-gtk", "dillo", "lynx", "w3m"}) {
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty()) {
            return true;
        }
    }
    return false;
}

bool OpenHelpPage(const QString& programFolder, const QString& page,
                  const std::function<bool(const QUrl&)>& open,
                  const std::function<void(const QString& text, const QString& caption)>& tell) {
    const QString path = QDir::cleanPath(QDir(programFolder).absoluteFilePath("help/" + page));
    if (!QFileInfo::exists(path)) {
        tell("The help page " + path + " is missing.", "Help");
        return false;
    }
    if (open(QUrl::fromLocalFile(path))) {
        return true;
    }
    tell("No web browser could be started to show the help. The help is in\n" + path +
             "\nand can be opened with any web browser.",
         "Help");
    return false;
}

}  // namespace brennic
