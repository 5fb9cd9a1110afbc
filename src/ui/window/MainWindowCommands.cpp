#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFontDialog>
#include <QUrl>

#include "BuildInfo.h"
#include "alerts/AlertObserver.h"
#include "config/ConfigFile.h"
#include "ui/config/ConfigDialog.h"
#include "ui/config/OneWireDialog.h"
#include "ui/config/ProbeNamesDialog.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/AlertsDialog.h"
#include "ui/dialogs/StatisticsDialog.h"
#include "ui/dialogs/TestDataDialog.h"
#include "ui/display/DisplayWidget.h"
#include "ui/history/EnergyReportDialog.h"
#include "ui/sun/SunStatisticsDialog.h"
#include "ui/web/WebFtpDialog.h"
#include "ui/window/DashboardServer.h"
#include "ui/window/MainWindow.h"
#include "ui/window/WindowImage.h"

// The main window's commands: the one table the menus, the shortcuts and Run are built
// from, and the handlers it names.

namespace brennic {

namespace {
constexpr std::array<const char*, 2> kNoKeys = {nullptr, nullptr};
}  // namespace

// clang-format off
const MainWindow::CommandRow MainWindow::kCommands[] = {
    // id                    menu             text                                keys                       check  replay refused
    {kCmdStart,              Menu::kFile,      "&Start",                          {"Alt+S", nullptr},        false, false, Refusal::kWhileAcquiring, &MainWindow::CmdStart},
    {kCmdStartOneWire,       Menu::kFile,      "Start One &Wire",                 {"Alt+W", nullptr},        false, false, Refusal::kByHandler,      &MainWindow::CmdStartOneWire},
    {kCmdStop,               Menu::kFile,      "Stop",                            kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdStop},
    {kCmdStopOneWire,        Menu::kFile,      "Stop One Wire",                   kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdStopOneWire},
    {kCmdReset,              Menu::kFile,      "Reset",                           kNoKeys,                   false, false, Refusal::kWhileAcquiring, &MainWindow::CmdReset},
    {kCmdStatistics,         Menu::kFile,      "Statistics",                      kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdStatistics},
    {kCmdTestData,           Menu::kFile,      "Test Data Control",               kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdTestData},
    {0,                      Menu::kFile,      nullptr,                           kNoKeys,                   false, false, Refusal::kByHandler,      nullptr},
    {kCmdCloseLog,           Menu::kFile,      "Close Active Log File",           kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdCloseLog},
    {kCmdReadOwnLog,         Menu::kFile,      "Read Brennic File",               kNoKeys,                   false, false, Refusal::kWhileAcquiring, &MainWindow::CmdReadOwnLog},
    {kCmdReadDataRecorder,   Menu::kFile,      "Read QMX Data Recorder Log File", kNoKeys,                   false, false, Refusal::kWhileAcquiring, &MainWindow::CmdReadDataRecorder},
    {kCmdReadCapture,        Menu::kFile,      "Read Hyper Term Log File",        kNoKeys,                   false, false, Refusal::kWhileAcquiring, &MainWindow::CmdReadCapture},
    {0,                      Menu::kFile,      nullptr,                           kNoKeys,                   false, false, Refusal::kByHandler,      nullptr},
    {kCmdSaveImage,          Menu::kFile,      "Save Window Image",               kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdSaveImage},
    {kCmdPrintImage,         Menu::kFile,      "&Print Window Image",             {"Alt+P", "Ctrl+P"},       false, false, Refusal::kByHandler,      &MainWindow::CmdPrintImage},
    {kCmdCopyImage,          Menu::kFile,      "&Copy Window Image",              {"Alt+C", "Ctrl+C"},       false, false, Refusal::kByHandler,      &MainWindow::CmdCopyImage},
    {0,                      Menu::kFile,      nullptr,                           kNoKeys,                   false, false, Refusal::kByHandler,      nullptr},
    {kCmdExit,               Menu::kFile,      "E&xit",                           {"Alt+X", "Ctrl+X"},       false, false, Refusal::kByHandler,      &MainWindow::CmdExit},
    {kCmdStatsOnDisplay,     Menu::kView,      "Statistics on Main Display",      kNoKeys,                   true,  false, Refusal::kByHandler,      &MainWindow::CmdStatsOnDisplay},
    {kCmdAlerts,             Menu::kView,      "Alerts",                          kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdAlerts},
    {kCmdScrollRight,        Menu::kView,      "Scroll Right",                    {"Right", nullptr},        false, false, Refusal::kByHandler,      &MainWindow::CmdScrollRight},
    {kCmdScrollLeft,         Menu::kView,      "Scroll Left",                     {"Left", nullptr},         false, false, Refusal::kByHandler,      &MainWindow::CmdScrollLeft},
    {kCmdFont,               Menu::kView,      "Font",                            kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdFont},
    {kCmdSunStatistics,      Menu::kView,      "Sun Statistics",                  kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdSunStatistics},
    {kCmdEnergyReport,       Menu::kView,      "Energy Report",                   kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdEnergyReport},
    {kCmdOpenDashboard,      Menu::kView,      "Open Dashboard",                  kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdOpenDashboard},
    {kCmdConfigure,          Menu::kConfigure, "Configure Brennic",               kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdConfigure},
    {kCmdConfigureNames,     Menu::kConfigure, "Configure Probe Names",           kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdConfigureNames},
    {kCmdConfigureFtp,       Menu::kConfigure, "Configure FTP",                   kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdConfigureFtp},
    {kCmdConfigureOneWire,   Menu::kConfigure, "Configure One Wire",              kNoKeys,                   false, false, Refusal::kByHandler,      &MainWindow::CmdConfigureOneWire},
    {kCmdOneWireEnable,      Menu::kConfigure, "One Wire Enable",                 kNoKeys,                   true,  false, Refusal::kByHandler,      &MainWindow::CmdOneWireEnable},
    {kCmdAbout,              Menu::kHelp,      "About",                           {"Alt+/", "Alt+?"},        false, true,  Refusal::kByHandler,      &MainWindow::CmdAbout},
    {kCmdHelp,               Menu::kHelp,      "Help",                            {"F1", nullptr},           false, true,  Refusal::kByHandler,      &MainWindow::CmdHelp},
    {kCmdSupport,            Menu::kHelp,      "Support ",                        kNoKeys,                   false, true,  Refusal::kByHandler,      &MainWindow::CmdSupport},
};
// clang-format on

std::span<const MainWindow::CommandRow> MainWindow::Commands() {
    return kCommands;
}

// ---- File

bool MainWindow::CmdStart() {
    StartAcquisition();
    return true;  // a port that fails to open has shown its message
}

bool MainWindow::CmdStartOneWire() {
    const bool accepted = station_->StartOneWire();
    display_->UpdateText();
    return accepted;
}

bool MainWindow::CmdStop() {
    if (!station_->StopAcquisition()) {
        return false;
    }
    display_->UpdateText();
    return true;
}

bool MainWindow::CmdStopOneWire() {
    if (!station_->StopOneWire()) {
        return false;
    }
    display_->UpdateText();
    return true;
}

bool MainWindow::CmdReset() {
    if (!station_->Reset()) {
        return false;
    }
    setWindowTitle(QString::fromStdString(state_.identity.name + options_.captionNote));
    display_->update();
    return true;
}

bool MainWindow::CmdStatistics() {
    return Statistics().Open();  // refused when it is open already
}

bool MainWindow::CmdTestData() {
    TestData().Open();
    StartTestData();
    return true;
}

bool MainWindow::CmdCloseLog() {
    station_->CloseLogFile();
    return true;
}

// Replays feed the same statistics as live data: refused while acquisition runs (the table)
// or another replay runs.
bool MainWindow::CmdReadOwnLog() {
    if (replay_->Running()) {
        return false;
    }
    replay_->StartOwnLogReader();
    return true;
}

bool MainWindow::CmdReadDataRecorder() {
    if (replay_->Running()) {
        return false;
    }
    replay_->StartDataRecorderReader();
    return true;
}

bool MainWindow::CmdReadCapture() {
    if (replay_->Running()) {
        return false;
    }
    replay_->ReadCaptureFile();
    return true;
}

bool MainWindow::CmdSaveImage() {
    WindowImage(state_, *this, *display_).SaveWindowImage();
    return true;
}

bool MainWindow::CmdPrintImage() {
    WindowImage(state_, *this, *display_).PrintWindowImage();
    return true;
}

bool MainWindow::CmdCopyImage() {
    WindowImage(state_, *this, *display_).CopyWindowImage();
    return true;
}

bool MainWindow::CmdExit() {
    close();
    return true;
}

// ---- View

bool MainWindow::CmdStatsOnDisplay() {
    bool on = false;
    {
        StateGuard guard(state_.lock);
        display_->Layout().statisticsOnDisplay = !display_->Layout().statisticsOnDisplay;
        on = display_->Layout().statisticsOnDisplay;
    }
    Action(kCmdStatsOnDisplay)->setChecked(on);
    Relayout();
    return true;
}

bool MainWindow::CmdAlerts() {
    if (alertsDialog_ == nullptr) {
        std::shared_ptr<AlertObserver> alerts = alerts_;
        alertsDialog_ = new AlertsDialog(
            [alerts] { return alerts ? alerts->History() : std::vector<Alert>(); }, this);
    }
    alertsDialog_->Refresh();
    alertsDialog_->show();
    alertsDialog_->raise();
    return true;
}

bool MainWindow::CmdScrollRight() {
    display_->ScrollChart(ChartView::Request::kLineRight);
    return true;
}

bool MainWindow::CmdScrollLeft() {
    display_->ScrollChart(ChartView::Request::kLineLeft);
    return true;
}

bool MainWindow::CmdFont() {
    // The chooser opens on the configured font; OK without a change keeps it, with the
    // numbers of the file the chooser does not show.
    DisplayFont font = state_.font;
    const QFont configured = MakeDisplayFont(font);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, configured, this, "Font");
    if (!ok) {
        return true;
    }
    const DisplayFont before = ToDisplayFont(configured);
    const DisplayFont after = ToDisplayFont(chosen);
    if (after.face == before.face && after.height == before.height &&
        after.weight == before.weight && after.italic == before.italic) {
        return true;
    }
    font.set = true;
    font.face = after.face;
    font.height = after.height;
    font.weight = after.weight;
    font.italic = after.italic;
    {
        StateGuard guard(state_.lock);
        state_.font = font;
        SaveConfiguration();
    }
    Relayout();
    return true;
}

