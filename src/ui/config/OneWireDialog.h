#pragma once

#include <QDialog>

#include "core/AppState.h"
#include "ui/config/DialogSupport.h"

namespace brennic {

// "Configure 1-Wire Probes": the sensor id and description of WAux-1..WAux-4 and the
// heat-assist pump switch, the switch channel of the pump row, and the address, port and
// polling period of the One-Wire server. OK stores them (ids cut to 15 and descriptions to
// 31 characters, trailing blanks removed; a port or timer that cannot be read keeps its
// value) under the StateLock and saves. Object names for tests: "id_0".."id_4",
// "description_0".."description_4", "switchSelect", "serverIp", "serverPort", "timer",
// "okButton". Main thread; the caller must not hold the StateLock while the dialog runs.
class OneWireDialog : public QDialog {
    Q_OBJECT
  public:
    OneWireDialog(AppState& state, QWidget* parent);

    DialogHooks hooks;  // only `save` is used

    // The polling period was changed by the last OK.
    bool TimerChanged() const { return timerChanged_; }

  private:
    void OnOk();

    AppState& state_;
    bool timerChanged_ = false;
};

// The "Switch A/B" list item that shows `switchSelect`: "A", "not A", "B", ... "not H".
// 0 (no value read yet) shows "A".
int SwitchListIndex(int switchSelect);

struct OneWireDialogResult {
    bool accepted = false;
    bool timerChanged = false;  // the main window re-creates its One-Wire timer
};

OneWireDialogResult RunOneWireDialog(AppState& state, QWidget* parent);

}  // namespace brennic
