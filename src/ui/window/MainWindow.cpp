#include "ui/window/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>
#include <ctime>

#include "alerts/AlertJson.h"
#include "alerts/AlertObserver.h"
#include "alerts/AlertOutputs.h"
#include "config/BrennicSettings.h"
#include "config/ConfigFile.h"
#include "core/MessageProcessor.h"
#include "http/StationStream.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/AlertsDialog.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/dialogs/StatisticsDialog.h"
#include "ui/dialogs/TestDataDialog.h"
#include "ui/display/DisplayWidget.h"
#include "ui/window/DashboardServer.h"
#include "ui/window/HandOver.h"
#include "ui/window/HelpPages.h"
#include "ui/window/SleepInhibitor.h"
#include "ui/window/WindowImage.h"

namespace brennic {

void RefuseCommand(AppState& state) {
    ++state.messages.refusedCommands;
    QApplication::beep();
}

namespace {

bool Headless() {
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}

// Hands the station's events to the window as posted events, so the window handles them on
// the main thread in the order the station did. Messages raised on the main thread itself
// (a dialog's failure) are shown at once, as before; the others are posted.
class WindowObserver : public StationObserver {
  public:
    WindowObserver(MainWindow& window, MessageHook show)
        : window_(window), show_(std::move(show)) {}

    void OnStationEvent(const StationEvent& event) override {
        switch (event.kind) {
            case StationEventKind::kControllerLine:
                window_.Post(new CodeEvent(kControllerLineEvent, event.mismatch, std::string()));
                return;
            case StationEventKind::kReadTimeout:
                window_.PostAppEvent(kReadTimeoutEvent);
                return;
            case StationEventKind::kReaderEnded:
                window_.PostAppEvent(kReaderEndedEvent);
                return;
            case StationEventKind::kReadFailure:
                window_.PostAppEvent(kReadFailureEvent);
                return;
            case StationEventKind::kOneWireReply:
                window_.Post(
                    new CodeEvent(kOneWireReplyEvent, event.changed ? 1 : 0, std::string()));
                return;
            case StationEventKind::kOneWireFailure:
                window_.PostAppEvent(kOneWireFailureEvent);
                return;
            case StationEventKind::kOneWireEnded:
                window_.PostAppEvent(kOneWireEndedEvent);
                return;
        }
    }

    void OnMessage(const StationMessage& message) override {
        if (QThread::currentThread() == window_.thread()) {
            if (show_) {
                show_(message.text, message.caption);
            }
            return;
        }
        window_.Post(new MessageEvent(message.caption, message.text));
    }

    void Show(const MessageEvent& e) const {
        if (show_) {
            show_(e.text, e.caption);
        }
    }

