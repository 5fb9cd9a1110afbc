#pragma once

#include <string>
#include <vector>

#include "links/TestDataGenerator.h"
#include "sim/Installation.h"

namespace brennic {

// The report of a controller of `model` (0 positional line, 1 positional line and a GPM line
// between empty lines, 2 KEY=value line) for one reading, without line ends. The time token
// is the reading's local clock time. Any thread.
std::vector<std::string> ControllerLines(const InstallationReading& r, int model);

// The same report as one test-data cycle of the serial link, with the One-Wire probes
// (WAux-1..4 and the heat-assist switch).
TestDataCycle ControllerCycle(const InstallationReading& r, int model);

}  // namespace brennic
