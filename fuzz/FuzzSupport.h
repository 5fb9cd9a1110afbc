#pragma once

// Shared by the fuzz targets: a scratch file per process for the readers that take a path,
// and an AppState that keeps quiet and writes nothing to disk.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/AppState.h"

namespace brennic::fuzz {

// This process's scratch file, removed when the process ends.
struct Scratch {
    Scratch() {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir != nullptr ? dir : "/tmp") + "/brennic-fuzz-" +
               std::to_string(::getpid());
    }
    ~Scratch() { std::remove(path.c_str()); }
    std::string path;
};

// Writes the input to this process's scratch file and returns its path.
inline const std::string& ScratchFile(const std::uint8_t* data, std::size_t size) {
    static const Scratch scratch;
    const std::string& path = scratch.path;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f != nullptr) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
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
