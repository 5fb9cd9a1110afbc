#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "links/CRand.h"
#include "links/LinkSink.h"
#include "links/TestDataGenerator.h"
#include "links/WakeEvent.h"

namespace brennic {

struct AppState;

// What the reader thread does: nothing (ends at once), read the serial port, or synthesise
// test data.
enum LinkMode : int { kModeStopped = 0, kModeSerial = 1, kModeTestData = 2 };

// Another source of test-data cycles than the generator (the simulated installation).
using TestDataSource = std::function<TestDataCycle(const TestDataSettings&)>;

// The link's waits. Tests shorten them; the program uses the defaults.
struct ComLinkTiming {
    std::chrono::milliseconds readTimeout{5000};     // silence that counts one time-out
    std::chrono::milliseconds testDataPeriod{2000};  // one test-data cycle
    std::chrono::milliseconds keyValueDelay{42};     // before a KEY=value test line
    std::chrono::milliseconds endDelay{1000};        // between stopping and the end notice
};

// The serial link to the controller and its reader thread. Start, StartTestData, Stop and
// ReaderFinished are called on the main thread only; they take the StateLock themselves where
// they need it, so the caller may but need not hold it. The reader thread reports through the
// LinkSink. Running, Mode and TimeoutCount may be read from any thread.
//
// The reader thread reads the port one byte at a time, hands every line to the sink, counts
// a time-out for every readTimeout of silence and ends on a read failure. Stop wakes it at
// once. In test-data mode it synthesises controller lines every testDataPeriod from the
// AppState's TestDataSettings and writes the One-Wire readings, both under the StateLock.
class ComLink {
  public:
    ComLink(AppState& state, LinkSink& sink, RefuseHook refuse, ComLinkTiming timing = {});
    // Stops the reader thread without an end notice and waits for it.
    ~ComLink();
    ComLink(const ComLink&) = delete;
    ComLink& operator=(const ComLink&) = delete;

    // Opens the configured port (config.comPort) and starts reading. Refused while running.
    // When the port cannot be opened or configured, shows the failure with caption "Error"
    // and stays stopped. Returns true when the reader started.
    bool Start();

    // The "Test Data Control" road: starts the reader in test-data mode when nothing runs;
    // otherwise does nothing (no refusal). Returns true when it started a reader.
    bool StartTestData();

    // Opens `port` exclusively in raw mode; on failure shows the message and returns false.
    // With `failure` given nothing is shown: the message text is put there instead (the
    // service's reconnect tries quietly).
    bool OpenPort(const std::string& port, std::string* failure = nullptr);

    // Starts the reader thread in `mode` (a port must be open for serial mode): draws the
    // header countdown, marks the link running, clears the time-out count. A thread that
    // cannot be created ends the program ("Failed to Create Com Port Thread").
    void StartThread(int mode);

    // Asks the reader to end; it ends at once and reports OnReaderEnded after endDelay.
    // Refused when not running. Returns true when it stopped a reader; the caller then closes
    // the One-Wire link if it is open.
    bool Stop();

    // The main window's handling of OnReaderEnded and OnReadFailure: clears running and the
    // mode and releases the ended thread.
    void ReaderFinished();

    bool Running() const { return running_.load(); }
    int Mode() const { return mode_.load(); }
    int TimeoutCount() const { return timeoutCount_.load(); }

    // The next test-data run takes its cycles from `source` instead of the generator; the run
    // takes it over, so later runs use the generator again. Main thread, while not running.
    void SetTestDataSource(TestDataSource source) { source_ = std::move(source); }

    // Seeds the link's own C-style random generator (test data, header countdown).
    void SeedRandom(unsigned seed) { rand_.Seed(seed); }

  private:
    void ReaderMain(int mode);
    void SerialLoop();
    void TestDataLoop();
    void EndNotice();

    AppState& state_;
    LinkSink& sink_;
    RefuseHook refuse_;
    ComLinkTiming timing_;

    int port_ = -1;  // owned by the reader thread while it runs
    int testHeaderCountdown_ = 0;
    CRand rand_;
    TestDataSource source_;
    std::thread thread_;
    WakeEvent wake_;
    std::atomic<bool> running_{false};
    std::atomic<int> mode_{kModeStopped};
    std::atomic<int> timeoutCount_{0};
    std::atomic<bool> closing_{false};
};

}  // namespace brennic
