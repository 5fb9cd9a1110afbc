#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <map>
#include <memory>

#include "core/AppState.h"
#include "links/ComLink.h"
#include "links/LinkSink.h"
#include "links/OneWireLink.h"
#include "ui/replay/ReplayRunner.h"
#include "ui/window/AppEvents.h"
#include "web/WebPublisher.h"

class QAction;
class QMenu;

namespace brennic {

class DisplayWidget;
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
    kCmdConfigureNames = 32800,
    kCmdConfigureFtp = 32801,
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
};

// The hub of the program: receives the link threads' events, runs the live processing of
// every controller line, owns the menu commands, the display, the links, the One-Wire
// timer and the web publisher. Main thread only.
class MainWindow : public QMainWindow, private LinkSink, private ReplayWindow {
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
    ComLink& Com() { return *com_; }
    OneWireLink& OneWire() { return *oneWire_; }
    WebPublisher* Publisher() const { return publisher_.get(); }

    // "<program name> - <Site ID>", or the program name alone.
    void SetTitleSuffix();

    // Recomputes the display layout and repaints everything.
    void Relayout();

    StatisticsDialog* Statistics() const { return statistics_; }
    TestDataDialog* TestData() const { return testDataDialog_; }

    // The model-mismatch warning currently open, if any.
    QWidget* WarningDialog() const { return warning_; }

    // The last five message numbers, newest first.
    const std::array<int, 5>& MessageHistory() const { return messageHistory_; }

    // Posts an application event without payload to the window (any thread).
    void PostAppEvent(int type);

    // Replaces the handler of a command (the dialogs and readers of other subsystems).
    void SetCommandHandler(int command, std::function<void()> handler);

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    // LinkSink: called on the link threads; each posts one owning event.
    void OnControllerLine(std::string line) override;
    void OnReadTimeout() override;
    void OnReaderEnded() override;
    void OnReadFailure(int errorCode, std::string systemText) override;
    void OnOneWireReply(std::vector<std::byte> datagram) override;
    void OnOneWireReceiveFailure(SocketError error) override;
    void OnOneWireReceiverEnded() override;

    // ReplayWindow: the log replays' progress lines, caption and end.
    void BeginReplay() override;
    void SetReplayLine(int line, const std::string& text) override;
    void SetTitleSuffix(const std::string& text) override;
    void EndReplay(bool dataReceived) override;
    void Beep() override;

    void Post(AppEvent* e);
    void CheckGuards(int messageNumber);
    bool HandleAppEvent(QEvent* e);
    void BuildMenus();
    QAction* AddCommand(QMenu* menu, int command, const QString& text,
                        const QList<QKeySequence>& keys = {});
    void ApplyOneWireMenu(bool enabled);
    void AfterStart();
    void Reset();
    void StopAcquisition();
    void StartOneWire();
    void StopOneWire();
    void ToggleOneWireEnable();
    void ToggleStatsOnDisplay();
    void ChooseFont();
    void OpenHelp(const QString& topic);
    void OpenTestDataControl();
    void ShowModelWarning(int code);
    void SaveConfiguration();

    AppState& state_;
    MainWindowOptions options_;
    DisplayWidget* display_ = nullptr;
    std::unique_ptr<ComLink> com_;
    std::unique_ptr<OneWireLink> oneWire_;
    std::unique_ptr<WebPublisher> publisher_;
    std::unique_ptr<SleepInhibitor> inhibitor_;
    std::unique_ptr<ReplayRunner> replay_;
    StatisticsDialog* statistics_ = nullptr;  // modeless, kept for the window's life
    TestDataDialog* testDataDialog_ = nullptr;
    QTimer oneWireTimer_;
    QMenu* fileMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* configureMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<int, std::function<void()>> handlers_;
    QPointer<QWidget> warning_;
    std::array<int, 5> messageHistory_{};
    bool corruptionReport_ = true;
    bool destroying_ = false;
};

}  // namespace brennic
