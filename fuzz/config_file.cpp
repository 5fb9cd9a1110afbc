// Config.Txt as read at start-up, and the saved text read back: a file that reads must save
// and read again without a crash.

#include <sstream>

#include "config/ConfigFormat.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brennic;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    Config config;
    ChannelTable channels = DefaultChannelTable();
    DisplayFont font;
    int glycolCount = 0;
    ParseConfig(in, config, channels, font, glycolCount);
    std::istringstream again(FormatConfig(config, channels, font));
    ParseConfig(again, config, channels, font, glycolCount);
    return 0;
}
