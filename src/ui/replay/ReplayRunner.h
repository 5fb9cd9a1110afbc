#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <string>
#include <thread>

#include "core/AppState.h"
#include "replay/ReplayTypes.h"

namespace brennic {

// What the main window lends a replay. Every call comes on the main thread.
class ReplayWindow {
  public:
    virtual ~ReplayWindow() = default;
    // Empties the six progress lines and sets the replay-in-progress flag.
    virtual void BeginReplay() = 0;
    // Progress line 1..6 (the window keeps at most 127 characters) and a repaint.
    virtual void SetReplayLine(int line, const std::string& text) = 0;
    // Caption: program title, " - " and `text` (the title alone when that is 260 or longer).
    virtual void SetTitleSuffix(const std::string& text) = 0;
    // Clears the replay-in-progress flag; sets the data received flag when asked; repaints.
    virtual void EndReplay(bool dataReceived) = 0;
    // The refusal beep (a cancelled file dialog, a file that cannot be opened).
    virtual void Beep() = 0;
};

// The three log replay menu commands. The main window owns one for its lifetime and refuses
// the commands itself while the serial reader runs. Data Recorder and own-log replays run on a
// thread of their own; the window keeps painting, and the record error dialog and read error
// messages are shown on the main thread for them. The capture replay runs on the main thread.
// Construct, call and destroy on the main thread. Destroying stops a running replay at its
// next record and waits for the thread.
class ReplayRunner {
  public:
    enum class Kind { kDataRecorder, kOwnLog };

    ReplayRunner(AppState& state, QWidget* parent, ReplayWindow& window);
    ~ReplayRunner();
    ReplayRunner(const ReplayRunner&) = delete;
    ReplayRunner& operator=(const ReplayRunner&) = delete;

    // "Read QMX Data Recorder Log File": file dialog, record range, replay thread. Returns at
    // once.
    void StartDataRecorderReader();
    // "Read Brennic File": the same for one of Brennic's own daily logs.
    void StartOwnLogReader();
    // "Read Hyper Term Log File": file dialog, start time and interval, replay; returns when
    // the file has been read. Cancel in the start-time dialog replays nothing.
    void ReadCaptureFile();

    // Starts the replay thread for a file and range already chosen (the part after the
    // dialogs). False when a replay is already running.
    bool StartReplay(Kind kind, const std::string& path, const RecordRange& range);

    bool Running() const { return thread_.joinable(); }

    // The folder of the log file chosen last ("" until one is chosen).
    const std::string& LastLogFolder() const { return lastLogFolder_; }

  private:
    void StartWithDialogs(Kind kind, const char* title);
    bool ChooseFile(const char* title, std::string& path);
    void Finished(const ReplayOutcome& outcome);

    AppState& state_;
    QPointer<QWidget> parent_;
    ReplayWindow& window_;
    QObject context_;  // main-thread target for calls from the replay thread
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::string lastLogFolder_;
};

}  // namespace brennic
