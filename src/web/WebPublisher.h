#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "core/AppState.h"
#include "web/FtpClient.h"
#include "web/WebCounters.h"
#include "web/WebPages.h"

namespace brennic {

// Delays and places the publisher works with. The defaults are the program's; tests shorten
// the delays.
struct WebPublisherOptions {
    std::chrono::milliseconds firstDelay{30000};  // start to first publication
    std::chrono::milliseconds minute{60000};      // one "Interval - Minutes" unit
    std::chrono::milliseconds retryDelay{1000};   // between the delete attempts of a target
    std::string tempFolder;                       // parent of the screen-shot scratch folder
    FtpOptions ftp;                               // time-outs (`cancelled` is set internally)
};

// Publishes BRN_Stats.htm, BRN_Probes.htm and optionally ScreenShot.jpg every "Interval -
// Minutes": uploads them by FTP (each first as TEMP.htm, then renamed) and/or writes them to
// the local folder. Created by the main window with the program's AppState; one per program.
//
// Threads: the publisher runs its own thread between StartPublisher and the first wake after
// StopPublisher. It takes the StateLock only to copy settings and page values, never while it
// talks to the network, takes the screen shot or shows an error.
class WebPublisher {
  public:
    // Saves the main window as JPEG to `path`; true on success. Called on the publisher
    // thread without the StateLock; the UI renders on its own thread and returns when done.
    using ScreenShotFn = std::function<bool(const std::string& path)>;
    // Reports the links' state; called on the publisher thread with the StateLock held.
    using LinkStatusFn = std::function<LinkStatus()>;

    explicit WebPublisher(AppState& state, WebPublisherOptions options = {});
    // Stops the thread and waits for it (see StopPublisher for what the UI must allow).
    ~WebPublisher();
    WebPublisher(const WebPublisher&) = delete;
    WebPublisher& operator=(const WebPublisher&) = delete;

    // Set before StartPublisher; main thread. Without a screen-shot function the screen shot
    // fails (code 900). Without a link-status function the links count as inactive. The
    // error box shows "Error: ..." captioned "FTP Error" and returns when the user closed it;
    // it defaults to state.showMessage and must be callable from the publisher thread.
    void SetScreenShot(ScreenShotFn fn);
    void SetLinkStatus(LinkStatusFn fn);
    void SetErrorBox(MessageHook fn);

    // Whether the console is attached (no screen shot while detached). Any thread.
    void SetConsoleAttached(bool attached);

    // Starts the thread when none runs. Main thread.
    void StartPublisher();
    // Asks the thread to end and wakes it; does not wait. A running transfer is aborted and
    // no further error box or screen shot is requested. Any thread. The thread may still be
    // inside a screen-shot or error-box call: a UI that serves those on the main thread keeps
    // its event loop running until Finished() before destroying the publisher.
    void StopPublisher();
    // Ends the current wait early (the interval was shortened). Any thread.
    void WakePublisher();
    // True when no thread runs (never started, or ended after a stop). Any thread.
    bool Finished() const;

    // A copy of the counters and the last error. Any thread.
    WebCounters Counters() const;

    // One publication on the calling thread, with its error report. Returns 0 or the raised
    // code. The thread loop calls this; tests call it directly. Not while the thread runs.
    int Publish();

  private:
    struct Settings;
    struct Raised {
        int code;
    };
    struct Stopped {};

    void Run();
    // Waits up to `timeout` for a wake or a stop; consumes the wake. Publisher thread.
    void WaitForWake(std::chrono::milliseconds timeout);
    void PublishFiles(const Settings& settings);
    void PublishFile(FtpClient* ftp, const Settings& settings, const std::string& name,
                     const std::string& content, bool ascii);
    std::string TakeScreenShot();
    [[noreturn]] void RaiseFtp(const FtpClient& ftp, int code);
    [[noreturn]] void RaiseSystem(int errnoValue, int code);
    void RecordError(long code, const std::string& text);
    void ReportError(int code, bool showBox);

    AppState& state_;
    WebPublisherOptions options_;
    ScreenShotFn screenShot_;
    LinkStatusFn linkStatus_;
    MessageHook errorBox_;
    std::atomic<bool> consoleAttached_{true};

    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    mutable std::mutex mutex_;  // the publisher's own lock: wake flag, counters
    std::condition_variable wake_;
    bool wakeSignalled_ = false;
    WebCounters counters_;
    std::string cause_;  // what went wrong in this publication, when something said so
    std::thread thread_;
};

}  // namespace brennic
