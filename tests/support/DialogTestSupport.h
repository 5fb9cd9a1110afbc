#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "config/ConfigFile.h"
#include "core/AppState.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"
#include "ui/config/DialogSupport.h"

namespace brennic::testing {

// Drives a dialog through its widgets, found by object name.
inline QLineEdit* Edit(QWidget& dialog, const char* key) {
    auto* edit = dialog.findChild<QLineEdit*>(key);
    EXPECT_NE(edit, nullptr) << key;
    return edit;
}

inline void SetText(QWidget& dialog, const char* key, const QString& text) {
    if (auto* edit = Edit(dialog, key)) {
        edit->setText(text);
    }
}

inline void SetChecked(QWidget& dialog, const char* key, bool on) {
    auto* button = dialog.findChild<QAbstractButton*>(key);
    ASSERT_NE(button, nullptr) << key;
    button->setChecked(on);
}

inline void Select(QWidget& dialog, const char* key, const QString& item) {
    auto* list = dialog.findChild<QComboBox*>(key);
    ASSERT_NE(list, nullptr) << key;
    const int index = list->findText(item);
    ASSERT_GE(index, 0) << item.toStdString();
    list->setCurrentIndex(index);
}

inline void Click(QWidget& dialog, const char* key) {
    auto* button = dialog.findChild<QAbstractButton*>(key);
    ASSERT_NE(button, nullptr) << key;
    button->click();
}

// Types `text` into `edit` key by key, as a user would, so that its validator decides.
inline void Type(QLineEdit* edit, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

// Records what a dialog shows and answers its OK/Cancel questions from a queue (OK when the
// queue is empty). Counts saves and beeps.
struct HookRecorder {
    std::vector<std::pair<std::string, std::string>> messages;  // text, caption
    std::vector<std::string> questions;
    std::deque<bool> answers;
    int saves = 0;
    int beeps = 0;
    QString chosenFolder;

    void Install(DialogHooks& hooks) {
        hooks.message = [this](const QString& text, const QString& caption) {
            messages.emplace_back(text.toStdString(), caption.toStdString());
        };
        hooks.askOkCancel = [this](const QString& text, const QString& /*caption*/) {
            questions.push_back(text.toStdString());
            const bool answer = answers.empty() || answers.front();
            if (!answers.empty()) {
                answers.pop_front();
            }
            return answer;
        };
        hooks.save = [this] { ++saves; };
        hooks.beep = [this] { ++beeps; };
        hooks.chooseFolder = [this](const QString&, const QString&) { return chosenFolder; };
    }
};

// Reads the Config.Txt that `saved` wrote into a fresh state, as the next start would.
inline void LoadSavedConfig(const AppState& saved, AppState& fresh) {
    fresh.showMessage = [](const std::string& text, const std::string&) {
        ADD_FAILURE() << "unexpected message: " << text;
    };
    ConfigPaths paths;
    paths.configFolder = saved.config.configFolder;
    paths.dataFolder = saved.config.dataFolder;
    EXPECT_EQ(LoadConfig(fresh, paths), ConfigSource::kConfigFolder);
}

// Runs the event loop until `done` holds or `limit` has passed.
template <typename Done>
bool WaitForEvents(Done done, std::chrono::milliseconds limit = std::chrono::seconds(2)) {
    return WaitFor(done, limit, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); });
}

// The widget renders into a picture that can be written (into a temporary folder).
inline void SaveScreenshot(QWidget& widget, const char* name) {
    const TempFolder folder;
    const QPixmap image = widget.grab();
    EXPECT_FALSE(image.isNull()) << name;
    EXPECT_TRUE(image.save(QString::fromStdString(folder.File(std::string(name) + ".png"))));
}

}  // namespace brennic::testing