bool MainWindow::CmdSunStatistics() {
    SunStatisticsDialog dialog(state_, this);
    dialog.exec();
    return true;
}

bool MainWindow::CmdEnergyReport() {
    EnergyReportDialog dialog(options_.historyPath, this);
    dialog.exec();
    return true;
}

// Opens the dashboard in the desktop's browser; refused while no dashboard is served (Help >
// About says why).
bool MainWindow::CmdOpenDashboard() {
    if (!dashboard_ || !dashboard_->Running()) {
        return false;
    }
    QDesktopServices::openUrl(QUrl(dashboard_->Url()));
    return true;
}

// ---- Configure

bool MainWindow::CmdConfigure() {
    RunConfigDialog(state_, this, [this](const Config& edited, const std::function<void()>& save) {
        station_->ApplyConfiguration(edited, save);
    });
    SetTitleSuffix();
    Relayout();
    return true;
}

bool MainWindow::CmdConfigureNames() {
    if (RunProbeNamesDialog(state_, this)) {
        Relayout();
    }
    return true;
}

bool MainWindow::CmdConfigureFtp() {
    WebPublisher* publisher = station_->Publisher();
    if (publisher == nullptr) {
        return false;
    }
    WebFtpDialog dialog(
        state_, *publisher, [](AppState& s) { SaveConfig(s); }, this);
    dialog.exec();
    return true;
}

