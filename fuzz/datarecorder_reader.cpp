// The Data Recorder reader on a file of any content (see replay_file.h).

#include "fuzz/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return brennic::fuzz::FuzzReplay(brennic::ReplayOptions::Kind::kDataRecorder, data, size);
}
