#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <map>

#include "config/ConfigChecks.h"
#include "core/AppState.h"
#include "ui/config/DialogSupport.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace brennic {

// "CONFIGURATION": edits a private copy of the settings and the colours of the graphable
// channels. With One-Wire enabled it shows the heat-assist loop and the WAux rows; without,
// it neither shows nor reads them. OK checks the entries (an error keeps the dialog open
// with nothing changed; a warning answered with Cancel does too), then puts the settings
// into effect and saves them. Widgets carry object names for tests ("xAxisHours",
// "okButton", "status_btus", "graph_collector", "colour_0", ...).
// Main thread; the caller must not hold the StateLock while the dialog runs.
class ConfigDialog : public QDialog {
    Q_OBJECT
  public:
    ConfigDialog(AppState& state, QWidget* parent);

    // Message boxes, saving, the beep and the folder chooser; tests replace them.
    DialogHooks hooks;
    // Puts the accepted settings into effect (the window hands them to its station); by
    // default AcceptConfig on the calling thread.
    std::function<void(const Config& edited, const std::function<void()>& save)> apply;

    bool IsFull() const { return full_; }
    // A colour was applied through the colour picker while the dialog was open.
    bool ColoursChanged() const { return coloursChanged_; }

  private:
    QWidget* BuildContent();
    QWidget* ControllerGroup(QWidget* parent);
    QWidget* IncludeGroup(QWidget* parent);
    QWidget* CollectorLoopGroup(QWidget* parent);
    QWidget* HeatAssistGroup(QWidget* parent);
    QWidget* GraphGroup(QWidget* parent);
    QWidget* SolarArrayGroup(QWidget* parent);
    QWidget* LogGroup(QWidget* parent);

    QLineEdit* AddEdit(const char* key, const QString& text);                      // a number
    QLineEdit* AddIntegerEdit(const char* key, int value, bool allowSign = true);  // "%i", checked
    QLineEdit* AddTextEdit(const char* key, const QString& text);
    QCheckBox* AddCheck(const QString& key, const QString& label, bool on, QWidget* parent);
    QComboBox* AddGlycolList(const char* key, int selected, QWidget* parent);

    void OnOk();
    void OnSelectPath();
    void PickColour(int channel);
    void PaintColourButtons();
    void ReadChoices(Config& edited) const;
    ConfigNumberTexts ReadTexts() const;
    QString Text(const char* key) const;
    bool Checked(const QString& key) const;

    AppState& state_;
    Config copy_;
    GlycolTable glycol_;
    ChannelTable channels_;  // names and colours as the dialog opened
    bool full_ = false;
    bool coloursChanged_ = false;
    std::map<int, QPushButton*> colourButtons_;
};

// Runs the dialog modally. Returns true when settings or colours changed (the main window
// then updates its caption and layout).
// `apply`, when given, replaces the dialog's default way of putting the settings into effect.
bool RunConfigDialog(AppState& state, QWidget* parent,
                     std::function<void(const Config&, const std::function<void()>&)> apply = {});

}  // namespace brennic
