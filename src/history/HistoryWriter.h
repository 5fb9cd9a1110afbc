#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/MessageHook.h"
#include "core/ProcessorState.h"
#include "history/HistoryTypes.h"

namespace brennic {

// Keeps the history store current on the live road. The processing thread only copies each
// sample into a queue (Observe / Enqueue); the writer thread folds samples into minutes and
// commits each completed minute within a second, in its own transaction, so a kill loses at
// most the minute in progress. A store that cannot be opened or written is reported once through
// `report`; acquisition and the text logs go on regardless, and nothing here ever blocks the caller
// on the disk.
class HistoryWriter {
  public:
    struct Counters {
        std::atomic<long long> samples{0};         // samples taken from the queue
        std::atomic<long long> minutesWritten{0};  // minute rows committed
        std::atomic<long long> writeErrors{0};     // failed transactions
        std::atomic<long long> dropped{0};         // samples lost: queue full or store down
    };

    // `report` is called on the writer thread (at most once per failure kind).
    HistoryWriter(std::string path, int minuteRetentionDays, MessageHook report);
    ~HistoryWriter();  // Stop()
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // Starts the writer thread, which opens the store. Main thread, once.
    void Start();
    // Writes the minute in progress, closes the store and joins. Main thread; idempotent.
    void Stop();

    // The one thread that processes samples (Stop must come from it too, or after it has
    // ended); never waits on the disk. Samples of one minute are gathered here and handed to
    // the writer together with the first sample of the next minute, which completes them:
    // one lock per minute instead of one per sample.
    void Enqueue(const HistorySample& sample);
    // Copies the sample the processor has just accounted and enqueues it. The thread that
    // processes live data, with the StateLock held; never waits on the disk.
    void Observe(const ProcessorState& processor) { Enqueue(HistorySample::From(processor)); }

    const Counters& counters() const { return counters_; }
    // Until the writer has opened the store: false.
    bool StoreOpen() const { return storeOpen_.load(); }

  private:
    void Run();
    void HandOver();

    const std::string path_;
    const int retentionDays_;
    MessageHook report_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<HistorySample> pending_;  // the processing thread's, not shared
    std::deque<HistorySample> queue_;     // guarded by mutex_
    bool stopping_ = false;               // guarded by mutex_
    std::thread thread_;
    Counters counters_;
    std::atomic<bool> storeOpen_{false};
};

}  // namespace brennic
