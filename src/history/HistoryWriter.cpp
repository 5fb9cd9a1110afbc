#include "history/HistoryWriter.h"

#include <chrono>
#include <vector>

#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "history/MinuteAccumulator.h"

namespace brennic {

namespace {

// At 2-second samples this is more than a day: only a store stuck for that long drops any.
constexpr std::size_t kQueueLimit = 65536;
// The writer looks at the queue this often, or sooner when this many samples wait. Waking it
// for every sample would cost the processing thread a system call per sample.
constexpr auto kPollInterval = std::chrono::seconds(1);
constexpr std::size_t kWakeAt = 4096;

std::time_t RetentionStart(int days) {
    return std::time(nullptr) - static_cast<std::time_t>(days) * 86400;
}

}  // namespace

HistoryWriter::HistoryWriter(std::string path, int minuteRetentionDays, MessageHook report)
    : path_(std::move(path)), retentionDays_(minuteRetentionDays), report_(std::move(report)) {}

HistoryWriter::~HistoryWriter() {
    Stop();
}

void HistoryWriter::Start() {
    thread_ = std::thread([this] { Run(); });
}

void HistoryWriter::Stop() {
    HandOver();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void HistoryWriter::Enqueue(const HistorySample& sample) {
    pending_.push_back(sample);
    if (pending_.size() < kWakeAt &&
        pending_.front().time / 60 == sample.time / 60) {  // same minute: keep gathering
        return;
    }
    HandOver();
}

void HistoryWriter::HandOver() {
    if (pending_.empty()) {
        return;
    }
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        for (const HistorySample& s : pending_) {
            if (queue_.size() >= kQueueLimit) {
                ++counters_.dropped;
                continue;
            }
            queue_.push_back(s);
        }
        wake = queue_.size() >= kWakeAt;
    }
    pending_.clear();
    if (wake) {
        wake_.notify_one();
    }
}

void HistoryWriter::Run() {
    auto opened = HistoryStore::Open(path_);
    if (!opened.message.empty() && report_) {
        report_(opened.message, "History");
    }
    std::unique_ptr<HistoryStore> store = std::move(opened.store);
    storeOpen_ = store != nullptr;
    MinuteAccumulator accumulator;
    std::vector<MinuteRow> rows;
    std::deque<HistorySample> batch;
    bool failureReported = false;
    int prunedDay = 0;
    bool stop = false;
    while (!stop) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, kPollInterval,
                           [this] { return stopping_ || queue_.size() >= kWakeAt; });
            batch.swap(queue_);
            stop = stopping_;
        }
        for (const HistorySample& s : batch) {
            accumulator.Add(s, rows);
        }
        counters_.samples += static_cast<long long>(batch.size());
        batch.clear();
        if (stop) {
            accumulator.EndSegment(rows);
        }
        if (store == nullptr) {
            counters_.dropped += static_cast<long long>(rows.size());
            rows.clear();
            continue;
        }
        std::string error;
        const int today = LocalDayNumber(std::time(nullptr));
        if (today != prunedDay) {
            prunedDay = today;
            if (!store->PruneMinutes(RetentionStart(retentionDays_) / 60 * 60, error)) {
                ++counters_.writeErrors;
            }
        }
        if (rows.empty()) {
            continue;
        }
        const auto result = store->WriteMinutes(rows, HistoryStore::Overlap::kMerge, 0);
        if (result.ok) {
            counters_.minutesWritten += result.written;
            failureReported = false;
        } else {
            ++counters_.writeErrors;
            counters_.dropped += static_cast<long long>(rows.size());
            if (!failureReported && report_) {
                report_("The history store " + path_ + " cannot be written: " + result.error +
                            ". The daily logs go on as before.",
                        "History");
            }
            failureReported = true;
        }
        rows.clear();
    }
}

}  // namespace brennic
