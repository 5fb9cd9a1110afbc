#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brennic {

// Reads a text file line by line in large blocks, the way the log readers need it: a line is
// at most 255 characters (a longer one comes back in pieces of 255, the rest as the next
// line), a line keeps its line feed, and "\r\n" reads as "\n". Every line comes with the file
// position of its first byte, and the reader can seek to any position. After a seek the first
// reads are small, so that a few probes into a large file stay cheap; sequential reading grows
// them to 1 MiB.
// One thread at a time; no lock needed.
class LineReader {
  public:
    static constexpr std::size_t kLineLimit = 255;

    enum Status { kLine, kEnd, kFailed };

    LineReader();
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens `path` for reading and positions at its start. Returns 0 or the errno value.
    int Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // The file's current size in bytes, or -1 when it cannot be had.
    std::int64_t Size() const;

    // Positions at byte `pos` (beyond the end reads as end of file). False for a negative pos.
    bool Seek(std::int64_t pos);

    // The next line (valid until the next call) and its position.
    Status Next(std::string_view& line, std::int64_t& pos);

    // The errno value of the last failure.
    int LastErrno() const { return errno_; }

  private:
    bool Fill();

    int fd_ = -1;
    int errno_ = 0;
    // Not zeroed: a small file touches only the pages it reads into.
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;     // bytes allocated at buffer_
    std::size_t begin_ = 0;        // next unread byte in buffer_
    std::size_t end_ = 0;          // end of valid data in buffer_
    std::int64_t bufferPos_ = 0;   // file position of buffer_[0]
    bool atEof_ = false;           // no data in the file after buffer_[end_]
    std::size_t readSize_ = 4096;  // size of the next read
};

}  // namespace brennic
