#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/ControllerLine.h"
#include "replay/RecordLines.h"
#include "replay/RecordScan.h"

namespace brennic {

// Reads and classifies the lines of a record file on a thread of its own, ahead of the
// thread that processes the records, and hands them over in blocks: the data records and the
// bad ones, exactly as ReplayPhase would find them one by one (a bad line with the rest of an
// over-long line passed over), then how reading ended. Asked to, it also reads each data
// record's content as a controller line, so that the processing thread only applies it: the
// reading thread splits the line and tells its kind, the consumer converts its readings as it
// takes the record (the reading thread still has the larger share). On a machine with a
// second core the reading, the time conversion and most of the parsing cost the processing
// thread nothing.
//
// A file of at most kInlineBytes is read on the consumer's thread instead, as it asks for
// records: a thread's start and hand-overs cost more than reading such a file takes.
//
// Threads: constructed and used by one consumer thread; the reader thread alone uses the
// file's reader and parser from construction until destruction, which stops and joins it.
class RecordPipeline {
  public:
    static constexpr std::int64_t kInlineBytes = 64 * 1024;

    // Starts reading `file` at its current position. `stop`, when given, is polled before
    // every line: once set, reading ends as aborted. With a `controllerModel` the content
    // of each data record (up to its first NUL) is parsed as a line of that controller type.
    RecordPipeline(RecordFile& file, const std::atomic<bool>* stop,
                   std::optional<int> controllerModel = std::nullopt);
    ~RecordPipeline();
    RecordPipeline(const RecordPipeline&) = delete;
    RecordPipeline& operator=(const RecordPipeline&) = delete;

    // The next data or bad record and its line (both valid until the next call), and for a
    // data record what its content says when the pipeline parses (else nullptr; valid as
    // long). False at the end: `error` is then 0 or the ReadErrorCode that ended reading (an
    // IO error, a header that does not parse), `aborted` whether the stop flag ended it.
    bool Next(std::string_view& line, RecordLine& record, const ParsedLine*& parsed, int& error,
              bool& aborted);

  private:
    struct Entry {
        std::uint32_t lineBegin;  // in Block::text
        std::uint32_t lineSize;
        std::uint32_t contentBegin;  // data records: the content, also in Block::text
        std::uint32_t contentSize;
        RecordLine::Kind kind;
        std::time_t time;
    };
    struct Block {
        std::string text;
        std::vector<Entry> entries;
        std::vector<ParsedLine> parsed;       // one per entry when the pipeline parses
        std::vector<ReadingTokens> readings;  // where each parsed entry's readings stand
        bool last = false;                    // reading ended after these entries
        int error = 0;
        bool aborted = false;
    };

    void Read();
    // Empties `block` for reuse, keeping its capacity.
    static void Clear(Block& block);
    // Fills `block` with the next records; false when reading has ended.
    bool Fill(Block& block);

    RecordFile& file_;
    const std::atomic<bool>* stop_;
    const std::optional<int> model_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Block>> full_;   // read, not yet taken
    std::vector<std::unique_ptr<Block>> free_;  // taken and given back, for reuse
    bool quit_ = false;                         // the consumer is done

    std::unique_ptr<Block> current_;  // the consumer's block
    std::size_t next_ = 0;            // its next entry

    std::thread thread_;
};

}  // namespace brennic
