#pragma once

#include <string>

#include "web/WebPages.h"

namespace brennic {

struct AppState;

// "--write-pages DIR": writes BRN_Stats.htm and BRN_Probes.htm for the current state into
// `folder` (created when missing), as the first publication would ("ftpsample" 1). Returns
// the exit code: 0, or 1 after reporting the failure through state.showMessage.
// Main thread, with no worker running; takes the StateLock for the snapshot.
int WritePagesCommand(AppState& state, const std::string& folder, const LinkStatus& links = {});

}  // namespace brennic
