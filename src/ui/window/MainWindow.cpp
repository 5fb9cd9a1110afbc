#include "ui/window/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>
#include <cstdio>
#include <ctime>

#include "BuildInfo.h"
#include "config/ConfigFile.h"
#include "core/MessageProcessor.h"
#include "links/OneWireDatagram.h"
#include "logs/DailyLog.h"
#include "ui/config/ConfigDialog.h"
#include "ui/config/OneWireDialog.h"
#include "ui/config/ProbeNamesDialog.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/StatisticsDialog.h"
#include "ui/dialogs/TestDataDialog.h"
#include "ui/display/DisplayWidget.h"
#include "ui/sun/SunStatisticsDialog.h"
#include "ui/web/WebFtpDialog.h"
#include "ui/window/SleepInhibitor.h"
#include "ui/window/WindowImage.h"
#include "web/WebPublisher.h"

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

// Commands that still run while a replay is in progress; the refusal beep follows them.
bool RunsDuringReplay(int command) {
    return command == kCmdAbout || command == kCmdHelp || command == kCmdSupport;
}

}  // namespace

MainWindow::MainWindow(AppState& state, MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), state_(state), options_(options) {
    auto refuse = [this] { RefuseCommand(state_); };
    com_ = std::make_unique<ComLink>(state_, static_cast<LinkSink&>(*this), refuse,
                                     options_.linkTiming);
    oneWire_ = std::make_unique<OneWireLink>(state_, static_cast<LinkSink&>(*this), refuse);
    inhibitor_ = std::make_unique<SleepInhibitor>();
    statistics_ = new StatisticsDialog(state_, this);
    testDataDialog_ = new TestDataDialog(
        state_,
        [this](long long) {
            // Every time on the display moves: one full repaint, as for a settings change.
            PostAppEvent(kTestDataChangedEvent);
        },
        this);
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
        DisplayStatus s;
        s.links.comActive = com_->Running();
        s.links.oneWireActive = oneWire_->IsOpen();
        s.links.oneWireTimeouts = state_.oneWire.staleCount;
        s.serialTerminating = com_->Running() && com_->Mode() == kModeStopped;
        s.serialTimeouts = com_->TimeoutCount();
        s.oneWirePackets = oneWire_->ReceivedCount();
        if (publisher_) {
            const auto counters = publisher_->Counters();
            s.webUploads = counters.uploads;
            s.webErrors = counters.errors;
        }
        return s;
    });
    setCentralWidget(display_);
    resize(1000, 720);

    connect(&oneWireTimer_, &QTimer::timeout, this, [this] { oneWire_->TimerTick(); });
    oneWireTimer_.start(std::max(100, state_.config.oneWireTimer));

    if (options_.openFirstRunHelp) {
        OpenHelp("html/Brennic_Getting_Started.htm");
    }

    if (options_.startPublisher) {
        publisher_ = std::make_unique<WebPublisher>(state_, options_.publisher);
        publisher_->SetLinkStatus([this] {
            LinkStatus s;
            s.comActive = com_->Running();
            s.oneWireActive = oneWire_->IsOpen();
            s.oneWireTimeouts = state_.oneWire.staleCount;
            return s;
        });
        // Called on the publisher thread, never with the StateLock held.
        publisher_->SetScreenShot(
            [image = WindowImage(state_, *this, *display_)](const std::string& path) {
                return image.SaveWindowJpeg(path);
            });
        publisher_->StartPublisher();
    }

    if (state_.config.autoStart) {
        StartAcquisition();
    }
}

