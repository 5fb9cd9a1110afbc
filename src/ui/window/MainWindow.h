#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "core/AppState.h"
#include "links/ComLink.h"
#include "links/OneWireLink.h"
#include "station/Station.h"
#include "ui/replay/ReplayRunner.h"
#include "ui/window/AppEvents.h"
#include "web/WebPublisher.h"

class QAction;
class QLabel;
class QMenu;
class QKeySequence;

namespace brennic {

class AlertObserver;
class AlertsDialog;
class DisplayWidget;
class DashboardServer;
class StatisticsDialog;
class TestDataDialog;
class SleepInhibitor;
class WebPublisher;

// Menu command numbers; tests and the refusal rules address commands by them.
enum Command : int {
    kCmdAbout = 104,
    kCmdExit = 105,
    kCmdStart = 32771,
    kCmdStop = 32773,
    kCmdHelp = 32775,
    kCmdConfigure = 32776,
    kCmdReset = 32777,
    kCmdSaveImage = 32778,
    kCmdPrintImage = 32779,
    kCmdCopyImage = 32780,
    kCmdCloseLog = 32781,
    kCmdStatistics = 32783,
    kCmdStatsOnDisplay = 32784,
    kCmdStartOneWire = 32785,
    kCmdConfigureOneWire = 32786,
    kCmdStopOneWire = 32787,
    kCmdSupport = 32788,
    kCmdScrollRight = 32790,
    kCmdScrollLeft = 32791,
    kCmdTestData = 32792,
    kCmdReadOwnLog = 32793,
    kCmdOneWireEnable = 32795,
    kCmdFont = 32796,
    kCmdReadCapture = 32797,
    kCmdSunStatistics = 32798,
    kCmdReadDataRecorder = 32799,
    kCmdAlerts = 32910,
    kCmdConfigureNames = 32800,
    kCmdConfigureFtp = 32801,
    kCmdEnergyReport = 32900,
    kCmdOpenDashboard = 32901,
};

// A refused command: a short beep and nothing else. Counted so tests can see it.
// Main thread.
void RefuseCommand(AppState& state);

// How the main window is set up by start-up.
struct MainWindowOptions {
    bool startPublisher = true;     // tests leave the web publisher off
    ComLinkTiming linkTiming{};     // tests shorten the link's waits
    int hourLength = 3600;          // seconds between hour labels, measured at start-up
    bool openFirstRunHelp = false;  // no per-user configuration existed yet
    bool resetStatistics = true;    // false keeps what a command-line replay computed
    WebPublisherOptions publisher;  // tests shorten the publisher's first delay
    // Further watchers of the station (the history store), added before it starts.
    std::vector<std::shared_ptr<StationObserver>> observers;
    std::string historyPath;  // the store View > Energy Report reads
    std::string captionNote;  // appended to every caption (the demo says so)
};

// The window over the station: shows its state (display, dialogs, message boxes, the model
// warning), turns menu commands into station commands, and runs what belongs to the desktop
// (window images, fonts, dialogs, help, log replays). The station does the acquisition on its
// own thread and tells the window through posted events. Main thread only.
class MainWindow : public QMainWindow, private ReplayWindow {
    Q_OBJECT

