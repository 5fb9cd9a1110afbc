#include "station/Service.h"
#include "history/HistoryObserver.h"
#include "history/HistorySettings.h"

#include <signal.h>
#include <systemd/sd-daemon.h>

#include <algorithm>

#include <fstream>
#include <memory>

#include "alerts/AlertJson.h"
#include "alerts/AlertObserver.h"
#include "alerts/AlertOutputs.h"
#include "config/BrennicSettings.h"
#include "config/ConfigFormat.h"
#include "http/StationStream.h"
#include "mqtt/MqttObserver.h"
#include "station/InstanceLock.h"
#include "station/ServiceLog.h"
#include "station/Station.h"

namespace brennic {

namespace {

sigset_t ServiceSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

SettingsLoad ReadSettings(const std::string& configFolder, ServiceLog& log) {
    SettingsLoad load = LoadBrennicSettings(configFolder + "/" + kSettingsFileName);
    for (const std::string& problem : load.problems) {
        log.Log(Severity::kWarning, problem);
    }
    return load;
}

// Re-reads Config.Txt over the settings in use and applies it as the configuration dialog's
// OK would (without saving: the file is what the user edited).
void ReloadConfig(AppState& state, Station& station, ServiceLog& log) {
    Config config;
    ChannelTable channels;
    DisplayFont font;
    int glycolCount = 0;
    {
        StateGuard guard(state.lock);
        config = state.config;
        channels = state.channels;
        font = state.font;
        glycolCount = state.glycol.count;
    }
    const std::string path = config.configFolder + "/Config.Txt";
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        log.Log(Severity::kWarning, "Cannot read " + path + "; the settings in use are kept");
        return;
    }
    ParseConfig(in, config, channels, font, glycolCount);
    station.Call([&state, &channels, &font] {
        StateGuard guard(state.lock);
        state.channels = channels;
        state.font = font;
    });
    station.ApplyConfiguration(config, {});
    log.Log(Severity::kInfo, "Settings read again from " + path);
}

}  // namespace

