#pragma once

#include <QDialog>

#include "core/AppState.h"
#include "ui/config/DialogSupport.h"

namespace brennic {

// "Rename Probes": the short and long name (at most 31 characters each) of the controller
// channels, and with One-Wire enabled also of the WAux and heat-assist channels. OK writes
// the names into the channel table under the StateLock and saves. Object names for tests:
// "short_<ChannelId>", "long_<ChannelId>", "okButton".
// Main thread; the caller must not hold the StateLock while the dialog runs.
class ProbeNamesDialog : public QDialog {
    Q_OBJECT
  public:
    ProbeNamesDialog(AppState& state, QWidget* parent);

    DialogHooks hooks;  // only `save` is used

    bool IsFull() const { return full_; }

  private:
    void OnOk();

    AppState& state_;
    bool full_ = false;
};

// Runs the dialog modally. Returns whether names were stored.
bool RunProbeNamesDialog(AppState& state, QWidget* parent);

}  // namespace brennic
