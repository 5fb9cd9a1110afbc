#include "ui/window/DashboardServer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <thread>

#include "config/BrennicSettings.h"
#include "http/StationStream.h"
#include "ui/window/HandOver.h"
#include "ui/window/MainWindow.h"
#include "ui/window/WindowImage.h"

namespace brennic {

DashboardServer::DashboardServer(AppState& state, MainWindow& window, DisplayWidget& display,
                                 std::function<std::string()> alerts,
                                 std::function<LiveLinks()> links)
    : state_(state), links_(std::move(links)) {
    const SettingsLoad load =
        LoadBrennicSettings(state.config.configFolder + "/" + kSettingsFileName);
    for (const std::string& p : load.problems) {
        std::fprintf(stderr, "%s\n", p.c_str());
    }
    const HttpSettings& settings = load.settings.http;
    if (!settings.enabled) {
        why_ = "The dashboard is switched off ([http] enabled = false in brennic.toml).";
        return;
    }
    HttpSources sources = AppStateSources(state, links_);
    sources.alerts = std::move(alerts);
    // Called on a server thread: the picture is rendered on the main thread, encoded here.
    sources.screenshot = [&state, &window, &display]() -> std::optional<std::string> {
        QImage picture;
        const WindowImage image(state, window, display);
        if (!CallAndWait(&window, [&] { picture = image.WindowPicture(); }) || picture.isNull()) {
            return std::nullopt;
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.save(&buffer, "JPG", 100)) {
            return std::nullopt;
        }
        return bytes.toStdString();
    };
    server_ = std::make_shared<HttpServer>(settings, std::move(sources));
    why_ = "The dashboard has not started yet.";
}

void DashboardServer::Start() {
    if (!server_ || started_) {
        return;
    }
    started_ = true;
    std::string error;
    if (!server_->Start(error)) {
        why_ = QString::fromStdString("The dashboard is not running: " + error + ".");
        std::fprintf(stderr, "Dashboard: %s\n", error.c_str());
        return;
    }
    // Scripts (./run, the browser test) read the address from standard output.
    std::printf("Dashboard: %s\n", server_->Url().c_str());
    std::fflush(stdout);
}

DashboardServer::~DashboardServer() {
    if (!Running()) {
        return;
    }
    std::atomic<bool> stopped{false};
    std::thread stopper([this, &stopped] {
        server_->Stop();
        stopped = true;
    });
    while (!stopped) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    stopper.join();
}

QString DashboardServer::Url() const {
    return Running() ? QString::fromStdString(server_->Url()) : QString();
}

QString DashboardServer::Description() const {
    return Running() ? "Dashboard: " + Url() : why_;
}

std::shared_ptr<StationObserver> DashboardServer::Observer() const {
    if (!server_) {
        return std::make_shared<StationObserver>();
    }
    return std::make_shared<StationStream>(server_);
}

}  // namespace brennic