void BlockServiceSignals() {
    const sigset_t set = ServiceSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int RunService(AppState& state, const ServiceSetup& setup) {
    auto log = std::make_shared<ServiceLog>(ServiceLog::StderrIsJournal());
    std::string configFolder;
    {
        StateGuard guard(state.lock);
        configFolder = state.config.configFolder;
    }
    InstanceLock lock(configFolder);
    if (!lock.Held()) {
        log->Log(Severity::kError, lock.Message());
        return 1;
    }
    const SettingsLoad settings = ReadSettings(configFolder, *log);

    StationOptions options;
    options.startPublisher = setup.startPublisher;
    options.reconnect = settings.settings.service.reconnect;
    options.reconnectFirst = std::chrono::seconds(settings.settings.service.reconnectFirstSeconds);
    options.reconnectMost = std::chrono::seconds(settings.settings.service.reconnectMostSeconds);
    // The watchdog is fed from the station's loop at half its period; the status line is
    // renewed at least every 5 s.
    uint64_t watchdogUsec = 0;
    options.heartbeat = std::chrono::milliseconds(5000);
    if (sd_watchdog_enabled(0, &watchdogUsec) > 0 && watchdogUsec > 0) {
        const auto half = std::chrono::milliseconds(watchdogUsec / 2000);
        options.heartbeat =
            std::max(std::chrono::milliseconds(100), std::min(options.heartbeat, half));
    }
    Station station(state, options);
    station.AddObserver(log);
    {
        // The history store: its writer thread does the disk work; Shutdown stops it.
        std::vector<std::string> problems;
        const HistorySettings history =
            LoadHistorySettings(configFolder + "/brennic.toml", problems);
        if (history.enabled) {
            station.AddObserver(std::make_shared<HistoryObserver>(
                HistoryStorePath(history, state.config.dataFolder), history.minuteRetentionDays,
                state.showMessage));
        }
    }
    // Health alerts: Alerts.txt in the data folder and a warning in the log for each.
    std::shared_ptr<AlertObserver> alerts;
    if (settings.settings.alerts.enabled) {
        alerts = std::make_shared<AlertObserver>(
            settings.settings.alerts, AlertsFilePath(state.config.dataFolder),
            [log](const std::string& text) { log->Log(Severity::kWarning, text); });
        AddAlertOutputs(*alerts,
                        [log](const std::string& text) { log->Log(Severity::kWarning, text); });
        station.AddObserver(alerts);
    }
    // The dashboard and API; in this mode without the window picture.
    std::shared_ptr<HttpServer> http;
    if (setup.startPublisher && settings.settings.http.enabled) {
        HttpSources sources = AppStateSources(state, [&station, &state] {
            LiveLinks links = LiveLinksOf(station.Links(), 5);
            links.page.oneWireTimeouts = state.oneWire.staleCount;  // the caller holds the lock
            return links;
        });
        if (alerts) {
            sources.alerts = [alerts] {
                const std::vector<Alert> history = alerts->History();
                return AlertsJson(alerts->Settings(), alerts->Active(), &history).dump();
            };
        }
        http = std::make_shared<HttpServer>(settings.settings.http, std::move(sources));
        std::string error;
        if (http->Start(error)) {
            log->Log(Severity::kInfo, "Dashboard: " + http->Url());
            station.AddObserver(std::make_shared<StationStream>(http));
        } else {
            log->Log(Severity::kError, "The dashboard is not running: " + error);
            http.reset();
        }
    }
    // MQTT; Home Assistant links the device to the dashboard when it is served.
    if (auto mqtt = StartMqttObserver(
            settings.settings.mqtt, state, http ? http->Url() : std::string(),
            [log](const std::string& text) { log->Log(Severity::kWarning, text); },
            alerts ? &alerts->Settings() : nullptr)) {
        station.AddObserver(mqtt);
        if (alerts) {
            // <base>/alerts: every rule off at the start, then after each raise and clear.
            mqtt->OfferAlerts(AlertsJson(alerts->Settings(), {}).dump());
            alerts->AddSink([mqtt, alerts = alerts.get()](const AlertChange&) {
                mqtt->OfferAlerts(AlertsJson(alerts->Settings(), alerts->Active()).dump());
            });
        }
    }
    if (setup.screenShot) {
        station.SetScreenShot([&station, &state, shot = setup.screenShot](const std::string& path) {
            const StationLinks links = station.Links();
            DisplayStatus status;
            status.links.comActive = links.comRunning;
            status.links.oneWireActive = links.oneWireOpen;
            status.serialTerminating = links.serialTerminating;
            status.serialTimeouts = links.serialTimeouts;
            status.oneWirePackets = links.oneWirePackets;
            if (WebPublisher* publisher = station.Publisher()) {
                const WebCounters counters = publisher->Counters();
                status.webUploads = counters.uploads;
                status.webErrors = counters.errors;
            }
            {
                StateGuard guard(state.lock);
                status.links.oneWireTimeouts = state.oneWire.staleCount;
            }
            return shot(path, status);
        });
    }
    station.Start();
    log->Log(Severity::kInfo, "Started with the configuration folder " + configFolder);
    station.StartAcquisition();
    bool oneWire = false;
    {
        StateGuard guard(state.lock);
        oneWire = state.config.oneWireEnable != 0;
    }
    if (oneWire && station.Running()) {
        station.StartOneWire();
    }
    ServiceLog::Notify("READY=1\nSTATUS=running");

    const sigset_t set = ServiceSignals();
    for (;;) {
        siginfo_t info{};
        const int sig = sigwaitinfo(&set, &info);
        if (sig == SIGHUP) {
            ServiceLog::Notify("RELOADING=1");
            ReloadConfig(state, station, *log);
            ReadSettings(configFolder, *log);
            ServiceLog::Notify("READY=1");
            continue;
        }
        if (sig == SIGTERM || sig == SIGINT) {
            log->Log(Severity::kInfo, sig == SIGTERM ? "Stopping (SIGTERM)" : "Stopping (SIGINT)");
            break;
        }
    }
    ServiceLog::Notify("STOPPING=1");
    if (http) {
        http->Stop();
    }
    station.Shutdown();
    log->Log(Severity::kInfo, "Stopped");
    return 0;
}

}  // namespace brennic