MainWindow::~MainWindow() {
    destroying_ = true;
    replay_.reset();            // stops a running replay at its next record
    state_.config.logData = 0;  // nothing more is logged while the window goes
    {
        StateGuard guard(state_.lock);
        CloseDailyLog(state_);
    }
    if (com_->Running()) {
        com_->Stop();
    }
    if (oneWire_->IsOpen()) {
        oneWire_->CloseLink();
    }
    if (publisher_) {
        publisher_->StopPublisher();
        // The publisher may be waiting for the main thread (screen shot, error box): keep
        // serving events until it has finished.
        while (!publisher_->Finished()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
    }
    // Events posted by the links after this point must not reach a half-destroyed window.
    com_.reset();
    oneWire_.reset();
    QCoreApplication::removePostedEvents(this);
}

QAction* MainWindow::Action(int command) const {
    auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* MainWindow::AddCommand(QMenu* menu, int command, const QString& text,
                                const QList<QKeySequence>& keys) {
    auto* action = new QAction(text, this);
    action->setShortcuts(keys);
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] { Run(command); });
    actions_[command] = action;
    if (menu != nullptr) {
        menu->addAction(action);
    }
    return action;
}

void MainWindow::BuildMenus() {
    fileMenu_ = menuBar()->addMenu("&File");
    AddCommand(fileMenu_, kCmdStart, "&Start", {QKeySequence("Alt+S")});
    AddCommand(fileMenu_, kCmdStartOneWire, "Start One &Wire", {QKeySequence("Alt+W")});
    AddCommand(fileMenu_, kCmdStop, "Stop");
    AddCommand(fileMenu_, kCmdStopOneWire, "Stop One Wire");
    AddCommand(fileMenu_, kCmdReset, "Reset");
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, kCmdCloseLog, "Close Active Log File");
    AddCommand(fileMenu_, kCmdReadOwnLog, "Read Brennic File");
    AddCommand(fileMenu_, kCmdReadDataRecorder, "Read QMX Data Recorder Log File");
    AddCommand(fileMenu_, kCmdReadCapture, "Read Hyper Term Log File");
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, kCmdSaveImage, "Save Window Image");
    AddCommand(fileMenu_, kCmdPrintImage, "&Print Window Image",
               {QKeySequence("Alt+P"), QKeySequence("Ctrl+P")});
    AddCommand(fileMenu_, kCmdCopyImage, "&Copy Window Image",
               {QKeySequence("Alt+C"), QKeySequence("Ctrl+C")});
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, kCmdExit, "E&xit", {QKeySequence("Alt+X"), QKeySequence("Ctrl+X")});

    viewMenu_ = menuBar()->addMenu("&View");
    AddCommand(viewMenu_, kCmdStatistics, "Statistics");
    AddCommand(viewMenu_, kCmdStatsOnDisplay, "Statistics on Main Display")->setCheckable(true);
    AddCommand(viewMenu_, kCmdScrollRight, "Scroll Right", {QKeySequence(Qt::Key_Right)});
    AddCommand(viewMenu_, kCmdScrollLeft, "Scroll Left", {QKeySequence(Qt::Key_Left)});
    AddCommand(viewMenu_, kCmdFont, "Font");
    AddCommand(viewMenu_, kCmdSunStatistics, "Sun Statistics");
    AddCommand(viewMenu_, kCmdTestData, "Test Data Control");

    configureMenu_ = menuBar()->addMenu("&Configure");
    AddCommand(configureMenu_, kCmdConfigure, "Configure Brennic");
    AddCommand(configureMenu_, kCmdConfigureNames, "Configure Probe Names");
    AddCommand(configureMenu_, kCmdConfigureFtp, "Configure FTP");
    AddCommand(configureMenu_, kCmdConfigureOneWire, "Configure One Wire");
    AddCommand(configureMenu_, kCmdOneWireEnable, "One Wire Enable")->setCheckable(true);

    helpMenu_ = menuBar()->addMenu("&Help");
    AddCommand(helpMenu_, kCmdAbout, "About", {QKeySequence("Alt+/"), QKeySequence("Alt+?")});
    AddCommand(helpMenu_, kCmdHelp, "Help", {QKeySequence(Qt::Key_F1)});
    AddCommand(helpMenu_, kCmdSupport, "Support ");

    handlers_[kCmdStart] = [this] { StartAcquisition(); };
    handlers_[kCmdStartOneWire] = [this] { StartOneWire(); };
    handlers_[kCmdStop] = [this] { StopAcquisition(); };
    handlers_[kCmdStopOneWire] = [this] { StopOneWire(); };
    handlers_[kCmdReset] = [this] { Reset(); };
    handlers_[kCmdCloseLog] = [this] {
        StateGuard guard(state_.lock);
        CloseDailyLog(state_);
    };
    handlers_[kCmdExit] = [this] { close(); };
    handlers_[kCmdSaveImage] = [this] { WindowImage(state_, *this, *display_).SaveWindowImage(); };
    handlers_[kCmdPrintImage] = [this] {
        WindowImage(state_, *this, *display_).PrintWindowImage();
    };
    handlers_[kCmdCopyImage] = [this] { WindowImage(state_, *this, *display_).CopyWindowImage(); };
    // Replays feed the same statistics as live data: refused while acquisition runs.
    auto replay = [this](auto start) {
        return [this, start] {
            if (com_->Running() || replay_->Running()) {
                RefuseCommand(state_);
                return;
            }
            ((*replay_).*start)();
        };
    };
    handlers_[kCmdReadOwnLog] = replay(&ReplayRunner::StartOwnLogReader);
    handlers_[kCmdReadDataRecorder] = replay(&ReplayRunner::StartDataRecorderReader);
    handlers_[kCmdReadCapture] = replay(&ReplayRunner::ReadCaptureFile);
    handlers_[kCmdStatsOnDisplay] = [this] { ToggleStatsOnDisplay(); };
    handlers_[kCmdScrollRight] = [this] { display_->ScrollChart(ChartView::Request::kLineRight); };
    handlers_[kCmdScrollLeft] = [this] { display_->ScrollChart(ChartView::Request::kLineLeft); };
    handlers_[kCmdFont] = [this] { ChooseFont(); };
    handlers_[kCmdSunStatistics] = [this] {
        SunStatisticsDialog dialog(state_, this);
        dialog.exec();
    };
    handlers_[kCmdTestData] = [this] { OpenTestDataControl(); };
    handlers_[kCmdStatistics] = [this] {
        if (!statistics_->Open()) {
            RefuseCommand(state_);
        }
    };
    handlers_[kCmdOneWireEnable] = [this] { ToggleOneWireEnable(); };
    handlers_[kCmdConfigure] = [this] {
        RunConfigDialog(state_, this);
        SetTitleSuffix();
        Relayout();
    };
    handlers_[kCmdConfigureOneWire] = [this] {
        const OneWireDialogResult result = RunOneWireDialog(state_, this);
        if (result.timerChanged) {
            oneWireTimer_.start(std::max(100, state_.config.oneWireTimer));
        }
        display_->update();
    };
    handlers_[kCmdConfigureNames] = [this] {
        if (RunProbeNamesDialog(state_, this)) {
            Relayout();
        }
    };
    handlers_[kCmdConfigureFtp] = [this] {
        if (!publisher_) {
            RefuseCommand(state_);
            return;
        }
        WebFtpDialog dialog(
            state_, *publisher_, [](AppState& s) { SaveConfig(s); }, this);
        dialog.exec();
    };
    handlers_[kCmdAbout] = [this] {
        AboutDialog dialog(state_.identity, kBuildTime, this);
        dialog.exec();
    };
    handlers_[kCmdHelp] = [this] { OpenHelp(QString()); };
    handlers_[kCmdSupport] = [this] {
        const QString page = QDir(QString::fromStdString(state_.identity.folder))
                                 .filePath("help/html/Brennic_Support.htm");
        SupportDialog dialog(QUrl::fromLocalFile(page).toString(), this);
        dialog.exec();
    };
}

