#pragma once

#include <string>
#include <vector>

namespace brennic {

// The serial ports present, for the configuration's port choice: the stable names under
// `devRoot`/serial/by-id first, then the ttyUSB*, ttyACM* and ttyS* devices, each group in
// natural order (ttyS2 before ttyS10). A ttyS* port whose `sysRoot`/class/tty/<name>/type
// says 0 has no UART behind it and is left out. Reads the file system; any thread.
std::vector<std::string> ListSerialPorts(const std::string& devRoot = "/dev",
                                         const std::string& sysRoot = "/sys");

}  // namespace brennic
