#pragma once

#include <functional>
#include <string>

#include "core/AppState.h"
#include "display/StatusText.h"

namespace brennic {

// What the program hands the service besides the prepared state.
struct ServiceSetup {
    // Renders the main display as JPEG to `path` for the web publisher's ScreenShot.jpg.
    // Called on the publisher thread without the StateLock. Empty: no screen shot.
    std::function<bool(const std::string& path, const DisplayStatus& status)> screenShot;
    bool startPublisher = true;
};

// Blocks SIGTERM, SIGINT and SIGHUP in the calling thread. Call first in main, before any
// other thread exists, so that every thread inherits the mask and only RunService's wait
// receives them.
void BlockServiceSignals();

// `brennic --headless`: runs the station without a window until SIGTERM or SIGINT, with
// state.config read already (Config.Txt). Takes the instance lock of the configuration
// folder (a second instance logs why and returns 1), reads brennic.toml, starts the station
// with serial reconnect, starts acquisition (and One-Wire when enabled) whatever "Auto Start"
// says, tells systemd READY=1, then waits: SIGHUP re-reads Config.Txt and brennic.toml and
// applies them as the configuration dialog's OK does; SIGTERM/SIGINT stop in order and
// return 0. Main thread, with the signals blocked (BlockServiceSignals).
int RunService(AppState& state, const ServiceSetup& setup);

}  // namespace brennic
