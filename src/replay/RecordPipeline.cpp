#include "replay/RecordPipeline.h"

#include "replay/LineReader.h"
#include "replay/ReplayTypes.h"

namespace brennic {

namespace {

constexpr std::size_t kBlockRecords = 4096;
constexpr std::size_t kBlocksAhead = 4;

}  // namespace

RecordPipeline::RecordPipeline(RecordFile& file, const std::atomic<bool>* stop,
                               std::optional<int> controllerModel)
    : file_(file), stop_(stop), model_(controllerModel) {
    const std::int64_t size = file_.reader.Size();
    if (size < 0 || size > kInlineBytes) {
        thread_ = std::thread([this] { Read(); });
    }
}

RecordPipeline::~RecordPipeline() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void RecordPipeline::Clear(Block& block) {
    block.text.clear();
    block.entries.clear();
    block.parsed.clear();
    block.readings.clear();
    block.last = false;
    block.error = kReadOk;
    block.aborted = false;
}

void RecordPipeline::Read() {
    for (;;) {
        std::unique_ptr<Block> block;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return quit_ || full_.size() < kBlocksAhead; });
            if (quit_) {
                return;
            }
            if (!free_.empty()) {
                block = std::move(free_.back());
                free_.pop_back();
            }
        }
        if (!block) {
            // No reservation up front: a block grows to what it holds and keeps that capacity
            // when it comes back, so a short file does not pay for a block of 4096 records.
            block = std::make_unique<Block>();
        }
        Clear(*block);
        const bool more = Fill(*block);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            full_.push_back(std::move(block));
        }
        changed_.notify_all();
        if (!more) {
            return;
        }
    }
}

bool RecordPipeline::Fill(Block& block) {
    LineReader& reader = file_.reader;
    auto end = [&block](int error, bool aborted) {
        block.last = true;
        block.error = error;
        block.aborted = aborted;
        return false;
    };
    while (block.entries.size() < kBlockRecords) {
        if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) {
            return end(kReadOk, true);
        }
        std::string_view line;
        std::int64_t pos = 0;
        const LineReader::Status status = reader.Next(line, pos);
        if (status != LineReader::kLine) {
            return end(status == LineReader::kFailed ? kIoError : kReadOk, false);
        }
        RecordLine record;
        const int rc = ParseRecordLine(file_.parser, line, record);
        if (rc != kReadOk) {
            return end(rc, false);
        }
        if (record.kind != RecordLine::kData && record.kind != RecordLine::kBad) {
            continue;
        }
        // Written in place, as the parsed line below: a record put together on the stack and
        // then copied costs a stalled load for each of its fields.
        Entry& e = block.entries.emplace_back();
        e.lineBegin = static_cast<std::uint32_t>(block.text.size());
        e.lineSize = static_cast<std::uint32_t>(line.size());
        e.kind = record.kind;
        e.time = record.time;
        if (record.kind == RecordLine::kData) {
            e.contentBegin =
                e.lineBegin + static_cast<std::uint32_t>(record.content.data() - line.data());
            e.contentSize = static_cast<std::uint32_t>(record.content.size());
        }
        block.text.append(line);
        if (record.kind == RecordLine::kBad) {
            // The rest of an over-long line belongs to the same bad record.
            bool more = line.size() == LineReader::kLineLimit && line.back() != '\n';
            while (more) {
                std::string_view piece;
                const LineReader::Status s = reader.Next(piece, pos);
                if (s == LineReader::kFailed) {
                    block.entries.pop_back();  // the bad record is not counted
                    return end(kIoError, false);
                }
                more = s == LineReader::kLine && piece.back() != '\n';
            }
        }
        if (model_) {
            ParsedLine& parsed = block.parsed.emplace_back();
            ReadingTokens& readings = block.readings.emplace_back();
            if (record.kind == RecordLine::kData) {
                ParseControllerLineShape(UpToFirstNul(record.content), *model_, parsed, readings);
            }
        }
    }
    return true;
}

bool RecordPipeline::Next(std::string_view& line, RecordLine& record, const ParsedLine*& parsed,
                          int& error, bool& aborted) {
    while (!current_ || next_ == current_->entries.size()) {
        if (current_ && current_->last) {
            error = current_->error;
            aborted = current_->aborted;
            return false;
        }
        if (!thread_.joinable()) {
            if (!current_) {
                current_ = std::make_unique<Block>();
            }
            Clear(*current_);
            Fill(*current_);
            next_ = 0;
            continue;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        if (current_) {
            free_.push_back(std::move(current_));
        }
        changed_.wait(lock, [this] { return !full_.empty(); });
        current_ = std::move(full_.front());
        full_.pop_front();
        next_ = 0;
        lock.unlock();
        changed_.notify_all();
    }
    const std::size_t index = next_++;
    const Entry& e = current_->entries[index];
    const char* text = current_->text.data();
    line = std::string_view(text + e.lineBegin, e.lineSize);
    record = RecordLine{};
    record.kind = e.kind;
    record.time = e.time;
    if (e.kind == RecordLine::kData) {
        record.content = std::string_view(text + e.contentBegin, e.contentSize);
    }
    parsed = nullptr;
    if (model_) {
        ParsedLine& p = current_->parsed[index];
        if (e.kind == RecordLine::kData) {
            ReadReadings(record.content, current_->readings[index], p.readings);
        }
        parsed = &p;
    }
    return true;
}

}  // namespace brennic
