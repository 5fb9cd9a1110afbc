#include "replay/LineReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace brennic {

namespace {

// Reads of 64 KiB leave what was read in the cache until the lines are parsed; reads of a
// megabyte did not, and cost the replay's reading thread a few percent.
constexpr std::size_t kMaxRead = std::size_t{1} << 16;
constexpr std::size_t kFirstRead = 4096;
// A line is decided once this many bytes are seen: 255 characters, a CR and an LF.
constexpr std::size_t kLookahead = LineReader::kLineLimit + 2;
constexpr std::size_t kBufferSize = kMaxRead + kLookahead;

}  // namespace

LineReader::LineReader() = default;

LineReader::~LineReader() {
    Close();
}

int LineReader::Open(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        errno_ = errno;
        return errno_;
    }
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        Close();
        errno_ = EISDIR;
        return errno_;
    }
    Seek(0);
    return 0;
}

void LineReader::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    begin_ = end_ = 0;
    bufferPos_ = 0;
    atEof_ = false;
}

std::int64_t LineReader::Size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(st.st_size);
}

bool LineReader::Seek(std::int64_t pos) {
    if (pos < 0 || fd_ < 0) {
        errno_ = EINVAL;
        return false;
    }
    // Inside the buffered window no read is needed (fast access often steps back a little).
    if (pos >= bufferPos_ && pos <= bufferPos_ + static_cast<std::int64_t>(end_)) {
        begin_ = static_cast<std::size_t>(pos - bufferPos_);
        return true;
    }
    bufferPos_ = pos;
    begin_ = end_ = 0;
    atEof_ = false;
    readSize_ = kFirstRead;
    return true;
}

// Keeps the unread bytes and reads more until a whole line can be decided or the file ends.
bool LineReader::Fill() {
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        bufferPos_ += static_cast<std::int64_t>(begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    while (!atEof_ && end_ < kLookahead) {
        const std::size_t want = std::min(readSize_, kBufferSize - end_);
        if (end_ + want > capacity_) {
            // The buffer grows with the reads, so a short file never takes the whole buffer.
            const std::size_t grown = std::min(kBufferSize, std::max(capacity_ * 2, end_ + want));
            std::unique_ptr<char[]> bigger(new char[grown]);
            if (end_ > 0) {
                std::memcpy(bigger.get(), buffer_.get(), end_);
            }
            buffer_ = std::move(bigger);
            capacity_ = grown;
        }
        const ssize_t n = ::pread(fd_, buffer_.get() + end_, want,
                                  static_cast<off_t>(bufferPos_ + static_cast<std::int64_t>(end_)));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            errno_ = errno;
            return false;
        }
        if (n == 0) {
            atEof_ = true;
        }
        end_ += static_cast<std::size_t>(n);
        readSize_ = std::min(readSize_ * 4, kMaxRead);
    }
    return true;
}

LineReader::Status LineReader::Next(std::string_view& line, std::int64_t& pos) {
    if (fd_ < 0) {
        errno_ = EBADF;
        return kFailed;
    }
    if (end_ - begin_ < kLookahead && !atEof_ && !Fill()) {
        return kFailed;
    }
    const std::size_t avail = end_ - begin_;
    if (avail == 0) {
        return kEnd;
    }
    char* p = buffer_.get() + begin_;
    pos = bufferPos_ + static_cast<std::int64_t>(begin_);
    const std::size_t scan = std::min(avail, kLookahead);
    std::size_t take = 0;    // bytes consumed
    std::size_t length = 0;  // characters returned
    if (auto* nl = static_cast<char*>(std::memchr(p, '\n', scan))) {
        take = static_cast<std::size_t>(nl - p) + 1;
        const bool crlf = take >= 2 && nl[-1] == '\r';
        length = crlf ? take - 1 : take;
        if (length > kLineLimit) {
            take = length = kLineLimit;
        } else if (crlf) {
            nl[-1] = '\n';  // text-mode reading: "\r\n" is one line feed
        }
    } else {
        take = length = std::min(avail, kLineLimit);
    }
    line = std::string_view(p, length);
    begin_ += take;
    return kLine;
}

}  // namespace brennic
