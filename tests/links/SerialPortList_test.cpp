#include "links/SerialPortList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/ReplayTestSupport.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& p, const std::string& content = {}) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << content;
}

TEST(SerialPortList, StableNamesFirstThenEachKindInNaturalOrder) {
    testing::TempFolder folder;
    const fs::path dev = folder.File("dev");
    const fs::path sys = folder.File("sys");
    for (const char* name : {"ttyS10", "ttyS2", "ttyS1", "ttyACM0", "ttyUSB1", "ttyUSB0", "tty0",
                             "ttyprintk", "ttyUSB", "null", "serial/by-id/usb-FTDI_A-if00-port0",
                             "serial/by-id/usb-Arduino_B-if00"}) {
        Touch(dev / name);
    }
    Touch(sys / "class/tty/ttyS1/type", "0\n");  // no UART behind it
    Touch(sys / "class/tty/ttyS2/type", "4\n");
    const std::vector<std::string> expected = {
        (dev / "serial/by-id/usb-Arduino_B-if00").string(),
        (dev / "serial/by-id/usb-FTDI_A-if00-port0").string(),
        (dev / "ttyUSB0").string(),
        (dev / "ttyUSB1").string(),
        (dev / "ttyACM0").string(),
        (dev / "ttyS2").string(),
        (dev / "ttyS10").string(),
    };
    EXPECT_EQ(ListSerialPorts(dev.string(), sys.string()), expected);
    EXPECT_TRUE(ListSerialPorts(folder.File("missing"), sys.string()).empty());
}

}  // namespace
}  // namespace brennic
