#pragma once

#include <functional>
#include <string>

#include "alerts/AlertObserver.h"

namespace brennic {

// Adds the outputs the alert settings ask for as sinks of `alerts`: the owner's command
// (`command`, run off the alert thread with its time limit) and desktop notifications
// (`notify`, when a session bus exists). Their troubles go to `report`. Before
// Station::Start, on the controlling thread.
void AddAlertOutputs(AlertObserver& alerts, const std::function<void(const std::string&)>& report);

}  // namespace brennic
