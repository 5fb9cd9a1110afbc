#include "logs/WriteFault.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brennic {

int AppendWholeRecord(int fd, std::string_view record) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return errno;
    }
    const off_t start = st.st_size;
    if (::lseek(fd, start, SEEK_SET) < 0) {
        return errno;
    }
    std::size_t done = 0;
    while (done < record.size()) {
        const ssize_t n = ::write(fd, record.data() + done, record.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            // Cut back what did get written, so that the file ends with a whole record.
            if (done > 0 && ::ftruncate(fd, start) == 0) {
                ::lseek(fd, start, SEEK_SET);
            }
            return error;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

WriteNews NoteWriteResult(WriteFault& fault, int error) {
    if (error != 0) {
        fault.lastError = error;
        ++fault.lost;
        if (fault.failing) {
            ++fault.lostNow;
            return WriteNews::kNone;
        }
        fault.failing = true;
        fault.lostNow = 1;
        ++fault.failures;
        return WriteNews::kFailed;
    }
    if (!fault.failing) {
        return WriteNews::kNone;
    }
    fault.failing = false;
    return WriteNews::kResumed;
}

bool IsNoSpace(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

std::string WriteFailedText(std::string_view what, const WriteFault& fault) {
    std::string text = "Cannot write ";
    text += what;
    text += ": ";
    text += std::strerror(fault.lastError);
    text += ". Records are counted until writing works again.";
    return text;
}

std::string WriteResumedText(std::string_view what, const WriteFault& fault) {
    std::string text = "Writing ";
    text += what;
    text += " resumed; ";
    text += std::to_string(fault.lostNow);
    text += fault.lostNow == 1 ? " record" : " records";
    text += " could not be written.";
    return text;
}

}  // namespace brennic