void MainWindow::SetCommandHandler(int command, std::function<void()> handler) {
    handlers_[command] = std::move(handler);
}

void MainWindow::Run(int command) {
    const bool replaying = [this] {
        StateGuard guard(state_.lock);
        return state_.replay.active;
    }();
    if (replaying) {
        if (RunsDuringReplay(command)) {
            auto it = handlers_.find(command);
            if (it != handlers_.end()) {
                it->second();
            }
        }
        RefuseCommand(state_);
        return;
    }
    auto it = handlers_.find(command);
    if (it == handlers_.end() || !it->second) {
        RefuseCommand(state_);
        return;
    }
    it->second();
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
    const std::time_t t = std::time(nullptr);
    {
        StateGuard guard(state_.lock);
        ProcessorState& p = state_.processor;
        if (p.history.Empty()) {
            p.firstSampleTime = t;
        }
        p.current.time = t + 1;
        p.consecutiveFirstLines = 0;
        p.strayGpmLines = 0;
        p.mismatchWarned = false;
        p.historyCountdown = 0;
        p.newSample = false;
    }
    inhibitor_->Hold();
    display_->UpdateText();
}

void MainWindow::StartAcquisition() {
    if (com_->Running()) {
        RefuseCommand(state_);
        return;
    }
    SetTitleSuffix();
    if (!com_->Start()) {
        return;  // the failure has been shown
    }
    AfterStart();
}

