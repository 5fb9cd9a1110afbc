#pragma once

#include <QApplication>

#include "core/AppState.h"

namespace brennic {

// Start-up up to the main window: identity, glycol table, configuration. `arguments` is
// the whole command line, program first; "--config-dir DIR" replaces the configuration
// folder. Main thread. Returns false when the program should end (the message has been
// shown), e.g. for an option it does not know.
bool PrepareState(AppState& state, const QStringList& arguments);

// Runs the program: start-up, main window, event loop. Returns the exit code.
int RunBrennic(QApplication& app);

}  // namespace brennic
