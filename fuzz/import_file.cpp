// brennic --import of one file of any kind into a store in memory: the kind is told from the
// content, the file replayed, its minutes and days stored.

#include <sstream>

#include "fuzz/FuzzSupport.h"
#include "history/ImportCommand.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brennic;
    const std::uint8_t mode = fuzz::TakeByte(data, size);
    AppState state;
    fuzz::Quiet(state);
    state.config.controllerType = mode % 3;
    ImportOptions options;
    options.files = {fuzz::ScratchFile(data, size)};
    options.storePath = ":memory:";
    if ((mode & 0x04) != 0) {
        options.start = "2009-06-01 06:00:00";
        options.interval = (mode & 0x08) != 0 ? 360 : 2;
    }
    std::ostringstream out;
    std::ostringstream progress;
    std::ostringstream err;
    RunImportCommand(state, options, out, progress, err);
    return 0;
}
