#pragma once

#include <QDialog>
#include <functional>

#include "core/AppState.h"
#include "web/WebPublisher.h"

class QCheckBox;
class QLineEdit;
class QScrollArea;

namespace brennic {

// "CONFIGURATION - Web FTP Data": edits the publishing settings and shows the publisher's
// counters and last error as they were when the dialog opened. Works on a copy of Config; OK
// copies it back under the StateLock, saves the configuration and wakes the publisher when the
// interval became shorter. Main thread; the caller does not hold the StateLock.
class WebFtpDialog : public QDialog {
    Q_OBJECT

  public:
    // Writes Config.Txt; called on OK after the copy-back, without the StateLock.
    using SaveConfigFn = std::function<void(AppState&)>;
    // Asks for a folder starting at `current`; an empty result means cancelled.
    using FolderChooserFn = std::function<QString(QWidget* parent, const QString& current)>;

    WebFtpDialog(AppState& state, WebPublisher& publisher, SaveConfigFn saveConfig,
                 QWidget* parent = nullptr);

    // Replaces the folder browser (tests).
    void SetFolderChooser(FolderChooserFn chooser);
    // Refused requests so far (a cancelled folder choice), each also a beep.
    int Beeps() const { return beeps_; }

    void accept() override;

  private:
    void Build();
    void Load();
    void ChooseFolder();

    AppState& state_;
    WebPublisher& publisher_;
    SaveConfigFn saveConfig_;
    FolderChooserFn chooseFolder_;
    Config copy_;
    int beeps_ = 0;

    QScrollArea* scroll_ = nullptr;
    QCheckBox* uploadFtp_ = nullptr;
    QCheckBox* writeToDisk_ = nullptr;
    QCheckBox* showErrors_ = nullptr;
    QCheckBox* includeScreenShot_ = nullptr;
    QLineEdit* userId_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* account_ = nullptr;
    QLineEdit* server_ = nullptr;
    QLineEdit* serverPath_ = nullptr;
    QLineEdit* interval_ = nullptr;
    QLineEdit* folder_ = nullptr;
};

}  // namespace brennic