void MainWindow::StartTestData() {
    if (com_->Running()) {
        return;
    }
    if (com_->StartTestData()) {
        AfterStart();
    }
}

void MainWindow::OpenTestDataControl() {
    testDataDialog_->Open();
    StartTestData();
}

void MainWindow::StopAcquisition() {
    if (!com_->Stop()) {
        return;  // refused: the link has beeped
    }
    if (oneWire_->IsOpen()) {
        oneWire_->CloseLink();
    }
    display_->UpdateText();
}

void MainWindow::StartOneWire() {
    oneWire_->StartLink(com_->Running());
    display_->UpdateText();
}

void MainWindow::StopOneWire() {
    if (!oneWire_->IsOpen()) {
        RefuseCommand(state_);
        return;
    }
    oneWire_->CloseLink();
    display_->UpdateText();
}

void MainWindow::Reset() {
    if (com_->Running()) {
        RefuseCommand(state_);
        return;
    }
    setWindowTitle(QString::fromStdString(state_.identity.name));
    {
        StateGuard guard(state_.lock);
        state_.processor.newSample = false;
        ResetStatistics(state_, std::time(nullptr));
    }
    display_->update();
}

void MainWindow::SaveConfiguration() {
    std::string why;
    if (!SaveConfig(state_, &why)) {
        // A configuration that cannot be written stays in memory until the next save.
        std::fprintf(stderr, "Config.Txt not saved: %s\n", why.c_str());
    }
}

void MainWindow::ToggleOneWireEnable() {
    bool enabled = false;
    {
        StateGuard guard(state_.lock);
        state_.config.oneWireEnable = state_.config.oneWireEnable ? 0 : 1;
        enabled = state_.config.oneWireEnable != 0;
    }
    SaveConfiguration();
    ApplyOneWireMenu(enabled);
    Relayout();
}

void MainWindow::ToggleStatsOnDisplay() {
    bool on = false;
    {
        StateGuard guard(state_.lock);
        display_->Layout().statisticsOnDisplay = !display_->Layout().statisticsOnDisplay;
        on = display_->Layout().statisticsOnDisplay;
    }
    Action(kCmdStatsOnDisplay)->setChecked(on);
    Relayout();
}

void MainWindow::ChooseFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, display_->font(), this, "Font");
    if (!ok) {
        return;
    }
    {
        StateGuard guard(state_.lock);
        state_.font = ToDisplayFont(chosen);
        SaveConfiguration();
    }
    Relayout();
}

void MainWindow::OpenHelp(const QString& topic) {
    if (Headless()) {
        return;
    }
    QString page = topic.isEmpty() ? "html/Brennic_Getting_Started.htm" : topic;
    const QDir folder(QString::fromStdString(state_.identity.folder));
    const QString path = folder.filePath("help/" + page);
    if (QFileInfo::exists(path)) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));  // no browser: nothing happens
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