bool MainWindow::CmdConfigureOneWire() {
    const OneWireDialogResult result = RunOneWireDialog(state_, this);
    if (result.timerChanged) {
        station_->RestartOneWireTimer();
    }
    display_->update();
    return true;
}

bool MainWindow::CmdOneWireEnable() {
    bool enabled = false;
    {
        StateGuard guard(state_.lock);
        state_.config.oneWireEnable = state_.config.oneWireEnable ? 0 : 1;
        enabled = state_.config.oneWireEnable != 0;
    }
    SaveConfiguration();
    ApplyOneWireMenu(enabled);
    Relayout();
    return true;
}

// ---- Help

bool MainWindow::CmdAbout() {
    AboutDialog dialog(state_.identity, kBuildTime, this);
    if (dashboard_) {
        dialog.SetDashboardText(dashboard_->Description());
    }
    dialog.exec();
    return true;
}

bool MainWindow::CmdHelp() {
    OpenHelp(QString());
    return true;
}

bool MainWindow::CmdSupport() {
    const QString page = QDir(QString::fromStdString(state_.identity.folder))
                             .filePath("help/html/Brennic_Support.htm");
    SupportDialog dialog(QUrl::fromLocalFile(page).toString(), this);
    dialog.exec();
    return true;
}

}  // namespace brennic
