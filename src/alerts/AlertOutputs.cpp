#include "alerts/AlertOutputs.h"

#include <memory>

#include "alerts/AlertCommand.h"
#include "alerts/DesktopNotifier.h"

namespace brennic {

void AddAlertOutputs(AlertObserver& alerts, const std::function<void(const std::string&)>& report) {
    const AlertSettings& s = alerts.Settings();
    if (!s.command.empty()) {
        auto runner = std::make_shared<AlertCommandRunner>(
            s.command, std::chrono::seconds(s.commandTimeoutSeconds), report);
        alerts.AddSink([runner](const AlertChange& change) { runner->Offer(change); });
    }
    if (s.notify) {
        auto notifier = std::make_shared<DesktopNotifier>(report);
        alerts.AddSink([notifier](const AlertChange& change) { notifier->Offer(change); });
    }
}

}  // namespace brennic