  private:
    MainWindow& window_;
    MessageHook show_;
};

}  // namespace

MainWindow::MainWindow(AppState& state, MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), state_(state), options_(options), showMessage_(state.showMessage) {
    StationOptions stationOptions;
    stationOptions.linkTiming = options_.linkTiming;
    stationOptions.startPublisher = options_.startPublisher;
    stationOptions.publisher = options_.publisher;
    StartAlerts(stationOptions);
    station_ = std::make_unique<brennic::Station>(state_, stationOptions);
    station_->AddObserver(std::make_shared<WindowObserver>(*this, showMessage_));
    if (alerts_) {
        station_->AddObserver(alerts_);
    }
    for (const auto& observer : options_.observers) {
        station_->AddObserver(observer);
    }
    // The publisher's error box waits until it is closed, so errors do not pile up.
    station_->SetPublisherErrorBox(showMessage_);

    inhibitor_ = std::make_unique<SleepInhibitor>();
    replay_ = std::make_unique<ReplayRunner>(state_, this, static_cast<ReplayWindow&>(*this));

    SetTitleSuffix();
    BuildMenus();
    ApplyOneWireMenu(state_.config.oneWireEnable != 0);
    Action(kCmdStatsOnDisplay)->setChecked(true);

    if (options_.resetStatistics) {
        StateGuard guard(state_.lock);
        ResetStatistics(state_, std::time(nullptr));
    }

    display_ = new DisplayWidget(state_, this);
    display_->SetHourLength(options_.hourLength);
    display_->SetStatusSource([this](const AppState&) {
        const StationLinks links = station_->Links();
        DisplayStatus s;
        s.links.comActive = links.comRunning;
        s.links.oneWireActive = links.oneWireOpen;
        s.links.oneWireTimeouts = state_.oneWire.staleCount;
        s.serialTerminating = links.serialTerminating;
        s.serialTimeouts = links.serialTimeouts;
        s.oneWirePackets = links.oneWirePackets;
        if (WebPublisher* publisher = station_->Publisher()) {
            const auto counters = publisher->Counters();
            s.webUploads = counters.uploads;
            s.webErrors = counters.errors;
        }
        return s;
    });
    // The alert line sits above the display's status lines while an alert is active.
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    alertLine_ = new QLabel(central);
    alertLine_->setObjectName("alertLine");
    alertLine_->setStyleSheet(QString("QLabel { color: #%1; background: #%2; padding: 3px 8px; "
                                      "font-weight: bold; }")
                                  .arg(kAlertTextRgb, 6, 16, QChar('0'))
                                  .arg(kAlertBackgroundRgb, 6, 16, QChar('0')));
    alertLine_->setWordWrap(true);
    alertLine_->hide();
    column->addWidget(alertLine_);
    display_->setParent(central);
    column->addWidget(display_, 1);
    setCentralWidget(central);
    resize(1000, 720);

    // Without a browser the first-run help stays unopened rather than greeting with a box.
    if (options_.openFirstRunHelp && BrowserAvailable()) {
        OpenHelp("html/Brennic_Getting_Started.htm");
    }

    // Called on the publisher thread, never with the StateLock held.
    station_->SetScreenShot([image = WindowImage(state_, *this, *display_)](
                                const std::string& path) { return image.SaveWindowJpeg(path); });
    if (options_.startPublisher) {
        // The dashboard and API, beside the publisher (tests leave both off).
        std::function<std::string()> alertsJson;
        if (alerts_) {
            alertsJson = [alerts = alerts_] {
                const std::vector<Alert> history = alerts->History();
                return AlertsJson(alerts->Settings(), alerts->Active(), &history).dump();
            };
        }
        dashboard_ =
            std::make_unique<DashboardServer>(state_, *this, *display_, alertsJson, [this] {
                // Called with the StateLock held.
                LiveLinks links =
                    LiveLinksOf(station_->Links(),
                                static_cast<int>(options_.linkTiming.readTimeout.count() / 1000));
                links.page.oneWireTimeouts = state_.oneWire.staleCount;
                return links;
            });
        station_->AddObserver(dashboard_->Observer());
        // The server starts once the window has been drawn: loading the HTTP library with its
        // TLS stack and starting the server's threads would delay the first picture. A window
        // that is not drawn (started minimised) starts it a second later.
        display_->installEventFilter(this);
        QTimer::singleShot(1000, this, [this] { StartDashboard(); });
    }
    station_->Start();

    if (state_.config.autoStart) {
        StartAcquisition();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == display_ && e->type() == QEvent::Paint) {
        display_->removeEventFilter(this);
        // A zero timer runs after this paint has been shown.
        QTimer::singleShot(0, this, [this] { StartDashboard(); });
    }
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::StartDashboard() {
    if (dashboard_ && !destroying_) {
        dashboard_->Start();
    }
}

MainWindow::~MainWindow() {
    destroying_ = true;
    replay_.reset();  // stops a running replay at its next record
    // The publisher may be waiting for the main thread (screen shot, error box): keep serving
    // events until it has finished.
    dashboard_.reset();  // serves the event loop until its requests have ended
    station_->Shutdown([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); });
    // Events posted by the station after this point must not reach a half-destroyed window.
    station_.reset();
    QCoreApplication::removePostedEvents(this);
}

QAction* MainWindow::Action(int command) const {
    auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::BuildMenus() {
    fileMenu_ = menuBar()->addMenu("&File");
    viewMenu_ = menuBar()->addMenu("&View");
    // Not "&Configure": Alt+C belongs to Copy Window Image.
    configureMenu_ = menuBar()->addMenu("C&onfigure");
    helpMenu_ = menuBar()->addMenu("&Help");
    auto menuOf = [this](Menu m) {
        switch (m) {
            case Menu::kFile:
                return fileMenu_;
            case Menu::kView:
                return viewMenu_;
            case Menu::kConfigure:
                return configureMenu_;
            case Menu::kHelp:
                break;
        }
        return helpMenu_;
    };
    for (const CommandRow& row : Commands()) {
        QMenu* menu = menuOf(row.menu);
        if (row.id == 0) {
            menu->addSeparator();
            continue;
        }
        auto* action = new QAction(QString::fromUtf8(row.text), this);
        QList<QKeySequence> keys;
        for (const char* key : row.keys) {
            if (key != nullptr) {
                keys << QKeySequence(QString::fromLatin1(key));
            }
        }
        action->setShortcuts(keys);
        action->setCheckable(row.checkable);
        action->setData(row.id);
        const int command = row.id;
        connect(action, &QAction::triggered, this, [this, command] { Run(command); });
        actions_[row.id] = action;
        menu->addAction(action);
    }
}

void MainWindow::SetCommandHandler(int command, std::function<void()> handler) {
    overrides_[command] = std::move(handler);
}

void MainWindow::Run(int command) {
    const CommandRow* row = nullptr;
    for (const CommandRow& r : Commands()) {
        if (r.id == command && command != 0) {
            row = &r;
        }
    }
    auto runHandler = [this, row, command] {
        auto o = overrides_.find(command);
        if (o != overrides_.end()) {
            if (!o->second) {
                return false;
            }
            o->second();
            return true;
        }
        return row != nullptr && (this->*row->handler)();
    };
    const bool replaying = [this] {
        StateGuard guard(state_.lock);
        return state_.replay.active;
    }();
    if (replaying) {
        // While a log is replayed every command beeps; About, Help and Support run first.
        if (row != nullptr && row->runsDuringReplay) {
            runHandler();
        }
        RefuseCommand(state_);
        return;
    }
    if (row != nullptr && row->refusal == Refusal::kWhileAcquiring && station_->Running()) {
        RefuseCommand(state_);
        return;
    }
    if (!runHandler()) {
        RefuseCommand(state_);
    }
}

void MainWindow::SetTitleSuffix() {
    SetTitleSuffix(state_.config.siteId);
}

void MainWindow::Relayout() {
    display_->Relayout();
}

void MainWindow::ApplyOneWireMenu(bool enabled) {
    QAction* start = Action(kCmdStartOneWire);
    QAction* stop = Action(kCmdStopOneWire);
    QAction* configure = Action(kCmdConfigureOneWire);
    for (QAction* a : {start, stop}) {
        fileMenu_->removeAction(a);
    }
    configureMenu_->removeAction(configure);
    if (enabled) {
        fileMenu_->insertAction(Action(kCmdStop), start);
        fileMenu_->insertAction(Action(kCmdReset), stop);
        const QList<QAction*> items = configureMenu_->actions();
        configureMenu_->insertAction(items.size() > 3 ? items[3] : nullptr, configure);
    }
    Action(kCmdOneWireEnable)->setChecked(enabled);
}

void MainWindow::AfterStart() {
    inhibitor_->Hold();
    display_->UpdateText();
}

void MainWindow::StartAcquisition() {
    if (station_->Running()) {
        RefuseCommand(state_);
        return;
    }
    SetTitleSuffix();
    if (!station_->StartAcquisition()) {
        return;  // the failure has been shown
    }
    AfterStart();
}

StatisticsDialog& MainWindow::Statistics() {
    if (statistics_ == nullptr) {
        statistics_ = new StatisticsDialog(state_, this);
        statistics_->SetDroppedDatagramSource(
            [this] { return station_->OneWire().ForeignCount(); });
    }
    return *statistics_;
}

TestDataDialog& MainWindow::TestData() {
    if (testDataDialog_ == nullptr) {
        testDataDialog_ = new TestDataDialog(
            state_,
            [this](long long) {
                // Every time on the display moves: one full repaint, as for a settings change.
                PostAppEvent(kTestDataChangedEvent);
            },
            this);
    }
    return *testDataDialog_;
}

void MainWindow::StartTestData() {
    if (station_->StartTestData()) {
        AfterStart();
    }
}

void MainWindow::SaveConfiguration() {
    std::string why;
    if (!SaveConfig(state_, &why)) {
        // A configuration that cannot be written stays in memory until the next save.
        std::fprintf(stderr, "Config.Txt not saved: %s\n", why.c_str());
    }
}

void MainWindow::OpenHelp(const QString& topic) {
    if (Headless()) {
        return;
    }
    OpenHelpPage(
        QString::fromStdString(state_.identity.folder),
        topic.isEmpty() ? "html/Brennic_Getting_Started.htm" : topic,
        [](const QUrl& url) { return BrowserAvailable() && QDesktopServices::openUrl(url); },
        [this](const QString& text, const QString& caption) {
            ShowMessageBox(text, caption, this);
        });
}

void MainWindow::StartAlerts(StationOptions& options) {
    const SettingsLoad load =
        LoadBrennicSettings(state_.config.configFolder + "/" + kSettingsFileName);
    if (!load.settings.alerts.enabled) {
        return;
    }
    // "No data" needs the station to look at the clock between lines.
    if (options.heartbeat.count() == 0) {
        options.heartbeat = std::chrono::seconds(5);
    }
    alerts_ = std::make_shared<AlertObserver>(
        load.settings.alerts, AlertsFilePath(state_.config.dataFolder),
        [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    AddAlertOutputs(*alerts_,
                    [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    // On the alert thread: only post; the window reads the alerts on its own thread.
    alerts_->AddSink([this](const AlertChange&) { PostCall(this, [this] { ShowAlerts(); }); });
}

void MainWindow::ShowAlerts() {
    if (destroying_ || !alerts_) {
        return;
    }
    const std::vector<Alert> active = alerts_->Active();
    QStringList lines;
    for (const Alert& a : active) {
        lines << QString::fromStdString(brennic::AlertLine(a));
    }
    alertLine_->setText(lines.join("\n"));
    alertLine_->setVisible(!active.empty());
    if (alertsDialog_ != nullptr) {
        alertsDialog_->Refresh();
    }
}

void MainWindow::ShowModelWarning(int code) {
    if (warning_) {
        return;  // one warning at a time
    }
    auto* dialog = new ModelWarningDialog(code, this);
    warning_ = dialog;
    dialog->show();
}

}  // namespace brennic
