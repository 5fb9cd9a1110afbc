#pragma once

// Shared by the fuzz targets: a scratch file per process for the readers that take a path,
// and an AppState that keeps quiet and writes nothing to disk.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/AppState.h"

namespace brennic::fuzz {

// This process's scratch file: a file in memory (memfd) reached by its /proc path. A file on
// disk costs milliseconds per input (ext4 flushes a file that is truncated and rewritten), which
// held the readers' targets to a few hundred executions a second.
struct Scratch {
    Scratch() : fd(::memfd_create("brennic-fuzz", MFD_CLOEXEC)) {
        if (fd < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        path = "/proc/self/fd/" + std::to_string(fd);
    }
    ~Scratch() { ::close(fd); }
    int fd;
    std::string path;
};

// Writes the input to this process's scratch file and returns its path.
inline const std::string& ScratchFile(const std::uint8_t* data, std::size_t size) {
    static const Scratch scratch;
    if (::ftruncate(scratch.fd, 0) != 0) {
        std::abort();
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(scratch.fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) {
            std::abort();
        }
        done += static_cast<std::size_t>(n);
    }
    return scratch.path;
}

// A state that shows no messages and logs nothing.
inline void Quiet(AppState& state) {
    state.showMessage = [](const std::string&, const std::string&) {};
    state.config.logData = 0;
    state.config.summaryEnable = 0;
    state.config.dataFolder = "/nonexistent-brennic-fuzz";
}

// Takes the first byte of the input as a selector; the rest stays in data/size.
inline std::uint8_t TakeByte(const std::uint8_t*& data, std::size_t& size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t b = *data;
    ++data;
    --size;
    return b;
}

}  // namespace brennic::fuzz