  public:
    MainWindow(AppState& state, MainWindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs a menu command as the menu would (refusals included).
    void Run(int command);
    QAction* Action(int command) const;
    QMenu* ConfigureMenu() const { return configureMenu_; }
    QMenu* FileMenu() const { return fileMenu_; }

    // "Start" and "Test Data Control" without the dialog (the --demo road).
    void StartAcquisition();
    void StartTestData();

    DisplayWidget* Display() const { return display_; }
    // The health alerts (null when switched off in brennic.toml), the alert line above the
    // display (hidden while none is active) and View > Alerts once opened.
    AlertObserver* Alerts() const { return alerts_.get(); }
    QLabel* AlertLine() const { return alertLine_; }
    AlertsDialog* AlertList() const { return alertsDialog_; }
    DashboardServer* Dashboard() const { return dashboard_.get(); }
    Station& StationCore() { return *station_; }
    ComLink& Com() { return station_->Com(); }
    OneWireLink& OneWire() { return station_->OneWire(); }
    WebPublisher* Publisher() const { return station_->Publisher(); }

    // "<program name> - <Site ID>", or the program name alone.
    void SetTitleSuffix();

    // Recomputes the display layout and repaints everything.
    void Relayout();

    // The modeless dialogs, made when first asked for: building them took a third of the
    // window's start.
    StatisticsDialog& Statistics();
    TestDataDialog& TestData();

    // The model-mismatch warning currently open, if any.
    QWidget* WarningDialog() const { return warning_; }

    // The last five message numbers, newest first.
    const std::array<int, 5>& MessageHistory() const { return messageHistory_; }

    // Posts an application event without payload to the window (any thread).
    void PostAppEvent(int type);
    // Posts an application event to the window (any thread); the window owns it then.
    void Post(AppEvent* e);

    // Replaces the handler of a command (tests, other subsystems).
    void SetCommandHandler(int command, std::function<void()> handler);

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    // Starts the dashboard after the window's first paint.
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // The menu commands: one row each, in menu order. A row with id 0 is a separator.
    enum class Menu { kFile, kView, kConfigure, kHelp };
    enum class Refusal {
        kByHandler,       // only when the handler says so (returns false)
        kWhileAcquiring,  // and while the serial reader runs
    };
    struct CommandRow {
        int id;
        Menu menu;
        const char* text;
        std::array<const char*, 2> keys;  // QKeySequence texts; nullptr for none
        bool checkable;
        bool runsDuringReplay;  // About, Help, Support: run, then the refusal beep follows
        Refusal refusal;
        bool (MainWindow::*handler)();  // false: refused (the window beeps)
    };
    static const CommandRow kCommands[];
    static std::span<const CommandRow> Commands();

    // ReplayWindow: the log replays' progress lines, caption and end.
    void BeginReplay() override;
    void SetReplayLine(int line, const std::string& text) override;
    void SetTitleSuffix(const std::string& text) override;
    void EndReplay(bool dataReceived) override;
    void Beep() override;

    void CheckGuards(int messageNumber);
    bool HandleAppEvent(QEvent* e);
    void BuildMenus();
    void ApplyOneWireMenu(bool enabled);
    void AfterStart();
    void ShowModelWarning(int code);
    void SaveConfiguration();
    void OpenHelp(const QString& topic);

    // Command handlers; false when the command was refused.
    bool CmdStart();
    bool CmdStartOneWire();
    bool CmdStop();
    bool CmdStopOneWire();
    bool CmdReset();
    bool CmdStatistics();
    bool CmdTestData();
    bool CmdCloseLog();
    bool CmdReadOwnLog();
    bool CmdReadDataRecorder();
    bool CmdReadCapture();
    bool CmdSaveImage();
    bool CmdPrintImage();
    bool CmdCopyImage();
    bool CmdExit();
    bool CmdStatsOnDisplay();
    bool CmdAlerts();
    bool CmdScrollRight();
    bool CmdScrollLeft();
    bool CmdFont();
    bool CmdSunStatistics();
    bool CmdEnergyReport();
    bool CmdOpenDashboard();
    void StartDashboard();  // once; after the first paint or a second
    bool CmdConfigure();
    bool CmdConfigureNames();
    bool CmdConfigureFtp();
    bool CmdConfigureOneWire();
    bool CmdOneWireEnable();
    bool CmdAbout();
    bool CmdHelp();
    bool CmdSupport();

    AppState& state_;
    MainWindowOptions options_;
    MessageHook showMessage_;  // the program's message box, for the station's messages
    DisplayWidget* display_ = nullptr;
    std::unique_ptr<brennic::Station> station_;
    std::unique_ptr<DashboardServer> dashboard_;
    std::unique_ptr<SleepInhibitor> inhibitor_;
    std::unique_ptr<ReplayRunner> replay_;
    StatisticsDialog* statistics_ = nullptr;  // modeless, kept for the window's life
    TestDataDialog* testDataDialog_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* configureMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<int, std::function<void()>> overrides_;
    QPointer<QWidget> warning_;
    std::array<int, 5> messageHistory_{};
    bool corruptionReport_ = true;
    bool destroying_ = false;
    std::shared_ptr<AlertObserver> alerts_;
    QLabel* alertLine_ = nullptr;
    AlertsDialog* alertsDialog_ = nullptr;
    void StartAlerts(StationOptions& options);
    void ShowAlerts();
};

}  // namespace brennic
